#pragma once

#include "BlockSize.h"
#include "ProcessBlock/ProcessBlock.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A fixed set of delay lines of one kind, each with its nominal time and a
// per-sample time buffer that the owner fills every sub-block.
template <typename LineType>
class DelayGroup : public ProcessBlock
{
public:
    struct Record
    {
        std::unique_ptr<LineType> line;
        float timeMs = 0.0f;
        std::vector<float> timeMsBuffer;
    };

    static constexpr std::uint64_t kLineCount = 4;

    DelayGroup (float maxDelayMs, const std::array<float, kLineCount>& initialTimesMs)
    {
        lines.reserve (kLineCount);
        for (const float t : initialTimesMs)
        {
            Record r;
            r.line = std::make_unique<LineType> (maxDelayMs);
            r.timeMs = t;
            r.timeMsBuffer.assign (kMaxFramesPerBlock, t);
            lines.push_back (std::move (r));
        }
    }

    void init (int numChannels, double newSampleRate) override
    {
        ProcessBlock::init (numChannels, newSampleRate);
        for (auto& r : lines)
            r.line->init (numChannels, newSampleRate);
    }

    void clear() noexcept override
    {
        for (auto& r : lines)
            r.line->clear();
    }

    std::vector<Record> lines;
    std::uint64_t lineCount = kLineCount;
};
