#include "Dynamics/Ducker.h"

#include "BlockSize.h"

#include <algorithm>

Ducker::Ducker()
    : peakMeter (std::make_unique<PeakMeter> (64, 1024)),
      gainBuffer (kMaxFramesPerBlock, 0.0f)
{
}

void Ducker::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    peakMeter->init (numChannels, newSampleRate);
    channelGains.assign (static_cast<std::size_t> (std::max (numChannels, 0)), 0.0f);
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
}

void Ducker::clear() noexcept
{
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
    std::fill (channelGains.begin(), channelGains.end(), 0.0f);
}
