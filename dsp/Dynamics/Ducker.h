#pragma once

#include "Dynamics/LegacyCompressor.h"
#include "Dynamics/PeakMeter.h"

#include <cstdint>
#include <memory>
#include <vector>

// The wet signal's ducking, keyed by the dry input: per channel, the key's
// level over the last kWindow frames, a gain ramp toward the target that level
// asks for (at the attack's pace downwards, the release's upwards), one block
// of gains and the meter that shows them.
//
// The owner decides every channel's ramp at regular points (decide) and
// feeds the key frame by frame (follow). Between two decisions a ramp runs on
// past its target to the bounds 0 and 1, unless the key gets louder than
// anything the ramp answered: then an attack from that very frame takes over
// if it falls faster, so the first attack of a sound is caught where it
// falls, not at the next decision.
class Ducker : public LegacyCompressor
{
public:
    static constexpr std::uint32_t LevelByRms = 0;
    static constexpr std::uint32_t LevelByPeak = 1;
    // Frames of key the level is measured over.
    static constexpr unsigned long kWindow = 256;

    // What a decision reads: the threshold as an amplitude, the ratio, and
    // the attack and release times in ms.
    struct Settings
    {
        double threshold = 1.0;
        double ratio = 10.0;
        float attackMs = 0.0f;
        float releaseMs = 0.0f;
    };

    Ducker();

    // Also restarts every channel's gain at 0, so the wet signal fades in,
    // and forgets the key.
    void init (int numChannels, double newSampleRate) override;
    void clear() noexcept override;

    // Every channel's ramp from here on, from the level of the last kWindow
    // frames of its key.
    void decide (const Settings& settings) noexcept;
    // The next n frames of a channel's key (finite) in; its n gains (to be
    // squared) out.
    void follow (std::size_t channel, const float* key, float* gains, unsigned long n) noexcept;

    // The gain of a level (an amplitude) under the settings: 1 up to the
    // threshold, above it the level reduced by the ratio, relative to itself.
    static float targetGain (double level, const Settings& settings) noexcept;

    std::uint32_t mode = LevelByRms;
    std::unique_ptr<PeakMeter> peakMeter;
    // Each channel's gain at its last decision.
    std::vector<float> channelGains;
    std::vector<float> gainBuffer;

private:
    struct Channel
    {
        // The squares of the last kWindow frames of key, a ring, in whole
        // units: their sum is exact in any order, so the level does not
        // depend on how the frames came in.
        std::vector<std::int32_t> squares;
        unsigned long next = 0;  // where the next frame goes
        std::int64_t energy = 0; // the ring's sum
        // The loudness (energy, or one square for the peak) above which the
        // key asks for an attack.
        double louder = 0.0;
        // The ramp: its first gain, its step per frame, frames since it began.
        float start = 0.0f, step = 0.0f;
        int age = 0;

        float gain() const noexcept;
    };

    // A key louder than the ramp answered, at this level (an amplitude).
    void attack (Channel& ch, double level) noexcept;
    // The window's loudness in units of squares (its energy, or its largest
    // square for the peak), and the level (an amplitude) of a loudness.
    double loudness (const Channel& ch) const noexcept;
    double level (double loudness) const noexcept;
    double coefficient (float timeMs) const noexcept;

    std::vector<Channel> channelStates;
    // The squares a segment of key pushed out of a channel's ring.
    std::vector<std::int32_t> leaving;
    Settings held;
};
