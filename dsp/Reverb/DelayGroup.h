#pragma once

#include "BlockSize.h"
#include "Delay/LengthFade.h"
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
        for (auto& t : fade.fromTimesMs)
            t.assign (kMaxFramesPerBlock, 0.0f);
        fade.read.assign (kMaxFramesPerBlock, 0.0f);
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

    // While the owner fades from old line times to new ones: each line's old
    // times, and the weights of the old and the new read (null otherwise).
    struct Fade
    {
        std::array<std::vector<float>, kLineCount> fromTimesMs;
        std::vector<float> read;
        const float* oldWeight = nullptr;
        const float* newWeight = nullptr;
        bool running() const noexcept { return oldWeight != nullptr; }
        // newer = newer (new weight) + read (old weight), per sample.
        void mixInto (float* newer, unsigned long n) const noexcept
        {
            LengthFade::mixReads (read.data(), newer, oldWeight, newWeight, n);
        }
    };

    std::vector<Record> lines;
    std::uint64_t lineCount = kLineCount;
    Fade fade;
};
