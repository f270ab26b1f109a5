#pragma once

#include <cstdint>

// One smoothly moving setting: a straight ramp from where it stands to a new
// target over a number of samples, rendered a host block at a time (each
// block's values from the value the ramp has reached at its start, clipped
// to the ramp's ends).
class ReferenceRamp
{
public:
    // At rest on the target at once.
    void jump (float target);
    // From the value reached now to the target over `duration` samples; a
    // ramp steeper than `largestStep` per sample jumps there instead.
    void start (float target, std::uint64_t duration, float largestStep = 1e30f);
    void render (float* out, long frames);

private:
    float goal = 0.0f;
    float increment = 0.0f; // value = goal + remaining increment
    std::uint64_t remaining = 0;
};
