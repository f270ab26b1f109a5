#include "ReferenceEarlyReflections.h"

#include "ReferenceTiming.h"

ReferenceEarlyReflections::ReferenceEarlyReflections (double rate)
    : sampleRate (rate)
{
    for (auto& l : lines)
        l = ReferenceLine (static_cast<std::size_t> (rate * 1.1));
}

float ReferenceEarlyReflections::delayed (std::size_t line, float timeMs) const
{
    return ReferenceTiming::read (lines[line], (timeMs * 0.001f) * static_cast<float> (sampleRate), ReferenceTiming::kAfterWrite);
}

std::pair<float, float> ReferenceEarlyReflections::tick (float left, float right, const std::array<float, 4>& timesMs,
                                                         const std::array<float, 4>* fromTimesMs, float oldWeight,
                                                         float newWeight)
{
    const auto read = [&] (std::size_t i) {
        const float t = delayed (i, timesMs[i]);
        return fromTimesMs == nullptr ? t : t * newWeight + delayed (i, (*fromTimesMs)[i]) * oldWeight;
    };
    float a = left;
    float difference = right;
    for (std::size_t i = 0; i < 3; ++i)
    {
        lines[i].push (difference);
        const float t = read (i);
        difference = a - t;
        a = a + t;
    }
    lines[3].push (difference);
    const float last = read (3);
    return { a, last };
}

void ReferenceEarlyReflections::rest()
{
    for (auto& l : lines)
        l.push (0.0f);
}

void ReferenceEarlyReflections::clear()
{
    for (auto& l : lines)
        l.clear();
}
