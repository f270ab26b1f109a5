#pragma once

#include "Delay/DelayLineParameters.h"
#include "Delay/DelayRead.h"
#include "Delay/DelayWrite.h"
#include "ProcessBlock/ProcessBlock.h"

#include <vector>

// A multi-channel delay with optional feedback. A plain delay (write on, no
// feedback) stores the block before reading it: its delay is exactly the time
// set, down to 0. A line that stores what it reads (feedback, or the delayed
// signal itself) must read first: its delay is the time set, at least the
// reader's constant floor of DelayRead::kLoopFloor samples, plus the reader's
// 64-sample offset.
class DelayLine : public MultiChannelProcessBlock<DelayLineParameters>
{
public:
    explicit DelayLine (float maxDelayMs);

    // (Re)creates the storage and reader of every channel for the sample rate.
    void init (int numChannels, double newSampleRate) override;
    // Silences the storage; write positions stay.
    void clear() noexcept override;

    void process (float* buffer, unsigned long frames, unsigned long channel, DelayLineParameters parameters) noexcept override;

    // The form the effect uses: per-sample delay in ms, optional per-sample
    // feedback. With `write`, the input (plus feedback) is stored and the
    // buffer receives the delayed signal; without it nothing is stored and
    // the buffer receives the delayed signal plus feedback input, or, without
    // feedback, the delayed signal (`readFromDelay`) or the input unchanged.
    void process (float* buffer, unsigned long frames, unsigned long channel, const float* timeMs,
                  const float* feedbackBuffer, bool write, bool readFromDelay) noexcept;

    // The plain delay of the buffer form (write on, no feedback) into a
    // buffer of its own: input is stored, then delayed = input delayed by
    // exactly timeMs. delayed must not be input.
    void delayInto (const float* input, float* delayed, unsigned long frames, unsigned long channel,
                    const float* timeMs) noexcept;

    // The plain delay in place (process with write on, no feedback) of two
    // channels at the same times: the same samples as a call per channel,
    // the read's positions found once for both where the reader can.
    void delayPairInPlace (float* left, float* right, unsigned long frames, const float* timeMs) noexcept;

    // Shapes the delayed signal before it is fed back; nothing here.
    virtual void preFeedbackProcess (float* buffer, unsigned long frames, unsigned long channel) noexcept;

    // Interpolation of every channel's reader (DelayRead::Linear or Lagrange).
    void setInterpolation (int mode) noexcept;

    // The two halves of a channel, for owners that read and write separately.
    DelayWrite& writer (unsigned long channel) noexcept { return writes[channel]; }
    const DelayWrite& writer (unsigned long channel) const noexcept { return writes[channel]; }
    unsigned long channelCount() const noexcept { return writes.size(); }
    DelayRead& reader (unsigned long channel) noexcept { return reads[channel]; }

    // The longest piece a call handles at once: it fits the scratch buffers
    // and leaves at least as much storage behind it as it is long, so that
    // its own reads never meet its writes.
    unsigned long longestPiece() const noexcept;

    const float maxDelayMs;

protected:
    std::vector<DelayWrite> writes;
    std::vector<DelayRead> reads;

private:
    // One piece of at most the scratch length with its delay times in ms
    // (which may be `work`, which is then overwritten). feedbackBuffer wins
    // over feedbackScalar; without either (scalar exactly 0) there is no
    // feedback.
    void processPiece (float* buffer, unsigned long n, unsigned long channel, const float* timeMs,
                       const float* feedbackBuffer, float feedbackScalar, bool write, bool readFromDelay) noexcept;

    std::vector<float> readOut, work;
};
