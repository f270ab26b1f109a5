#include "DSPKernel.h"

#include "Math/NoteScale.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace
{
// The ramp length is 0.02 s in single precision, applied in double.
constexpr double rampSeconds = static_cast<double> (0.02f);

int roundedIndex (float value) noexcept
{
    const float r = std::round (value);
    if (! (r > 0.0f))
        return 0;
    return r < 2147483647.0f ? static_cast<int> (r) : 2147483647;
}

// std::clamp that tolerates a reversed range (min > max).
float clampTo (float value, float low, float high) noexcept
{
    return std::clamp (value, std::min (low, high), std::max (low, high));
}
} // namespace

DSPKernel::DSPKernel (std::unique_ptr<ParameterList> parameterList)
    : parameters (std::move (parameterList))
{
}

void DSPKernel::init (int numChannels, double newSampleRate)
{
    channels = numChannels;
    const auto rate = static_cast<float> (newSampleRate);
    sampleRate = static_cast<double> (rate);

    const float newNyquist = rate * 0.5f;
    if (newNyquist != nyquist)
    {
        nyquist = newNyquist;
        oneOverNyquist = nyquist > 0.0f ? 1.0f / nyquist : 0.0f;
    }

    const double samples = std::floor (static_cast<double> (rate) * rampSeconds);
    rampLength.store (samples > 0.0 ? static_cast<std::uint64_t> (samples) : 0, std::memory_order_relaxed);

    if (! initialised && parameters != nullptr)
    {
        for (const auto& p : *parameters)
        {
            if (p->isOutput)
            {
                auto slot = std::make_unique<OutputSlot>();
                (*slot)[0].store (0.0f);
                (*slot)[1].store (0.0f);
                outputValues[p->index] = std::move (slot);
                continue;
            }
            startRamp (static_cast<unsigned long> (p->index), p->defaultValue, rampLength.load (std::memory_order_relaxed));
            // The first sound starts at the defaults, not on a ramp towards them.
            if ((p->flags & FlagNotRamped) == 0 && p->ramper != nullptr)
                p->ramper->snapToTarget();
        }
        parameters->gatherRamped();
        initialised = true;
        outputsPublished.store (true, std::memory_order_release);
    }
    prepareBuffers();
    streamStarted.store (false, std::memory_order_relaxed);
}

void DSPKernel::process (unsigned long frames, unsigned long, long) noexcept
{
    if (frames > 0)
        streamStarted.store (true, std::memory_order_relaxed);
}

void DSPKernel::setParameter (unsigned long index, float value)
{
    startRamp (index, value, rampLength.load (std::memory_order_relaxed));
}

void DSPKernel::startRamp (unsigned long index, float value, unsigned long duration)
{
    if (parameters == nullptr)
        throw std::out_of_range ("DSPKernel has no parameter list");
    Parameter& p = parameters->at (index);
    // A NaN request has no meaningful target: the parameter keeps its value.
    if (std::isnan (value))
        return;

    if ((p.flags & FlagNotRamped) != 0)
    {
        p.value.store (clampTo (value, p.min * p.scale, p.max * p.scale));
        updateParameter (index, value);
        return;
    }
    if (p.ramper == nullptr) // an output: the kernel writes it, nobody sets it
        return;

    const auto d = streamStarted.load (std::memory_order_relaxed)
                       ? static_cast<unsigned long> (std::max<std::uint64_t> (duration, rampLength.load (std::memory_order_relaxed)))
                       : 0ul;
    if (! p.valueList.empty())
    {
        const int maxIndex = roundedIndex (std::trunc (p.max));
        const auto i = static_cast<std::size_t> (std::min (roundedIndex (value), maxIndex));
        p.value.store (clampTo (value, p.min, p.max));
        // An index past the list is refused instead of reading beyond it.
        if (i < p.valueList.size())
            p.ramper->startRamp (p.valueList[i], d, false);
        return;
    }
    if (p.type == ParameterUnitIndexed)
    {
        p.ramper->startRamp (clampTo (value, p.min * p.scale, p.max * p.scale), d, true);
        return;
    }
    if (p.type == ParameterUnitHertz && (p.flags & FlagLinearRamp) == 0)
    {
        p.ramper->startRamp (clampTo (NoteScale::note (value), NoteScale::note (p.min), NoteScale::note (p.max)), d, false);
        return;
    }
    p.ramper->startRamp (clampTo (value * p.scale, p.min * p.scale, p.max * p.scale), d, false);
}

float DSPKernel::getParameter (unsigned long index) const
{
    if (parameters == nullptr)
        throw std::out_of_range ("DSPKernel has no parameter list");
    const Parameter& p = parameters->at (index);
    if ((p.flags & FlagNotRamped) != 0 || ! p.valueList.empty() || p.ramper == nullptr)
        return p.value.load();
    if (p.type == ParameterUnitHertz && (p.flags & FlagLinearRamp) == 0)
        return NoteScale::freq (p.ramper->getPendingValue());
    return p.scale != 0.0f ? p.ramper->getPendingValue() / p.scale : p.ramper->getPendingValue();
}

DSPKernel::OutputSlot* DSPKernel::outputValue (int index) noexcept
{
    if (! outputsPublished.load (std::memory_order_acquire))
        return nullptr;
    const auto it = outputValues.find (index);
    return it != outputValues.end() ? it->second.get() : nullptr;
}
