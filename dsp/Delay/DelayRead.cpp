#include "Delay/DelayRead.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"

#include <algorithm>

namespace
{
constexpr unsigned long kReadOffset = 64;
// The longest delay leaves the read offset plus the four-point kernel inside
// the storage, so even a short block never reads samples already overwritten.
constexpr unsigned long kShortestMargin = kReadOffset + 4;
constexpr float kSixth = 0.1666667f;

// The delay of one sample in samples, limited to [shortest, longest]; NaN
// reads at the shortest delay. The time is in units of toSeconds seconds
// (1 for seconds; x 1 is exact, so seconds take the same path).
inline float delayInSamples (float time, float toSeconds, float sampleRate, float shortest, float longest) noexcept
{
    float samples = (time * toSeconds) * sampleRate;
    samples = samples < shortest ? shortest : samples;
    samples = samples > longest ? longest : samples;
    return samples >= shortest ? samples : shortest;
}

// Index of the newest of the taps of sample i: W + i - 64 - D. Positions
// below 4 wrap once, the guard samples covering the few that then reach past
// the end; the clamp only guards against a corrupt write position.
inline long tapPosition (long base, unsigned long i, long whole, long size) noexcept
{
    long position = base + static_cast<long> (i) - whole;
    if (position < 4)
        position += size;
    return std::clamp (position, 4L, size + 3);
}

// At most this many storages are read in one call.
constexpr int kMostLines = 8;

// Sample i's newest tap and how far behind it the read lies.
struct Tap
{
    long position;
    float fraction;
};
inline Tap tapOf (const float* time, unsigned long i, const VectorKernels::DelayReach& r) noexcept
{
    const float d = delayInSamples (time[i], r.toSeconds, r.sampleRate, r.shortest, r.longest);
    const long whole = static_cast<long> (d);
    return { tapPosition (r.base, i, whole, r.size), d - static_cast<float> (whole) };
}

// The plain forms, one sample at a time: samples first .. n - 1 (the vector
// layer has read the ones before).
inline void readLinearFrom (const float* time, float* out, const float* data, const VectorKernels::DelayReach& r,
                            unsigned long first, unsigned long n) noexcept
{
    for (unsigned long i = first; i < n; ++i)
    {
        const auto [p, f] = tapOf (time, i, r);
        // y0 + F (y1 - y0): the position lies F samples behind y0.
        const float y0 = data[p];
        const float y1 = data[p - 1];
        out[i] = f * (y1 - y0) + y0;
    }
}

// The four-point Lagrange read has no vector form: no reader of the effect
// interpolates so.
inline void readLagrange (const float* time, float* out, const float* data, const VectorKernels::DelayReach& r,
                          unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
    {
        const auto [p, f] = tapOf (time, i, r);
        const float y0 = data[p];
        const float y1 = data[p - 1];
        const float y2 = data[p - 2];
        const float y3 = data[p - 3];

        // out = y1 + F ((y2 - y1) - c (2 y0 - 3 y1 + y3 + F (y3 - y0 - 3 y2 + 3 y1))), c = (1 - F) / 6,
        // in this order of operations.
        const float c = f * -kSixth + kSixth;
        float a = y3 - y0;
        a = y2 * -3.0f + a;
        a = y1 * 3.0f + a;
        a = f * a;
        float b = y0 * 2.0f;
        b = y1 * -3.0f + b;
        b = b + y3;
        b = b + a;
        b = c * b;
        float e = y2 - y1;
        e = e - b;
        out[i] = f * e + y1;
    }
}
} // namespace

void DelayRead::process (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeSeconds, 1.0f, out, w, n, false);
}

void DelayRead::processMilliseconds (const float* timeMs, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeMs, 0.001f, out, w, n, false);
}

void DelayRead::processAfterWrite (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeSeconds, 1.0f, out, w, n, true);
}

void DelayRead::processMillisecondsAfterWrite (const float* timeMs, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    read (timeMs, 0.001f, out, w, n, true);
}

VectorKernels::DelayReach DelayRead::reachFor (const DelayWrite& w, unsigned long n, bool afterWrite, float toSeconds) const noexcept
{
    // Sample i of the block sits at base + i - delay. Before the write the
    // block is not stored yet: the read keeps the fixed offset behind the
    // write position, and the delay must reach back past the block's own
    // samples (n - 64 of them), never less than the constant floor. After
    // the write sample i itself is the newest sample at delay 0. Either way
    // the longest delay leaves the four-point kernel inside the storage, so
    // no read meets samples already overwritten.
    const auto size = static_cast<unsigned long> (w.size);
    VectorKernels::DelayReach r { toSeconds, sampleRate, 0.0f, 0.0f, 0, w.size };
    if (afterWrite)
    {
        r.base = static_cast<long> (w.writeIndex) - static_cast<long> (n);
        // Constant for every block up to the floor's length, as the shortest is.
        const unsigned long reach = std::max (n, kLoopFloor) + 4;
        r.longest = size > reach ? static_cast<float> (size - reach) : 0.0f;
    }
    else
    {
        r.base = static_cast<long> (w.writeIndex) - static_cast<long> (kReadOffset);
        r.shortest = static_cast<float> (std::max (kLoopFloor, n > kReadOffset ? n - kReadOffset : 0UL));
        r.longest = size > kShortestMargin ? static_cast<float> (size - kShortestMargin) : 0.0f;
    }
    r.longest = std::max (r.longest, r.shortest);
    return r;
}

bool DelayRead::onePass (const DelayWrite* const* storages, int count, unsigned long n, const float** data) const noexcept
{
    if (interpolationMode != Linear || n == 0 || n % 8 != 0 || n >= static_cast<unsigned long> (VectorKernels::kLongestVectorRead)
        || count < 1)
        return false;
    const DelayWrite& first = *storages[0];
    for (int k = 0; k < count; ++k)
    {
        const DelayWrite& w = *storages[k];
        if (w.size <= 0 || w.size >= VectorKernels::kLongestVectorRead || w.buffer.size() < static_cast<std::size_t> (w.size) + 4 || w.size != first.size
            || w.writeIndex != first.writeIndex)
            return false;
        data[k] = w.buffer.data();
    }
    return true;
}

bool DelayRead::processWindowedTapsAfterWrite (const float* timeA, const float* timeB, const float* weightA,
                                               const float* weightB, const DelayWrite* const* storages, float* const* out,
                                               int channels, unsigned long n) noexcept
{
    const float* data[2] = { nullptr, nullptr };
    if (channels > 2 || ! onePass (storages, channels, n, data))
        return false;
    VectorKernels::delayWindowedTaps (timeA, timeB, weightA, weightB, data, out, channels,
                                      reachFor (*storages[0], n, true, 1.0f), n);
    return true;
}

bool DelayRead::processMillisecondsAlike (const float* const* timeMs, float* const* out, const DelayWrite* const* storages,
                                          int count, unsigned long n) noexcept
{
    return readAlike (timeMs, out, storages, count, n, false);
}

bool DelayRead::processMillisecondsAfterWriteAlike (const float* const* timeMs, float* const* out,
                                                    const DelayWrite* const* storages, int count, unsigned long n) noexcept
{
    return readAlike (timeMs, out, storages, count, n, true);
}

bool DelayRead::readAlike (const float* const* timeMs, float* const* out, const DelayWrite* const* storages, int count,
                           unsigned long n, bool afterWrite) noexcept
{
    const float* data[kMostLines] = {};
    if (count > kMostLines || ! onePass (storages, count, n, data))
        return false;
    VectorKernels::delayLinearMany (timeMs, out, data, count, reachFor (*storages[0], n, afterWrite, 0.001f), n);
    return true;
}

void DelayRead::read (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n,
                      bool afterWrite) noexcept
{
    if (n == 0)
        return;
    if (w.size <= 0 || w.buffer.size() < static_cast<std::size_t> (w.size) + 4)
    {
        SignalProcessing::clear (out, n); // not initialised: nothing stored yet
        return;
    }

    const VectorKernels::DelayReach reach = reachFor (w, n, afterWrite, toSeconds);
    const float* data = w.buffer.data();
    if (interpolationMode == Lagrange)
        readLagrange (time, out, data, reach, n);
    else
        readLinearFrom (time, out, data, reach, VectorKernels::delayLinear (time, out, data, reach, n), n);
}
