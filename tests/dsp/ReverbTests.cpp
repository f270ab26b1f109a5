#include "Math/Accelerate/SignalProcessing.h"
#include "Reverb/SimpleReverb.h"

#include "AllocationCounter.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr unsigned long kBlock = 256;

struct ReverbRig
{
    explicit ReverbRig (int channels = 2, double rate = kRate, float lengthSeconds = 2.0f, float roomSize = 50.0f,
                        float colourHz = 6000.0f)
        : length (4096, lengthSeconds), colour (4096, colourHz), room (4096, roomSize)
    {
        reverb.init (channels, rate);
    }

    // Renders one block in place: the kernel's order of calls.
    void block (float** buffers, unsigned long n)
    {
        reverb.core.setRoomSize (room.data(), modulation, n);
        reverb.lengthSource = length.data();
        reverb.colourSource = colour.data();
        reverb.process (buffers, n);
    }

    // Stereo rendering of (left, right) in blocks; returns {left, right}.
    std::array<std::vector<float>, 2> run (std::vector<float> left, std::vector<float> right, unsigned long n = kBlock)
    {
        right.resize (left.size(), 0.0f);
        for (std::size_t s = 0; s < left.size(); s += n)
        {
            const auto count = static_cast<unsigned long> (std::min<std::size_t> (n, left.size() - s));
            float* buffers[] = { left.data() + s, right.data() + s };
            block (buffers, count);
        }
        return { left, right };
    }

    SimpleReverb reverb;
    std::vector<float> length, colour, room;
    float** modulation = nullptr;
};

// A 20 ms Hann-windowed 500 Hz burst: excites the network below the
// damping, where the decay follows the length alone.
std::vector<float> toneBurst (std::size_t n, double rate)
{
    std::vector<float> x (n, 0.0f);
    const auto length = static_cast<std::size_t> (rate * 0.02);
    for (std::size_t i = 0; i < length; ++i)
        x[i] = float ((0.5 - 0.5 * std::cos (2.0 * M_PI * double (i) / double (length)))
                      * std::sin (2.0 * M_PI * 500.0 * double (i) / rate));
    return x;
}

std::vector<float> impulse (std::size_t n, float value = 1.0f)
{
    std::vector<float> x (n, 0.0f);
    x[0] = value;
    return x;
}

// Reverb time from the energy decay curve (Schroeder): the -5 to -35 dB
// slope extrapolated to 60 dB.
double measuredT60 (const std::array<std::vector<float>, 2>& y, double rate)
{
    const std::size_t n = y[0].size();
    std::vector<double> edc (n + 1, 0.0);
    for (std::size_t i = n; i-- > 0;)
        edc[i] = edc[i + 1] + double (y[0][i]) * y[0][i] + double (y[1][i]) * y[1][i];
    auto timeAt = [&] (double dB) {
        const double level = edc[0] * std::pow (10.0, dB / 10.0);
        for (std::size_t i = 0; i < n; ++i)
            if (edc[i] <= level)
                return double (i) / rate;
        return double (n) / rate;
    };
    return 2.0 * (timeAt (-35.0) - timeAt (-5.0));
}

// Share of the energy in the first difference: a crude brightness.
double brightness (const std::vector<float>& x, std::size_t from)
{
    double e = 0.0, d = 0.0;
    for (std::size_t i = from + 1; i < x.size(); ++i)
    {
        e += double (x[i]) * x[i];
        d += double (x[i] - x[i - 1]) * (x[i] - x[i - 1]);
    }
    return d / std::max (e, 1e-30);
}

bool hasSubnormal (const std::vector<float>& x)
{
    return std::any_of (x.begin(), x.end(), [] (float v) { return std::fpclassify (v) == FP_SUBNORMAL; });
}
} // namespace

TEST (Reverb, RoomSizeSetsLineTimesAndTheLoopGain)
{
    ReverbRig rig (2, kRate, 5.0f, 50.0f);
    (void) rig.run (impulse (kBlock), {});
    // Room 50: the longest line is 188.1 ms, so 5 s of decay needs a gain
    // of 0.5 x 0.001^(0.1881 / 5) per pass.
    EXPECT_NEAR (rig.reverb.core.lines[3].timeMs, 188.13f, 0.05f);
    EXPECT_NEAR (rig.reverb.core.currentFeedback, 0.3856f, 0.0005f);
    (void) rig.run (std::vector<float> (kBlock, 0.0f), {});
    for (unsigned long i = 0; i < kBlock; ++i)
        ASSERT_EQ (rig.reverb.core.feedbackGain[i], rig.reverb.core.currentFeedback);

    // Room 0: late lines 36.6 .. 53.75 ms, early lines 2.66 .. 12.1 ms.
    ReverbRig small (2, kRate, 5.0f, 0.0f);
    (void) small.run (impulse (kBlock), {});
    EXPECT_NEAR (small.reverb.core.lines[0].timeMsBuffer[0], 36.60f, 0.01f);
    EXPECT_NEAR (small.reverb.core.lines[3].timeMsBuffer[0], 53.75f, 0.01f);
    EXPECT_NEAR (small.reverb.core.earlyReflections.lines[3].timeMsBuffer[0], 2.655f, 0.01f);
    EXPECT_NEAR (small.reverb.core.earlyReflections.lines[0].timeMsBuffer[0], 12.10f, 0.01f);
}

TEST (Reverb, NewLengthRampsTheLoopGainAcrossOneBlock)
{
    ReverbRig rig (2, kRate, 0.5f);
    (void) rig.run (impulse (kBlock * 4), {});
    const float before = rig.reverb.core.currentFeedback;
    std::fill (rig.length.begin(), rig.length.end(), 20.0f);
    (void) rig.run (std::vector<float> (kBlock, 0.0f), {});
    const auto& g = rig.reverb.core.feedbackGain;
    // No step: the block starts at the old gain and climbs evenly to the new.
    EXPECT_FLOAT_EQ (g[0], before);
    for (unsigned long i = 1; i < kBlock; ++i)
        ASSERT_GT (g[i], g[i - 1]);
    EXPECT_NEAR (rig.reverb.core.currentFeedback, 0.5f * std::pow (0.001f, 0.18813f / 20.0f), 1e-4f);
}

TEST (Reverb, ImpulseReachesTheOutputDirectlyThenDiffuses)
{
    ReverbRig rig;
    const auto y = rig.run (impulse (48000), {});
    // The early stage's left sum passes straight to the left output through
    // the output gain (0.259) and the block's scale (0.7).
    EXPECT_NEAR (y[0][0], 0.259f * 0.7f, 1e-6f);
    EXPECT_EQ (y[1][0], 0.0f);
    // Later the energy is spread over both sides and many arrivals.
    const double leftTail = testsupport::rms (y[0].data() + 24000, 24000);
    const double rightTail = testsupport::rms (y[1].data() + 24000, 24000);
    EXPECT_GT (leftTail, 1e-4);
    EXPECT_NEAR (testsupport::toDecibels (leftTail / rightTail), 0.0, 6.0);
    // The echoes multiply as they circulate: far more arrivals between 0.9
    // and 1 s than between 0.1 and 0.2 s.
    auto arrivals = [&] (std::size_t from) {
        return std::count_if (y[0].begin() + static_cast<std::ptrdiff_t> (from),
                              y[0].begin() + static_cast<std::ptrdiff_t> (from + 4800),
                              [] (float v) { return std::abs (v) > 1e-7f; });
    };
    EXPECT_GT (arrivals (43200), 3 * arrivals (4800));
}

TEST (Reverb, DecayTimeFollowsTheLength)
{
    double previous = 0.0;
    for (float length : { 0.5f, 1.0f, 2.0f, 4.0f })
    {
        ReverbRig rig (2, kRate, length);
        const auto y = rig.run (toneBurst (static_cast<std::size_t> (kRate * length * 2.0), kRate), {});
        const double t60 = measuredT60 (y, kRate);
        // Shorter lines pass the same gain more often, so the measured time
        // sits somewhat below the nominal one; it must track it.
        EXPECT_GT (t60, 0.7 * length) << length;
        EXPECT_LT (t60, 1.05 * length) << length;
        EXPECT_GT (t60, 1.6 * previous) << length;
        previous = t60;
    }
}

TEST (Reverb, DecayTimeDoesNotDependOnTheSampleRate)
{
    auto t60At = [] (double rate) {
        ReverbRig rig (2, rate, 1.5f);
        return measuredT60 (rig.run (toneBurst (static_cast<std::size_t> (rate * 2.5), rate), {}, 173), rate);
    };
    const double reference = t60At (48000.0);
    for (double rate : { 22050.0, 44100.0, 96000.0, 192000.0 })
        EXPECT_NEAR (t60At (rate), reference, 0.05 * reference) << rate;
}

TEST (Reverb, ColourDarkensTheTail)
{
    auto tailBrightness = [] (float colourHz) {
        ReverbRig rig (2, kRate, 2.0f, 50.0f, colourHz);
        std::mt19937 generator (3);
        std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);
        std::vector<float> x (48000, 0.0f);
        for (std::size_t i = 0; i < 2400; ++i)
            x[i] = uniform (generator);
        return brightness (rig.run (x, {})[0], 24000);
    };
    const double dark = tailBrightness (800.0f);
    const double bright = tailBrightness (18000.0f);
    EXPECT_LT (dark, 0.5 * bright);
}

TEST (Reverb, MonoHearsSilenceOnTheRight)
{
    // One channel must render exactly what a stereo reverb renders on the
    // left with a silent right input: the right side's last output is never
    // fed back in.
    std::mt19937 generator (11);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);
    std::vector<float> x (kBlock * 188, 0.0f);
    for (std::size_t i = 0; i < 12000; ++i)
        x[i] = uniform (generator);

    ReverbRig mono (1);
    ReverbRig stereo (2);
    std::vector<float> m (x), l (x), r (x.size(), 0.0f);
    for (std::size_t s = 0; s < x.size(); s += kBlock)
    {
        float* monoBuffers[] = { m.data() + s };
        mono.block (monoBuffers, kBlock);
        std::fill_n (r.begin() + static_cast<std::ptrdiff_t> (s), kBlock, 0.0f);
        float* stereoBuffers[] = { l.data() + s, r.data() + s };
        stereo.block (stereoBuffers, kBlock);
    }
    EXPECT_EQ (m, l);
    EXPECT_GT (testsupport::rms (m.data() + 24000, 24000), 1e-3);
}

TEST (Reverb, SilenceAfterSoundStaysFiniteAndFreeOfSubnormals)
{
    // The shortest length decays through the whole float range within the
    // rendering; no subnormal value may appear on the way down.
    ReverbRig rig (2, kRate, 0.2f, 100.0f);
    auto x = testsupport::sine (220.0, kRate, 4800, 0.9f);
    x.resize (static_cast<std::size_t> (kRate * 12), 0.0f);
    const auto y = rig.run (x, {});
    for (const auto& side : y)
    {
        ASSERT_TRUE (testsupport::allFinite (side.data(), side.size()));
        EXPECT_FALSE (hasSubnormal (side));
        EXPECT_EQ (testsupport::peak (side.data() + side.size() - 4800, 4800), 0.0);
    }
    for (const auto& r : rig.reverb.core.lines)
        EXPECT_FALSE (hasSubnormal (r.line->writer (0).buffer));
}

TEST (Reverb, BadInputIsDroppedAndTheReverbKeepsWorking)
{
    ReverbRig rig;
    auto x = impulse (48000);
    x[100] = std::numeric_limits<float>::quiet_NaN();
    x[200] = std::numeric_limits<float>::infinity();
    x[24000] = 1.0f;
    std::vector<float> right (48000, 0.0f);
    right[300] = -std::numeric_limits<float>::infinity();
    const auto y = rig.run (x, right);
    for (const auto& side : y)
        ASSERT_TRUE (testsupport::allFinite (side.data(), side.size()));
    EXPECT_NEAR (y[0][24000], 0.259f * 0.7f, 0.02f);
    EXPECT_GT (testsupport::rms (y[0].data() + 30000, 18000), 1e-4);

    // Out-of-range controls, a zero-length block and missing sources.
    std::fill (rig.length.begin(), rig.length.end(), -3.0f);
    const auto z = rig.run (impulse (4800), {});
    EXPECT_TRUE (testsupport::allFinite (z[0].data(), z[0].size()));
    EXPECT_LE (rig.reverb.core.currentFeedback, 0.5f);
    float* none[] = { nullptr, nullptr };
    rig.reverb.process (none, 0);
    SimpleReverb unset;
    unset.init (2, kRate);
    std::vector<float> a (256, 0.5f), b (256, 0.5f);
    float* buffers[] = { a.data(), b.data() };
    unset.process (buffers, 256);
    EXPECT_TRUE (testsupport::allFinite (a.data(), a.size()));
}

TEST (Reverb, ProcessDoesNotAllocate)
{
    ReverbRig rig;
    std::vector<float> mod0 (4096, 0.3f), mod1 (4096, -0.2f), mod2 (4096, 0.9f), mod3 (4096, -1.0f);
    float* modulation[] = { mod0.data(), mod1.data(), mod2.data(), mod3.data() };
    rig.modulation = modulation;
    std::vector<float> l (4096, 0.1f), r (4096, -0.1f);
    float* buffers[] = { l.data(), r.data() };
    testsupport::ScopedAllocationCounter counter;
    for (int i = 0; i < 8; ++i)
        rig.block (buffers, i % 2 == 0 ? 256 : 4096);
    EXPECT_EQ (counter.allocations(), 0u);
}

TEST (Reverb, LineTimesInOnePassAreTheSeparateSteps)
{
    // scale = (room + 20) / 32.046154; each late line |mod 1.25 + scale t|,
    // each early line |mod 1.2 + scale t|, the nominal late time scale[0] t:
    // written out step by step with the vector layer, for random room sizes
    // and modulation (large enough to cross zero) and odd block lengths.
    std::mt19937 rng (31);
    std::uniform_real_distribution<float> roomValue (-5.0f, 110.0f), modValue (-60.0f, 60.0f);
    VantrelReverb reverb;
    reverb.init (2, kRate);
    for (const unsigned long n : { 1UL, 7UL, 64UL, 255UL, 256UL })
    {
        std::vector<float> room (n);
        std::array<std::vector<float>, 4> mod;
        const float* mods[4];
        for (auto& v : room)
            v = roomValue (rng);
        for (std::size_t i = 0; i < 4; ++i)
        {
            mod[i].resize (n);
            for (auto& v : mod[i])
                v = modValue (rng);
            mods[i] = mod[i].data();
        }
        reverb.setRoomSize (room.data(), mods, n);

        std::vector<float> scale (n), t (n), m (n);
        SignalProcessing::add_s (room.data(), 20.0f, scale.data(), n);
        SignalProcessing::div_s (scale.data(), 32.046154f, scale.data(), n);
        for (std::size_t i = 0; i < 4; ++i)
        {
            for (int early = 0; early < 2; ++early)
            {
                const float nominal = early ? VantrelReverb::reflectionInitTimes[i] : VantrelReverb::delayInitTimes[i];
                SignalProcessing::mul_s (scale.data(), nominal, t.data(), n);
                SignalProcessing::mul_s (mod[i].data(), early ? 1.2f : 1.25f, m.data(), n);
                SignalProcessing::add (t.data(), m.data(), t.data(), n);
                SignalProcessing::abs (t.data(), t.data(), n);
                const auto& got = early ? reverb.earlyReflections.lines[i].timeMsBuffer : reverb.lines[i].timeMsBuffer;
                ASSERT_EQ (0, std::memcmp (t.data(), got.data(), n * sizeof (float))) << "n " << n << ", line " << i << ", early " << early;
            }
            EXPECT_EQ (scale[0] * VantrelReverb::delayInitTimes[i], reverb.lines[i].timeMs);
        }
    }
}

TEST (Reverb, LineTimesTakenFromAnotherReverbAreTheOnesItWouldSet)
{
    // The second reverb takes the first one's line times when both follow
    // the same room size and modulation: the same as setting its own.
    std::mt19937 rng (37);
    std::uniform_real_distribution<float> value (-1.0f, 1.0f);
    VantrelReverb first, set, copied;
    for (auto* r : { &first, &set, &copied })
        r->init (2, kRate);
    for (const unsigned long n : { 256UL, 64UL, 13UL })
    {
        std::vector<float> room (n);
        std::array<std::vector<float>, 4> mod;
        const float* mods[4];
        for (auto& v : room)
            v = 50.0f + 50.0f * value (rng);
        for (std::size_t i = 0; i < 4; ++i)
        {
            mod[i].resize (n);
            for (auto& v : mod[i])
                v = value (rng);
            mods[i] = mod[i].data();
        }
        first.setRoomSize (room.data(), mods, n);
        set.setRoomSize (room.data(), mods, n);
        copied.copyRoomSize (first, n);
        for (std::size_t i = 0; i < 4; ++i)
        {
            EXPECT_EQ (0, std::memcmp (set.lines[i].timeMsBuffer.data(), copied.lines[i].timeMsBuffer.data(), n * sizeof (float)));
            EXPECT_EQ (0, std::memcmp (set.earlyReflections.lines[i].timeMsBuffer.data(),
                                       copied.earlyReflections.lines[i].timeMsBuffer.data(), n * sizeof (float)));
            EXPECT_EQ (set.lines[i].timeMs, copied.lines[i].timeMs);
        }
    }
}
