#include "Delay/DelayRead.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>

namespace
{
constexpr int kReadOffset = 64;
// The longest delay leaves the read offset plus the four-point kernel inside
// the storage, so even a short block never reads samples already overwritten.
constexpr unsigned long kShortestMargin = kReadOffset + 4;
constexpr float kSixth = 0.1666667f;
} // namespace

DelayRead::DelayRead()
    : delay (kMaxFramesPerBlock, 0.0f),
      fraction (kMaxFramesPerBlock, 0.0f),
      tap0 (kMaxFramesPerBlock, 0.0f),
      tap1 (kMaxFramesPerBlock, 0.0f),
      tap2 (kMaxFramesPerBlock, 0.0f),
      tap3 (kMaxFramesPerBlock, 0.0f),
      coefficient (kMaxFramesPerBlock, 0.0f),
      termA (kMaxFramesPerBlock, 0.0f),
      termB (kMaxFramesPerBlock, 0.0f),
      termC (kMaxFramesPerBlock, 0.0f)
{
}

void DelayRead::process (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept
{
    if (n == 0)
        return;
    if (w.size <= 0 || w.buffer.size() < static_cast<std::size_t> (w.size) + 4)
    {
        SignalProcessing::clear (out, n); // not initialised: nothing stored yet
        return;
    }

    // A delay shorter than the block would read samples not yet written; one
    // longer than the storage would read samples already overwritten.
    const float shortest = static_cast<float> (n);
    float longest = static_cast<float> (w.size) - static_cast<float> (std::max (n, kShortestMargin));
    longest = std::max (longest, shortest);

    for (unsigned long first = 0; first < n; first += kMaxFramesPerBlock)
    {
        const unsigned long piece = std::min (kMaxFramesPerBlock, n - first);
        processPiece (timeSeconds + first, out + first, w, first, piece, shortest, longest);
    }
}

void DelayRead::processPiece (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long first,
                              unsigned long n, float shortest, float longest) noexcept
{
    float* d = delay.data();
    float* f = fraction.data();
    SignalProcessing::mul_s (timeSeconds, sampleRate, d, n);
    SignalProcessing::clip (d, shortest, longest, d, n);

    const int size = w.size;
    const float* data = w.buffer.data();
    // Sample i reads at W + i - 64 - D; positions below 4 wrap once, the guard
    // samples covering the few that then reach past the end.
    const long base = static_cast<long> (w.writeIndex) + static_cast<long> (first) - kReadOffset;
    const bool lagrange = interpolationMode == Lagrange;

    for (unsigned long i = 0; i < n; ++i)
    {
        float samples = d[i];
        if (! (samples >= shortest)) // NaN
            samples = shortest;
        const long whole = static_cast<long> (samples);
        f[i] = samples - static_cast<float> (whole);

        long position = base + static_cast<long> (i) - whole;
        if (position < 4)
            position += size;
        position = std::clamp (position, 4L, static_cast<long> (size) + 3);

        tap0[i] = data[position];
        tap1[i] = data[position - 1];
        if (lagrange)
        {
            tap2[i] = data[position - 2];
            tap3[i] = data[position - 3];
        }
    }

    if (! lagrange)
    {
        // y0 + F (y1 - y0): the position lies F samples behind y0.
        SignalProcessing::sub (tap1.data(), tap0.data(), termA.data(), n);
        SignalProcessing::mul_add (f, termA.data(), tap0.data(), out, n);
        return;
    }

    // out = y1 + F ((y2 - y1) - c (2 y0 - 3 y1 + y3 + F (y3 - y0 - 3 y2 + 3 y1))), c = (1 - F) / 6
    float* c = coefficient.data();
    float* a = termA.data();
    float* b = termB.data();
    float* e = termC.data();
    SignalProcessing::mul_s_add_s (f, -kSixth, kSixth, c, n);

    SignalProcessing::sub (tap3.data(), tap0.data(), a, n);
    SignalProcessing::mul_s_add (tap2.data(), -3.0f, a, a, n);
    SignalProcessing::mul_s_add (tap1.data(), 3.0f, a, a, n);
    SignalProcessing::mul (f, a, a, n);

    SignalProcessing::mul_s (tap0.data(), 2.0f, b, n);
    SignalProcessing::mul_s_add (tap1.data(), -3.0f, b, b, n);
    SignalProcessing::add (b, tap3.data(), b, n);
    SignalProcessing::add (b, a, b, n);
    SignalProcessing::mul (c, b, b, n);

    SignalProcessing::sub (tap2.data(), tap1.data(), e, n);
    SignalProcessing::sub (e, b, e, n);
    SignalProcessing::mul_add (f, e, tap1.data(), out, n);
}
