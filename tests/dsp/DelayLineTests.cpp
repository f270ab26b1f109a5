#include "Delay/DelayLine.h"
#include "Delay/DelayLineDamped.h"
#include "ProcessBlock/Filters/BiquadFilter.h"

#include "AllocationCounter.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

std::vector<float> noise (std::size_t n, unsigned seed = 7)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::vector<float> x (n);
    for (auto& v : x)
        v = uniform (generator);
    return x;
}

// Runs `input` through channel 0 of `line` in blocks of `block` frames with a
// constant delay time, write on, no feedback.
std::vector<float> runConstant (DelayLine& line, const std::vector<float>& input, unsigned long block, float timeMs)
{
    std::vector<float> out (input);
    std::vector<float> times (4096, timeMs);
    for (std::size_t start = 0; start < out.size(); start += block)
    {
        const auto n = static_cast<unsigned long> (std::min<std::size_t> (block, out.size() - start));
        line.process (out.data() + start, n, 0, times.data(), nullptr, true, false);
    }
    return out;
}

// A time in ms that the line turns back into exactly `samples` samples, so a
// test can expect whole-sample output without interpolation.
float wholeSampleTimeMs (int samples)
{
    for (;; ++samples)
    {
        const float timeMs = float (samples) * 1000.0f / float (kRate);
        const float d = timeMs * 0.001f * float (kRate);
        if (d == std::trunc (d))
            return timeMs;
    }
}

std::size_t indexOfPeak (const std::vector<float>& x)
{
    return static_cast<std::size_t> (std::max_element (x.begin(), x.end(), [] (float a, float b) { return std::abs (a) < std::abs (b); })
                                     - x.begin());
}
} // namespace

TEST (DelayWrite, SizesFollowTheRoundingRule)
{
    // 400 ms at 48 kHz: 19200 samples, already a multiple of 4, plus 64.
    DelayWrite w;
    w.init (400.0f, 48000.0);
    EXPECT_EQ (19264, w.size);
    EXPECT_EQ (19268, w.capacity);
    EXPECT_EQ (19268u, w.buffer.size());
    EXPECT_EQ (4, w.writeIndex);

    // 600 ms at 44.1 kHz: 26460 -> 26460 + 64; 1 ms at 44.1 kHz: 44.1 -> 44 -> 44 + 64;
    // 0.1 ms at 22.05 kHz: 2.2 -> 2 -> 4 + 64; nothing at all still holds one sample.
    EXPECT_EQ (26524, DelayWrite::sizeFor (600.0f, 44100.0));
    EXPECT_EQ (108, DelayWrite::sizeFor (1.0f, 44100.0));
    EXPECT_EQ (68, DelayWrite::sizeFor (0.1f, 22050.0));
    EXPECT_EQ (68, DelayWrite::sizeFor (0.0f, 48000.0));
    EXPECT_EQ (68, DelayWrite::sizeFor (400.0f, std::nan ("")));
    EXPECT_EQ (0, DelayWrite::sizeFor (2100.0f, 96000.0) % 4);
}

TEST (DelayWrite, WrapsAtSizeAndKeepsTheGuardSamplesMirrored)
{
    DelayWrite w;
    w.init (1.0f, 48000.0); // size 112
    ASSERT_EQ (112, w.size);

    // A write that ends exactly at size does not wrap.
    std::vector<float> first (108);
    for (std::size_t i = 0; i < first.size(); ++i)
        first[i] = float (i + 1);
    w.write (first.data(), first.size());
    EXPECT_EQ (w.size, w.writeIndex);
    EXPECT_EQ (108.0f, w.buffer[111]);

    // The next one wraps at once: its first four samples land in 0..3 and in the guard.
    const std::vector<float> second { 501, 502, 503, 504, 505, 506 };
    w.write (second.data(), second.size());
    EXPECT_EQ (6, w.writeIndex);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (second[std::size_t (i)], w.buffer[std::size_t (i)]);
        EXPECT_EQ (second[std::size_t (i)], w.buffer[std::size_t (w.size + i)]);
    }
    EXPECT_EQ (506.0f, w.buffer[5]);

    // Odd block lengths that wrap by fewer than four samples, or start below
    // index 4, must leave the guard equal to indices 0..3 as well.
    std::mt19937 generator (3);
    std::uniform_int_distribution<int> length (1, 40);
    for (int round = 0; round < 500; ++round)
    {
        const auto block = noise (std::size_t (length (generator)), unsigned (round));
        w.write (block.data(), block.size());
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ (w.buffer[std::size_t (i)], w.buffer[std::size_t (w.size + i)]) << "round " << round;
        ASSERT_GE (w.writeIndex, 0);
        ASSERT_LE (w.writeIndex, w.size);
    }

    // A block longer than the storage keeps its newest samples.
    const auto big = noise (300);
    w.write (big.data(), big.size());
    const int last = (w.writeIndex + w.size - 1) % w.size;
    EXPECT_EQ (big.back(), w.buffer[std::size_t (last)]);
}

TEST (DelayLine, APlainDelayIsTheTimeSetDownToZeroAndALoopHasAConstantFloor)
{
    // A plain delay stores the block before reading it: 0 ms is no delay at
    // all and 1 ms is 48 samples, whatever the block length (one more sample
    // in Lagrange mode, whose kernel is centred a sample late).
    for (int mode : { DelayRead::Linear, DelayRead::Lagrange })
        for (unsigned long block : { 1UL, 7UL, 64UL, 256UL, 300UL, 1000UL })
            for (int samples : { 0, 48, 144 })
            {
                DelayLine line (400.0f);
                line.init (2, kRate);
                line.setInterpolation (mode);
                std::vector<float> x (2048, 0.0f);
                x[10] = 1.0f;
                const float timeMs = samples == 0 ? 0.0f : wholeSampleTimeMs (samples);
                const auto y = runConstant (line, x, block, timeMs);
                const auto whole = std::size_t (timeMs * 0.001f * float (kRate));
                ASSERT_LE (std::size_t (samples), whole);
                const std::size_t expected = 10 + whole + (mode == DelayRead::Lagrange ? 1 : 0);
                ASSERT_EQ (expected, indexOfPeak (y)) << "mode " << mode << ", block " << block << ", " << samples;
                EXPECT_FLOAT_EQ (1.0f, y[expected]);
                EXPECT_NEAR (1.0, testsupport::rms (y.data(), y.size()) * std::sqrt (double (y.size())), 1e-6);
            }

    // A line that feeds back reads before it stores: a 0 ms time is raised
    // to the constant floor (plus the 64-sample read offset), not to the
    // block length.
    for (unsigned long block : { 16UL, 64UL, 100UL, 256UL })
    {
        DelayLine line (400.0f);
        line.init (1, kRate);
        line.setInterpolation (DelayRead::Linear);
        std::vector<float> x (2048, 0.0f), times (4096, 0.0f), feedback (4096, 0.5f);
        x[10] = 1.0f;
        for (std::size_t s = 0; s < x.size(); s += block)
            line.process (x.data() + s, std::min<unsigned long> (block, x.size() - s), 0, times.data(), feedback.data(), true, false);
        const std::size_t period = DelayRead::kLoopFloor + 64;
        EXPECT_FLOAT_EQ (1.0f, x[10 + period]) << block;
        EXPECT_FLOAT_EQ (0.5f, x[10 + 2 * period]) << block;
    }
}

TEST (DelayLine, DelaysByTheRequestedTimeAndInterpolatesBetweenSamples)
{
    DelayLine line (400.0f);
    line.init (1, kRate);
    line.setInterpolation (DelayRead::Linear);
    std::vector<float> x (4096, 0.0f);
    x[0] = 1.0f;

    // 10 ms = 480 samples.
    auto y = runConstant (line, x, 256, 10.0f);
    EXPECT_EQ (480u, indexOfPeak (y));

    // Half a sample more splits the impulse evenly over two samples.
    line.clear();
    const float timeMs = 480.5f * 1000.0f / float (kRate);
    const float d = timeMs * 0.001f * float (kRate);
    const auto whole = std::size_t (d);
    const float f = d - float (whole);
    ASSERT_NEAR (0.5f, f, 1e-3f);
    y = runConstant (line, x, 256, timeMs);
    EXPECT_FLOAT_EQ (1.0f - f, y[whole]);
    EXPECT_FLOAT_EQ (f, y[whole + 1]);
}

TEST (DelayLine, MatchesAReferenceDelayThroughWrapsAndOddBlockLengths)
{
    // A moving delay over several trips round the storage, in blocks of
    // awkward lengths, against a direct evaluation on the whole input history.
    const auto input = noise (70000);
    const unsigned long blocks[] = { 256, 44, 3, 1, 100, 255, 256, 77, 5, 256 };

    for (int mode : { DelayRead::Linear, DelayRead::Lagrange })
    {
        DelayLine line (400.0f); // 19264 samples of storage at 48 kHz
        line.init (1, kRate);
        line.setInterpolation (mode);

        std::vector<float> out (input);
        std::vector<float> times (4096);
        std::size_t start = 0;
        double worst = 0.0;
        for (int b = 0; start < input.size(); ++b)
        {
            const auto n = static_cast<unsigned long> (std::min<std::size_t> (blocks[b % 10], input.size() - start));
            for (unsigned long i = 0; i < n; ++i)
                times[i] = 150.0f + 140.0f * float (std::sin (double (start + i) * 2e-4)) + 0.37f;
            line.process (out.data() + start, n, 0, times.data(), nullptr, true, false);

            for (unsigned long i = 0; i < n; ++i)
            {
                const float d = times[i] * 0.001f * float (kRate);
                const long whole = long (d);
                const double f = double (d - float (whole));
                auto x = [&] (long k) { return k >= 0 ? double (input[std::size_t (k)]) : 0.0; };
                const long t = long (start + i);
                double expected;
                if (mode == DelayRead::Linear)
                {
                    expected = x (t - whole) + f * (x (t - 1 - whole) - x (t - whole));
                }
                else
                {
                    const double y0 = x (t - whole), y1 = x (t - 1 - whole), y2 = x (t - 2 - whole), y3 = x (t - 3 - whole);
                    const double c = (1.0 - f) / 6.0;
                    expected = y1 + f * ((y2 - y1) - c * (2 * y0 - 3 * y1 + y3 + f * (y3 - y0 - 3 * y2 + 3 * y1)));
                }
                worst = std::max (worst, std::abs (expected - double (out[start + i])));
            }
            start += n;
        }
        EXPECT_LT (worst, 2e-5) << "mode " << mode;
    }
}

TEST (DelayLine, LagrangeIsExactOnWholeSamplesAndReproducesCubics)
{
    // Reading a cubic must give the cubic itself at the fractional position:
    // that is what a third-order Lagrange interpolator is for.
    auto cubic = [] (double t) {
        const double u = t / 1000.0;
        return 0.3 + 0.5 * u - 0.8 * u * u + 0.25 * u * u * u;
    };
    std::vector<float> x (3000);
    for (std::size_t k = 0; k < x.size(); ++k)
        x[k] = float (cubic (double (k)));

    for (float fraction : { 0.0f, 0.25f, 0.5f, 0.999f })
    {
        DelayLine line (400.0f);
        line.init (1, kRate);
        const float delaySamples = 400.0f + fraction;
        const auto y = runConstant (line, x, 256, delaySamples * 1000.0f / float (kRate));
        const float d = delaySamples * 1000.0f / float (kRate) * 0.001f * float (kRate);
        for (std::size_t k = 1000; k < y.size(); ++k)
        {
            const double expected = cubic (double (k) - 1.0 - double (d));
            ASSERT_NEAR (expected, y[k], 2e-5) << "fraction " << fraction << " at " << k;
        }
    }

    // On a whole-sample delay the interpolator returns the stored sample bit for bit.
    const float timeMs = wholeSampleTimeMs (400);
    const float d = timeMs * 0.001f * float (kRate);
    const auto noisy = noise (3000);
    DelayLine line (400.0f);
    line.init (1, kRate);
    const auto y = runConstant (line, noisy, 256, timeMs);
    for (std::size_t k = 1000; k < y.size(); ++k)
        ASSERT_EQ (noisy[k - 1 - std::size_t (d)], y[k]);
}

TEST (DelayLine, ClipsTimesToWhatTheStorageHoldsEvenForShortBlocks)
{
    // Far too long a time, in 16-frame blocks: the delay stops where the
    // storage still holds the sample for any block up to the floor's length
    // (size - 256 - 4 behind it), rather than reading samples already
    // overwritten or outside the buffer.
    DelayLine line (400.0f);
    line.init (1, kRate);
    line.setInterpolation (DelayRead::Linear);
    const int size = line.writer (0).size;
    std::vector<float> x (std::size_t (size) * 2, 0.0f);
    x[100] = 1.0f;
    const auto y = runConstant (line, x, 16, 1.0e6f);
    const auto longest = std::size_t (size) - DelayRead::kLoopFloor - 4;
    EXPECT_EQ (100 + longest, indexOfPeak (y));
    EXPECT_FLOAT_EQ (1.0f, y[100 + longest]);

    // Non-finite times read at the shortest delay and keep the output finite.
    for (float bad : { std::nanf (""), INFINITY, -INFINITY, -50.0f })
    {
        DelayLine other (400.0f);
        other.init (1, kRate);
        other.setInterpolation (DelayRead::Linear);
        std::vector<float> z (20480, 0.0f);
        z[0] = 1.0f;
        const auto out = runConstant (other, z, 256, bad);
        ASSERT_TRUE (testsupport::allFinite (out.data(), out.size()));
        EXPECT_NEAR (1.0, testsupport::peak (out.data(), out.size()), 1e-6);
    }
}

TEST (DelayLine, FeedbackRepeatsWithDecayingEchoes)
{
    DelayLine line (400.0f);
    line.init (1, kRate);
    line.setInterpolation (DelayRead::Linear);
    std::vector<float> x (8192, 0.0f);
    x[0] = 1.0f;
    const float timeMs = wholeSampleTimeMs (480);
    const auto period = std::size_t (timeMs * 0.001f * float (kRate)) + 64;
    std::vector<float> times (4096, timeMs), feedback (4096, 0.5f);
    for (std::size_t s = 0; s < x.size(); s += 256)
        line.process (x.data() + s, 256, 0, times.data(), feedback.data(), true, false);
    // Echoes every delay period, each half the one before.
    EXPECT_FLOAT_EQ (1.0f, x[period]);
    EXPECT_FLOAT_EQ (0.5f, x[2 * period]);
    EXPECT_FLOAT_EQ (0.25f, x[3 * period]);
    // Nothing between the echoes: all the energy sits in them.
    const double r = testsupport::rms (x.data(), 3 * period + 10);
    EXPECT_NEAR (1.0 + 0.25 + 0.0625, r * r * double (3 * period + 10), 1e-9);
}

TEST (DelayLine, ParameterFormAgreesWithTheBufferForm)
{
    const auto input = noise (4096);
    std::vector<float> times (4096, 12.5f), feedback (4096, 0.3f);

    DelayLine a (400.0f), b (400.0f), c (400.0f);
    for (DelayLine* line : { &a, &b, &c })
        line->init (1, kRate);
    auto viaBuffers = input, viaScalars = input, viaMixed = input;
    for (std::size_t s = 0; s < input.size(); s += 256)
    {
        a.process (viaBuffers.data() + s, 256, 0, times.data(), feedback.data(), true, false);
        DelayLineParameters scalars;
        scalars.time = 12.5f;
        scalars.feedback = 0.3f;
        b.process (viaScalars.data() + s, 256, 0, scalars);
        // A per-sample time with a scalar feedback keeps the feedback.
        DelayLineParameters mixed;
        mixed.timeBuffer = times.data();
        mixed.feedback = 0.3f;
        c.process (viaMixed.data() + s, 256, 0, mixed);
    }
    EXPECT_EQ (viaBuffers, viaScalars);
    EXPECT_EQ (viaBuffers, viaMixed);
}

TEST (DelayLine, WriteAndReadFlagsChooseWhatIsStoredAndReturned)
{
    const auto input = noise (1024);
    std::vector<float> times (4096, 0.0f);

    // No write, no read-from-delay: the input passes unchanged and nothing is stored.
    DelayLine line (400.0f);
    line.init (1, kRate);
    auto x = input;
    line.process (x.data(), 256, 0, times.data(), nullptr, false, false);
    EXPECT_TRUE (std::equal (input.begin(), input.begin() + 256, x.begin()));
    for (float v : line.writer (0).buffer)
        ASSERT_EQ (0.0f, v);

    // No write, read-from-delay: the delayed (here still silent) signal.
    line.process (x.data(), 256, 0, times.data(), nullptr, false, true);
    EXPECT_EQ (0.0, testsupport::peak (x.data(), 256));

    // Clearing silences what was stored.
    auto y = input;
    for (std::size_t s = 0; s < y.size(); s += 256)
        line.process (y.data() + s, 256, 0, times.data(), nullptr, true, false);
    line.clear();
    std::vector<float> z (256, 0.0f);
    line.process (z.data(), 256, 0, times.data(), nullptr, true, false);
    EXPECT_EQ (0.0, testsupport::peak (z.data(), z.size()));

    // A channel that was never set up is left alone.
    auto w = input;
    line.process (w.data(), 256, 5, times.data(), nullptr, true, false);
    EXPECT_TRUE (std::equal (input.begin(), input.begin() + 256, w.begin()));
}

TEST (DelayLine, ChannelsAreIndependentAndLongBlocksAreSplit)
{
    DelayLine line (400.0f);
    line.init (2, kRate);
    line.setInterpolation (DelayRead::Linear);
    std::vector<float> left (10000, 0.0f), right (10000, 0.0f);
    left[0] = 1.0f;
    std::vector<float> times (10000, 100.0f);
    line.process (left.data(), 10000, 0, times.data(), nullptr, true, false);
    line.process (right.data(), 10000, 1, times.data(), nullptr, true, false);
    // Pieces of 4096 frames; the echo 100 ms later crosses from the first
    // into the second.
    EXPECT_EQ (4800u, indexOfPeak (left));
    EXPECT_FLOAT_EQ (1.0f, left[4800]);
    EXPECT_EQ (0.0, testsupport::peak (right.data(), right.size()));
}

TEST (DelayLine, ProcessingAllocatesNothing)
{
    DelayLineDamped line (600.0f);
    line.init (2, kRate);
    auto x = noise (256);
    std::vector<float> times (4096, 80.0f), feedback (4096, 0.4f);
    testsupport::ScopedAllocationCounter counter;
    for (int i = 0; i < 100; ++i)
    {
        line.process (x.data(), 256, 0, times.data(), feedback.data(), true, false);
        line.process (x.data(), 256, 1, times.data(), nullptr, false, true);
        DelayLineParameters p;
        p.time = 30.0f;
        p.feedback = 0.2f;
        line.process (x.data(), 256, 1, p);
    }
    EXPECT_EQ (0u, counter.allocations());
}

TEST (DelayLineDamped, BlendsTheLowPassedSignalByTheAmount)
{
    const auto input = noise (256);

    DelayLine plain (400.0f);
    plain.init (1, kRate);
    auto untouched = input;
    plain.preFeedbackProcess (untouched.data(), 256, 0);
    EXPECT_EQ (input, untouched);

    DelayLineDamped damped (400.0f);
    damped.init (1, kRate);
    std::fill (damped.cutoff.begin(), damped.cutoff.end(), 2000.0f);
    std::fill (damped.amount.begin(), damped.amount.end(), 0.7f);
    auto mixed = input;
    damped.preFeedbackProcess (mixed.data(), 256, 0);

    BiquadFilter reference;
    reference.setType (LowPass);
    reference.init (1, kRate);
    auto low = input;
    BiquadFilterParameters p;
    p.frequency = 2000.0f;
    p.resonance = -3.0f;
    reference.process (low.data(), 256, 0, p);
    for (std::size_t i = 0; i < input.size(); ++i)
        ASSERT_NEAR (0.3f * input[i] + 0.7f * low[i], mixed[i], 1e-5f) << i;

    // Amount 0 leaves the signal as it is.
    std::fill (damped.amount.begin(), damped.amount.end(), 0.0f);
    auto same = input;
    damped.preFeedbackProcess (same.data(), 256, 0);
    for (std::size_t i = 0; i < input.size(); ++i)
        ASSERT_NEAR (input[i], same[i], 1e-6f);
}

TEST (DelayLineDamped, FeedbackLosesHighsFasterThanLows)
{
    // A freshly initialised line damps at its default cutoff of 3000 Hz.
    auto measure = [] (double frequency) {
        DelayLineDamped line (600.0f);
        line.init (1, kRate);
        std::fill (line.amount.begin(), line.amount.end(), 1.0f);
        std::vector<float> times (4096, 50.0f), feedback (4096, 0.9f);
        // A burst shorter than the delay, so its repeats never overlap.
        auto x = testsupport::sine (frequency, kRate, 2000, 0.5f);
        x.resize (48128, 0.0f);
        for (std::size_t s = 0; s < x.size(); s += 256)
            line.process (x.data() + s, 256, 0, times.data(), feedback.data(), true, false);
        // The tone itself, not the low-frequency residue of the burst edges.
        return testsupport::toneMagnitude (x.data() + 40000, 8000, frequency, kRate);
    };
    const double low = measure (200.0);
    const double high = measure (9000.0);
    EXPECT_GT (low, 0.01);           // a 200 Hz tone keeps ringing (0.9 per pass)
    EXPECT_LT (high, low * 1e-3);    // a 9 kHz tone has died away
}
