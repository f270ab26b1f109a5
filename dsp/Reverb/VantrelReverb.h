#pragma once

#include "Reverb/Reverb.h"

#include <array>
#include <vector>

// The effect's network: four late lines and four early lines whose times
// scale with the room size and wobble with four modulation signals.
class VantrelReverb : public Reverb
{
public:
    // Nominal times in ms at the room size where the scale is 1.
    static constexpr std::array<float, kLineCount> delayInitTimes { 58.6435f, 69.4325f, 74.5234f, 86.1244f };
    static constexpr std::array<float, kLineCount> reflectionInitTimes { 19.392f, 16.364f, 7.645f, 4.2546f };
    static constexpr float lateMaxDelayMs = 600.0f;
    static constexpr float earlyMaxDelayMs = 1000.0f;
    // Room size 0..100 maps to a time scale of (size + 20) / roomDivisor.
    static constexpr float roomDivisor = 32.046154f;

    VantrelReverb();

    // Every line is mono; `numChannels` only reaches the early stage's record.
    void init (int numChannels, double newSampleRate) override;

    // Per-sample line times from the room size (0..100) and, when given, four
    // modulation buffers (about -1..1) added in ms.
    void setRoomSize (const float* roomSize, const float* const* modulation, unsigned long n) noexcept;
    // What setRoomSize gives for the inputs `other` was last set with (n
    // values), taken from it instead of computed again.
    void copyRoomSize (const VantrelReverb& other, unsigned long n) noexcept;
    // After setRoomSize, while a jump of the room size fades: every line is
    // also read at the times of `oldRoomSize` (with the same modulation),
    // the two reads weighted as given (n values each). Without weights the
    // lines read once again.
    void fadeRoomFrom (const float* oldRoomSize, const float* const* modulation, const float* oldWeight,
                       const float* newWeight, unsigned long n) noexcept;

private:
    std::vector<float> fadeScale;
};
