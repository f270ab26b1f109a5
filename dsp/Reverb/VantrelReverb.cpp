#include "Reverb/VantrelReverb.h"

#include "Math/Memory.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"

#include <algorithm>
#include <array>
#include <cmath>

using SP = SignalProcessing;

namespace
{
// Room size 0..100 maps to a time scale of 0.62..3.74.
constexpr float kRoomOffset = 20.0f;
constexpr float kRoomDivisor = VantrelReverb::roomDivisor;
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

// The room scale and all eight line times of a block in one pass, with the
// modulation of line i read once for its late and its early line: per
// sample, in the order of the separate steps, scale = (room + offset) /
// divisor, then each line's time as lineTimes computes it.
void modulatedTimes (const float* room, const float* const* modulation, float* scale, const std::array<float*, 4>& late,
                     const std::array<float*, 4>& early, unsigned long n) noexcept
{
    constexpr auto& lateTimes = VantrelReverb::delayInitTimes;
    constexpr auto& earlyTimes = VantrelReverb::reflectionInitTimes;
    const VectorKernels::ModulatedTimes times {
        room,
        { modulation[0], modulation[1], modulation[2], modulation[3] },
        kRoomOffset,
        kRoomDivisor,
        { kLateModulationMs, kEarlyModulationMs },
        { { lateTimes[0], lateTimes[1], lateTimes[2], lateTimes[3] }, { earlyTimes[0], earlyTimes[1], earlyTimes[2], earlyTimes[3] } },
        scale,
        { { late[0], late[1], late[2], late[3] }, { early[0], early[1], early[2], early[3] } },
    };
    VectorKernels::modulatedTimes (times, n);
}
} // namespace

VantrelReverb::VantrelReverb()
    : Reverb (lateMaxDelayMs, delayInitTimes, earlyMaxDelayMs, reflectionInitTimes),
      fadeScale (kMaxFramesPerBlock, 0.0f)
{
}

void VantrelReverb::fadeRoomFrom (const float* oldRoomSize, const float* const* modulation, const float* oldWeight,
                                  const float* newWeight, unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    auto& early = earlyReflections.fade;
    fade.oldWeight = early.oldWeight = oldWeight;
    fade.newWeight = early.newWeight = newWeight;
    if (oldWeight == nullptr || newWeight == nullptr || modulation == nullptr)
    {
        fade.oldWeight = early.oldWeight = nullptr;
        return;
    }
    const auto late = [this] (std::size_t i) { return fade.fromTimesMs[i].data(); };
    const auto first = [&early] (std::size_t i) { return early.fromTimesMs[i].data(); };
    modulatedTimes (oldRoomSize, modulation, fadeScale.data(), { late (0), late (1), late (2), late (3) },
                    { first (0), first (1), first (2), first (3) }, n);
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
    if (modulation != nullptr && lines.size() >= kLineCount && earlyReflections.lines.size() >= kLineCount)
    {
        auto late = [this] (std::size_t i) { return lines[i].timeMsBuffer.data(); };
        auto early = [this] (std::size_t i) { return earlyReflections.lines[i].timeMsBuffer.data(); };
        modulatedTimes (roomSize, modulation, scale, { late (0), late (1), late (2), late (3) },
                        { early (0), early (1), early (2), early (3) }, n);
        // The nominal time (which sets the decay) ignores the modulation.
        for (std::size_t i = 0; i < kLineCount; ++i)
            lines[i].timeMs = scale[0] * delayInitTimes[i];
        return;
    }

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

void VantrelReverb::copyRoomSize (const VantrelReverb& other, unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (n == 0 || lines.size() < kLineCount || other.lines.size() < kLineCount
        || earlyReflections.lines.size() < kLineCount || other.earlyReflections.lines.size() < kLineCount)
        return;
    Memory::copy (other.roomScale.data(), roomScale.data(), n);
    for (std::size_t i = 0; i < kLineCount; ++i)
    {
        Memory::copy (other.lines[i].timeMsBuffer.data(), lines[i].timeMsBuffer.data(), n);
        lines[i].timeMs = other.lines[i].timeMs;
        Memory::copy (other.earlyReflections.lines[i].timeMsBuffer.data(), earlyReflections.lines[i].timeMsBuffer.data(), n);
    }
    // And the room's fade, read from the other's old times.
    fade.oldWeight = earlyReflections.fade.oldWeight = other.fade.oldWeight;
    fade.newWeight = earlyReflections.fade.newWeight = other.fade.newWeight;
    if (fade.running())
        for (std::size_t i = 0; i < kLineCount; ++i)
        {
            Memory::copy (other.fade.fromTimesMs[i].data(), fade.fromTimesMs[i].data(), n);
            Memory::copy (other.earlyReflections.fade.fromTimesMs[i].data(), earlyReflections.fade.fromTimesMs[i].data(), n);
        }
}
