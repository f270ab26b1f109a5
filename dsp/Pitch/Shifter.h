#pragma once

#include "Dynamics/DryWet.h"
#include "Pitch/PitchShiftedDelay.h"
#include "Pitch/PitchShifter.h"
#include "Pitch/ShifterMode.h"
#include "ProcessBlock/ProcessBlock.h"

#include <array>
#include <atomic>
#include <vector>

// One pitch voice of the effect. Before and after the reverb it shifts with
// its own shifters, gain and linear dry/wet with `amount`; in feedback mode it
// runs the reverb output through a pitch-shifting feedback delay whose output
// the kernel feeds back into the reverb. The kernel decides where a voice sits.
class Shifter : public ProcessBlock
{
public:
    static constexpr int kMaxChannels = 2;

    Shifter();
    Shifter (const Shifter&) = delete;
    Shifter& operator= (const Shifter&) = delete;

    void init (int numChannels, double newSampleRate) override;
    // Silences the feedback delay and every shifter, and forgets the last
    // feedback output.
    void clear() noexcept override;

    // A part of the voice that is not heard keeps receiving what it would
    // receive, at the cost of a write, so that it is current whenever it is
    // heard again: its shifters store their inputs (per channel), and the
    // feedback delay's line, whose repeats are not heard, stores silence.
    void restDelayShifters (const float* const* inputs, unsigned long n) noexcept;
    void restShifters (bool after, const float* const* inputs, int channelCount, unsigned long n) noexcept;

    // Any thread: apply from the next chunk each shifter processes.
    void setPitch (int semitones) noexcept;
    void setFine (float semitones) noexcept;

    // Points all four shifters of the voice (own and feedback) at the
    // per-sample window length in ms, and the gain on their windows (null:
    // none).
    void setWindowMs (float* windowMs, const float* gain = nullptr) noexcept;

    // One sub-block of the feedback mode on voice[channel]: the voice buffer
    // receives the delay's output, which is also kept in feedback[channel]
    // from `start` on. gridPosition: the frame of the grid chunk the
    // sub-block starts at, as the caller counts it (a sub-block does not
    // cross a chunk's end); without it, the voice counts its own calls.
    void processDelayShifter (unsigned long start, unsigned long channel, unsigned long n, unsigned long gridPosition) noexcept;
    void processDelayShifter (unsigned long start, unsigned long channel, unsigned long n) noexcept;
    // processDelayShifter on every channel the feedback delay was set up for,
    // in stereo with the two channels' shifters in one pass.
    void processDelayShifters (unsigned long start, unsigned long n, unsigned long gridPosition) noexcept;
    void processDelayShifters (unsigned long start, unsigned long n) noexcept;
    // The plain shift of voice[0 .. channelCount - 1] (at most 2) by the
    // voice's own shifters before the reverb (pitchShifters) or after it
    // (postShifters), each channel as its shifter's process, in stereo in
    // one pass.
    void shiftChannels (int channelCount, unsigned long n, bool after, unsigned long gridPosition) noexcept;
    void shiftChannels (int channelCount, unsigned long n, bool after = false) noexcept;

    int count = 2;          // own shifters, one per channel
    float gain = 1.995f;    // make-up after the shifter's windows and band limits

    KarvonDSP::DryWet dryWet;
    std::array<PitchShifter, kMaxChannels> pitchShifters; // before the reverb
    std::array<PitchShifter, kMaxChannels> postShifters;  // after it
    PitchShiftedDelay delayShifter;

    // 4096-float buffers, allocated at construction.
    float* amount = nullptr;
    float* feedback[kMaxChannels] = {};
    // Whether the feedback delay's output is kept in `feedback` (an owner
    // that takes it from `voice` turns this off).
    bool keepsFeedback = true;
    float* voice[kMaxChannels] = {};

    std::atomic<int> pitch { 0 };       // semitones
    std::atomic<float> fine { 0.0f };   // semitones
    std::atomic<int> mode { ShifterMode::Before };

private:
    // The feedback gain of a channel's delay for the chunk a call at
    // gridPosition is in.
    float heldFeedbackGain (unsigned long channel, unsigned long gridPosition) noexcept;
    // The stereo form of processDelayShifters fits (two channels, a start
    // inside the buffers); its steps before the shifters (the lines read, the
    // shifters' inputs made) and after them (the lines written, the outputs
    // handed on).
    bool delayPairFits (unsigned long start) const noexcept;
    void enterDelayPair (unsigned long n, unsigned long gridPosition) noexcept;
    void leaveDelayPair (unsigned long start, unsigned long n) noexcept;

    // The positions the calls without a caller's count.
    std::array<unsigned long, kMaxChannels> ownDelayPositions {};
    std::array<float, kMaxChannels> delayFeedbackGain {};

    // Both channels' delay outputs and line inputs of one sub-block.
    std::array<std::vector<float>, kMaxChannels> delayedPair, lineInputPair;
    std::vector<float> amountStorage;
    std::array<std::vector<float>, kMaxChannels> feedbackStorage;
    std::array<std::vector<float>, kMaxChannels> voiceStorage;
};
