// The kernel against the plain one-sample-at-a-time model of the effect.

#include "KernelTestRig.h"
#include "ReferenceEffect.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace
{
using P = VantrelParameterList;
using Signal = KernelRig::Signal;

Signal noiseBurst (double rate, double seconds, unsigned seed)
{
    const auto n = static_cast<std::size_t> (std::round (seconds * rate / 256.0)) * 256;
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);
    Signal s { std::vector<float> (n), std::vector<float> (n) };
    for (std::size_t i = 0; i < n / 2; ++i)
        for (auto& c : s)
            c[i] = uniform (random);
    return s;
}

// The kernel driven as a host would, in blocks of the given lengths in turn,
// with every setting steady from the first sample.
// The settings held from the first sample.
void hold (KernelRig& rig, const ReferenceSettings& settings)
{
    for (unsigned long i = 0; i < P::DuckingPeakMeter; ++i)
        rig.kernel->setParameter (i, settings.values[i]);
    for (unsigned long i = 0; i < P::DuckingPeakMeter; ++i)
        if (auto& r = rig.kernel->parameters->at (i).ramper)
            r->snapToTarget();
}

Signal renderKernel (double rate, const ReferenceSettings& settings, const Signal& in, const std::vector<unsigned long>& blocks,
                     int channels = 2)
{
    KernelRig rig (channels, rate);
    hold (rig, settings);
    return rig.renderBlocks (in, blocks);
}

// Non-finite samples here and there in the loud part.
void poison (Signal& s, std::mt19937& random)
{
    const float bad[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity() };
    std::uniform_int_distribution<std::size_t> where (0, s[0].size() / 2 - 1);
    for (const float x : bad)
        for (auto& c : s)
            c[where (random)] = x;
}

// Level of the difference against the level of the wet part of `a`, dB,
// over the first `channels` channels.
double differenceDb (const Signal& a, const Signal& b, const Signal& in, float dryWet, std::size_t channels = 2)
{
    const float m = std::clamp (dryWet * 0.01f, 0.0f, 1.0f);
    const float dryGain = std::clamp (m * -2.0f + 2.0f, 0.0f, 1.0f);
    double diff = 0.0, wet = 0.0;
    for (std::size_t c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < a[c].size(); ++i)
        {
            const double d = static_cast<double> (a[c][i]) - b[c][i];
            const float dry = std::isfinite (in[c][i]) ? in[c][i] : 0.0f;
            const double w = static_cast<double> (a[c][i]) - static_cast<double> (dry) * dryGain;
            diff += d * d;
            wet += w * w;
        }
    // A silent wet signal would compare equal to anything.
    EXPECT_GT (wet, 1e-9 * static_cast<double> (a[0].size()));
    return 10.0 * std::log10 ((diff + 1e-30) / (wet + 1e-30));
}

// Case k takes the k-th combination of the two voices' modes; pre-delay
// and room size are 0 in some of the cases. Switch values come between
// whole numbers, as a host may send them.
ReferenceSettings randomSettings (std::mt19937& random, int k)
{
    ReferenceSettings s;
    auto pick = [&] (float lo, float hi) { return std::uniform_real_distribution<float> (lo, hi) (random); };
    s.set (P::DryWet, pick (10.0f, 100.0f));
    s.set (P::InputGain, pick (-12.0f, 6.0f));
    s.set (P::InputFilterResonance, pick (-12.0f, 12.0f));
    s.set (P::InputFilterFrequency, std::exp (pick (std::log (20.0f), std::log (20000.0f))));
    s.set (P::InputFilterType, pick (0.0f, 1.0f));
    s.set (P::PitchShifterModeA, static_cast<float> (k % 3) + pick (0.0f, 0.9f));
    s.set (P::PitchShifterAmountA, pick (0.0f, 100.0f));
    s.set (P::PitchA, pick (-24.0f, 24.0f));
    s.set (P::FineA, pick (-50.0f, 50.0f));
    s.set (P::DelayTimeA, pick (40.0f, 1000.0f));
    s.set (P::PitchShifterModeB, static_cast<float> ((k / 3) % 3) + pick (0.0f, 0.9f));
    s.set (P::PitchShifterAmountB, pick (0.0f, 100.0f));
    s.set (P::PitchB, pick (-24.0f, 24.0f));
    s.set (P::FineB, pick (-50.0f, 50.0f));
    s.set (P::DelayTimeB, pick (40.0f, 1000.0f));
    s.set (P::PreDelay, k % 4 == 0 ? 0.0f : pick (0.0f, 200.0f));
    s.set (P::ReverbLength, pick (0.2f, 30.0f));
    s.set (P::ReverbColor, pick (800.0f, 18000.0f));
    s.set (P::RoomSize, k % 5 == 1 ? 0.0f : pick (0.0f, 100.0f));
    s.set (P::ModulationRate, pick (0.5f, 12.5f));
    s.set (P::ModulationAmount, pick (0.0f, 100.0f));
    s.set (P::DuckingThreshold, pick (-40.0f, 0.0f));
    s.set (P::DuckingAttack, pick (1.0f, 200.0f));
    s.set (P::DuckingRelease, pick (10.0f, 1000.0f));
    return s;
}

// Host blocks of common and awkward lengths: the kernel's output does not
// depend on them, so each must give the model's samples.
const std::vector<std::vector<unsigned long>> kBlockPatterns {
    { 256 }, { 64 }, { 441 }, { 480 }, { 1000 }, { 4096 }, { 7 }, { 300, 1, 5000, 33, 256, 1023 },
};

std::string describe (const ReferenceSettings& s)
{
    std::string text;
    for (unsigned long i = 0; i < P::DuckingPeakMeter; ++i)
        text += std::to_string (s.values[i]) + " ";
    return text;
}
} // namespace

// Every mode of both voices, pitches, filter types, pre-delays and room
// sizes including 0, ducking and modulation, from the lowest rate to the
// highest, with a few samples of the input not numbers at all.
TEST (ReferenceEffect, KernelMatchesTheModelOverRandomSettings)
{
    std::mt19937 random (20261207);
    int pattern = 0;
    // 8 and 22.05 kHz: where the filters' limits below Nyquist take effect.
    for (const double rate : { 8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0 })
        for (int k = 0; k < 9; ++k)
        {
            const ReferenceSettings s = randomSettings (random, k);
            Signal in = noiseBurst (rate, 0.4, random());
            poison (in, random);
            const auto& blocks = kBlockPatterns[static_cast<std::size_t> (pattern++) % kBlockPatterns.size()];
            const Signal kernel = renderKernel (rate, s, in, blocks);
            const Signal model = ReferenceEffect (rate, s).render (in);
            EXPECT_LT (differenceDb (kernel, model, in, s.values[P::DryWet]), -100.0)
                << rate << " Hz, blocks of " << blocks.front() << ": " << describe (s);
        }
}

// A mono bus: the left channel alone, the reverbs' right inputs silent.
TEST (ReferenceEffect, MonoKernelMatchesTheModel)
{
    std::mt19937 random (7);
    int pattern = 3;
    for (const double rate : { 44100.0, 48000.0 })
        for (const int k : { 0, 4, 8, 5 })
        {
            const ReferenceSettings s = randomSettings (random, k);
            const Signal in = noiseBurst (rate, 0.4, random());
            const auto& blocks = kBlockPatterns[static_cast<std::size_t> (pattern++) % kBlockPatterns.size()];
            const Signal kernel = renderKernel (rate, s, in, blocks, 1);
            const Signal model = ReferenceEffect (rate, s, 1).render (in);
            EXPECT_LT (differenceDb (kernel, model, in, s.values[P::DryWet], 1), -100.0)
                << rate << " Hz, blocks of " << blocks.front() << ": " << describe (s);
        }
}

// Settings that move: every continuous setting ramps to a new value at once,
// part way through, in host blocks of 256 frames (a ramp is rendered per host
// block, so other cuttings differ in the last bits of its values).
TEST (ReferenceEffect, KernelFollowsTheModelThroughMovingSettings)
{
    std::mt19937 random (99);
    for (const double rate : { 44100.0, 96000.0 })
        for (const int k : { 0, 2, 4, 6, 8 })
        {
            const ReferenceSettings s = randomSettings (random, k);
            const ReferenceSettings next = randomSettings (random, k);
            const Signal in = noiseBurst (rate, 0.5, random());
            const std::size_t at = in[0].size() / 512 * 256; // a grid point half way

            ReferenceEffect model (rate, s);
            KernelRig rig (2, rate);
            hold (rig, s);

            Signal first, second;
            for (std::size_t c = 0; c < 2; ++c)
            {
                first[c].assign (in[c].begin(), in[c].begin() + static_cast<long> (at));
                second[c].assign (in[c].begin() + static_cast<long> (at), in[c].end());
            }
            Signal kernel = rig.renderBlocks (first, { 256 });
            for (unsigned long i = 0; i < P::DuckingPeakMeter; ++i)
                if (! ReferenceSettings::isSwitch (i))
                {
                    rig.kernel->setParameter (i, next.values[i]);
                    model.change (at, i, next.values[i]);
                }
            const Signal rest = rig.renderBlocks (second, { 256 });
            for (std::size_t c = 0; c < 2; ++c)
                kernel[c].insert (kernel[c].end(), rest[c].begin(), rest[c].end());

            // The dry part is measured out at the earlier mix.
            EXPECT_LT (differenceDb (kernel, model.render (in), in, s.values[P::DryWet]), -100.0)
                << rate << " Hz: " << describe (s) << "then " << describe (next);
        }
}
// The voices switch at grid points while sound plays, into and out of both
// repeating (voice B's repeats move between the reverbs), now and then again
// before the last crossfade has ended (at 192 kHz it lasts four chunks), and
// the intervals change with them; the host's blocks end at the switches.
TEST (ReferenceEffect, KernelFollowsTheModelThroughModeSwitches)
{
    std::mt19937 random (16);
    auto pick = [&] (float lo, float hi) { return std::uniform_real_distribution<float> (lo, hi) (random); };
    int pattern = 0;
    for (const double rate : { 44100.0, 192000.0 })
        for (const int k : { 0, 4, 8, 3 })
        {
            const ReferenceSettings s = randomSettings (random, k);
            const Signal in = noiseBurst (rate, 0.8, random());
            const auto& blocks = kBlockPatterns[static_cast<std::size_t> (pattern++) % kBlockPatterns.size()];
            ReferenceEffect model (rate, s);
            KernelRig rig (2, rate);
            hold (rig, s);

            Signal kernel;
            std::size_t done = 0;
            // Every routing, both voices at one place included, and a voice's
            // shifters after the reverb resting there and coming back.
            const std::array<std::pair<int, int>, 8> modes {
                { { 1, 1 }, { 2, 1 }, { 0, 2 }, { 1, 1 }, { 2, 2 }, { 0, 1 }, { 1, 0 }, { 1, 1 } }
            };
            std::size_t next = 0;
            for (const std::size_t chunks : { 40, 41, 60, 61, 30, 100, 50, 45 })
            {
                const std::size_t at = std::min (done + chunks * 256, in[0].size());
                Signal part;
                for (std::size_t c = 0; c < 2; ++c)
                    part[c].assign (in[c].begin() + static_cast<long> (done), in[c].begin() + static_cast<long> (at));
                const Signal out = rig.renderBlocks (part, blocks);
                for (std::size_t c = 0; c < 2; ++c)
                    kernel[c].insert (kernel[c].end(), out[c].begin(), out[c].end());
                done = at;
                const auto [a, b] = modes[next++ % modes.size()];
                const std::pair<unsigned long, float> changes[] = { { P::PitchShifterModeA, static_cast<float> (a) + pick (0.0f, 0.9f) },
                                                                    { P::PitchShifterModeB, static_cast<float> (b) + pick (0.0f, 0.9f) },
                                                                    { P::PitchA, pick (-24.0f, 24.0f) } };
                for (const auto& [index, value] : changes)
                {
                    rig.kernel->setParameter (index, value);
                    model.change (at, index, value);
                }
            }
            EXPECT_LT (differenceDb (kernel, model.render (in), in, s.values[P::DryWet]), -100.0)
                << rate << " Hz, blocks of " << blocks.front() << ": " << describe (s);
        }
}
