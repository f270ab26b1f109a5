// Two sections in series run four samples at a time: the filter of the two
// sections (as accurate as running them in float one sample at a time), the
// same samples however the calls are cut, a change of sections that carries
// the histories over, and a bad sample that does not stay.
#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "ProcessBlock/Filters/BiquadCoefficients.h"
#include "ProcessBlock/Filters/FourthOrderBlocks.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace
{
using Section = FourthOrderBlocks::Section;

Section sectionOf (BiquadFilterType type, float hz, float rate)
{
    BiquadCoefficients c;
    c.sampleRate = rate;
    c.calculateParams (hz, -8.0f, 0.0f, type);
    return { c.b0, c.b1, c.b2, c.a1, c.a2 };
}

// The two sections in double, one sample at a time, on their last inputs
// and outputs: new sections carry on from those.
struct Exact
{
    Section a, b;
    double x1 = 0, x2 = 0, u1 = 0, u2 = 0, y1 = 0, y2 = 0;
    double tick (double x)
    {
        const double u = a[0] * x + a[1] * x1 + a[2] * x2 - a[3] * u1 - a[4] * u2;
        const double y = b[0] * u + b[1] * u1 + b[2] * u2 - b[3] * y1 - b[4] * y2;
        x2 = x1, x1 = x, u2 = u1, u1 = u, y2 = y1, y1 = y;
        return y;
    }
};

std::vector<float> noise (std::size_t n, unsigned seed)
{
    std::mt19937 rng (seed);
    std::normal_distribution<float> dist (0.0f, 0.3f);
    std::vector<float> v (n);
    for (auto& x : v)
        x = dist (rng);
    return v;
}

// Error energy over input energy, in dB.
double errorDb (const std::vector<float>& y, const std::vector<double>& exact, const std::vector<float>& x)
{
    double e = 0.0, r = 1.0e-30;
    for (std::size_t i = 0; i < y.size(); ++i)
        e += (y[i] - exact[i]) * (y[i] - exact[i]), r += double (x[i]) * x[i];
    return 10.0 * std::log10 (e / r + 1.0e-30);
}
} // namespace

TEST (FourthOrderBlocks, RunsTheTwoSectionsHoweverTheCallsAreCut)
{
    const std::vector<unsigned long> cuts { 1, 3, 4, 7, 2, 64, 5, 13, 256, 6 };
    for (const float rate : { 44100.0f, 192000.0f })
    {
        SCOPED_TRACE (rate);
        // The shifters' output band, and a pair whose sections swap at the
        // middle of a block (as the upward band limit's do on a new ratio).
        const Section high = sectionOf (HighPass, 40.0f, rate), low = sectionOf (LowPass, 5000.0f, rate);
        const Section peak = sectionOf (Peak, 1000.0f, rate), shelf = sectionOf (LowShelf, 300.0f, rate);
        const auto x = noise (6000, 7);

        FourthOrderBlocks whole, cut;
        for (auto* f : { &whole, &cut })
        {
            f->setSections (high, low);
            f->clear();
        }
        std::vector<float> y (x.size()), z (x.size());
        const std::size_t swap = 3001;
        whole.process (x.data(), y.data(), swap);
        whole.changeSections (peak, shelf);
        whole.process (x.data() + swap, y.data() + swap, x.size() - swap);
        for (std::size_t at = 0, call = 0; at < x.size(); ++call)
        {
            if (at == swap)
                cut.changeSections (peak, shelf);
            const unsigned long n = std::min<unsigned long> (cuts[call % cuts.size()], (at < swap ? swap : x.size()) - at);
            cut.process (x.data() + at, z.data() + at, n);
            at += n;
        }
        EXPECT_EQ (y, z);

        Exact exact { high, low };
        std::vector<double> e (x.size());
        for (std::size_t i = 0; i < x.size(); ++i)
        {
            if (i == swap)
                exact.a = peak, exact.b = shelf;
            e[i] = exact.tick (x[i]);
        }
        // About as close to the exact filter as the two sections run in float
        // one sample at a time (the effect's biquads): both near -70 to
        // -84 dB, each rounding in its own way.
        std::vector<float> plain (x);
        BiquadHistory h[2];
        SignalProcessing::biquad (plain.data(), high.data(), plain.data(), swap, &h[0]);
        SignalProcessing::biquad (plain.data(), low.data(), plain.data(), swap, &h[1]);
        SignalProcessing::biquad (plain.data() + swap, peak.data(), plain.data() + swap, x.size() - swap, &h[0]);
        SignalProcessing::biquad (plain.data() + swap, shelf.data(), plain.data() + swap, x.size() - swap, &h[1]);
        EXPECT_LT (errorDb (y, e, x), errorDb (plain, e, x) + 6.0);
    }
}

TEST (FourthOrderBlocks, ABadSampleDoesNotStay)
{
    FourthOrderBlocks f;
    f.setSections (sectionOf (HighPass, 40.0f, 48000.0f), sectionOf (LowPass, 5000.0f, 48000.0f));
    f.clear();
    auto x = noise (64, 3);
    x[10] = NAN;
    f.process (x.data(), x.data(), 62); // ends inside a block
    std::vector<float> after (64, 0.25f);
    f.process (after.data(), after.data(), after.size());
    for (const float v : after)
        ASSERT_TRUE (std::isfinite (v));
}
