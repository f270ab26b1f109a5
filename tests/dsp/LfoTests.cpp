#include "Modulation/Lfo.h"

#include "AllocationCounter.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <numbers>
#include <set>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

struct Modulator
{
    explicit Modulator (int outputs, double rate = kRate)
    {
        lfo.init (outputs, rate);
        for (int i = 0; i < 4; ++i)
            offsets[std::size_t (i)].assign (4096, 0.25f * float (i));
    }

    // Renders `frames` of one output at `hz` (rate buffer), with the output's
    // quarter-cycle offset unless told otherwise.
    std::vector<float> render (unsigned long output, unsigned long frames, float hz, float* amount = nullptr,
                               bool withOffset = true)
    {
        std::vector<float> rate (4096, hz), out (frames);
        Lfo::LfoParameters p;
        p.rate = rate.data();
        p.phaseOffset = withOffset && output < 4 ? offsets[output].data() : nullptr;
        p.amount = amount;
        lfo.process (out.data(), frames, output, p, nullptr);
        return out;
    }

    Lfo lfo;
    std::vector<float> offsets[4];
};
} // namespace

TEST (Lfo, FourOutputsStartAQuarterCycleApartAndStayThere)
{
    Modulator m (4);
    m.lfo.randomSteps = false;
    // Output 0 starts at -1 (phase 0), output 1 at 0 (phase 0.25), output 2 at +1, output 3 at 0.
    const float starts[] = { -1.0f, 0.0f, 1.0f, 0.0f };
    double worst = 0.0;
    const double hz = 2.0;
    for (unsigned long block = 0; block < 1875; ++block) // ten seconds of 256-frame blocks
    {
        for (unsigned long o = 0; o < 4; ++o)
        {
            const auto out = m.render (o, 256, float (hz));
            if (block == 0)
            {
                EXPECT_NEAR (starts[o], out[0], 1e-6f) << "output " << o;
            }
            for (unsigned long k = 0; k < 256; ++k)
            {
                const double t = double (block * 256 + k) / kRate;
                const double expected = std::sin (2.0 * std::numbers::pi * (hz * t + 0.25 * double (o)) - std::numbers::pi / 2);
                worst = std::max (worst, std::abs (expected - double (out[k])));
            }
        }
    }
    // Phase carried from block to block without drift or jumps.
    EXPECT_LT (worst, 5e-3);
}

TEST (Lfo, RateIsClampedAndOnlyTheFirstValueCounts)
{
    auto phaseAfter = [] (std::vector<float> rate, unsigned long frames) {
        Lfo lfo;
        lfo.init (1, kRate);
        std::vector<float> out (frames);
        Lfo::LfoParameters p;
        p.rate = rate.data();
        lfo.process (out.data(), frames, 0, p, nullptr);
        return lfo.phases[0];
    };
    // 0.0625 Hz for a second: a sixteenth of a cycle.
    for (float slow : { 0.0f, -3.0f, 0.01f, std::nanf ("") })
        EXPECT_NEAR (0.0625f, phaseAfter (std::vector<float> (4096, slow), 48000), 1e-4f) << slow;
    EXPECT_NEAR (0.0625f * 4096.0f / 48000.0f, phaseAfter (std::vector<float> (4096, 0.0f), 4096), 1e-6f);
    // 40 Hz at most: 600 samples are half a cycle.
    EXPECT_NEAR (0.5f, phaseAfter (std::vector<float> (4096, 100.0f), 600), 1e-4f);
    // 1 Hz from the first value, whatever follows.
    std::vector<float> mixed (4096, 39.0f);
    mixed[0] = 1.0f;
    EXPECT_NEAR (480.0f / 48000.0f, phaseAfter (mixed, 480), 1e-6f);
}

TEST (Lfo, AmountIsSquared)
{
    Modulator m (1);
    std::vector<float> amount (4096, 30.0f);
    double peak = 0.0;
    for (int block = 0; block < 200; ++block) // more than a cycle at 1 Hz
    {
        const auto out = m.render (0, 256, 1.0f, amount.data());
        peak = std::max (peak, testsupport::peak (out.data(), out.size()));
    }
    EXPECT_NEAR (0.09, peak, 1e-4);

    m.lfo.squareAmount = false;
    m.lfo.clear();
    EXPECT_NEAR (0.3f, std::abs (m.render (0, 16, 1.0f, amount.data())[0]), 1e-6f);
    m.lfo.clear();
    EXPECT_NEAR (1.0f, std::abs (m.render (0, 16, 1.0f, nullptr)[0]), 1e-6f); // no amount: full swing
}

TEST (Lfo, ShapesFollowTheirTables)
{
    // 40 Hz at 320 Hz sampling: the phase moves by 1/8 per sample.
    const float triangle[] = { -1.0f, -0.5f, 0.0f, 0.5f, 1.0f, 0.5f, 0.0f, -0.5f };
    const float sawUp[] = { -1.0f, -0.75f, -0.5f, -0.25f, 0.0f, 0.25f, 0.5f, 0.75f };
    const float square[] = { 1, 1, 1, 1, -1, -1, -1, -1 };
    const struct
    {
        std::uint32_t shape;
        const float* values;
        float sign;
    } cases[] = { { Lfo::Triangle, triangle, 1.0f }, { Lfo::SawUp, sawUp, 1.0f }, { Lfo::SawDown, sawUp, -1.0f }, { Lfo::Square, square, 1.0f } };

    for (const auto& c : cases)
    {
        Modulator m (1, 320.0);
        m.lfo.shape = c.shape;
        const auto out = m.render (0, 16, 40.0f);
        for (std::size_t k = 0; k < 16; ++k)
            EXPECT_NEAR (c.sign * c.values[k % 8], out[k], 1e-5f) << "shape " << c.shape << " sample " << k;
    }
}

TEST (Lfo, SampleAndHoldStepsOncePerHalfPeriodFromTheStart)
{
    Modulator m (1);
    m.lfo.shape = Lfo::SampleAndHold;
    std::vector<float> all;
    for (int block = 0; block < 188; ++block)
    {
        const auto out = m.render (0, 256, 10.0f, nullptr, false);
        all.insert (all.end(), out.begin(), out.end());
    }
    int changes = 0;
    std::set<float> values;
    for (std::size_t k = 1; k < all.size(); ++k)
    {
        changes += all[k] != all[k - 1] ? 1 : 0;
        values.insert (all[k]);
    }
    // 10 Hz, one new value per half period: about 20 a second, and no burst
    // of per-sample noise while the start-up timer runs down.
    EXPECT_GE (changes, 18);
    EXPECT_LE (changes, 21);
    EXPECT_GE (values.size(), 15u);
    for (float v : values)
    {
        EXPECT_GE (v, -1.0f);
        EXPECT_LE (v, 1.0f);
    }
}

TEST (Lfo, TransportLockedShapesFollowTheBarAndStayInRange)
{
    Lfo lfo;
    lfo.init (2, kRate);
    lfo.rateMode = Lfo::TempoMode;
    lfo.followTransport = true;
    std::vector<float> rate (4096, 1.0f), offset (4096, 0.0f), out (256);
    Lfo::LfoParameters p;
    p.rate = rate.data();
    p.phaseOffset = offset.data();

    // One beat into the bar (the position counts from beat 4): a quarter cycle.
    lfo.beatPosition = 5.0;
    lfo.shape = Lfo::Sine;
    lfo.process (out.data(), 1, 0, p, nullptr);
    EXPECT_NEAR (1.0f, out[0], 1e-5f);
    lfo.shape = Lfo::SawUp;
    lfo.process (out.data(), 1, 0, p, nullptr);
    EXPECT_NEAR (-0.5f, out[0], 1e-5f);
    lfo.shape = Lfo::Triangle;
    lfo.process (out.data(), 1, 0, p, nullptr);
    EXPECT_NEAR (1.0f, out[0], 1e-5f); // the triangle peaks with the sine

    // Before the bar's origin every waveform keeps its range.
    for (std::uint32_t shape : { Lfo::Sine, Lfo::Triangle, Lfo::SawUp, Lfo::SawDown, Lfo::Square })
    {
        lfo.shape = shape;
        for (double position = 0.0; position < 8.0; position += 0.37)
        {
            lfo.beatPosition = position;
            lfo.process (out.data(), 256, 0, p, nullptr);
            for (float v : out)
                ASSERT_TRUE (v >= -1.0f && v <= 1.0f) << "shape " << shape << " at beat " << position << ": " << v;
        }
    }
    lfo.beatPosition = 2.0; // half a bar before the origin: a saw at mid-swing
    lfo.shape = Lfo::SawUp;
    lfo.process (out.data(), 1, 0, p, nullptr);
    EXPECT_NEAR (0.0f, out[0], 1e-5f);
}

TEST (Lfo, TransportLockedSampleAndHoldSharesValuesBetweenTwoOutputs)
{
    Lfo lfo;
    lfo.init (2, kRate);
    lfo.rateMode = Lfo::TempoMode;
    lfo.followTransport = true;
    lfo.shape = Lfo::SampleAndHold;
    std::vector<float> rate (4096, 1.0f), offset (4096, 0.25f), a (4096), b (4096);
    Lfo::LfoParameters p;
    p.rate = rate.data();
    p.phaseOffset = offset.data();

    std::set<float> first, second;
    // The host moves the transport; the held values change at each cycle's midpoint.
    for (int block = 0; block < 400; ++block)
    {
        lfo.beatPosition = 4.0 + block * 4096.0 * 2.0 / kRate; // 120 bpm
        lfo.process (a.data(), 4096, 0, p, nullptr);
        lfo.process (b.data(), 4096, 1, p, nullptr);
        first.insert (a.begin(), a.end());
        second.insert (b.begin(), b.end());
    }
    EXPECT_GT (first.size(), 10u);
    // Output 1 only ever copies what output 0 drew.
    for (float v : second)
        EXPECT_TRUE (v == 0.0f || first.count (v) == 1) << v;
}

TEST (Lfo, SmoothingRoundsTheEdgesOfASquare)
{
    auto largestStep = [] (bool smooth) {
        Modulator m (1);
        m.lfo.shape = Lfo::Square;
        m.lfo.smooth = smooth;
        float previous = 0.0f, largest = 0.0f;
        for (int block = 0; block < 100; ++block)
        {
            const auto out = m.render (0, 256, 20.0f);
            for (std::size_t k = block == 0 ? 1 : 0; k < out.size(); ++k)
            {
                largest = std::max (largest, std::abs (out[k] - previous));
                previous = out[k];
            }
        }
        return largest;
    };
    EXPECT_NEAR (2.0f, largestStep (false), 1e-6f);
    EXPECT_LT (largestStep (true), 0.05f);
}

TEST (Lfo, BadSetupsGiveDefinedOutputAndProcessingAllocatesNothing)
{
    Modulator m (4);
    const auto beyond = m.render (7, 256, 1.0f);
    EXPECT_EQ (0.0, testsupport::peak (beyond.data(), beyond.size()));

    for (double broken : { 0.0, -48000.0, std::nan ("") })
    {
        Modulator still (1, broken);
        still.lfo.shape = Lfo::SampleAndHold;
        const auto held = still.render (0, 256, 5.0f);
        still.lfo.shape = Lfo::Sine;
        const auto out = still.render (0, 256, 5.0f);
        EXPECT_TRUE (testsupport::allFinite (out.data(), out.size())) << broken;
        EXPECT_TRUE (testsupport::allFinite (held.data(), held.size())) << broken;
    }

    std::vector<float> rate (4096, 3.0f), amount (4096, 50.0f), out (256);
    Lfo::LfoParameters p;
    p.rate = rate.data();
    p.amount = amount.data();
    m.lfo.smooth = true;
    testsupport::ScopedAllocationCounter counter;
    for (int block = 0; block < 50; ++block)
        for (unsigned long o = 0; o < 4; ++o)
        {
            p.phaseOffset = m.offsets[o].data();
            m.lfo.process (out.data(), 256, o, p, nullptr);
        }
    EXPECT_EQ (0u, counter.allocations());
}

namespace
{
// Two oscillators set up alike; one renders its outputs with process in
// turn, the other with processOutputs.
struct OutputPair
{
    explicit OutputPair (int outputs)
    {
        for (Lfo* l : { &plain, &together })
        {
            l->init (outputs, kRate);
            l->randomSteps = false;
        }
    }

    void configure (std::uint32_t shape, bool squared, bool steps, bool smooth)
    {
        for (Lfo* l : { &plain, &together })
        {
            l->shape = shape;
            l->squareAmount = squared;
            l->randomSteps = steps;
            l->smooth = smooth;
        }
    }

    // Both render `frames` of every output; returns false at the first
    // sample that differs in bits.
    ::testing::AssertionResult renderAlike (unsigned long frames, float* rate, float* amount,
                                            const std::vector<const float*>& offsets)
    {
        const unsigned long count = offsets.size();
        std::vector<std::vector<float>> a (count, std::vector<float> (frames, 7.0f)), b = a;
        std::vector<float*> outA, outB;
        for (unsigned long k = 0; k < count; ++k)
        {
            Lfo::LfoParameters p { rate, nullptr, const_cast<float*> (offsets[k]), amount };
            plain.process (a[k].data(), frames, k, p, nullptr);
            outB.push_back (b[k].data());
        }
        together.processOutputs (outB.data(), count, frames, Lfo::LfoParameters { rate, nullptr, nullptr, amount }, offsets.data());
        for (unsigned long k = 0; k < count; ++k)
            for (unsigned long i = 0; i < frames; ++i)
                if (std::bit_cast<std::uint32_t> (a[k][i]) != std::bit_cast<std::uint32_t> (b[k][i]))
                    return ::testing::AssertionFailure() << "output " << k << " sample " << i << ": " << a[k][i] << " vs " << b[k][i];
        return ::testing::AssertionSuccess();
    }

    Lfo plain, together;
};
} // namespace

TEST (Lfo, AllOutputsInOnePassGiveTheSamplesOfOneCallPerOutput)
{
    // Random rates, amounts, offsets (negative ones too), block lengths and
    // shapes, with and without an amount buffer; the phases run on across
    // calls. The random-step, smoothing and transport cases take the general
    // path and must match as well.
    std::uint32_t seed = 12345u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float (seed >> 8) / 16777216.0f;
    };
    for (int setting = 0; setting < 8; ++setting)
    {
        OutputPair pair (4);
        const std::uint32_t shape = std::uint32_t (setting % 6);
        pair.configure (shape, setting != 3, setting == 5, setting == 6);
        if (setting == 7)
            for (Lfo* l : { &pair.plain, &pair.together })
                l->rateMode = Lfo::TempoMode, l->followTransport = true, l->beatPosition = 3.3;

        std::vector<std::vector<float>> offsets (4, std::vector<float> (4096));
        for (int block = 0; block < 12; ++block)
        {
            const unsigned long frames = 1 + (unsigned long) (next() * 300.0f);
            std::vector<float> rate (4096, 0.1f + next() * 15.0f), amount (4096);
            for (unsigned long i = 0; i < 4096; ++i)
                amount[i] = 100.0f * next();
            std::vector<const float*> o;
            for (std::size_t k = 0; k < 4; ++k)
            {
                std::fill (offsets[k].begin(), offsets[k].end(), next() * 2.0f - 0.75f);
                o.push_back (k == 2 && block % 3 == 0 ? nullptr : offsets[k].data());
            }
            ASSERT_TRUE (pair.renderAlike (frames, rate.data(), block % 4 == 1 ? nullptr : amount.data(), o))
                << "setting " << setting << ", block " << block;
        }
        for (std::size_t k = 0; k < 4; ++k)
            EXPECT_EQ (pair.plain.phases[k], pair.together.phases[k]);
    }
}

TEST (Lfo, AllOutputsInOnePassAllocateNothingAndSkipMissingOutputs)
{
    OutputPair pair (2);
    std::vector<float> rate (4096, 3.0f), amount (4096, 50.0f), offset (4096, 0.5f);
    // More outputs than were set up: the extra one is silent, as with process.
    EXPECT_TRUE (pair.renderAlike (256, rate.data(), amount.data(), { nullptr, offset.data(), offset.data() }));

    std::vector<float> a (256), b (256);
    float* outs[2] = { a.data(), b.data() };
    const float* offs[2] = { nullptr, offset.data() };
    testsupport::ScopedAllocationCounter counter;
    pair.together.processOutputs (outs, 2, 256, Lfo::LfoParameters { rate.data(), nullptr, nullptr, amount.data() }, offs);
    EXPECT_EQ (0u, counter.allocations());
}
