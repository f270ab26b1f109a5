#pragma once

#include <vector>

// The storage and write position of one channel of a delay line.
//
// The buffer holds `size` samples followed by four guard samples that always
// mirror indices 0..3, so an interpolating read that runs up to four samples
// past the end finds the wrapped samples without a second wrap.
struct DelayWrite
{
    // Storage length for a maximum delay: the delay in samples (at least one),
    // rounded up to a multiple of four, plus room for the reader's fixed
    // 64-sample offset. The product is formed in single precision.
    static int sizeFor (float maxDelayMs, double sampleRate) noexcept;

    // Allocates and clears the storage; writing starts at index 4.
    void init (float newMaxDelayMs, double newSampleRate);
    // Silences the storage; the write position stays.
    void clear() noexcept;
    // Appends n samples at writeIndex, wrapping at size. Blocks longer than
    // size keep only their last size samples, as a real tape would.
    void write (const float* samples, unsigned long n) noexcept;
    // write with every sample that is not finite stored as silence, in the
    // same pass.
    void writeFinite (const float* samples, unsigned long n) noexcept;
    // write of n (at most kMaxFramesPerBlock) samples of silence. Once the
    // whole storage is silent nothing changes any more (where a silent
    // storage is written makes no difference): a line at rest costs nothing,
    // and holds silence, not what it heard, when it runs again.
    void writeSilence (unsigned long n) noexcept
    {
        // Parts at rest call this every block: a silent storage costs no call.
        if (silentRun < size)
            storeSilence (n);
    }

    float sampleRate = 44100.0f;
    float maxDelayMs = 0.0f;
    int size = 0;
    std::vector<float> buffer; // size + 4 floats
    int writeIndex = 4;
    int capacity = 0; // size + 4: the buffer's length
    // Samples of silence written since the last sound (up to size).
    int silentRun = 0;

private:
    void storeSilence (unsigned long n) noexcept;
    void store (const float* samples, unsigned long n, bool finiteOnly) noexcept;
    // store's part for a block that reaches the storage's first samples or
    // its end, or is longer than the storage.
    void storeAnywhere (const float* samples, unsigned long n, bool finiteOnly) noexcept;
};
