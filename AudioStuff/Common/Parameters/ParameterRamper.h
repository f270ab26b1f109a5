#pragma once

#include "BlockSize.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>

// Turns a new target value into a per-sample ramp.
//
// Threads: startRamp may be called from any thread (host automation, the user
// interface) while the audio thread calls getAndStep. startRamp only publishes
// the request (value, duration, rounding and a sequence number) in one atomic
// word; the audio thread reads that word at the start of its next getAndStep
// and applies the ramp arithmetic there when it changed. The audio side never
// waits, and the ramp state is touched by one thread only. Requests made
// between two blocks collapse to the last one, which starts from the value the
// ramp had reached, as consecutive calls would.
class ParameterRamper
{
public:
    ParameterRamper() = default;
    ParameterRamper (const ParameterRamper&) = delete;
    ParameterRamper& operator= (const ParameterRamper&) = delete;

    // Any thread. Ramps from the value reached to `value` (rounded to the
    // nearest integer, halves away from zero, when roundToInteger) over
    // `duration` samples; duration 0 jumps there at the next block.
    void startRamp (float value, unsigned long duration, bool roundToInteger) noexcept;

    // Audio thread. Renders `frames` (at most kMaxFramesPerBlock) values into
    // the buffer and returns it; sets `changed` when the buffer was rewritten.
    float* getAndStep (unsigned long frames, bool& changed) noexcept;

    // Audio thread: true when getAndStep (frames) would neither rewrite the
    // buffer nor report a change (no new request, no ramp running, and the
    // buffer already holds the goal for blocks of this length). Inline so
    // that a list of resting parameters costs a few loads each per block.
    bool restsFor (unsigned long frames) const noexcept
    {
        return remaining == 0 && isConstant && constantFrames == frames
               && request.load (std::memory_order_acquire) == appliedRequest;
    }

    // Not concurrently with getAndStep (initialisation): takes any pending
    // request and comes to rest on the last requested target at once.
    void snapToTarget() noexcept;

    // Not concurrently with getAndStep (set-up): a request whose ramp would
    // move by more than `largestStep` per sample jumps to its target instead
    // (the owner then hears a step where it can fade). Infinite by default.
    void limitGlide (float largestStep) noexcept { glideLimit = largestStep; }

    // Every later request (and snap) also counts one up in `count`.
    void countRequestsIn (std::atomic<std::uint64_t>* count) noexcept { requestCount.store (count, std::memory_order_release); }

    // Any thread: the last value handed to startRamp (the rounded target for a
    // jump), unchanged by the ramp's progress.
    float getPendingValue() const noexcept;

private:
    // bits 0..31: the requested value's float bits; 32..54: duration;
    // 55: round to integer; 56..63: sequence number, so that a repeated
    // request is still seen as new.
    // It leads the object, beside the state restsFor reads with it: a list
    // of resting parameters then costs one cache line each per block.
    std::atomic<std::uint64_t> request { 0 };
    // The last request word applied by the audio thread.
    std::uint64_t appliedRequest = 0;
    // Counts this ramper's requests together with its list's others, so that
    // the list can tell at once when none came (null until it is listed).
    std::atomic<std::atomic<std::uint64_t>*> requestCount { nullptr };

public:
    // Ramp state, owned by the audio thread (read it from elsewhere only while
    // no block is being rendered).
    float goal = 0.0f;
    float increment = 0.0f; // value = goal + remaining * increment
    std::uint64_t remaining = 0;
    bool isConstant = false;
    std::uint64_t constantFrames = 0;
    std::array<float, kMaxFramesPerBlock> buffer {};
    float glideLimit = std::numeric_limits<float>::infinity();

    // Longest duration a request can carry (over 80 s at 96 kHz); longer ones
    // are shortened to it.
    static constexpr unsigned long maximumDuration = (1ul << 23) - 1;

private:
    void applyPendingRequest() noexcept;
    void countRequest() noexcept;
    void apply (float target, std::uint64_t duration) noexcept;
};
