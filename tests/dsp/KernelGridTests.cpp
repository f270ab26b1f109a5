// The kernel's sound does not depend on how the host cuts its blocks: the
// same input and steady settings give the same samples in blocks of any
// length, or of lengths changing from call to call; delays are the ones set;
// parts that stood still start again from silence; mode switches crossfade.
#include "KernelTestRig.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using P = VantrelParameterList;

namespace
{
using Settings = std::vector<std::pair<unsigned long, float>>;

// Host block patterns: fixed lengths, and lengths changing at random.
std::vector<std::vector<unsigned long>> blockPatterns()
{
    std::vector<std::vector<unsigned long>> patterns;
    for (unsigned long n : { 1UL, 7UL, 64UL, 100UL, 256UL, 300UL, 441UL, 480UL, 1000UL, 4096UL, 5000UL })
        patterns.push_back ({ n });
    std::mt19937 rng (11);
    std::uniform_int_distribution<unsigned long> length (1, 1500);
    std::vector<unsigned long> random (97);
    for (auto& n : random)
        n = length (rng);
    patterns.push_back (random);
    return patterns;
}

std::string describe (const std::vector<unsigned long>& pattern)
{
    return pattern.size() == 1 ? std::to_string (pattern[0]) + "-frame blocks" : "random block lengths";
}

// Noise, a tone and an impulse: every path of the effect has something to carry.
KernelRig::Signal programme (double seconds, unsigned seed = 3)
{
    const auto n = static_cast<std::size_t> (seconds * 48000.0);
    KernelRig::Signal x { std::vector<float> (n), std::vector<float> (n) };
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> noise (-0.2f, 0.2f);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < n; ++i)
            x[c][i] = noise (rng) + 0.3f * float (std::sin (0.06 * double (i) + double (c)));
    x[0][n / 3] = 0.9f;
    return x;
}

KernelRig::Signal renderSteady (const Settings& settings, const KernelRig::Signal& in, const std::vector<unsigned long>& blocks)
{
    KernelRig rig;
    for (const auto& [index, value] : settings)
        rig.kernel->setParameter (index, value);
    rig.settle();
    return rig.renderBlocks (in, blocks);
}

double worstDifference (const KernelRig::Signal& a, const KernelRig::Signal& b)
{
    return std::max (testsupport::differenceDecibels (a[0].data(), b[0].data(), a[0].size()),
                     testsupport::differenceDecibels (a[1].data(), b[1].data(), a[1].size()));
}

// Short windows so that the voices are heard within short renderings.
const Settings kBase { { P::DryWet, 100.0f }, { P::DelayTimeA, 90.0f }, { P::DelayTimeB, 130.0f },
                       { P::ReverbLength, 1.5f } };
} // namespace

TEST (KernelGrid, SteadySettingsGiveTheSameSamplesInEveryBlockPattern)
{
    const auto in = programme (0.3);
    const auto patterns = blockPatterns();

    struct Case
    {
        const char* name;
        Settings settings;
    };
    std::vector<Case> cases {
        { "no pre-delay, smallest room", { { P::PreDelay, 0.0f }, { P::RoomSize, 0.0f } } },
        { "ducking", { { P::DuckingThreshold, -30.0f }, { P::DuckingAttack, 1.0f }, { P::DuckingRelease, 10.0f } } },
        { "high-pass input, fast modulation", { { P::InputFilterType, 1.0f }, { P::InputFilterFrequency, 300.0f },
                                                { P::ModulationRate, 12.5f }, { P::ModulationAmount, 100.0f } } },
    };
    // Every combination of the voices' modes, with intervals, fine tuning and
    // amounts that make each voice heard.
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            cases.push_back ({ "voice modes", { { P::PitchShifterModeA, float (a) }, { P::PitchShifterModeB, float (b) },
                                                { P::PitchA, 7.0f }, { P::FineA, 20.0f }, { P::PitchB, -12.0f },
                                                { P::PitchShifterAmountA, 80.0f }, { P::PitchShifterAmountB, 100.0f },
                                                { P::PreDelay, 1.0f }, { P::DuckingThreshold, -20.0f } } });

    for (std::size_t k = 0; k < cases.size(); ++k)
    {
        Settings settings = kBase;
        settings.insert (settings.end(), cases[k].settings.begin(), cases[k].settings.end());
        const auto reference = renderSteady (settings, in, { 256 });
        ASSERT_GT (testsupport::rms (reference[0].data(), reference[0].size()), 1e-3) << cases[k].name;

        // The first cases in every pattern; each mode combination in a few
        // patterns in turn, so that every pattern meets several of them.
        for (std::size_t p = 0; p < patterns.size(); ++p)
        {
            if (k >= 3 && (p + k) % 4 != 0)
                continue;
            const auto out = renderSteady (settings, in, patterns[p]);
            EXPECT_LT (worstDifference (out, reference), -100.0) << cases[k].name << " " << k << ", " << describe (patterns[p]);
        }
    }
}

TEST (KernelGrid, APitchShiftedSineIsEquallyCleanInEveryBlockPattern)
{
    // A 440 Hz sine an octave up, before and after the reverb: the band above
    // 6 kHz holds only what the shifter's band limit lets through, at every
    // block length; taps that jumped with the block length would crackle.
    const auto in = KernelRig::sine (440.0, 0.6);
    for (const float mode : { 0.0f, 2.0f })
    {
        const Settings settings { { P::DryWet, 100.0f }, { P::PitchShifterModeA, mode }, { P::PitchA, 12.0f },
                                  { P::PitchShifterAmountA, 100.0f }, { P::DelayTimeA, 100.0f }, { P::ReverbLength, 0.2f },
                                  { P::ModulationAmount, 0.0f } };
        auto highBand = [&] (const std::vector<unsigned long>& blocks) {
            const auto out = renderSteady (settings, in, blocks);
            return testsupport::bandAboveDecibels (out[0].data() + out[0].size() - 8192, 8192, 48000.0, 6000.0);
        };
        const double at256 = highBand ({ 256 });
        EXPECT_LT (at256, -70.0) << mode;
        for (const auto& pattern : blockPatterns())
            EXPECT_LT (highBand (pattern), at256 + 1.0) << "mode " << mode << ", " << describe (pattern);
    }
}

TEST (KernelGrid, ThePreDelayHeardIsThePreDelaySet)
{
    // An impulse reaches the wet output first through the reverb's direct
    // path, exactly the pre-delay after it entered, even below a block's
    // length; the voices pass it unchanged (amount 0).
    for (const float ms : { 0.0f, 1.0f, 3.0f })
        for (const auto& pattern : blockPatterns())
        {
            const std::size_t at = 24000;
            auto in = KernelRig::stereo (std::vector<float> (at + 2048, 0.0f));
            in[0][at] = in[1][at] = 1.0f;
            const auto out = renderSteady ({ { P::DryWet, 100.0f }, { P::PreDelay, ms }, { P::InputFilterType, 1.0f },
                                             { P::InputFilterFrequency, 20.0f } },
                                           in, pattern);
            std::size_t arrival = 0;
            for (std::size_t i = at; i < out[0].size(); ++i)
                if (std::abs (out[0][i]) > 0.05f)
                {
                    arrival = i;
                    break;
                }
            EXPECT_EQ (at + static_cast<std::size_t> (std::lround (ms * 48.0f)), arrival) << ms << " ms, " << describe (pattern);
        }
}

TEST (KernelGrid, AFilterTypeChangeIsHeardFromTheSameFrameWhicheverBlockBroughtIt)
{
    // The host sends the change with the block that starts at frame 300 or
    // at 400: both lie in the same grid chunk, so the output is the same.
    const auto in = programme (0.1);
    auto render = [&] (std::size_t changeAt) {
        KernelRig rig;
        rig.set ({ { P::DryWet, 100.0f }, { P::PreDelay, 0.0f }, { P::InputFilterFrequency, 2000.0f } });
        rig.settle();
        KernelRig::Signal before, after;
        for (std::size_t c = 0; c < 2; ++c)
        {
            before[c].assign (in[c].begin(), in[c].begin() + static_cast<std::ptrdiff_t> (changeAt));
            after[c].assign (in[c].begin() + static_cast<std::ptrdiff_t> (changeAt), in[c].end());
        }
        auto out = rig.renderBlocks (before, { 100 });
        rig.kernel->setParameter (P::InputFilterType, 1.0f);
        const auto rest = rig.renderBlocks (after, { 100 });
        for (std::size_t c = 0; c < 2; ++c)
            out[c].insert (out[c].end(), rest[c].begin(), rest[c].end());
        return out;
    };
    const auto at300 = render (300);
    EXPECT_EQ (at300, render (400));
    EXPECT_NE (at300, render (600));
}

TEST (KernelGrid, PartsThatStoodStillStartAgainFromSilence)
{
    // Loud input with the parts running, then silence while they stand still
    // long enough for everything else to die away, then they run again on
    // silence: whatever comes out is audio they kept from before.
    struct Case
    {
        const char* name;
        Settings running;
        unsigned long index; // the switch that stops and restarts the part
        float stopped, restarted;
    };
    // Voice A unshifted returns nothing to the reverb in feedback mode (and
    // its delay does not repeat), so the silence between is silent.
    const Case cases[] = {
        { "a voice's feedback delay", { { P::PitchShifterModeA, 1.0f }, { P::PitchA, 3.0f } }, P::PitchShifterModeA, 0.0f, 1.0f },
        { "a voice's own shifters", { { P::PitchShifterModeA, 2.0f } }, P::PitchShifterModeA, 1.0f, 2.0f },
        { "the second reverb", { { P::PitchShifterModeA, 1.0f }, { P::PitchShifterModeB, 1.0f } }, P::PitchShifterModeB, 0.0f, 1.0f },
    };
    const Settings common { { P::DryWet, 100.0f }, { P::ReverbLength, 0.2f }, { P::ModulationAmount, 0.0f }, { P::PitchB, -5.0f },
                            { P::PitchShifterAmountA, 100.0f }, { P::PitchShifterAmountB, 100.0f }, { P::DelayTimeA, 300.0f },
                            { P::DelayTimeB, 300.0f } };
    for (const auto& c : cases)
        for (unsigned long block : { 64UL, 441UL })
        {
            KernelRig rig;
            for (const auto& [index, value] : common)
                rig.kernel->setParameter (index, value);
            for (const auto& [index, value] : c.running)
                rig.kernel->setParameter (index, value);
            rig.settle();

            const auto loud = rig.renderBlocks (programme (0.5, 9), { block });
            const double loudLevel = testsupport::rms (loud[0].data(), loud[0].size());
            ASSERT_GT (loudLevel, 0.02) << c.name;

            const auto silence = KernelRig::stereo (std::vector<float> (48000, 0.0f));
            rig.kernel->setParameter (c.index, c.stopped);
            const auto still = rig.renderBlocks (silence, { block });
            ASSERT_LT (testsupport::rms (still[0].data() + 38400, 9600), 1e-6 * loudLevel) << c.name << ": not silent before";
            rig.kernel->setParameter (c.index, c.restarted);
            const auto after = rig.renderBlocks (silence, { block });
            EXPECT_LT (testsupport::peak (after[0].data(), after[0].size()), 1e-5 * loudLevel) << c.name << ", " << block;
        }
}

TEST (KernelGrid, ALoudBurstIsDuckedFromItsFirstAttackWhereverItFalls)
{
    // Wet only, a loud noise burst after silence, wherever it starts within a
    // grid chunk: over its first 30 ms the wet signal ducked at -40 dB with a
    // 1 ms attack lies far below the same signal not ducked. With no
    // pre-delay the early reflections carry the burst at once, so the
    // ducker's first millisecond and the attack time let a little through.
    for (const double rate : { 8000.0, 22050.0, 48000.0, 96000.0, 192000.0 })
        for (const float preDelayMs : { 0.0f, 10.0f })
            for (const std::size_t offset : { 0UL, 100UL, 255UL })
            {
                const std::size_t onset = static_cast<std::size_t> (0.5 * rate) / 256 * 256 + offset;
                const auto window = static_cast<std::size_t> (0.03 * rate);
                auto in = KernelRig::stereo (std::vector<float> (onset + 2 * window, 0.0f));
                std::mt19937 rng (5);
                std::uniform_real_distribution<float> noise (-0.5f, 0.5f);
                for (auto& channel : in)
                    for (std::size_t i = onset; i < channel.size(); ++i)
                        channel[i] = noise (rng);
                auto burstLevel = [&] (float thresholdDb) {
                    KernelRig rig (2, rate);
                    rig.set ({ { P::DryWet, 100.0f }, { P::PreDelay, preDelayMs }, { P::DuckingThreshold, thresholdDb },
                               { P::DuckingAttack, 1.0f } });
                    rig.settle();
                    const auto out = rig.render (in, 512);
                    return testsupport::rms (out[0].data() + onset, window) + testsupport::rms (out[1].data() + onset, window);
                };
                const double free = burstLevel (0.0f);
                ASSERT_GT (free, 1e-3) << rate;
                EXPECT_LT (testsupport::toDecibels (burstLevel (-40.0f) / free), preDelayMs > 0.0f ? -30.0 : -12.0)
                    << rate << " Hz, pre-delay " << preDelayMs << " ms, burst " << offset << " frames into a chunk";
            }
}

TEST (KernelGrid, ModeSwitchesWhileSoundPlaysNeitherClickNorLeaveAHole)
{
    // Both voices leave feedback mode for after the reverb and come back,
    // wet only, on a steady tone: around each switch the share of energy
    // above 6 kHz stays near its steady value in either routing, no sample
    // steps much further than in either, and no stretch falls silent.
    KernelRig rig;
    rig.set ({ { P::DryWet, 100.0f }, { P::PitchA, 7.0f }, { P::PitchB, -7.0f }, { P::PitchShifterAmountA, 100.0f },
               { P::PitchShifterAmountB, 100.0f }, { P::PitchShifterModeA, 1.0f }, { P::PitchShifterModeB, 1.0f } });
    rig.settle();
    constexpr std::size_t second = 48000;
    const auto tone = KernelRig::sine (330.0, 3.0, 0.3f);
    KernelRig::Signal in = tone;
    for (auto& c : in)
        c.resize (second);
    auto out = rig.render (in, 64)[0];
    for (const float mode : { 2.0f, 1.0f })
    {
        rig.set ({ { P::PitchShifterModeA, mode }, { P::PitchShifterModeB, mode } });
        for (auto& c : in)
            c.assign (tone[0].begin() + static_cast<long> (out.size()), tone[0].begin() + static_cast<long> (out.size() + second));
        const auto next = rig.render (in, 64)[0];
        out.insert (out.end(), next.begin(), next.end());
    }

    const auto band = [&] (std::size_t at) { return testsupport::bandAboveDecibels (out.data() + at, 512, 48000.0, 6000.0); };
    const auto largestStep = [&] (std::size_t from, std::size_t to) {
        float step = 0.0f;
        for (std::size_t i = from + 1; i < to; ++i)
            step = std::max (step, std::fabs (out[i] - out[i - 1]));
        return step;
    };
    // Each routing's steady sound: the second half of its second.
    struct Steady
    {
        double band = -300.0, level = 0.0;
        float step = 0.0f;
    };
    std::array<Steady, 3> steady;
    for (std::size_t k = 0; k < 3; ++k)
    {
        const std::size_t from = k * second + second / 2, to = (k + 1) * second - 1024;
        for (std::size_t at = from; at + 512 < to; at += 256)
            steady[k].band = std::max (steady[k].band, band (at));
        steady[k].step = largestStep (from, to);
        steady[k].level = testsupport::rms (out.data() + from, to - from);
    }
    for (std::size_t k = 1; k < 3; ++k)
    {
        const std::size_t switchAt = k * second;
        const double bandLimit = std::max (steady[k - 1].band, steady[k].band) + 6.0;
        for (std::size_t at = switchAt - 1024; at < switchAt + 2048; at += 128)
            EXPECT_LT (band (at), bandLimit) << "a click " << (double (at) - double (switchAt)) / 48.0 << " ms after the switch at " << switchAt;
        EXPECT_LT (largestStep (switchAt - 1024, switchAt + 2048), 1.5f * std::max (steady[k - 1].step, steady[k].step)) << switchAt;
        // Coming back into feedback mode the repeats start anew: the level
        // dips by up to 10 dB until the first ones return.
        const double level = std::min (steady[k - 1].level, steady[k].level);
        for (std::size_t at = switchAt; at < switchAt + second / 2; at += 480)
            EXPECT_GT (testsupport::rms (out.data() + at, 480), 0.25 * level) << "a hole " << (at - switchAt) / 48 << " ms after the switch at " << switchAt;
    }
}
