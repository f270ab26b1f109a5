#include "Modulation/Lfo.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kTwoPi = 6.28318530717958647692f;
constexpr float kHalfPi = 1.57079632679489661923f;
constexpr float kLowestRate = 0.0625f; // Hz
constexpr float kHighestRate = 40.0f;  // Hz

float fractionalPart (float x) noexcept
{
    return x - std::trunc (x);
}

// out = out g with g = amount 0.01, squared when asked: one pass.
void applyAmount (const float* __restrict amount, bool squared, float* __restrict out, unsigned long n) noexcept
{
    if (squared)
    {
        for (unsigned long i = 0; i < n; ++i)
        {
            const float g = amount[i] * 0.01f;
            out[i] = out[i] * (g * g);
        }
        return;
    }
    for (unsigned long i = 0; i < n; ++i)
        out[i] = out[i] * (amount[i] * 0.01f);
}

// value / sampleRate, per sample. A sample rate that is not a positive number
// stops the oscillator instead of filling its outputs with NaN.
float perSample (float value, double sampleRate) noexcept
{
    return sampleRate > 0.0 && std::isfinite (sampleRate) ? value / static_cast<float> (sampleRate) : 0.0f;
}
} // namespace

Lfo::Lfo()
    : smoothingFilter (std::make_unique<BiquadFilter>()),
      amountGain (kMaxFramesPerBlock, 0.0f),
      triangleScratch (kMaxFramesPerBlock, 0.0f)
{
    smoothingFilter->setType (LowPass);
}

void Lfo::init (int outputs, double newSampleRate)
{
    ProcessBlock::init (outputs, newSampleRate);
    phases.assign (static_cast<std::size_t> (std::max (outputs, 0)), 0.0f);
    smoothingFilter->init (outputs, newSampleRate);
    smoothingFilter->subBlockSize = kMaxFramesPerBlock;
}

void Lfo::clear() noexcept
{
    std::fill (phases.begin(), phases.end(), 0.0f);
}

float Lfo::nextRandom() noexcept
{
    // xorshift32: a uniform value in [-1, 1) that no other thread shares.
    randomState ^= randomState << 13;
    randomState ^= randomState >> 17;
    randomState ^= randomState << 5;
    const float unit = static_cast<float> (randomState >> 8) * (1.0f / 16777216.0f);
    return 2.0f * unit - 1.0f;
}

float Lfo::periodMs (const LfoParameters& p) const noexcept
{
    if (rateMode == TempoMode)
        return (60.0f / bpm) * 1000.0f * beatMultiplier * beats;

    float rate = p.rate != nullptr ? p.rate[0] : kLowestRate;
    if (! (rate >= kLowestRate)) // also NaN
        rate = kLowestRate;
    rate = std::min (rate, kHighestRate);
    return 1000.0f / rate;
}

void Lfo::process (float* out, unsigned long frames, unsigned long output, LfoParameters p, float*) noexcept
{
    if (out == nullptr || frames == 0)
        return;
    if (output >= phases.size())
    {
        SignalProcessing::clear (out, frames); // an output that was never set up is silent
        return;
    }

    // Control values are read once per call; longer calls run on in pieces
    // that fit the scratch buffers.
    for (unsigned long offset = 0; offset < frames; offset += kMaxFramesPerBlock)
        processPiece (out + offset, std::min (kMaxFramesPerBlock, frames - offset), output, p, offset);
}

void Lfo::processOutputs (float* const* out, unsigned long count, unsigned long frames, LfoParameters common,
                          const float* const* phaseOffsets) noexcept
{
    // Outputs share state only through the random steps, the transport and
    // the smoothing filter's channels: with any of those, or outputs that are
    // missing, each output takes the general path in turn.
    bool shared = frames > 0 && frames <= kMaxFramesPerBlock && count <= phases.size() && randomSteps == false
                  && ! smooth && ! (rateMode == TempoMode && followTransport);
    for (unsigned long k = 0; k < count && shared; ++k)
        shared = out[k] != nullptr;
    if (! shared)
    {
        for (unsigned long k = 0; k < count; ++k)
        {
            LfoParameters p = common;
            p.phaseOffset = const_cast<float*> (phaseOffsets[k]);
            process (out[k], frames, k, p, nullptr);
        }
        return;
    }

    const float period = periodMs (common);
    for (unsigned long k = 0; k < count; ++k)
    {
        const float* offsets = phaseOffsets[k];
        freeRunning (out[k], frames, k, period, offsets, offsets != nullptr ? offsets[0] : 0.0f);
    }
    if (common.amount == nullptr)
        return;

    // The amount's gain once for every output, each output scaled by it:
    // out g, as applyAmount does.
    float* g = amountGain.data();
    amountGains (common.amount, g, frames);
    for (unsigned long k = 0; k < count; ++k)
        SignalProcessing::mul (out[k], g, out[k], frames);
}

void Lfo::amountGains (const float* amount, float* g, unsigned long frames) const noexcept
{
    if (squareAmount)
        for (unsigned long i = 0; i < frames; ++i)
        {
            const float a = amount[i] * 0.01f;
            g[i] = a * a;
        }
    else
        for (unsigned long i = 0; i < frames; ++i)
            g[i] = amount[i] * 0.01f;
}

float Lfo::phasesOf (float phase, float step, const float* phaseOffset, bool sineArgument, float* out, unsigned long n) noexcept
{
    // Per sample, in this order: u = frac(phase + i step); with an offset
    // u = frac((u + offset) + 1); for the sine u 2 pi + (-pi / 2).
    float last = phase;
    unsigned long i = VectorKernels::oscillatorPhases (phase, step, phaseOffset, sineArgument, kTwoPi, -kHalfPi, out, n, last);
    for (; i < n; ++i)
    {
        const float unfolded = fractionalPart (phase + static_cast<float> (static_cast<int> (i)) * step);
        float p = unfolded;
        if (phaseOffset != nullptr)
            p = fractionalPart ((p + phaseOffset[i]) + 1.0f);
        if (sineArgument)
            p = p * kTwoPi + -kHalfPi;
        out[i] = p;
        last = unfolded;
    }
    return last;
}

void Lfo::processPiece (float* out, unsigned long n, unsigned long output, const LfoParameters& p,
                        unsigned long offsetIndex) noexcept
{
    const float offset = p.phaseOffset != nullptr ? p.phaseOffset[0] : 0.0f;

    if (rateMode == TempoMode && followTransport)
    {
        transportLocked (out, n, output, p.phaseShift != nullptr ? p.phaseShift + offsetIndex : nullptr, offset);
    }
    else
    {
        const float period = periodMs (p);
        if (randomSteps)
            stepRandomValues (n, period, p.phaseOffset != nullptr, offset);
        freeRunning (out, n, output, period, p.phaseOffset != nullptr ? p.phaseOffset + offsetIndex : nullptr, offset);
    }

    if (p.amount != nullptr)
        applyAmount (p.amount + offsetIndex, squareAmount, out, n);

    if (smooth)
    {
        BiquadFilterParameters lowPass;
        lowPass.frequency = 100.0f;
        lowPass.resonance = -3.0f;
        lowPass.gain = 0.0f;
        smoothingFilter->process (out, n, output, lowPass);
    }
}

void Lfo::consumeHalfPeriod (float half) noexcept
{
    randomTimer -= half;
    // The timer starts far above any period so that the first step comes at
    // once; drop the excess then instead of stepping on every sample.
    if (randomTimer >= half)
        randomTimer = half > 0.0f ? std::fmod (randomTimer, half) : 0.0f;
}

void Lfo::stepRandomValues (unsigned long frames, float period, bool hasOffset, float offset) noexcept
{
    const float tick = perSample (1000.0f, sampleRate);
    const float half = period / 2.0f;
    auto& values = randomValues;

    for (unsigned long k = 0; k < frames; ++k)
    {
        randomTimer += tick;
        if (! hasOffset)
        {
            if (randomTimer >= half)
            {
                values[0] = values[1] = nextRandom();
                consumeHalfPeriod (half);
            }
        }
        else if (offset == 0.0f && values[0] != values[1])
        {
            values[0] = values[1] = nextRandom();
        }
        else if (offset > 0.0f)
        {
            // The second value follows the first after the offset.
            if (randomTimer >= offset * period && values[0] != values[1])
                values[1] = values[0];
            if (randomTimer >= half)
            {
                values[0] = nextRandom();
                consumeHalfPeriod (half);
            }
        }
        else
        {
            if (randomTimer >= std::abs (offset) * period && values[0] != values[1])
                values[0] = values[1];
            if (randomTimer >= half)
            {
                values[1] = nextRandom();
                consumeHalfPeriod (half);
            }
        }
    }
}

void Lfo::freeRunning (float* out, unsigned long n, unsigned long output, float period, const float* phaseOffset,
                       float offset) noexcept
{
    const float frequency = period > 0.0f ? 1.0f / (period * 0.001f) : 0.0f;
    const float step = perSample (frequency, sampleRate);

    // Output 0 is moved only by negative offsets, the others only by offsets
    // of zero or more.
    const bool shifted = output != 0 ? offset >= 0.0f : offset < 0.0f;
    const std::uint32_t waveform = shape;
    // An unknown shape plays the sine rather than raw phase.
    const bool sine = waveform != Triangle && waveform != SawUp && waveform != SawDown && waveform != Square
                      && waveform != SampleAndHold;

    const float last = phasesOf (phases[output], step, phaseOffset != nullptr && shifted ? phaseOffset : nullptr, sine, out, n);
    phases[output] = fractionalPart (step + last);

    if (sine)
        SignalProcessing::sin (out, out, n);
    else
        applyShape (out, n, output);
}

void Lfo::applyShape (float* p, unsigned long n, unsigned long output) noexcept
{
    switch (shape)
    {
        case Triangle:
        {
            float* mirrored = triangleScratch.data();
            SignalProcessing::mul_s_add_s (p, -1.0f, 1.0f, mirrored, n);
            SignalProcessing::min_compare (p, mirrored, p, n);
            SignalProcessing::mul_s_add_s (p, 4.0f, -1.0f, p, n);
            break;
        }
        case SawUp:
            SignalProcessing::mul_s_add_s (p, 2.0f, -1.0f, p, n);
            break;
        case SawDown:
            SignalProcessing::mul_s_add_s (p, -2.0f, 1.0f, p, n);
            break;
        case Square:
            SignalProcessing::limit (p, 0.5f, -1.0f, p, n);
            break;
        case SampleAndHold:
            SignalProcessing::fill (p, randomValues[output == 0 ? 0 : 1], n);
            break;
        case Sine:
        default: // an unknown shape plays the sine rather than raw phase
            SignalProcessing::mul_s_add_s (p, kTwoPi, -kHalfPi, p, n);
            SignalProcessing::sin (p, p, n);
            break;
    }
}

void Lfo::transportLocked (float* out, unsigned long n, unsigned long output, const float* phaseShift,
                           float offset) noexcept
{
    float cycle = beatMultiplier * beats;
    if (shape == SampleAndHold)
        cycle *= 0.5f;
    if (! (cycle > 0.0f) || ! std::isfinite (cycle))
    {
        SignalProcessing::clear (out, n); // no cycle to follow
        return;
    }

    const float step = perSample (bpm / 60.0f, sampleRate);
    float start = static_cast<float> (beatPosition - static_cast<double> (beatOffset));
    if (output == 1 && offset >= 0.0f)
        start -= offset * cycle;
    else if (output == 0 && offset < 0.0f)
        start += offset * cycle;

    float* x = out;
    SignalProcessing::ramp (start, step, x, n);
    if (phaseShift != nullptr)
    {
        float* shift = triangleScratch.data();
        SignalProcessing::div_s (phaseShift, 100.0f, shift, n);
        SignalProcessing::mul_s_add (shift, cycle, x, x, n);
    }
    float* cycles = amountGain.data();
    SignalProcessing::fill (cycles, cycle, n);
    SignalProcessing::mod (x, cycles, x, n);
    // Before the transport's origin the remainder is negative; continue the
    // cycle there instead of leaving the waveforms' range.
    SignalProcessing::add_s (x, cycle, x, n);
    SignalProcessing::mod (x, cycles, x, n);

    const float halfCycle = cycle * 0.5f;
    if (shape == SampleAndHold)
    {
        const bool single = channels < 2;
        for (unsigned long k = 0; k < n; ++k)
        {
            if (output > 1)
            {
                out[k] = heldValues[1]; // the edge state serves two outputs only
                continue;
            }
            const bool above = x[k] > halfCycle;
            if (above)
            {
                heldFlags[output] = true;
            }
            else if (heldFlags[output])
            {
                heldFlags[output] = false;
                if (single)
                    heldValues[output] = nextRandom();
                else if (offset >= 0.0f)
                    heldValues[output] = output == 0 ? nextRandom() : heldValues[0];
                else
                    heldValues[output] = output == 1 ? nextRandom() : heldValues[1];
            }
            out[k] = heldValues[output];
        }
        return;
    }

    if (shape == Square)
    {
        // -1 only strictly past half a cycle.
        SignalProcessing::mul_s (x, -1.0f, x, n);
        SignalProcessing::limit (x, -halfCycle, 1.0f, out, n);
        return;
    }

    SignalProcessing::div_s (x, cycle, x, n); // phase 0..1
    switch (shape)
    {
        case Triangle:
        {
            float* mirrored = triangleScratch.data();
            SignalProcessing::add_s (x, 0.25f, x, n);
            SignalProcessing::frac (x, n);
            SignalProcessing::mul_s_add_s (x, -1.0f, 1.0f, mirrored, n);
            SignalProcessing::min_compare (x, mirrored, x, n);
            SignalProcessing::mul_s_add_s (x, 4.0f, -1.0f, out, n);
            break;
        }
        case SawUp:
            SignalProcessing::mul_s_add_s (x, 2.0f, -1.0f, out, n);
            break;
        case SawDown:
            SignalProcessing::mul_s_add_s (x, -2.0f, 1.0f, out, n);
            break;
        case Sine:
        default:
            SignalProcessing::mul_s (x, kTwoPi, x, n);
            SignalProcessing::sin (x, out, n);
            break;
    }
}
