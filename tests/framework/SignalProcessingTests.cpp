#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "VectorTargets.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace
{
// Sizes that exercise empty input, the scalar tails and several vector widths.
const std::vector<unsigned long> sizes { 0, 1, 3, 7, 8, 9, 31, 256, 259 };

std::vector<float> randomVector (unsigned long n, float lo, float hi, unsigned seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> dist (lo, hi);
    std::vector<float> v (n);
    for (auto& x : v)
        x = dist (rng);
    return v;
}

// Distance in units in the last place between two floats of the same sign.
std::int64_t ulpDistance (float a, float b)
{
    if (a == b)
        return 0;
    const auto ia = static_cast<std::int64_t> (std::bit_cast<std::int32_t> (a));
    const auto ib = static_cast<std::int64_t> (std::bit_cast<std::int32_t> (b));
    const auto oa = ia < 0 ? std::int64_t (INT32_MIN) - ia : ia;
    const auto ob = ib < 0 ? std::int64_t (INT32_MIN) - ib : ib;
    return std::llabs (oa - ob);
}

// Same result as libm: equal special values, or within maxUlp of the
// correctly rounded single-precision result of the double function.
void expectNearLibm (float got, double reference, std::int64_t maxUlp, float input)
{
    const auto expected = static_cast<float> (reference);
    if (std::isnan (expected))
        EXPECT_TRUE (std::isnan (got)) << "input " << input;
    else if (std::isinf (expected))
        EXPECT_EQ (expected, got) << "input " << input;
    else
        EXPECT_LE (ulpDistance (got, expected), maxUlp) << "input " << input << " got " << got << " expected " << expected;
}

struct UnaryCase
{
    const char* name;
    void (*function) (const float*, float*, unsigned long) noexcept;
    double (*reference) (double);
    float lo;
    float hi;
    std::int64_t maxUlp;
};

// cos, sin and tanh run on the audio path every sample and use the faster
// 3.5-ulp kernels; the others keep the 1-ulp ones.
constexpr std::int64_t fastUlp = 4;
constexpr std::int64_t accurateUlp = 2;

const std::vector<float> specialValues {
    0.0f, -0.0f, 1.0f, -1.0f,
    std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
    std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::denorm_min(),
    std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(), 88.8f, -104.0f
};
} // namespace

INSTANTIATE_TEST_SUITE_P (EveryTarget, VectorTargets, VectorTargets::all(), VectorTargets::name);

TEST_P (VectorTargets, ArithmeticKeepsFormulaAndOperandOrder)
{
    for (const auto n : sizes)
    {
        auto a = randomVector (n, -4.0f, 4.0f, 1);
        // Special values both in whole vectors and in the tails.
        for (unsigned long i = 3; i < n; i += 7)
            a[i] = specialValues[(i / 7) % specialValues.size()];
        const auto b = randomVector (n, 0.5f, 3.0f, 2);
        const auto c = randomVector (n, -2.0f, 2.0f, 3);
        const auto d = randomVector (n, -2.0f, 2.0f, 4);
        std::vector<float> out (n);
        const auto check = [&] (const char* what, const std::function<float (unsigned long)>& expected)
        {
            for (unsigned long i = 0; i < n; ++i)
            {
                const float e = expected (i);
                ASSERT_TRUE (std::isnan (e) ? std::isnan (out[i]) : std::bit_cast<std::uint32_t> (e) == std::bit_cast<std::uint32_t> (out[i]))
                    << what << " n=" << n << " i=" << i << " a=" << a[i] << " expected " << e << " got " << out[i];
            }
        };
        SignalProcessing::add (a.data(), b.data(), out.data(), n);
        check ("add", [&] (auto i) { return a[i] + b[i]; });
        SignalProcessing::add_s (a.data(), 0.25f, out.data(), n);
        check ("add_s", [&] (auto i) { return a[i] + 0.25f; });
        SignalProcessing::sub (a.data(), b.data(), out.data(), n);
        check ("sub", [&] (auto i) { return a[i] - b[i]; });
        SignalProcessing::mul (a.data(), b.data(), out.data(), n);
        check ("mul", [&] (auto i) { return a[i] * b[i]; });
        SignalProcessing::mul_s (a.data(), 3.0f, out.data(), n);
        check ("mul_s", [&] (auto i) { return a[i] * 3.0f; });
        SignalProcessing::add_mul (a.data(), b.data(), c.data(), out.data(), n);
        check ("add_mul", [&] (auto i) { return (a[i] + b[i]) * c[i]; });
        SignalProcessing::mul_add (a.data(), b.data(), c.data(), out.data(), n);
        check ("mul_add", [&] (auto i) { return a[i] * b[i] + c[i]; });
        SignalProcessing::add_mul_s (a.data(), b.data(), 0.75f, out.data(), n);
        check ("add_mul_s", [&] (auto i) { return (a[i] + b[i]) * 0.75f; });
        SignalProcessing::ramp (0.5f, -0.03f, 7, out.data(), n);
        check ("ramp", [&] (auto i) { return 0.5f + static_cast<float> (7 + static_cast<int> (i)) * -0.03f; });
        SignalProcessing::lerp (a.data(), b.data(), c.data(), out.data(), n);
        check ("lerp", [&] (auto i) { return (b[i] - a[i]) * c[i] + a[i]; });
        SignalProcessing::mul_add_s (a.data(), b.data(), 0.5f, out.data(), n);
        check ("mul_add_s", [&] (auto i) { return a[i] * b[i] + 0.5f; });
        SignalProcessing::mul_s_add (a.data(), 0.5f, b.data(), out.data(), n);
        check ("mul_s_add", [&] (auto i) { return a[i] * 0.5f + b[i]; });
        SignalProcessing::mul_s_add_s (a.data(), 0.5f, -1.0f, out.data(), n);
        check ("mul_s_add_s", [&] (auto i) { return a[i] * 0.5f + -1.0f; });
        SignalProcessing::mul_mul_add (a.data(), b.data(), c.data(), d.data(), out.data(), n);
        check ("mul_mul_add", [&] (auto i) { return a[i] * b[i] + c[i] * d[i]; });
        SignalProcessing::div (a.data(), b.data(), out.data(), n);
        check ("div", [&] (auto i) { return a[i] / b[i]; });
        SignalProcessing::s_div (2.0f, b.data(), out.data(), n);
        check ("s_div", [&] (auto i) { return 2.0f / b[i]; });
        SignalProcessing::div_s (a.data(), 3.0f, out.data(), n);
        check ("div_s", [&] (auto i) { return a[i] / 3.0f; });
        SignalProcessing::squareRoot (b.data(), out.data(), n);
        check ("squareRoot", [&] (auto i) { return std::sqrt (b[i]); });
        SignalProcessing::abs (a.data(), out.data(), n);
        check ("abs", [&] (auto i) { return std::fabs (a[i]); });
        SignalProcessing::clip (a.data(), -1.0f, 2.0f, out.data(), n);
        check ("clip", [&] (auto i) { return std::clamp (a[i], -1.0f, 2.0f); });
        SignalProcessing::finite (a.data(), out.data(), n);
        check ("finite", [&] (auto i) { return std::isfinite (a[i]) ? a[i] : 0.0f; });
        SignalProcessing::limit (a.data(), 0.5f, 2.0f, out.data(), n);
        check ("limit", [&] (auto i) { return a[i] >= 0.5f ? 2.0f : -2.0f; });
        SignalProcessing::threshold (a.data(), 0.5f, out.data(), n);
        check ("threshold", [&] (auto i) { return a[i] >= 0.5f ? a[i] : 0.0f; });
        SignalProcessing::min_compare (a.data(), c.data(), out.data(), n);
        check ("min_compare", [&] (auto i) { return std::fmin (a[i], c[i]); });
        SignalProcessing::max_compare (a.data(), c.data(), out.data(), n);
        check ("max_compare", [&] (auto i) { return std::fmax (a[i], c[i]); });
        SignalProcessing::truncToInt (a.data(), out.data(), n);
        check ("truncToInt", [&] (auto i) { return std::trunc (a[i]); });
        SignalProcessing::mod (a.data(), b.data(), out.data(), n);
        check ("mod", [&] (auto i) { return std::fmod (a[i], b[i]); });

        // In place, the way the blocks call it.
        auto inPlace = a;
        SignalProcessing::powTwo (inPlace.data(), n);
        out = inPlace;
        check ("powTwo", [&] (auto i) { return a[i] * a[i]; });
        inPlace = a;
        SignalProcessing::frac (inPlace.data(), n);
        out = inPlace;
        check ("frac", [&] (auto i) { return a[i] - std::trunc (a[i]); });
        inPlace = a;
        SignalProcessing::mul_s_add (inPlace.data(), 2.0f, inPlace.data(), inPlace.data(), n);
        out = inPlace;
        check ("mul_s_add in place", [&] (auto i) { return a[i] * 2.0f + a[i]; });
        // The sum in place of its first operand.
        inPlace = a;
        SignalProcessing::add_sub (inPlace.data(), b.data(), inPlace.data(), out.data(), n);
        check ("add_sub difference", [&] (auto i) { return a[i] - b[i]; });
        out = inPlace;
        check ("add_sub sum", [&] (auto i) { return a[i] + b[i]; });
        inPlace = a;
        SignalProcessing::lerp_mul (inPlace.data(), b.data(), c.data(), d.data(), inPlace.data(), n);
        out = inPlace;
        check ("lerp_mul in place", [&] (auto i) { return ((b[i] - a[i]) * c[i] + a[i]) * d[i]; });

        // The ducker's window: capped squares in units take the ring's place,
        // the exact sum of the differences returned.
        std::vector<std::int32_t> ring (n), expectedRing (n);
        for (unsigned long i = 0; i < n; ++i)
            ring[i] = expectedRing[i] = static_cast<std::int32_t> (i * 7919u % 1000003u);
        auto key = randomVector (n, -20.0f, 20.0f, 5);
        std::int64_t expectedChange = 0;
        for (unsigned long i = 0; i < n; ++i)
        {
            const auto square = static_cast<std::int32_t> (std::min (key[i] * key[i] * 4194304.0f, 1073741824.0f));
            expectedChange += static_cast<std::int64_t> (square) - expectedRing[i];
            expectedRing[i] = square;
        }
        ASSERT_EQ (VectorKernels::exchangeSquares (key.data(), ring.data(), 4194304.0f, 1073741824.0f, n), expectedChange) << n;
        ASSERT_EQ (ring, expectedRing) << n;
    }
}

// The reverb's fused passes, each output against its per-sample steps.
TEST_P (VectorTargets, ReverbPassesKeepTheirSteps)
{
    for (const auto n : sizes)
    {
        std::vector<std::vector<float>> in (6), out (15, std::vector<float> (n));
        for (unsigned s = 0; s < in.size(); ++s)
            in[s] = randomVector (n, -2.0f, 2.0f, 30 + s);
        const auto expect = [n] (const std::vector<float>& got, const std::function<float (unsigned long)>& step, int which)
        {
            for (unsigned long i = 0; i < n; ++i)
                ASSERT_EQ (std::bit_cast<std::uint32_t> (step (i)), std::bit_cast<std::uint32_t> (got[i])) << "output " << which << " n=" << n << " i=" << i;
        };

        const VectorKernels::NetworkMix mix { { in[0].data(), in[1].data(), in[2].data(), in[3].data() }, { in[4].data(), in[5].data() },
                                              0.3f, 0.7f, { out[0].data(), out[1].data() },
                                              { out[2].data(), out[3].data(), out[4].data(), out[5].data() } };
        VectorKernels::networkMix (mix, n);
        const auto a = [&] (auto i) { return in[0][i] + in[4][i]; };
        const auto b = [&] (auto i) { return in[1][i] + in[5][i]; };
        const auto sum = [&] (auto i, int k) { return k == 0 ? a (i) + b (i) : k == 1 ? a (i) - b (i) : k == 2 ? in[2][i] + in[3][i] : in[2][i] - in[3][i]; };
        expect (out[0], [&] (auto i) { return (a (i) * 0.3f + in[2][i] * 0.3f) * 0.7f; }, 0);
        expect (out[1], [&] (auto i) { return (b (i) * 0.3f + in[3][i] * 0.3f) * 0.7f; }, 1);
        expect (out[2], [&] (auto i) { return sum (i, 0) + sum (i, 2); }, 2);
        expect (out[3], [&] (auto i) { return sum (i, 1) + sum (i, 3); }, 3);
        expect (out[4], [&] (auto i) { return sum (i, 0) - sum (i, 2); }, 4);
        expect (out[5], [&] (auto i) { return sum (i, 1) - sum (i, 3); }, 5);

        VectorKernels::ModulatedTimes times { in[4].data(), { in[0].data(), in[1].data(), in[2].data(), in[3].data() }, 20.0f, 32.0f,
                                              { 1.25f, 1.2f }, { { 31.0f, 37.0f, 41.0f, 43.0f }, { 3.0f, 5.0f, 7.0f, 11.0f } },
                                              out[6].data(), {} };
        for (int line = 0; line < 8; ++line)
            times.time[line / 4][line % 4] = out[7 + line].data();
        VectorKernels::modulatedTimes (times, n);
        const auto scale = [&] (auto i) { return (in[4][i] + 20.0f) / 32.0f; };
        expect (out[6], scale, 6);
        for (int line = 0; line < 8; ++line)
            expect (out[7 + line], [&] (auto i) {
                return std::fabs (in[line % 4][i] * times.depth[line / 4] + scale (i) * times.nominal[line / 4][line % 4]);
            }, 7 + line);
    }
}

TEST (SignalProcessing, RampsFillsAndCopies)
{
    std::vector<float> out (300, -1.0f);
    SignalProcessing::ramp (1.0f, -0.25f, out.data(), 259);
    for (unsigned long k = 0; k < 259; ++k)
        ASSERT_FLOAT_EQ (1.0f - 0.25f * float (k), out[k]);
    EXPECT_EQ (-1.0f, out[259]) << "wrote past n";

    std::vector<double> outD (20);
    SignalProcessing::rampD (0.5, 0.1, outD.data(), 20);
    EXPECT_DOUBLE_EQ (0.5 + 19 * 0.1, outD[19]);
    SignalProcessing::add_s_D (outD.data(), 1.0, outD.data(), 20);
    EXPECT_DOUBLE_EQ (1.5, outD[0]);
    SignalProcessing::clear (outD.data(), 20);
    EXPECT_EQ (0.0, outD[19]);

    SignalProcessing::fill (out.data(), 0.75f, 10);
    EXPECT_EQ (0.75f, out[9]);
    EXPECT_NE (0.75f, out[10]);
    SignalProcessing::clear (out.data(), 10);
    EXPECT_EQ (0.0f, out[9]);

    const std::vector<float> left { 1, 2, 3 }, right { -1, -2, -3 };
    std::vector<float> stereo (6);
    SignalProcessing::interleaveStereo (left.data(), right.data(), stereo.data(), 3);
    EXPECT_EQ ((std::vector<float> { 1, -1, 2, -2, 3, -3 }), stereo);

    std::vector<float> r { 1, 2, 3, 4, 5 };
    SignalProcessing::reverse (r.data(), 5);
    EXPECT_EQ ((std::vector<float> { 5, 4, 3, 2, 1 }), r);

    const std::vector<double> dbl { 0.1, -1e40, 3.0 };
    std::vector<float> fl (3);
    SignalProcessing::doubleToFloat (dbl.data(), fl.data(), 3);
    EXPECT_EQ (0.1f, fl[0]);
    EXPECT_EQ (-std::numeric_limits<float>::infinity(), fl[1]);
}

TEST_P (VectorTargets, ReductionsIncludingTailsAndNaN)
{
    for (const auto n : sizes)
    {
        const auto a = randomVector (n, -3.0f, 2.0f, 9);
        float p = -1, mx = -1, mn = -1, r = -1;
        SignalProcessing::peak (a.data(), &p, n);
        SignalProcessing::max (a.data(), &mx, n);
        SignalProcessing::min (a.data(), &mn, n);
        SignalProcessing::rms (a.data(), &r, n);
        double sum = 0;
        float ep = 0, emx = -INFINITY, emn = INFINITY;
        // Every target sums the squares in eight running sums, folded k with
        // k + 4 and then in pairs, the rest in order: the same result on each.
        float lanes[8] = {};
        for (unsigned long i = 0; i < n; ++i)
        {
            const float x = a[i];
            ep = std::max (ep, std::fabs (x));
            emx = std::max (emx, x);
            emn = std::min (emn, x);
            sum += double (x) * x;
            lanes[i % 8] += i < n / 8 * 8 ? x * x : 0.0f;
        }
        float grouped = ((lanes[0] + lanes[4]) + (lanes[1] + lanes[5])) + ((lanes[2] + lanes[6]) + (lanes[3] + lanes[7]));
        for (unsigned long i = n / 8 * 8; i < n; ++i)
            grouped += a[i] * a[i];
        EXPECT_EQ (ep, p) << n;
        EXPECT_EQ (emx, mx) << n;
        EXPECT_EQ (emn, mn) << n;
        EXPECT_NEAR (n ? std::sqrt (sum / n) : 0.0, r, 1e-5) << n;
        EXPECT_EQ (n ? std::sqrt (grouped / float (n)) : 0.0f, r) << n;
    }
    // Like fmax/fmin, a NaN element is passed over rather than hiding the rest.
    std::vector<float> withNaN (40, 0.5f);
    withNaN[3] = withNaN[36] = NAN; // in the first and in the last whole group of eight
    withNaN[37] = -2.0f;
    float p = 0, mx = 0, mn = 0;
    SignalProcessing::peak (withNaN.data(), &p, 40);
    SignalProcessing::max (withNaN.data(), &mx, 40);
    SignalProcessing::min (withNaN.data(), &mn, 40);
    EXPECT_EQ (2.0f, p);
    EXPECT_EQ (0.5f, mx);
    EXPECT_EQ (-2.0f, mn);
}

TEST (SignalProcessing, TableReadInterpolatesAndClampsEnds)
{
    const std::vector<float> table { 0.0f, 10.0f, 20.0f, 40.0f };
    const std::vector<float> positions { -1.0f, 0.0f, 0.5f, 1.25f, 2.5f, 3.0f, 7.0f, NAN };
    std::vector<float> out (positions.size());
    SignalProcessing::tableRead (positions.data(), table.data(), 4, out.data(), positions.size());
    EXPECT_EQ ((std::vector<float> { 0.0f, 0.0f, 5.0f, 12.5f, 30.0f, 40.0f, 40.0f, 0.0f }), out);
}

TEST_P (VectorTargets, TranscendentalsMatchLibm)
{
    const std::vector<UnaryCase> cases {
        { "cos", SignalProcessing::cos, [] (double x) { return std::cos (x); }, -100.0f, 100.0f, fastUlp },
        { "sin", SignalProcessing::sin, [] (double x) { return std::sin (x); }, -100.0f, 100.0f, fastUlp },
        { "tanh", SignalProcessing::tanh, [] (double x) { return std::tanh (x); }, -12.0f, 12.0f, fastUlp },
        { "exp", SignalProcessing::exp, [] (double x) { return std::exp (x); }, -90.0f, 88.0f, accurateUlp },
        { "log", SignalProcessing::log, [] (double x) { return std::log (x); }, 1e-30f, 1e30f, accurateUlp },
        { "log10", SignalProcessing::log_ten, [] (double x) { return std::log10 (x); }, 1e-30f, 1e30f, accurateUlp },
    };
    {
        for (std::size_t f = 0; f < cases.size(); ++f)
        {
            SCOPED_TRACE (cases[f].name);
            auto input = randomVector (1000, cases[f].lo, cases[f].hi, 17);
            input.insert (input.end(), specialValues.begin(), specialValues.end());
            std::vector<float> out (input.size());
            cases[f].function (input.data(), out.data(), input.size());
            for (std::size_t i = 0; i < input.size(); ++i)
                expectNearLibm (out[i], cases[f].reference (input[i]), cases[f].maxUlp, input[i]);
        }

        // pow(x, e) (exponents first in the public order) and fmod(a, b).
        auto x = randomVector (500, 0.0f, 8.0f, 5);
        auto e = randomVector (500, -6.0f, 6.0f, 6);
        for (float s : specialValues)
        {
            x.push_back (s);
            e.push_back (0.5f);
            x.push_back (2.0f);
            e.push_back (s);
        }
        std::vector<float> out (x.size());
        SignalProcessing::pow (out.data(), e.data(), x.data(), x.size());
        for (std::size_t i = 0; i < x.size(); ++i)
            expectNearLibm (out[i], std::pow (double (x[i]), double (e[i])), 2, x[i]);
        SignalProcessing::mod (e.data(), x.data(), out.data(), x.size());
        for (std::size_t i = 0; i < x.size(); ++i)
            expectNearLibm (out[i], std::fmod (double (e[i]), double (x[i])), 0, e[i]);
        SignalProcessing::truncToInt (specialValues.data(), out.data(), specialValues.size());
        for (std::size_t i = 0; i < specialValues.size(); ++i)
            expectNearLibm (out[i], std::trunc (double (specialValues[i])), 0, specialValues[i]);
    }
}

TEST (SignalProcessing, PublicTranscendentalsUseTheRightArguments)
{
    const std::vector<float> base { 2.0f, 9.0f, 10.0f };
    const std::vector<float> exponent { 3.0f, 0.5f, -1.0f };
    std::vector<float> out (3);
    SignalProcessing::pow (out.data(), exponent.data(), base.data(), 3);
    EXPECT_EQ ((std::vector<float> { 8.0f, 3.0f, 0.1f }), out);

    const std::vector<float> a { -7.5f, 7.5f, 1.0f };
    const std::vector<float> b { 2.0f, -2.0f, 4.0f };
    SignalProcessing::mod (a.data(), b.data(), out.data(), 3);
    EXPECT_EQ ((std::vector<float> { -1.5f, 1.5f, 1.0f }), out);

    const std::vector<float> v { 0.0f, 1.0f, 100.0f };
    SignalProcessing::exp (v.data(), out.data(), 1);
    EXPECT_EQ (1.0f, out[0]);
    SignalProcessing::log_ten (v.data() + 1, out.data(), 2);
    EXPECT_EQ ((std::vector<float> { 0.0f, 2.0f, 1.0f }), out);
    SignalProcessing::cos (v.data(), out.data(), 1);
    SignalProcessing::sin (v.data(), out.data() + 1, 1);
    SignalProcessing::tanh (v.data(), out.data() + 2, 1);
    EXPECT_EQ ((std::vector<float> { 1.0f, 0.0f, 0.0f }), out);
}

TEST (SignalProcessing, BiquadCarriesItsHistoryAcrossCalls)
{
    const float c[5] { 0.2f, 0.3f, -0.1f, -0.5f, 0.25f };
    const auto input = randomVector (300, -1.0f, 1.0f, 11);
    // Reference recursion in double precision over the whole signal.
    std::vector<double> expected (input.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (std::size_t k = 0; k < input.size(); ++k)
    {
        const double y = c[0] * input[k] + c[1] * x1 + c[2] * x2 - c[3] * y1 - c[4] * y2;
        x2 = x1, x1 = input[k], y2 = y1, y1 = y;
        expected[k] = y;
    }
    auto state = SignalProcessing::biquad_createState();
    std::vector<float> out (input.size());
    // Uneven pieces, one in place.
    SignalProcessing::biquad (input.data(), c, out.data(), 1, state.get());
    SignalProcessing::biquad (input.data() + 1, c, out.data() + 1, 100, state.get());
    std::copy (input.begin() + 101, input.end(), out.begin() + 101);
    SignalProcessing::biquad (out.data() + 101, c, out.data() + 101, 199, state.get());
    for (std::size_t k = 0; k < input.size(); ++k)
        ASSERT_NEAR (expected[k], out[k], 1e-5) << k;

    SignalProcessing::biquad_destroyState (state);
    EXPECT_EQ (nullptr, state);
    SignalProcessing::biquad_destroyState (state); // harmless on null
}

TEST (SignalProcessing, BiquadHistoryFlushesBadValues)
{
    BiquadHistory h;
    h.x1 = NAN;
    h.x2 = 1e-20f;
    h.y1 = INFINITY;
    h.y2 = 0.5f;
    h.clearBadStateValue();
    EXPECT_EQ (0.0f, h.x1);
    EXPECT_EQ (0.0f, h.x2);
    EXPECT_EQ (0.0f, h.y1);
    EXPECT_EQ (0.5f, h.y2);
    h.y2 = -2e15f;
    h.x1 = -1e-14f;
    h.clearBadStateValue();
    EXPECT_EQ (0.0f, h.y2);
    EXPECT_EQ (-1e-14f, h.x1);
}

TEST_P (VectorTargets, TranscendentalsMatchLibmOverRandomBitPatterns)
{
    // Any float, including subnormals, huge values, infinities and NaN.
    std::mt19937 rng (23);
    std::vector<float> a (20000), b (20000), out (20000);
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        a[i] = std::bit_cast<float> (static_cast<std::uint32_t> (rng()));
        b[i] = std::bit_cast<float> (static_cast<std::uint32_t> (rng()));
    }
    {
        SignalProcessing::mod (a.data(), b.data(), out.data(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expectNearLibm (out[i], std::fmod (double (a[i]), double (b[i])), 0, a[i]);
        SignalProcessing::pow (out.data(), b.data(), a.data(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expectNearLibm (out[i], std::pow (double (a[i]), double (b[i])), 2, a[i]);
        SignalProcessing::sin (a.data(), out.data(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expectNearLibm (out[i], std::sin (double (a[i])), fastUlp, a[i]);
        SignalProcessing::cos (a.data(), out.data(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expectNearLibm (out[i], std::cos (double (a[i])), fastUlp, a[i]);
        SignalProcessing::exp (a.data(), out.data(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expectNearLibm (out[i], std::exp (double (a[i])), 2, a[i]);
        SignalProcessing::log (a.data(), out.data(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expectNearLibm (out[i], std::log (double (a[i])), 2, a[i]);
        SignalProcessing::tanh (a.data(), out.data(), a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            expectNearLibm (out[i], std::tanh (double (a[i])), fastUlp, a[i]);
    }
}
