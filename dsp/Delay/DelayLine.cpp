#include "Delay/DelayLine.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <algorithm>

namespace
{
// The reader needs its 64-sample offset plus the interpolation kernel free.
constexpr unsigned long kReadMargin = 68;
} // namespace

DelayLine::DelayLine (float maxDelayMs_)
    : maxDelayMs (maxDelayMs_),
      readOut (kMaxFramesPerBlock, 0.0f),
      work (kMaxFramesPerBlock, 0.0f)
{
}

void DelayLine::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    const auto count = static_cast<std::size_t> (std::max (numChannels, 0));
    writes.assign (count, DelayWrite {});
    reads = std::vector<DelayRead> (count);
    for (std::size_t c = 0; c < count; ++c)
    {
        writes[c].init (maxDelayMs, newSampleRate);
        reads[c].sampleRate = static_cast<float> (newSampleRate);
    }
}

void DelayLine::clear() noexcept
{
    for (auto& w : writes)
        w.clear();
}

void DelayLine::setInterpolation (int mode) noexcept
{
    for (auto& r : reads)
        r.interpolationMode = mode;
}

void DelayLine::preFeedbackProcess (float*, unsigned long, unsigned long) noexcept
{
}

unsigned long DelayLine::longestPiece() const noexcept
{
    // A block must fit the scratch buffers and leave at least as much storage
    // behind it as it is long, or its own reads would meet its writes.
    const auto size = writes.empty() ? 0UL : static_cast<unsigned long> (writes.front().size);
    const unsigned long room = size > kReadMargin ? (size - kReadMargin) / 2 : 1;
    return std::clamp (room, 1UL, kMaxFramesPerBlock);
}

void DelayLine::process (float* buffer, unsigned long frames, unsigned long channel, const float* timeMs,
                         const float* feedbackBuffer, bool write, bool readFromDelay) noexcept
{
    if (buffer == nullptr || channel >= writes.size())
        return;

    const unsigned long longest = longestPiece();
    for (unsigned long offset = 0; offset < frames; offset += longest)
    {
        const unsigned long n = std::min (longest, frames - offset);
        const float* time = timeMs + offset;
        if (timeMs == nullptr)
        {
            SignalProcessing::clear (work.data(), n);
            time = work.data();
        }
        processPiece (buffer + offset, n, channel, time, feedbackBuffer != nullptr ? feedbackBuffer + offset : nullptr,
                      0.0f, write, readFromDelay);
    }
}

void DelayLine::delayInto (const float* input, float* delayed, unsigned long frames, unsigned long channel,
                           const float* timeMs) noexcept
{
    if (input == nullptr || delayed == nullptr || timeMs == nullptr || channel >= writes.size())
        return;

    const unsigned long longest = longestPiece();
    for (unsigned long offset = 0; offset < frames; offset += longest)
    {
        const unsigned long n = std::min (longest, frames - offset);
        writes[channel].write (input + offset, n);
        reads[channel].processMillisecondsAfterWrite (timeMs + offset, delayed + offset, writes[channel], n);
    }
}

void DelayLine::delayPairInPlace (float* left, float* right, unsigned long frames, const float* timeMs) noexcept
{
    if (left == nullptr || right == nullptr || timeMs == nullptr || writes.size() < 2)
    {
        process (left, frames, 0, timeMs, nullptr, true, false);
        process (right, frames, 1, timeMs, nullptr, true, false);
        return;
    }
    const bool alike = reads[0].sampleRate == reads[1].sampleRate && reads[0].interpolationMode == reads[1].interpolationMode;
    const unsigned long longest = longestPiece();
    for (unsigned long offset = 0; offset < frames; offset += longest)
    {
        const unsigned long n = std::min (longest, frames - offset);
        // Each channel is stored before it is read, as in processPiece.
        writes[0].write (left + offset, n);
        writes[1].write (right + offset, n);
        const float* times[2] = { timeMs + offset, timeMs + offset };
        float* out[2] = { left + offset, right + offset };
        const DelayWrite* storages[2] = { &writes[0], &writes[1] };
        if (! alike || ! reads[0].processMillisecondsAfterWriteAlike (times, out, storages, 2, n))
            for (std::size_t c = 0; c < 2; ++c)
                reads[c].processMillisecondsAfterWrite (times[c], out[c], writes[c], n);
    }
}

void DelayLine::process (float* buffer, unsigned long frames, unsigned long channel, DelayLineParameters p) noexcept
{
    if (buffer == nullptr || channel >= writes.size())
        return;

    const unsigned long longest = longestPiece();
    for (unsigned long offset = 0; offset < frames; offset += longest)
    {
        const unsigned long n = std::min (longest, frames - offset);
        if (p.timeBuffer != nullptr)
        {
            // A scalar feedback still applies when only the time moves.
            processPiece (buffer + offset, n, channel, p.timeBuffer + offset,
                          p.feedbackBuffer != nullptr ? p.feedbackBuffer + offset : nullptr, p.feedback, p.write,
                          p.readFromDelay);
        }
        else
        {
            SignalProcessing::fill (work.data(), p.time, n);
            const float feedback = p.feedbackBuffer != nullptr ? p.feedbackBuffer[offset] : p.feedback;
            processPiece (buffer + offset, n, channel, work.data(), nullptr, feedback, p.write, p.readFromDelay);
        }
    }
}

void DelayLine::processPiece (float* buffer, unsigned long n, unsigned long channel, const float* timeMs,
                              const float* feedbackBuffer, float feedbackScalar, bool write, bool readFromDelay) noexcept
{
    float* y = readOut.data();
    float* w = work.data();
    const bool feedback = feedbackBuffer != nullptr || feedbackScalar != 0.0f;

    // A plain delay feeds nothing back: the block is stored first, so the
    // delay heard is the delay set, down to none.
    if (write && ! feedback && ! readFromDelay)
    {
        writes[channel].write (buffer, n);
        reads[channel].processMillisecondsAfterWrite (timeMs, buffer, writes[channel], n);
        return;
    }

    // Everything else stores what it reads: the read comes first, at least
    // the reader's constant floor behind.
    reads[channel].processMilliseconds (timeMs, y, writes[channel], n);

    // What goes on: the input plus the shaped, scaled delayed signal; without
    // feedback the delayed signal or the input itself.
    const float* next = buffer;
    if (feedback)
    {
        Memory::copy (y, w, n);
        preFeedbackProcess (w, n, channel);
        if (feedbackBuffer != nullptr)
            SignalProcessing::mul_add (w, feedbackBuffer, buffer, w, n);
        else
            SignalProcessing::mul_s_add (w, feedbackScalar, buffer, w, n);
        next = w;
    }
    else if (readFromDelay)
    {
        next = y;
    }

    if (write)
    {
        writes[channel].write (next, n);
        Memory::copy (y, buffer, n);
    }
    else if (next != buffer)
    {
        Memory::copy (next, buffer, n);
    }
}
