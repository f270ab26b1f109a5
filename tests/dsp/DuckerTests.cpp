#include "Dynamics/Ducker.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

TEST (Ducker, InitRestartsTheGainsSoTheWetSignalFadesIn)
{
    Ducker ducker;
    EXPECT_EQ (Ducker::LevelByRms, ducker.mode);
    ducker.init (2, 44100.0);
    ASSERT_EQ (2u, ducker.channelGains.size());
    EXPECT_EQ (0.0f, ducker.channelGains[0]);
    EXPECT_EQ (0.0f, ducker.channelGains[1]);
    ASSERT_EQ (4096u, ducker.gainBuffer.size());

    // State from rendering is dropped by a new prepare and by clear.
    ducker.channelGains[0] = 0.7f;
    ducker.gainBuffer[10] = 0.5f;
    ducker.init (1, 48000.0);
    ASSERT_EQ (1u, ducker.channelGains.size());
    EXPECT_EQ (0.0f, ducker.channelGains[0]);
    EXPECT_EQ (0.0f, ducker.gainBuffer[10]);
    ducker.channelGains[0] = 0.7f;
    ducker.gainBuffer[10] = 0.5f;
    ducker.clear();
    EXPECT_EQ (0.0f, ducker.channelGains[0]);
    EXPECT_EQ (0.0f, ducker.gainBuffer[10]);

    // Its meter is ready for the same layout and reads the gains it is fed.
    std::vector<float> gains (256, 1.0f);
    for (int block = 0; block < 4; ++block)
        ducker.peakMeter->process (gains.data(), 256, 0, {});
    EXPECT_NEAR (100.0f, ducker.peakMeter->values[0], 1e-4f);
}

namespace
{
// The factors the ducker applies (its gains squared) to a key, one channel,
// in host-like blocks of 256 frames; before `from` the threshold is above any
// key (+30 dB).
std::vector<float> applied (double rate, const std::vector<float>& key, float thresholdDb, float attackMs, float releaseMs,
                            std::size_t from = 0)
{
    Ducker ducker;
    ducker.init (1, rate);
    std::vector<float> g (key.size());
    for (std::size_t s = 0; s < key.size(); s += 256)
    {
        ducker.set ({ std::pow (10.0, (s < from ? 30.0f : thresholdDb) / 20.0), 10.0, attackMs, releaseMs });
        ducker.follow (0, key.data() + s, g.data() + s, static_cast<unsigned long> (std::min<std::size_t> (256, key.size() - s)));
    }
    for (auto& x : g)
        x *= x;
    return g;
}

// Gaussian noise of the given RMS level (dB) from `from` on, silence before.
std::vector<float> noiseKey (double rate, double seconds, double fromSeconds, double levelDb)
{
    std::vector<float> key (static_cast<std::size_t> (seconds * rate), 0.0f);
    std::mt19937 rng (5);
    std::normal_distribution<float> noise (0.0f, static_cast<float> (std::pow (10.0, levelDb / 20.0)));
    for (auto i = static_cast<std::size_t> (fromSeconds * rate); i < key.size(); ++i)
        key[i] = noise (rng);
    return key;
}

double meanDb (const std::vector<float>& g, std::size_t from, std::size_t n)
{
    return testsupport::toDecibels (std::accumulate (g.begin() + static_cast<long> (from), g.begin() + static_cast<long> (from + n), 0.0)
                                    / static_cast<double> (n));
}
} // namespace

TEST (Ducker, AFastAttackOrReleaseLandsWhereTheDuckSettles)
{
    // A steady key 10 dB over the threshold, after silence, when the
    // threshold is lowered under it, or after the key was 10 dB louder: the
    // duck settles where the ratio puts it, and on the way there no
    // millisecond falls more than 3 dB below it (attack) or rises more than
    // 3 dB above it (release), however short the time (even shorter than
    // the knob goes, or than the ducker's decisions are apart). A key hotter
    // than full scale is measured as it is.
    enum Start
    {
        afterSilence,
        lowered,
        louder
    };
    for (const double rate : { 22050.0, 48000.0, 96000.0 })
        for (const float timeMs : { 0.25f, 1.0f, 2.0f, 5.0f })
            for (const Start start : { afterSilence, lowered, louder })
                for (const double keyDb : { -20.0, 12.0 })
                {
                    const auto ms = static_cast<std::size_t> (rate / 1000.0);
                    const std::size_t onset = start == afterSilence ? 100 * ms : 300 * ms;
                    auto key = noiseKey (rate, start == afterSilence ? 0.6 : 0.8, start == afterSilence ? 0.1 : 0.0, keyDb);
                    if (start == louder)
                        std::for_each (key.begin(), key.begin() + static_cast<long> (onset), [] (float& x) { x *= std::sqrt (10.0f); });
                    const auto thresholdDb = static_cast<float> (keyDb - 10.0);
                    const auto g = applied (rate, key, thresholdDb, timeMs, start == louder ? timeMs : 100.0f,
                                            start == lowered ? onset : 0);
                    const std::string what = std::to_string (rate) + " Hz, " + std::to_string (timeMs) + " ms, start "
                                             + std::to_string (start) + ", key " + std::to_string (keyDb) + " dB";
                    const double settled = meanDb (g, g.size() - 200 * ms, 200 * ms);
                    const double expected = 2.0
                                            * testsupport::toDecibels (Ducker::targetGain (
                                                std::pow (10.0, keyDb / 20.0), { std::pow (10.0, thresholdDb / 20.0), 10.0 }));
                    EXPECT_NEAR (expected, settled, 1.0) << what;
                    double deepest = 0.0, highest = -200.0;
                    for (std::size_t i = onset + static_cast<std::size_t> (timeMs) * ms; i + ms < g.size(); i += ms / 4)
                    {
                        deepest = std::min (deepest, meanDb (g, i, ms));
                        highest = std::max (highest, meanDb (g, i, ms));
                    }
                    if (start == louder)
                    {
                        EXPECT_LT (highest, settled + 3.0) << what;
                    }
                    else
                    {
                        EXPECT_GT (deepest, settled - 3.0) << what;
                    }
                }
}

TEST (Ducker, ClearStartsOverAsInitDoes)
{
    // A reset while the duck is deep: the next key is followed as by a
    // ducker just prepared (the wet fades in, the first attack is caught).
    const auto key = noiseKey (48000.0, 0.1, 0.0, -10.0);
    const Ducker::Settings settings { 0.1, 10.0, 1.0f, 100.0f };
    Ducker fresh, reset;
    std::vector<float> a (key.size()), b (key.size());
    for (Ducker* d : { &fresh, &reset })
    {
        d->init (1, 48000.0);
        d->set (settings);
    }
    reset.follow (0, key.data(), b.data(), key.size());
    reset.clear();
    fresh.follow (0, key.data(), a.data(), key.size());
    reset.follow (0, key.data(), b.data(), key.size());
    EXPECT_EQ (a, b);
}

TEST (Ducker, ASteadyKeyJustOverTheThresholdDoesNotChatter)
{
    // Fast times, a noise key 1 to 3 dB over the threshold: the gain stays
    // near its mean instead of dropping out again and again.
    for (const double rate : { 22050.0, 48000.0 })
        for (const double overDb : { 1.0, 2.0, 3.0 })
        {
            const auto g = applied (rate, noiseKey (rate, 3.0, 0.0, -30.0 + overDb), -30.0f, 1.0f, 10.0f);
            const auto from = static_cast<std::size_t> (0.1 * rate);
            const double mean = meanDb (g, from, g.size() - from);
            EXPECT_LT (mean, -0.5) << rate << " Hz, " << overDb << " dB over";
            EXPECT_GT (testsupport::toDecibels (*std::min_element (g.begin() + static_cast<long> (from), g.end())), mean - 3.0)
                << rate << " Hz, " << overDb << " dB over";
        }
}

TEST (Ducker, ASettingDucksAlikeAtEveryRateAndALowKeyDoesNotShakeTheGain)
{
    // Low notes just under and well over the threshold, fast times: the same
    // depth and ripple at 44.1 and 192 kHz, no duck under the threshold and
    // little ripple over it.
    for (const double hz : { 40.0, 50.0 })
        for (const double overDb : { -1.0, 10.0 })
        {
            double depth[2] {}, ripple[2] {};
            int r = 0;
            for (const double rate : { 44100.0, 192000.0 })
            {
                const auto amplitude = static_cast<float> (std::sqrt (2.0) * std::pow (10.0, (-20.0 + overDb) / 20.0));
                const auto key = testsupport::sine (hz, rate, static_cast<std::size_t> (rate), amplitude);
                const auto g = applied (rate, key, -20.0f, 1.0f, 10.0f);
                const std::size_t half = g.size() / 2;
                const auto [lo, hi] = std::minmax_element (g.begin() + static_cast<long> (half), g.end());
                depth[r] = meanDb (g, half, g.size() - half);
                ripple[r++] = testsupport::toDecibels (*hi) - testsupport::toDecibels (*lo);
            }
            const std::string what = std::to_string (hz) + " Hz, " + std::to_string (overDb) + " dB over";
            EXPECT_NEAR (depth[0], depth[1], 1.0) << what;
            EXPECT_NEAR (ripple[0], ripple[1], 1.0) << what;
            EXPECT_LT (ripple[0], 1.5) << what;
            if (overDb < 0.0)
                EXPECT_GT (depth[0], -0.1) << what;
            else
                EXPECT_LT (depth[0], -15.0) << what;
        }
}
