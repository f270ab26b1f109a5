#include "Math/Accelerate/BiquadHistory.h"
#include "ProcessBlock/Filters/BiquadFilter.h"
#include "ProcessBlock/Mix/Gain.h"

#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace
{
constexpr double rate = 48000.0;

// The analog prototype each design maps through the bilinear transform, with
// s normalised to the design frequency: numerator and denominator as
// {s^2, s^1, s^0} coefficients.
struct Prototype
{
    double n2, n1, n0, d2, d1, d0;
};

Prototype prototype (BiquadFilterType type, double resonance, double gain)
{
    const double Q = std::pow (10.0, resonance / 20.0);
    const double level = type == Peak ? gain : resonance;
    const double V = std::pow (10.0, std::fabs (level) / 20.0);
    const bool boost = level >= 0.0;
    const double r2 = std::sqrt (2.0), rv = std::sqrt (2.0 * V);
    switch (type)
    {
        case LowPass: return { 0, 0, 1, 1, 1 / Q, 1 };
        case HighPass: return { 1, 0, 0, 1, 1 / Q, 1 };
        case BandPass: return { 0, 1 / Q, 0, 1, 1 / Q, 1 };
        case Notch: return { 1, 0, 1, 1, 1 / Q, 1 };
        case Peak: return boost ? Prototype { 1, V / Q, 1, 1, 1 / Q, 1 } : Prototype { 1, 1 / Q, 1, 1, V / Q, 1 };
        case LowShelf: return boost ? Prototype { 1, rv, V, 1, r2, 1 } : Prototype { 1, r2, 1, 1, rv, V };
        case HighShelf: return boost ? Prototype { V, rv, 1, 1, r2, 1 } : Prototype { 1, r2, 1, V, rv, 1 };
        case AllPass: return { 1, -1 / Q, 1, 1, 1 / Q, 1 };
    }
    return {};
}

double analyticMagnitude (BiquadFilterType type, double f0, double resonance, double gain, double f)
{
    const auto p = prototype (type, resonance, gain);
    const double omega = std::tan (std::numbers::pi * f / rate) / std::tan (std::numbers::pi * f0 / rate);
    const std::complex<double> s (0.0, omega);
    return std::abs ((p.n2 * s * s + p.n1 * s + p.n0) / (p.d2 * s * s + p.d1 * s + p.d0));
}

// Level of a sine at `f` after the filter, once the filter has settled.
double measuredMagnitude (BiquadFilter& filter, BiquadFilterParameters params, double f)
{
    filter.clear();
    auto x = testsupport::sine (f, rate, 47 * 512);
    for (std::size_t start = 0; start < x.size(); start += 512)
        filter.process (x.data() + start, 512, 0, params);
    // Measure over the last 8192 samples.
    return testsupport::toneMagnitude (x.data() + x.size() - 8192, 8192, f, rate);
}
} // namespace

TEST (BiquadFilter, EveryTypeMatchesItsAnalyticResponse)
{
    const double testFrequencies[] { 60, 250, 700, 1000, 1500, 4000, 12000 };
    struct Setting
    {
        float f0, resonance, gain;
    };
    const Setting settings[] { { 1000.0f, 0.0f, 0.0f }, { 1000.0f, 9.0f, 6.0f }, { 1000.0f, -6.0f, -9.0f } };
    for (int t = LowPass; t <= AllPass; ++t)
        for (const auto& s : settings)
        {
            BiquadFilter filter;
            filter.init (1, rate);
            filter.setType (BiquadFilterType (t));
            const BiquadFilterParameters params { s.f0, nullptr, s.resonance, nullptr, s.gain, nullptr };
            for (const double f : testFrequencies)
            {
                const double expected = analyticMagnitude (BiquadFilterType (t), s.f0, s.resonance, s.gain, f);
                const double measured = measuredMagnitude (filter, params, f);
                // Within 0.1 dB; deep in a stop band, below -54 dB.
                const auto where = ::testing::Message() << "type " << t << " f0 " << s.f0 << " res " << s.resonance
                                                        << " gain " << s.gain << " at " << f << " Hz";
                if (expected > 1e-3)
                    EXPECT_NEAR (testsupport::toDecibels (expected), testsupport::toDecibels (measured), 0.1) << where;
                else
                    EXPECT_LT (measured, 2e-3) << where;
            }
        }
}

TEST (BiquadFilter, ShelvesAndPeakKeyFacts)
{
    // A +6 dB and a -6 dB low shelf at the same frequency cancel out.
    BiquadFilter up, down;
    up.init (1, rate);
    down.init (1, rate);
    up.setType (LowShelf);
    down.setType (LowShelf);
    for (const double f : { 40.0, 300.0, 1000.0, 8000.0 })
    {
        auto x = testsupport::sine (f, rate, 24000);
        for (std::size_t start = 0; start < x.size(); start += 1000)
        {
            up.process (x.data() + start, 1000, 0, BiquadFilterParameters { 500.0f, nullptr, 6.0f, nullptr, 0.0f, nullptr });
            down.process (x.data() + start, 1000, 0, BiquadFilterParameters { 500.0f, nullptr, -6.0f, nullptr, 0.0f, nullptr });
        }
        EXPECT_NEAR (1.0, testsupport::toneMagnitude (x.data() + 16000, 8000, f, rate), 1e-3) << f;
    }

    // A peak with gain 0 is flat whatever its resonance.
    BiquadCoefficients c;
    c.sampleRate = float (rate);
    c.calculateParams (1000.0f, 18.0f, 0.0f, Peak);
    EXPECT_FLOAT_EQ (c.b1, c.a1);
    EXPECT_NEAR (c.b0 + c.b2, 1.0f + c.a2, 1e-6f);
    EXPECT_NEAR (c.b0, 1.0f - c.b2 + c.a2, 1e-6f);

    // Unknown types leave the coefficients alone.
    const BiquadCoefficients before = c;
    c.calculateParams (200.0f, 3.0f, 3.0f, BiquadFilterType (8));
    EXPECT_EQ (before.b0, c.b0);
    EXPECT_EQ (before.a2, c.a2);
}

TEST (BiquadFilter, ControlBuffersAreReadAtTheStartOfEachPiece)
{
    std::vector<float> freq (512), res (512, 0.0f);
    for (std::size_t i = 0; i < freq.size(); ++i)
        freq[i] = 200.0f + 10.0f * float (i);
    const auto input = testsupport::sine (3000.0, rate, 512);

    // Only a frequency buffer: the whole block uses its first sample.
    BiquadFilter a, b;
    a.init (1, rate);
    b.init (1, rate);
    auto x = input, y = input;
    a.process (x.data(), 512, 0, freq.data(), nullptr, nullptr);
    b.process (y.data(), 512, 0, BiquadFilterParameters { 200.0f, nullptr, 0.0f, nullptr, 0.0f, nullptr });
    EXPECT_EQ (y, x);

    // Both buffers: pieces of subBlockSize, each with its own first sample,
    // a peak's gain too.
    std::vector<float> gain (512);
    for (std::size_t i = 0; i < gain.size(); ++i)
        gain[i] = -12.0f + 0.05f * float (i);
    BiquadFilter moving, reference;
    moving.init (1, rate);
    reference.init (1, rate);
    moving.setType (Peak);
    reference.setType (Peak);
    x = input;
    y = input;
    moving.process (x.data(), 512, 0, freq.data(), res.data(), gain.data());
    for (unsigned long k = 0; k < 512; k += 64)
        reference.process (y.data() + k, 64, 0, BiquadFilterParameters { freq[k], nullptr, 0.0f, nullptr, gain[k], nullptr });
    EXPECT_EQ (y, x);
}

TEST (BiquadFilter, BadStateIsFlushedAndTypeChangesRestart)
{
    BiquadFilter filter;
    filter.init (2, rate);
    const BiquadFilterParameters params { 1000.0f, nullptr, 0.0f, nullptr, 0.0f, nullptr };
    // NaN in the last two samples: every value of the history goes bad.
    std::vector<float> x (64, 0.5f);
    x[62] = x[63] = NAN;
    filter.process (x.data(), 64, 1, params);
    auto y = testsupport::sine (440.0, rate, 256);
    filter.process (y.data(), 256, 1, params);
    EXPECT_TRUE (testsupport::allFinite (y.data(), y.size())) << "a NaN does not stick";

    // Small values are cleared only where the frames run reach a multiple of
    // the settling period, not wherever a call ends.
    std::vector<float> tiny (64, 1e-20f);
    filter.process (tiny.data(), 64, 0, params);
    EXPECT_NE (0.0f, filter.states[0]->x1);
    for (int call = 1; call * 64 < int (BiquadHistory::kSettlePeriod); ++call)
        filter.process (tiny.data(), 64, 0, params);
    EXPECT_EQ (0.0f, filter.states[0]->x1);
    EXPECT_EQ (0.0f, filter.states[0]->y1);

    std::vector<float> one (8, 1.0f);
    filter.process (one.data(), 8, 0, params);
    filter.setType (LowPass);
    EXPECT_NE (0.0f, filter.states[0]->y1) << "the same type keeps the history";
    filter.setType (HighPass);
    EXPECT_EQ (0.0f, filter.states[0]->y1) << "another type restarts it";

    // A channel the filter was not set up for is left untouched.
    std::vector<float> z (8, 1.0f);
    filter.process (z.data(), 8, 5, params);
    EXPECT_EQ (std::vector<float> (8, 1.0f), z);
}

TEST (BiquadHistory, KeepsExactlyTheValuesStrictlyBetweenTheDoubleBounds)
{
    // The rule: keep v when 1e-15 < |v| < 1e15 in double precision, else 0;
    // at a call's end off the settling grid, only the upper bound counts.
    // Every float around both bounds (a few hundred steps each way), both
    // signs, in every one of the four places, and the special values.
    auto rule = [] (float v) {
        const double m = std::fabs (double (v));
        return (m > 1e-15 && m < 1e15) ? v : 0.0f;
    };
    std::vector<float> values { 0.0f, -0.0f, 1.0f, -3.5f, 1e-30f, 1e30f, INFINITY, -INFINITY, NAN, 1.2e-38f, 1e-45f };
    for (double bound : { 1e-15, 1e15 })
    {
        float f = float (bound);
        for (int k = 0; k < 300; ++k)
            f = std::nextafter (f, 0.0f);
        for (int k = 0; k < 600; ++k, f = std::nextafter (f, HUGE_VALF))
        {
            values.push_back (f);
            values.push_back (-f);
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        BiquadHistory h;
        const float v[4] = { values[i], values[(i + 7) % values.size()], values[(i + 13) % values.size()],
                             values[(i + 29) % values.size()] };
        h.x1 = v[0], h.x2 = v[1], h.y1 = v[2], h.y2 = v[3];
        h.clearBadStateValue();
        const float kept[4] = { h.x1, h.x2, h.y1, h.y2 };
        for (int j = 0; j < 4; ++j)
        {
            const float expected = rule (v[j]);
            ASSERT_EQ (std::bit_cast<std::uint32_t> (expected), std::bit_cast<std::uint32_t> (kept[j]))
                << "value " << v[j] << " in place " << j;
            const float bounded = std::fabs (double (v[j])) < 1e15 ? v[j] : 0.0f;
            ASSERT_EQ (std::bit_cast<std::uint32_t> (bounded), std::bit_cast<std::uint32_t> (BiquadHistory::bounded (v[j])))
                << "value " << v[j];
        }
    }
}

TEST (BiquadFilter, StaysStableAboveNyquistAndIgnoresNaNSettings)
{
    // 20 kHz at 32 kHz lies beyond Nyquist: every design must stay bounded.
    for (int t = LowPass; t <= AllPass; ++t)
        for (const float f : { 20000.0f, 16000.0f, 0.0f, -100.0f })
        {
            BiquadFilter filter;
            filter.init (1, 32000.0);
            filter.setType (BiquadFilterType (t));
            std::vector<float> x (32768);
            std::mt19937 rng (3);
            std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
            for (auto& v : x)
                v = noise (rng);
            filter.process (x.data(), 32768, 0, BiquadFilterParameters { f, nullptr, 12.0f, nullptr, 12.0f, nullptr });
            EXPECT_LT (testsupport::peak (x.data() + 16384, 16384), 100.0) << "type " << t << " at " << f << " Hz";
        }

    BiquadCoefficients c;
    c.calculateParams (1000.0f, 0.0f, 0.0f, LowPass);
    const BiquadCoefficients before = c;
    c.calculateParams (NAN, 0.0f, 0.0f, LowPass);
    c.calculateParams (1000.0f, NAN, 0.0f, HighPass);
    EXPECT_EQ (before.b0, c.b0);
    EXPECT_EQ (before.a1, c.a1);
}

TEST (BiquadFilter, NewSampleRateRecomputesTheCoefficients)
{
    BiquadFilter filter;
    filter.init (1, 44100.0);
    const BiquadFilterParameters params { 1000.0f, nullptr, 0.0f, nullptr, 0.0f, nullptr };
    std::vector<float> x (16, 0.0f);
    filter.process (x.data(), 16, 0, params);
    filter.init (1, rate);
    filter.process (x.data(), 16, 0, params);
    BiquadCoefficients expected;
    expected.sampleRate = float (rate);
    expected.calculateParams (1000.0f, 0.0f, 0.0f, LowPass);
    EXPECT_EQ (expected.b0, filter.coefficients.b0);
    EXPECT_EQ (expected.a1, filter.coefficients.a1);
}

TEST (Gain, ScalarAndPerSampleDecibels)
{
    Gain gain;
    std::vector<float> x (300, 0.5f);
    gain.process (x.data(), 300, GainParameters { 6.0f, nullptr });
    EXPECT_NEAR (0.5 * std::pow (10.0, 6.0 / 20.0), x[299], 1e-6);

    std::vector<float> db (300);
    for (std::size_t i = 0; i < db.size(); ++i)
        db[i] = -30.0f + 0.1f * float (i);
    std::fill (x.begin(), x.end(), 1.0f);
    gain.process (x.data(), 300, db.data());
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR (std::pow (10.0, db[i] / 20.0), x[i], 2e-6 * x[i]) << i;
}
