// Delay reads compute several samples per step (eight, four or one lanes,
// on every target the CPU runs, then single samples at the end of a block).
// Every sample, whatever lane or tail it falls in, must be exactly the
// interpolation written out for that sample alone: the delay clipped to the
// block and the storage, the read position wrapped once, and the
// interpolation in its documented order.
#include "Delay/DelayLine.h"
#include "Delay/DelayRead.h"
#include "Delay/DelayWrite.h"
#include "VectorTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

// time in seconds, or in ms with toSeconds = 0.001 (converted first). Before
// the write: at least the constant floor (or n - 64 for longer blocks), 64
// samples behind the write position; after it: from 0, behind the block's
// own samples.
float expectedSample (const DelayWrite& w, int mode, float time, unsigned long i, unsigned long n, float toSeconds = 1.0f,
                      bool afterWrite = false)
{
    const float shortest = afterWrite ? 0.0f : float (std::max (256UL, n > 64 ? n - 64 : 0UL));
    const float longest = afterWrite ? std::max (float (w.size) - float (std::max (n, 256UL) + 4), shortest)
                                     : std::max (float (w.size) - 68.0f, shortest);
    float d = (toSeconds == 1.0f ? time : time * toSeconds) * float (kRate);
    if (! (d >= shortest))
        d = shortest;
    else if (d > longest)
        d = longest;
    const long whole = long (d);
    const float f = d - float (whole);
    long p = long (w.writeIndex) + long (i) - (afterWrite ? long (n) : 64L) - whole;
    if (p < 4)
        p += w.size;
    p = std::clamp (p, 4L, long (w.size) + 3);
    const float* b = w.buffer.data();
    const float y0 = b[p], y1 = b[p - 1];
    if (mode == DelayRead::Linear)
        return f * (y1 - y0) + y0;
    const float y2 = b[p - 2], y3 = b[p - 3];
    const float c = f * -0.1666667f + 0.1666667f;
    float a = y3 - y0;
    a = y2 * -3.0f + a;
    a = y1 * 3.0f + a;
    a = f * a;
    float s = y0 * 2.0f;
    s = y1 * -3.0f + s;
    s = s + y3;
    s = s + a;
    s = c * s;
    float e = y2 - y1;
    e = e - s;
    return f * e + y1;
}

bool sameBits (float a, float b)
{
    return std::bit_cast<std::uint32_t> (a) == std::bit_cast<std::uint32_t> (b);
}
} // namespace

INSTANTIATE_TEST_SUITE_P (EveryTarget, VectorTargets, VectorTargets::all(), VectorTargets::name);

TEST_P (VectorTargets, DelayReadsEverySampleOfEveryLaneAndTailAsItsOwnInterpolation)
{
    std::mt19937 rng (5);
    std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
    // Times from below the block length to beyond the storage, moving fast
    // enough that neighbouring lanes read far apart, with the odd broken value.
    std::uniform_real_distribution<float> seconds (-0.001f, 0.12f);
    const float broken[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 0.0f, 1e30f };

    for (const int mode : { DelayRead::Linear, DelayRead::Lagrange })
    {
        DelayWrite w;
        w.init (100.0f, kRate); // 4864 samples: the reads wrap often
        DelayRead r;
        r.interpolationMode = mode;
        r.sampleRate = float (kRate);

        std::vector<float> block (4096);
        std::vector<float> times (600), out (600);
        int mismatches = 0;
        for (unsigned long n = 1; n <= 600; n += (n < 60 ? 1 : 7))
        {
            // Move the write position by an odd amount, so every wrap case comes round.
            for (auto& x : block)
                x = sample (rng);
            w.write (block.data(), 1237 + n);
            // Some blocks with a delay that holds or glides, as the reverb's
            // lines and the fixed delays read (consecutive positions), some
            // with a delay sweeping like a pitch shifter's tap (positions
            // advancing 0.4 to 2.2 samples per sample), the rest at random.
            const int kind = static_cast<int> (n % 3);
            const float start = seconds (rng);
            const float slope = ((n % 5) - 2.0f) * 3e-7f;
            const float advance = 0.4f + 1.8f * float (n % 7) / 6.0f;
            for (unsigned long i = 0; i < n; ++i)
            {
                if (kind == 0)
                    times[i] = start + slope * float (i);
                else if (kind == 1)
                    times[i] = start + (1.0f - advance) * float (i) / float (kRate);
                else
                    times[i] = (i % 17 == 5) ? broken[(i / 17) % 5] : seconds (rng);
            }

            r.process (times.data(), out.data(), w, n);
            for (unsigned long i = 0; i < n; ++i)
                if (! sameBits (expectedSample (w, mode, times[i], i, n), out[i]) && ++mismatches < 5)
                    ADD_FAILURE() << "mode " << mode << ", n " << n << ", sample " << i << ": " << out[i] << " instead of "
                                  << expectedSample (w, mode, times[i], i, n);

            // The same times in ms.
            for (unsigned long i = 0; i < n; ++i)
                times[i] *= 1000.0f;
            r.processMilliseconds (times.data(), out.data(), w, n);
            for (unsigned long i = 0; i < n; ++i)
                if (! sameBits (expectedSample (w, mode, times[i], i, n, 0.001f), out[i]) && ++mismatches < 5)
                    ADD_FAILURE() << "ms, mode " << mode << ", n " << n << ", sample " << i;

            // Read after the block was written.
            r.processMillisecondsAfterWrite (times.data(), out.data(), w, n);
            for (unsigned long i = 0; i < n; ++i)
                if (! sameBits (expectedSample (w, mode, times[i], i, n, 0.001f, true), out[i]) && ++mismatches < 5)
                    ADD_FAILURE() << "after write, mode " << mode << ", n " << n << ", sample " << i;
            for (unsigned long i = 0; i < n; ++i)
                times[i] *= 0.001f;
            r.processAfterWrite (times.data(), out.data(), w, n);
            for (unsigned long i = 0; i < n; ++i)
                if (! sameBits (expectedSample (w, mode, times[i], i, n, 1.0f, true), out[i]) && ++mismatches < 5)
                    ADD_FAILURE() << "after write, s, mode " << mode << ", n " << n << ", sample " << i;
        }
        EXPECT_EQ (0, mismatches) << "mode " << mode;
    }
}

TEST (DelayRead, ReadsInPlaceOverItsTimesAndStaysSilentWithoutStorage)
{
    DelayWrite w;
    w.init (50.0f, kRate);
    std::vector<float> ramp (w.size);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = float (i);
    w.write (ramp.data(), ramp.size() - 100);

    DelayRead r;
    r.interpolationMode = DelayRead::Linear;
    r.sampleRate = float (kRate);
    std::vector<float> times (64, 0.01f), inPlace (64, 0.01f), out (64);
    r.process (times.data(), out.data(), w, 64);
    r.process (inPlace.data(), inPlace.data(), w, 64);
    EXPECT_EQ (out, inPlace);
    // 10 ms = 480 samples behind, plus the reader's 64: the ramp stored
    // from index 4 on gives sample i the value W - 548 + i.
    for (int i = 0; i < 64; ++i)
        EXPECT_NEAR (float (w.writeIndex - 548 + i), out[std::size_t (i)], 0.01f) << i;

    DelayWrite empty;
    std::vector<float> silence (64, 1.0f);
    r.process (times.data(), silence.data(), empty, 64);
    EXPECT_EQ (std::vector<float> (64, 0.0f), silence);
}

TEST (DelayLine, DelayIntoIsThePlainDelayIntoASeparateBuffer)
{
    // Against the buffer form with write on and no feedback, through blocks
    // longer than the line allows in one piece.
    DelayLine plain (20.0f), separate (20.0f); // 1024 samples: pieces of at most 478
    plain.init (1, kRate);
    separate.init (1, kRate);
    std::mt19937 rng (8);
    std::uniform_real_distribution<float> sample (-1.0f, 1.0f);
    std::vector<float> times (4096);
    for (std::size_t i = 0; i < times.size(); ++i)
        times[i] = 3.0f + 2.0f * float (std::sin (double (i) * 0.01));
    for (const unsigned long n : { 256UL, 1000UL, 7UL, 3000UL })
    {
        std::vector<float> input (n);
        for (auto& x : input)
            x = sample (rng);
        std::vector<float> buffer (input), delayed (n);
        plain.process (buffer.data(), n, 0, times.data(), nullptr, true, false);
        separate.delayInto (input.data(), delayed.data(), n, 0, times.data());
        EXPECT_EQ (buffer, delayed) << n;
    }
}

TEST_P (VectorTargets, DelayReadWindowedTapsInOnePassAreTwoReadsAndTheirWeightedSum)
{
    // Two storages written alike, then both taps of both channels at once:
    // every sample exactly processAfterWrite at each time, weighted and
    // summed (wA tapA + wB tapB). Delays that hold, sweep (as a pitch
    // shifter's taps do), jump about, cross the storage's wrap, lie beyond
    // it or are not numbers.
    std::mt19937 rng (41);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    for (const int channels : { 1, 2 })
    {
        DelayWrite w[2];
        for (auto& s : w)
            s.init (100.0f, kRate); // 4864 samples: the blocks wrap it often
        DelayRead fused, plain;
        fused.interpolationMode = plain.interpolationMode = DelayRead::Linear;
        fused.sampleRate = plain.sampleRate = float (kRate);

        float sweep = 0.01f;
        for (int block = 0; block < 200; ++block)
        {
            const unsigned long n = block % 3 == 0 ? 256 : block % 3 == 1 ? 64 : 32;
            std::vector<float> x[2];
            for (auto& v : x)
            {
                v.resize (n);
                for (auto& s : v)
                    s = unit (rng) * 2.0f - 1.0f;
            }
            for (int c = 0; c < 2; ++c)
                w[c].write (x[c].data(), n);

            std::vector<float> timeA (n), timeB (n), weightA (n), weightB (n);
            for (unsigned long i = 0; i < n; ++i)
            {
                sweep += 1.5f / float (kRate);
                if (sweep > 0.09f)
                    sweep = 0.0005f;
                const int kind = (block / 7) % 4;
                timeA[i] = kind == 0 ? 0.02f : kind == 1 ? sweep : kind == 2 ? unit (rng) * 0.12f : (i % 5 == 0 ? NAN : sweep);
                timeB[i] = kind == 2 ? unit (rng) * 0.1f : 0.09f - sweep;
                weightA[i] = unit (rng);
                weightB[i] = unit (rng) - 0.5f;
            }

            std::vector<float> expected[2], got[2];
            float* out[2];
            const DelayWrite* storages[2] = { &w[0], &w[1] };
            for (int c = 0; c < channels; ++c)
            {
                std::vector<float> a (n), b (n);
                plain.processAfterWrite (timeA.data(), a.data(), w[c], n);
                plain.processAfterWrite (timeB.data(), b.data(), w[c], n);
                expected[c].resize (n);
                for (unsigned long i = 0; i < n; ++i)
                    expected[c][i] = weightA[i] * a[i] + weightB[i] * b[i];
                got[c].assign (n, 7.0f);
                out[c] = got[c].data();
            }
            ASSERT_TRUE (fused.processWindowedTapsAfterWrite (timeA.data(), timeB.data(), weightA.data(), weightB.data(),
                                                              storages, out, channels, n));
            for (int c = 0; c < channels; ++c)
                for (unsigned long i = 0; i < n; ++i)
                    ASSERT_EQ (std::bit_cast<std::uint32_t> (expected[c][i]), std::bit_cast<std::uint32_t> (got[c][i]))
                        << channels << " channels, block " << block << ", channel " << c << ", sample " << i;
        }
    }
}

TEST (DelayRead, WindowedTapsRefuseWhatTheyCannotReadInOnePass)
{
    DelayWrite a, b;
    a.init (100.0f, kRate);
    b.init (100.0f, kRate);
    std::vector<float> x (64, 0.5f), t (64, 0.01f), g (64, 1.0f), out0 (64, 3.0f), out1 (64, 3.0f);
    a.write (x.data(), 64);
    b.write (x.data(), 48); // written differently: another write position
    DelayRead r;
    r.interpolationMode = DelayRead::Linear;
    r.sampleRate = float (kRate);
    const DelayWrite* storages[2] = { &a, &b };
    float* out[2] = { out0.data(), out1.data() };
    EXPECT_FALSE (r.processWindowedTapsAfterWrite (t.data(), t.data(), g.data(), g.data(), storages, out, 2, 64));
    const DelayWrite* same[2] = { &a, &a };
    EXPECT_FALSE (r.processWindowedTapsAfterWrite (t.data(), t.data(), g.data(), g.data(), same, out, 2, 60)) << "not a multiple of 8";
    r.interpolationMode = DelayRead::Lagrange;
    EXPECT_FALSE (r.processWindowedTapsAfterWrite (t.data(), t.data(), g.data(), g.data(), same, out, 2, 64));
    EXPECT_EQ (std::vector<float> (64, 3.0f), out0) << "a refused read leaves the output alone";
}

TEST_P (VectorTargets, DelayReadOfStoragesWrittenAlikeInOneCallIsOneByOne)
{
    // Up to eight storages written in step, each read before or after its
    // write at times of its own (or the same times as the one before it,
    // whose positions are then shared): every sample exactly as one read per
    // storage gives it.
    std::mt19937 rng (43);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    constexpr int kMost = 8;
    for (const bool afterWrite : { false, true })
        for (const int count : { 1, 2, 3, 4, 8 })
        {
            std::vector<DelayWrite> w (kMost);
            for (auto& s : w)
                s.init (80.0f, kRate); // 3904 samples: wraps every few dozen blocks
            DelayRead alike, plain;
            alike.interpolationMode = plain.interpolationMode = DelayRead::Linear;
            alike.sampleRate = plain.sampleRate = float (kRate);
            for (int block = 0; block < 120; ++block)
            {
                const unsigned long n = block % 2 == 0 ? 256 : 32;
                std::vector<std::vector<float>> times (kMost, std::vector<float> (n));
                for (int k = 0; k < kMost; ++k)
                    for (unsigned long i = 0; i < n; ++i)
                    {
                        const int kind = (block + k) % 3;
                        const float shortest = afterWrite ? 0.0f : 6.0f;
                        times[std::size_t (k)][i] = kind == 0 ? 20.0f : kind == 1 ? shortest + 5.0f * unit (rng) : 100.0f * unit (rng);
                    }
                const float* t[kMost];
                for (int k = 0; k < kMost; ++k)
                    t[k] = (k % 2 == 1 && block % 4 != 1) ? t[k - 1] : times[std::size_t (k)].data(); // shared times mostly
                if (afterWrite)
                    for (auto& s : w)
                    {
                        std::vector<float> x (n);
                        for (auto& v : x)
                            v = unit (rng) - 0.5f;
                        s.write (x.data(), n);
                    }
                std::vector<std::vector<float>> expected (kMost, std::vector<float> (n)), got (kMost, std::vector<float> (n, 5.0f));
                float* out[kMost];
                const DelayWrite* storages[kMost];
                for (int k = 0; k < count; ++k)
                {
                    if (afterWrite)
                        plain.processMillisecondsAfterWrite (t[k], expected[std::size_t (k)].data(), w[std::size_t (k)], n);
                    else
                        plain.processMilliseconds (t[k], expected[std::size_t (k)].data(), w[std::size_t (k)], n);
                    out[k] = got[std::size_t (k)].data();
                    storages[k] = &w[std::size_t (k)];
                }
                ASSERT_TRUE (afterWrite ? alike.processMillisecondsAfterWriteAlike (t, out, storages, count, n)
                                        : alike.processMillisecondsAlike (t, out, storages, count, n));
                for (int k = 0; k < count; ++k)
                    for (unsigned long i = 0; i < n; ++i)
                        ASSERT_EQ (std::bit_cast<std::uint32_t> (expected[std::size_t (k)][i]),
                                   std::bit_cast<std::uint32_t> (got[std::size_t (k)][i]))
                            << count << " storages, " << (afterWrite ? "after" : "before") << " the write, block "
                            << block << ", storage " << k << ", sample " << i;
                if (! afterWrite)
                    for (auto& s : w)
                    {
                        std::vector<float> x (n);
                        for (auto& v : x)
                            v = unit (rng) - 0.5f;
                        s.write (x.data(), n);
                    }
            }
        }

    // Storages written differently are read one by one by the caller.
    DelayWrite a, b;
    a.init (80.0f, kRate);
    b.init (80.0f, kRate);
    std::vector<float> x (32, 0.1f), t (32, 10.0f), o0 (32), o1 (32);
    a.write (x.data(), 32);
    DelayRead r;
    r.interpolationMode = DelayRead::Linear;
    r.sampleRate = float (kRate);
    const float* times[2] = { t.data(), t.data() };
    float* outs[2] = { o0.data(), o1.data() };
    const DelayWrite* storages[2] = { &a, &b };
    EXPECT_FALSE (r.processMillisecondsAlike (times, outs, storages, 2, 32));
}
