#include "ProcessBlock/Mix/Gain.h"

#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace
{
// ln(10) / 20: exp(dB * this) is 10^(dB / 20).
constexpr float decibelsToExponent = 0.115129255f;
} // namespace

Gain::Gain()
    : workBuffer (std::make_unique<std::array<float, kMaxFramesPerBlock>>())
{
    workBuffer->fill (0.0f);
}

void Gain::process (float* buffer, unsigned long frames, GainParameters parameters) noexcept
{
    assert (frames <= kMaxFramesPerBlock);
    if (parameters.gainBuffer == nullptr)
    {
        const auto factor = static_cast<float> (std::exp (static_cast<double> (parameters.gain) * static_cast<double> (decibelsToExponent)));
        SignalProcessing::mul_s (buffer, factor, buffer, frames);
        return;
    }
    // The work buffer holds one block; longer calls are taken piece by piece.
    float* work = workBuffer->data();
    for (unsigned long start = 0; start < frames; start += kMaxFramesPerBlock)
    {
        const unsigned long n = std::min (kMaxFramesPerBlock, frames - start);
        SignalProcessing::mul_s (parameters.gainBuffer + start, decibelsToExponent, work, n);
        SignalProcessing::exp (work, work, n);
        SignalProcessing::mul (buffer + start, work, buffer + start, n);
    }
}

void Gain::process (float* buffer, unsigned long frames, float* gainBuffer) noexcept
{
    process (buffer, frames, GainParameters { 0.0f, gainBuffer });
}

void Gain::processChannels (float* const* buffers, unsigned long channelCount, unsigned long frames,
                            const float* gainBuffer) noexcept
{
    assert (frames <= kMaxFramesPerBlock);
    if (gainBuffer == nullptr || frames == 0)
        return;
    float* work = workBuffer->data();
    for (unsigned long start = 0; start < frames; start += kMaxFramesPerBlock)
    {
        const unsigned long n = std::min (kMaxFramesPerBlock, frames - start);
        const float* gain = gainBuffer + start;
        // A gain that holds over the piece has one factor: the same exp of
        // the same value, multiplied into every sample.
        const bool holds = std::all_of (gain + 1, gain + n, [first = gain[0]] (float g) { return g == first; });
        const unsigned long computed = holds ? 1 : n;
        SignalProcessing::mul_s (gain, decibelsToExponent, work, computed);
        SignalProcessing::exp (work, work, computed);
        for (unsigned long c = 0; c < channelCount; ++c)
        {
            float* x = buffers[c] + start;
            if (holds)
                SignalProcessing::mul_s (x, work[0], x, n);
            else
                SignalProcessing::mul (x, work, x, n);
        }
    }
}
