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
