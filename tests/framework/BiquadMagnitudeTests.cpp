#include "ProcessBlock/Filters/BiquadFilter.h"

#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>

// The response the filter displays draw must be the response the filter plays:
// every type is measured on a sine through the real filter at 44.1 kHz (the
// display's rate) and compared with magnitudeForFrequency at f / 22050.
TEST (BiquadMagnitude, MatchesTheFilterPlayingASine)
{
    constexpr double rate = 44100.0;
    struct Setting
    {
        float f0, resonance, gain;
    };
    const Setting settings[] { { 400.0f, 0.0f, 0.0f }, { 2500.0f, 12.0f, 9.0f }, { 150.0f, -8.0f, -12.0f } };
    for (int t = LowPass; t <= AllPass; ++t)
        for (const auto& s : settings)
        {
            BiquadFilter filter;
            filter.init (1, rate);
            filter.setType (BiquadFilterType (t));
            BiquadCoefficients display;
            display.calculateParams (s.f0, s.resonance, s.gain, BiquadFilterType (t));
            const BiquadFilterParameters params { s.f0, nullptr, s.resonance, nullptr, s.gain, nullptr };
            for (const double f : { 50.0, 150.0, 400.0, 1100.0, 2500.0, 7000.0, 15000.0 })
            {
                filter.clear();
                auto x = testsupport::sine (f, rate, 40 * 512);
                for (std::size_t start = 0; start < x.size(); start += 512)
                    filter.process (x.data() + start, 512, 0, params);
                const double measured = testsupport::toneMagnitude (x.data() + x.size() - 8192, 8192, f, rate);
                const double drawn = display.magnitudeForFrequency (f / 22050.0);
                const auto where = ::testing::Message() << "type " << t << " f0 " << s.f0 << " at " << f << " Hz";
                if (drawn > 1e-3)
                    EXPECT_NEAR (testsupport::toDecibels (drawn), testsupport::toDecibels (measured), 0.1) << where;
                else
                    EXPECT_LT (measured, 2e-3) << where;
            }
        }
}

TEST (BiquadMagnitude, KeyPointsOfTheResponse)
{
    BiquadCoefficients c; // 44100 Hz
    // Low pass: unity at DC, nothing at Nyquist, the resonance (Q = 10^(r/20))
    // as the level at the corner frequency.
    c.calculateParams (1000.0f, 6.0f, 0.0f, LowPass);
    EXPECT_NEAR (1.0, c.magnitudeForFrequency (0.0), 1e-5);
    EXPECT_NEAR (0.0, c.magnitudeForFrequency (1.0), 1e-5);
    EXPECT_NEAR (std::pow (10.0, 6.0 / 20.0), c.magnitudeForFrequency (1000.0 / 22050.0), 1e-3);

    // High pass mirrored.
    c.calculateParams (1000.0f, 0.0f, 0.0f, HighPass);
    EXPECT_NEAR (0.0, c.magnitudeForFrequency (0.0), 1e-6);
    EXPECT_NEAR (1.0, c.magnitudeForFrequency (1.0), 1e-5);

    // A low shelf boosts the lows by its resonance argument in dB.
    c.calculateParams (300.0f, 12.0f, 0.0f, LowShelf);
    EXPECT_NEAR (12.0, 20.0 * std::log10 (c.magnitudeForFrequency (0.0)), 1e-3);
    EXPECT_NEAR (0.0, 20.0 * std::log10 (c.magnitudeForFrequency (1.0)), 1e-3);

    // An all pass is flat everywhere.
    c.calculateParams (3000.0f, 10.0f, 0.0f, AllPass);
    for (const double x : { 0.0, 0.01, 0.13, 0.5, 0.97 })
        EXPECT_NEAR (1.0, c.magnitudeForFrequency (x), 1e-5) << x;

    // The record's sample rate is not read: the fraction of Nyquist is all.
    BiquadCoefficients other = c;
    other.sampleRate = 96000.0f;
    EXPECT_EQ (c.magnitudeForFrequency (0.2), other.magnitudeForFrequency (0.2));
}
