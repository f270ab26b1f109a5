#pragma once

#include "ProcessBlock/ProcessBlock.h"

#include <array>
#include <memory>

// Multiplies a buffer by a gain given in decibels, either one scalar for the
// whole block or a per-sample buffer.
class Gain : public MonoProcessBlock<GainParameters>
{
public:
    Gain();

    void clear() noexcept override {}
    void process (float* buffer, unsigned long frames, GainParameters parameters) noexcept override;
    // Per-sample gain in dB from `gainBuffer`.
    void process (float* buffer, unsigned long frames, float* gainBuffer) noexcept;
    // The same gain on several buffers: the samples of process on each, the
    // factors computed once (and once per block while the gain holds).
    void processChannels (float* const* buffers, unsigned long channelCount, unsigned long frames,
                          const float* gainBuffer) noexcept;

private:
    std::unique_ptr<std::array<float, kMaxFramesPerBlock>> workBuffer;
};
