#pragma once

#include "Dynamics/DryWet.h"
#include "Pitch/PitchShiftedDelay.h"
#include "Pitch/PitchShifter.h"
#include "ProcessBlock/ProcessBlock.h"

#include <array>
#include <atomic>
#include <vector>

// One pitch voice of the effect. Mode 0 shifts before the reverb, mode 2
// after it (both: own shifter, gain, linear dry/wet with `amount`); mode 1
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
    // Silences the feedback delay and every shifter's filters, and forgets
    // the last feedback output.
    void clear() noexcept override;

    // The kernel calls these, on the audio thread, when a part of the voice
    // starts running again after it stood still, so that it starts from
    // silence instead of replaying what it held: the feedback delay (line
    // and its shifters) when the voice enters feedback mode, the voice's own
    // shifters when it leaves it.
    void restartFeedbackDelay() noexcept;
    void restartShifters() noexcept;

    // Any thread: apply from the next chunk each shifter processes.
    void setPitch (int semitones) noexcept;
    void setFine (float semitones) noexcept;

    // Points all four shifters of the voice (own and feedback) at the
    // per-sample window length in ms.
    void setWindowMs (float* windowMs) noexcept;

    // One sub-block of the feedback mode on voice[channel]: the voice buffer
    // receives the delay's output, which is also kept in feedback[channel]
    // from `start` on.
    void processDelayShifter (unsigned long start, unsigned long channel, unsigned long n) noexcept;
    // processDelayShifter on every channel the feedback delay was set up for,
    // in stereo with the two channels' shifters in one pass.
    void processDelayShifters (unsigned long start, unsigned long n) noexcept;
    // The plain shift of voice[0 .. channelCount - 1] (at most 2) by the
    // voice's own shifters, each channel as pitchShifters[c].process, in
    // stereo in one pass.
    void shiftChannels (int channelCount, unsigned long n) noexcept;

    int count = 2;          // own shifters, one per channel
    float gain = 1.995f;    // make-up after the shifter's windows and band limits

    KarvonDSP::DryWet dryWet;
    std::array<PitchShifter, kMaxChannels> pitchShifters;
    PitchShiftedDelay delayShifter;

    // 4096-float buffers, allocated at construction.
    float* amount = nullptr;
    float* feedback[kMaxChannels] = {};
    float* voice[kMaxChannels] = {};

    std::atomic<int> pitch { 0 };       // semitones
    std::atomic<float> fine { 0.0f };   // semitones
    std::atomic<int> mode { 0 };        // 0 before, 1 feedback around, 2 after the reverb

private:
    // The feedback gain of a channel's delay for the chunk a call of n
    // samples is in; counts the call's samples.
    float heldFeedbackGain (unsigned long channel, unsigned long n) noexcept;

    std::array<unsigned long, kMaxChannels> delayChunkPosition {};
    std::array<float, kMaxChannels> delayFeedbackGain {};

    // Both channels' delay outputs and line inputs of one sub-block.
    std::array<std::vector<float>, kMaxChannels> delayedPair, lineInputPair;
    std::vector<float> amountStorage;
    std::array<std::vector<float>, kMaxChannels> feedbackStorage;
    std::array<std::vector<float>, kMaxChannels> voiceStorage;
};
