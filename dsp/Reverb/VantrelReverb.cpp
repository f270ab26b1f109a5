#include "Reverb/VantrelReverb.h"

#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>

using SP = SignalProcessing;

namespace
{
// Room size 0..100 maps to a time scale of 0.62..3.74.
constexpr float kRoomOffset = 20.0f;
constexpr float kRoomDivisor = 32.046154f;
// Modulation depth in ms at full modulation.
constexpr float kLateModulationMs = 1.25f;
constexpr float kEarlyModulationMs = 1.2f;
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
        SP::mul_s (scale, delayInitTimes[i], t, n);
        // The nominal time (which sets the decay) ignores the modulation.
        lines[i].timeMs = t[0];
        if (modulation != nullptr)
        {
            SP::mul_s_add (modulation[i], kLateModulationMs, t, t, n);
            SP::abs (t, t, n);
        }
    }

    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        float* t = earlyReflections.lines[i].timeMsBuffer.data();
        SP::mul_s (scale, reflectionInitTimes[i], t, n);
        if (modulation != nullptr)
        {
            SP::mul_s_add (modulation[i], kEarlyModulationMs, t, t, n);
            SP::abs (t, t, n);
        }
    }
}
