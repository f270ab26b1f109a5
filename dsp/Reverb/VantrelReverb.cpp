#include "Reverb/VantrelReverb.h"

#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>
#include <cmath>

using SP = SignalProcessing;

namespace
{
// Room size 0..100 maps to a time scale of 0.62..3.74.
constexpr float kRoomOffset = 20.0f;
constexpr float kRoomDivisor = 32.046154f;
// Modulation depth in ms at full modulation.
constexpr float kLateModulationMs = 1.25f;
constexpr float kEarlyModulationMs = 1.2f;

// t = |scale x nominal + modulation x depth| per sample in one pass (without
// modulation just scale x nominal), the steps in that order.
void lineTimes (const float* __restrict scale, float nominal, const float* __restrict modulation, float depth,
                float* __restrict t, unsigned long n) noexcept
{
    if (modulation == nullptr)
    {
        for (unsigned long k = 0; k < n; ++k)
            t[k] = scale[k] * nominal;
        return;
    }
    for (unsigned long k = 0; k < n; ++k)
        t[k] = std::fabs (modulation[k] * depth + scale[k] * nominal);
}
} // namespace

VantrelReverb::VantrelReverb()
    : Reverb (lateMaxDelayMs, delayInitTimes, earlyMaxDelayMs, reflectionInitTimes)
{
}

void VantrelReverb::init (int numChannels, double newSampleRate)
{
    DelayGroup<DelayLineDamped>::init (1, newSampleRate);
    earlyReflections.init (numChannels, newSampleRate);
    for (auto& r : lines)
        r.line->setInterpolation (DelayRead::Linear);
}

void VantrelReverb::setRoomSize (const float* roomSize, const float* const* modulation, unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (n == 0)
        return;

    float* scale = roomScale.data();
    SP::add_s (roomSize, kRoomOffset, scale, n);
    SP::div_s (scale, kRoomDivisor, scale, n);

    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        float* t = lines[i].timeMsBuffer.data();
        lineTimes (scale, delayInitTimes[i], modulation != nullptr ? modulation[i] : nullptr, kLateModulationMs, t, n);
        // The nominal time (which sets the decay) ignores the modulation.
        lines[i].timeMs = scale[0] * delayInitTimes[i];
    }

    for (std::size_t i = 0; i < kLineCount; ++i)
        lineTimes (scale, reflectionInitTimes[i], modulation != nullptr ? modulation[i] : nullptr, kEarlyModulationMs,
                   earlyReflections.lines[i].timeMsBuffer.data(), n);
}
