#include "Delay/DelayWrite.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Memory.h"

#include <array>

#include <algorithm>
#include <cmath>

namespace
{
// Room behind the requested delay that the reader's fixed offset needs.
constexpr int kReadOffset = 64;
constexpr int kGuard = 4;
void copySamples (const float* source, float* destination, unsigned long n, bool finiteOnly) noexcept
{
    if (finiteOnly)
        SignalProcessing::finite (source, destination, n);
    else
        Memory::copy (source, destination, n);
}

// The next block most likely writes the n samples from `from` on. Their
// cache lines were last touched a whole storage length ago and are long gone
// from the cache: ask for them now, so the next write does not wait.
inline void prefetchNext (float* data, unsigned long length, unsigned long from, unsigned long n) noexcept
{
    const unsigned long ahead = std::min (n, length - from);
    for (unsigned long k = 0; k < ahead; k += 16)
        __builtin_prefetch (data + from + k, 1, 3);
    for (unsigned long k = 0; k < n - ahead; k += 16) // the part after the wrap
        __builtin_prefetch (data + k, 1, 3);
}

// Caps the storage for absurd rates or times (about 2 GB of floats would
// otherwise be one multiplication away); far beyond any real use.
constexpr float kLargestDelaySamples = static_cast<float> (1 << 26);
} // namespace

int DelayWrite::sizeFor (float maxDelayMs, double sampleRate) noexcept
{
    float samples = std::trunc (maxDelayMs * static_cast<float> (sampleRate) * 0.001f);
    if (! (samples >= 1.0f)) // also catches NaN from a broken rate
        samples = 1.0f;
    samples = std::min (samples, kLargestDelaySamples);
    const int whole = static_cast<int> (samples);
    return ((whole + 3) & ~3) + kReadOffset;
}

void DelayWrite::init (float newMaxDelayMs, double newSampleRate)
{
    sampleRate = static_cast<float> (newSampleRate);
    maxDelayMs = newMaxDelayMs;
    size = sizeFor (maxDelayMs, newSampleRate);
    capacity = size + kGuard;
    // A new vector rather than assign: after a higher rate, assign would keep
    // the larger allocation for as long as the line lives.
    buffer = std::vector<float> (static_cast<std::size_t> (capacity), 0.0f);
    writeIndex = 4;
    silentRun = size;
}

void DelayWrite::clear() noexcept
{
    std::fill (buffer.begin(), buffer.end(), 0.0f);
    silentRun = size;
}

void DelayWrite::storeSilence (unsigned long n) noexcept
{
    static const std::array<float, kMaxFramesPerBlock> silence {};
    n = std::min (n, kMaxFramesPerBlock);
    if (size <= 0 || n == 0 || silentRun >= size)
        return;
    const int run = silentRun;
    write (silence.data(), n);
    silentRun = static_cast<int> (std::min (static_cast<unsigned long> (size), static_cast<unsigned long> (run) + n));
}

void DelayWrite::write (const float* samples, unsigned long n) noexcept
{
    store (samples, n, false);
}

void DelayWrite::writeFinite (const float* samples, unsigned long n) noexcept
{
    store (samples, n, true);
}

void DelayWrite::store (const float* samples, unsigned long n, bool finiteOnly) noexcept
{
    if (size <= 0 || n == 0)
        return;
    silentRun = 0;

    // The usual block lies above the mirrored samples and short of the end:
    // it needs no wrap and leaves the mirror as it was. Its steps in an order
    // that ends on the copy, with the rest apart, so that short blocks (where
    // these steps are much of the cost) pay no more than they use.
    const auto at = static_cast<unsigned long> (writeIndex);
    if (at < kGuard || n > static_cast<unsigned long> (size) - at)
    {
        storeAnywhere (samples, n, finiteOnly);
        return;
    }
    writeIndex = static_cast<int> (at + n);
    prefetchNext (buffer.data(), static_cast<unsigned long> (size), at + n, n);
    copySamples (samples, buffer.data() + at, n, finiteOnly);
}

[[gnu::noinline]] void DelayWrite::storeAnywhere (const float* samples, unsigned long n, bool finiteOnly) noexcept
{
    const auto length = static_cast<unsigned long> (size);
    if (n > length)
    {
        // Only the newest `size` samples survive; the position moves on as if
        // every sample had been written.
        const unsigned long skipped = n - length;
        writeIndex = static_cast<int> ((static_cast<unsigned long> (writeIndex) + skipped) % length);
        samples += skipped;
        n = length;
    }

    float* data = buffer.data();
    const unsigned long toEnd = length - static_cast<unsigned long> (writeIndex);
    if (n <= toEnd)
    {
        copySamples (samples, data + writeIndex, n, finiteOnly);
        writeIndex += static_cast<int> (n);
    }
    else
    {
        copySamples (samples, data + writeIndex, toEnd, finiteOnly);
        copySamples (samples + toEnd, data, n - toEnd, finiteOnly);
        writeIndex = static_cast<int> (n - toEnd);
    }

    // Mirror indices 0..3, not only after a wrap: a block that starts below
    // index 4 or wraps by fewer than four samples changes them too, and a
    // read past the end must then see the new samples.
    for (int k = 0; k < kGuard; ++k) // four samples: plain stores, no library call
        data[size + k] = data[k];

    prefetchNext (data, length, static_cast<unsigned long> (writeIndex), n);
}
