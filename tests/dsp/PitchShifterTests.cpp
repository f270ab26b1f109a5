#include "Pitch/PitchShifter.h"

#include "AllocationCounter.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr unsigned long kBlock = 256;

struct ShifterRig
{
    explicit ShifterRig (int semitones, float fine = 0.0f, float windowMs = 100.0f, double rate = kRate)
        : window (4096, windowMs)
    {
        shifter.init (1, rate);
        shifter.semitones = semitones;
        shifter.fine = fine;
        shifter.windowMs = window.data();
    }

    std::vector<float> run (std::vector<float> x, unsigned long block = kBlock)
    {
        for (std::size_t s = 0; s < x.size(); s += block)
            shifter.process (x.data() + s, static_cast<unsigned long> (std::min<std::size_t> (block, x.size() - s)));
        return x;
    }

    PitchShifter shifter;
    std::vector<float> window;
};

// The part of a rendering after the shifter has filled its window.
std::vector<float> settled (const std::vector<float>& y, std::size_t skip)
{
    return { y.begin() + static_cast<std::ptrdiff_t> (skip), y.end() };
}
} // namespace

TEST (PitchShifter, ShiftsASineByTheInterval)
{
    struct Case
    {
        int semitones;
        float fine;
    };
    // Octaves both ways, a fifth, two octaves, and half a semitone of fine.
    const Case cases[] = { { 12, 0.0f }, { -12, 0.0f }, { 7, 0.0f }, { 24, 0.0f }, { 0, 0.5f } };
    for (const auto& c : cases)
    {
        // A long window keeps the crossfade's sidebands close to the tone.
        ShifterRig rig (c.semitones, c.fine, 500.0f);
        const auto y = settled (rig.run (testsupport::sine (440.0, kRate, 96000, 0.3f)), 72000);
        const double expected = 440.0 * std::pow (2.0, (c.semitones + c.fine) / 12.0);
        const double f = testsupport::dominantFrequency (y.data(), y.size(), kRate, 0.75 * expected, 1.3 * expected);
        // Within a sixth of a semitone.
        EXPECT_NEAR (f, expected, 0.01 * expected) << c.semitones << " semitones, fine " << c.fine;
        // The input tone must be gone, not merely outweighed.
        EXPECT_LT (testsupport::toneMagnitude (y.data(), y.size(), 440.0, kRate),
                   0.25 * testsupport::toneMagnitude (y.data(), y.size(), f, kRate))
            << c.semitones << " semitones, fine " << c.fine;
    }
}

TEST (PitchShifter, UnshiftedIsAFixedDelayOfHalfAWindow)
{
    // At ratio 1 the phase does not move: tap A sits at the window's edge
    // (weight 0) and tap B half a window back at full weight: 0.5 window +
    // 1 ms behind, whatever the block length.
    for (unsigned long block : { 7UL, 64UL, 256UL, 441UL })
    {
        ShifterRig rig (0, 0.0f, 500.0f);
        std::vector<float> x (48000, 0.0f);
        x[1000] = 0.5f;
        const auto y = rig.run (x, block);
        const auto peakAt = static_cast<std::size_t> (
            std::max_element (y.begin(), y.end(), [] (float a, float b) { return std::abs (a) < std::abs (b); }) - y.begin());
        const std::size_t expected = 1000 + 12000 + 48;
        EXPECT_NEAR (double (peakAt), double (expected), 4.0) << block;
        // Nothing arrives before the tap, and the phase has stayed put.
        EXPECT_LT (testsupport::peak (y.data(), expected - 20), 1e-6) << block;
        EXPECT_NEAR (rig.shifter.currentPhase(), 0.0f, 1e-4f) << block;
    }
}

TEST (PitchShifter, BandLimitsAndSoftClips)
{
    auto levelAt = [] (double hz, float amplitude) {
        ShifterRig rig (0);
        const auto y = settled (rig.run (testsupport::sine (hz, kRate, 48000, amplitude)), 24000);
        return testsupport::peak (y.data(), y.size());
    };
    const double mid = levelAt (1000.0, 0.1f);
    EXPECT_NEAR (testsupport::toDecibels (mid / 0.1), 0.0, 2.0);
    // 40 Hz high-pass and 5 kHz low-pass, both gentle (-8 dB resonance).
    EXPECT_LT (testsupport::toDecibels (levelAt (12000.0, 0.1f) / mid), -10.0);
    EXPECT_LT (testsupport::toDecibels (levelAt (15.0, 0.1f) / mid), -10.0);
    // tanh keeps a very hot input below full scale.
    const double hot = levelAt (1000.0, 20.0f);
    EXPECT_LE (hot, 1.0);
    EXPECT_GT (hot, 0.95);
}

TEST (PitchShifter, SilenceAfterSignalEndsInExactZeros)
{
    ShifterRig rig (5, 0.0f, 200.0f);
    auto x = testsupport::sine (300.0, kRate, 48000, 0.8f);
    x.resize (48000 * 4, 0.0f);
    const auto y = rig.run (x);
    ASSERT_TRUE (testsupport::allFinite (y.data(), y.size()));
    for (float v : y)
        ASSERT_NE (std::fpclassify (v), FP_SUBNORMAL);
    // The window has long passed: the storage reads silence and the filters
    // have flushed their histories.
    EXPECT_EQ (testsupport::peak (y.data() + y.size() - 4800, 4800), 0.0);
}

TEST (PitchShifter, BadInputGivesFiniteOutputAndRecovers)
{
    ShifterRig rig (-7);
    auto x = testsupport::sine (500.0, kRate, 48000, 0.5f);
    x[5000] = std::numeric_limits<float>::quiet_NaN();
    x[9000] = std::numeric_limits<float>::infinity();
    const auto y = rig.run (x);
    EXPECT_TRUE (testsupport::allFinite (y.data(), y.size()));
    EXPECT_GT (testsupport::rms (y.data() + 40000, 8000), 0.1);

    // Without a window buffer, and with a window of zero, it still runs.
    PitchShifter bare;
    bare.init (1, kRate);
    bare.semitones = 12;
    auto z = testsupport::sine (500.0, kRate, 4096);
    bare.process (z.data(), 4096);
    std::vector<float> zeroWindow (4096, 0.0f);
    bare.windowMs = zeroWindow.data();
    bare.process (z.data(), 4096);
    EXPECT_TRUE (testsupport::allFinite (z.data(), z.size()));
    EXPECT_TRUE (std::isfinite (bare.currentPhase()));
}

TEST (PitchShifter, OddRatesAndBlockSizesStillShift)
{
    for (double rate : { 22050.0, 96000.0, 192000.0 })
    {
        ShifterRig rig (12, 0.0f, 80.0f, rate);
        const auto n = static_cast<std::size_t> (rate * 1.5);
        const auto y = settled (rig.run (testsupport::sine (300.0, rate, n, 0.3f), 173), n / 2);
        EXPECT_NEAR (testsupport::dominantFrequency (y.data(), y.size(), rate, 450.0, 780.0), 600.0, 6.0) << rate;
    }
}

TEST (PitchShifter, ProcessDoesNotAllocate)
{
    ShifterRig rig (3, 0.25f);
    auto x = testsupport::sine (440.0, kRate, 4096);
    testsupport::ScopedAllocationCounter counter;
    for (int i = 0; i < 8; ++i)
        rig.shifter.process (x.data(), i % 2 == 0 ? 256 : 4096);
    EXPECT_EQ (counter.allocations(), 0u);
}
