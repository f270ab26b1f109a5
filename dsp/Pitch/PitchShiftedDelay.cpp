#include "Pitch/PitchShiftedDelay.h"

#include <algorithm>

namespace
{
constexpr float kRepeatMs = 100.0f;
}

PitchShiftedDelay::PitchShiftedDelay()
    : feedbackTerm (kMaxFramesPerBlock, 0.0f),
      lineInput (kMaxFramesPerBlock, 0.0f),
      delayed (kMaxFramesPerBlock, 0.0f),
      delayTimeMs (kMaxFramesPerBlock, kRepeatMs)
{
}

int PitchShiftedDelay::activeChannels() const noexcept
{
    return std::clamp (channels, 0, kMaxChannels);
}

void PitchShiftedDelay::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    line.init (numChannels, newSampleRate);
    line.setInterpolation (DelayRead::Linear);
    for (int c = 0; c < activeChannels(); ++c)
        shifters[static_cast<std::size_t> (c)].init (numChannels, newSampleRate);
}

void PitchShiftedDelay::clear() noexcept
{
    line.clear();
    for (int c = 0; c < activeChannels(); ++c)
        shifters[static_cast<std::size_t> (c)].clear();
}
