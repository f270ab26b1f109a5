#pragma once

#include "ReferenceLine.h"

#include <array>
#include <utility>

// The reverb's early stage: three delays in a sum/difference ladder between
// the left and right inputs, then a fourth delay on the right.
class ReferenceEarlyReflections
{
public:
    static constexpr std::array<float, 4> kTimesMs { 19.392f, 16.364f, 7.645f, 4.2546f };

    explicit ReferenceEarlyReflections (double sampleRate);

    // timesMs: each line's time for this sample.
    // With `fromTimesMs`, each line is also read there, the two reads
    // weighted by oldWeight and newWeight (a jump of the room size).
    std::pair<float, float> tick (float left, float right, const std::array<float, 4>& timesMs,
                                  const std::array<float, 4>* fromTimesMs = nullptr, float oldWeight = 0.0f,
                                  float newWeight = 1.0f);
    void clear();
    // A sample of silence into every line.
    void rest();

private:
    float delayed (std::size_t line, float timeMs) const;

    double sampleRate;
    std::array<ReferenceLine, 4> lines;
};
