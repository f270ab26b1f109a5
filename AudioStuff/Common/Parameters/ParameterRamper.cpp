#include "Parameters/ParameterRamper.h"

#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>

namespace
{
constexpr int durationShift = 32;
constexpr std::uint64_t durationMask = ParameterRamper::maximumDuration;
constexpr std::uint64_t roundBit = 1ull << 55;
constexpr int sequenceShift = 56;

float roundHalfAwayFromZero (float value) noexcept
{
    // Rounded, truncated to an integer and back to float. Values beyond the
    // int range keep their (already whole) value instead of overflowing.
    const float r = std::round (value);
    if (! (std::fabs (r) < 2147483648.0f))
        return r;
    return static_cast<float> (static_cast<int> (r));
}

struct Request
{
    float value;
    std::uint64_t duration;
    bool roundToInteger;

    explicit Request (std::uint64_t word) noexcept
        : value (std::bit_cast<float> (static_cast<std::uint32_t> (word))),
          duration ((word >> durationShift) & durationMask),
          roundToInteger ((word & roundBit) != 0)
    {
    }

    float target() const noexcept { return roundToInteger ? roundHalfAwayFromZero (value) : value; }
    // A ramp reports the value it was asked for, a jump its (rounded) target.
    float pendingValue() const noexcept { return duration > 0 ? value : target(); }
};
} // namespace

void ParameterRamper::startRamp (float value, unsigned long duration, bool roundToInteger) noexcept
{
    const std::uint64_t d = std::min<std::uint64_t> (duration, maximumDuration);
    const std::uint64_t body = std::bit_cast<std::uint32_t> (value) | (d << durationShift) | (roundToInteger ? roundBit : 0);
    std::uint64_t old = request.load (std::memory_order_relaxed);
    std::uint64_t word = 0;
    do
    {
        const std::uint64_t sequence = ((old >> sequenceShift) + 1) & 0xff;
        word = body | (sequence << sequenceShift);
    } while (! request.compare_exchange_weak (old, word, std::memory_order_release, std::memory_order_relaxed));
    countRequest();
}

void ParameterRamper::countRequest() noexcept
{
    if (auto* count = requestCount.load (std::memory_order_acquire))
        count->fetch_add (1, std::memory_order_release);
}

float ParameterRamper::getPendingValue() const noexcept
{
    return Request (request.load (std::memory_order_acquire)).pendingValue();
}

void ParameterRamper::applyPendingRequest() noexcept
{
    // One wait-free load; the latest request wins.
    const std::uint64_t word = request.load (std::memory_order_acquire);
    if (word == appliedRequest)
        return;
    appliedRequest = word;
    const Request r (word);
    apply (r.target(), r.duration);
}

void ParameterRamper::apply (float target, std::uint64_t duration) noexcept
{
    // Start from where the running ramp stands now, not from its goal.
    const float current = goal + static_cast<float> (remaining) * increment;
    if (duration > 0 && ! (std::fabs (current - target) > glideLimit * static_cast<float> (duration)))
    {
        increment = (current - target) / static_cast<float> (duration);
        remaining = duration;
        goal = target;
    }
    else
    {
        goal = target;
        increment = 0.0f;
        remaining = 0;
        isConstant = false;
    }
}

void ParameterRamper::snapToTarget() noexcept
{
    const std::uint64_t word = request.load (std::memory_order_acquire);
    appliedRequest = word;
    goal = Request (word).target();
    increment = 0.0f;
    remaining = 0;
    isConstant = false;
    countRequest();
}

float* ParameterRamper::getAndStep (unsigned long frames, bool& changed) noexcept
{
    // Callers split blocks longer than the buffer; stay inside it regardless.
    assert (frames <= kMaxFramesPerBlock);
    frames = std::min (frames, kMaxFramesPerBlock);

    applyPendingRequest();

    if (remaining > 0)
    {
        const float start = goal + static_cast<float> (remaining) * increment;
        SignalProcessing::ramp (start, -increment, buffer.data(), frames);
        // Samples past the end of the ramp hold the goal.
        SignalProcessing::clip (buffer.data(), std::min (start, goal), std::max (start, goal), buffer.data(), frames);
        changed = true;
        remaining = remaining > frames ? remaining - frames : 0;
        isConstant = false;
    }
    else if (! (isConstant && constantFrames == frames))
    {
        SignalProcessing::fill (buffer.data(), goal, frames);
        isConstant = true;
        constantFrames = frames;
        changed = true;
    }
    return buffer.data();
}
