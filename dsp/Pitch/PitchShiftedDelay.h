#pragma once

#include "Delay/DelayLine.h"
#include "Pitch/PitchShifter.h"
#include "ProcessBlock/ProcessBlock.h"

#include <array>
#include <vector>

// A feedback delay whose fed-back signal is pitch-shifted on every pass: the
// storage of a voice's feedback mode. The owning voice drives the read and
// write halves (Shifter::processDelayShifter); this block holds the parts.
class PitchShiftedDelay : public ProcessBlock
{
public:
    static constexpr int kMaxChannels = 2;

    PitchShiftedDelay();

    void init (int numChannels, double newSampleRate) override;
    // Silences the line and resets each channel's shifter filters.
    void clear() noexcept override;

    std::array<PitchShifter, kMaxChannels> shifters;
    DelayLine line { 2100.0f };

    std::vector<float> feedbackTerm;
    std::vector<float> lineInput;
    std::vector<float> delayed;
    std::vector<float> delayTimeMs; // 100 ms everywhere: the repeat time

    // Channels actually set up by init (at most kMaxChannels).
    int activeChannels() const noexcept;
};
