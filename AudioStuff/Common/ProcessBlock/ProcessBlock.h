#pragma once

#include "BlockSize.h"
#include "ProcessBlock/ProcessBlockParameters.h"

// Base of every signal-processing block. A block is initialised with a channel
// count and a sample rate before use, can be cleared, and processes one
// channel's buffer in place (see MonoProcessBlock and MultiChannelProcessBlock).
class ProcessBlock
{
public:
    virtual ~ProcessBlock() = default;

    virtual void init (int numChannels, double newSampleRate)
    {
        channels = numChannels;
        sampleRate = newSampleRate;
    }

    // Resets the signal state (histories, delay memory); parameters stay.
    virtual void clear() noexcept = 0;

    double sampleRate = 44100.0;
    int channels = 2;
    // Largest run of samples processed with one set of control values.
    unsigned long subBlockSize = 64;
};

// A block without per-channel state.
template <typename P>
class MonoProcessBlock : public ProcessBlock
{
public:
    virtual void process (float* buffer, unsigned long frames, P parameters) noexcept = 0;
};

// A block that keeps signal state per channel.
template <typename P>
class MultiChannelProcessBlock : public ProcessBlock
{
public:
    virtual void process (float* buffer, unsigned long frames, unsigned long channel, P parameters) noexcept = 0;
};
