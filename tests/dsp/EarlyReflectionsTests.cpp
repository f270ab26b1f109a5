#include "Reverb/EarlyReflections.h"
#include "Reverb/SimpleReverb.h"

#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

std::size_t firstArrival (const std::vector<float>& x, float threshold = 1e-4f)
{
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::abs (x[i]) > threshold)
            return i;
    return x.size();
}

struct LadderRig
{
    LadderRig()
        : early (1000.0f, { 10.0f, 8.0f, 6.0f, 4.0f })
    {
        early.init (2, kRate);
    }

    void run (const std::vector<float>& left, const std::vector<float>& right, unsigned long n = 64)
    {
        outLeft.assign (left.size(), 0.0f);
        outRight.assign (left.size(), 0.0f);
        for (std::size_t s = 0; s < left.size(); s += n)
            early.process (left.data() + s, right.data() + s, outLeft.data() + s, outRight.data() + s, n);
    }

    EarlyReflections early;
    std::vector<float> outLeft, outRight;
};
} // namespace

TEST (EarlyReflections, SumAndDifferenceLadder)
{
    // Lines of 480, 384, 288 and 192 samples, each heard exactly so.
    std::vector<float> silence (4096, 0.0f), pulse (4096, 0.0f);
    pulse[0] = 1.0f;

    // Left: passes straight through on the left, comes back on the left
    // after lines 2 and 1 with the same sign, and reaches the right only
    // through line 3.
    auto around = [] (const std::vector<float>& x, std::size_t i) { return x[i - 1] + x[i] + x[i + 1]; };
    LadderRig left;
    left.run (pulse, silence);
    EXPECT_FLOAT_EQ (left.outLeft[0], 1.0f);
    EXPECT_NEAR (double (firstArrival ({ left.outLeft.begin() + 1, left.outLeft.end() })) + 1, 288, 1.0);
    EXPECT_NEAR (around (left.outLeft, 288), 1.0f, 1e-3f);
    EXPECT_NEAR (around (left.outLeft, 384), 1.0f, 1e-3f);
    EXPECT_NEAR (double (firstArrival (left.outRight)), 192, 1.0);
    EXPECT_NEAR (around (left.outRight, 192), 1.0f, 1e-3f);

    // Right: enters through line 0 and reaches the left there; the
    // difference fed to line 1 is inverted and comes back negative.
    LadderRig right;
    right.run (silence, pulse);
    EXPECT_NEAR (double (firstArrival (right.outLeft)), 480, 1.0);
    EXPECT_NEAR (around (right.outLeft, 480), 1.0f, 1e-3f);
    EXPECT_NEAR (around (right.outLeft, 480 + 384), -1.0f, 1e-3f);
    EXPECT_NEAR (double (firstArrival (right.outRight)), 480 + 192, 1.0);
    EXPECT_NEAR (around (right.outRight, 480 + 192), 1.0f, 1e-3f);
}

TEST (EarlyReflections, ArrivalFollowsRoomSizeAndModulation)
{
    // In the full reverb, a left impulse first reaches the right output
    // through early line 3: (room + 20) / 32.046154 x 4.2546 ms, plus 1.2 ms
    // per unit of modulation, exactly, even below a block's length.
    auto arrival = [] (float room, float modulation, unsigned long block = 256) {
        SimpleReverb reverb;
        reverb.init (2, kRate);
        std::vector<float> roomSize (4096, room), length (4096, 2.0f), colour (4096, 6000.0f);
        std::vector<float> mod (4096, modulation);
        float* mods[] = { mod.data(), mod.data(), mod.data(), mod.data() };
        std::vector<float> l (9728, 0.0f), r (9728, 0.0f);
        l[0] = 1.0f;
        for (std::size_t s = 0; s < l.size(); s += block)
        {
            reverb.core.setRoomSize (roomSize.data(), mods, block);
            reverb.lengthSource = length.data();
            reverb.colourSource = colour.data();
            float* buffers[] = { l.data() + s, r.data() + s };
            reverb.process (buffers, block);
        }
        return double (firstArrival (r));
    };
    auto expected = [] (float room, float modulation) {
        const double ms = (room + 20.0) / 32.046154 * 4.2546 + 1.2 * modulation;
        return std::floor (ms * 48.0);
    };
    for (float room : { 0.0f, 50.0f, 100.0f })
        for (unsigned long block : { 64UL, 256UL })
            EXPECT_NEAR (arrival (room, 0.0f, block), expected (room, 0.0f), 1.0) << room << ", block " << block;
    EXPECT_NEAR (arrival (50.0f, 1.0f), expected (50.0f, 1.0f), 1.0);
    EXPECT_NEAR (arrival (50.0f, -1.0f), expected (50.0f, -1.0f), 1.0);
}

TEST (EarlyReflections, ClearSilencesTheLines)
{
    LadderRig rig;
    const auto noise = testsupport::sine (1234.0, kRate, 4096, 0.5f);
    rig.run (noise, noise);
    rig.early.clear();
    std::vector<float> silence (4096, 0.0f);
    rig.run (silence, silence);
    EXPECT_EQ (testsupport::peak (rig.outLeft.data(), 4096), 0.0);
    EXPECT_EQ (testsupport::peak (rig.outRight.data(), 4096), 0.0);

    // The whole reverb, cleared, replays nothing it heard either.
    SimpleReverb reverb;
    reverb.init (2, kRate);
    auto left = noise, right = noise;
    float* heard[] = { left.data(), right.data() };
    reverb.process (heard, 4096);
    reverb.clear();
    std::vector<float> quietLeft (4096, 0.0f), quietRight (4096, 0.0f);
    float* after[] = { quietLeft.data(), quietRight.data() };
    reverb.process (after, 4096);
    EXPECT_EQ (testsupport::peak (quietLeft.data(), 4096) + testsupport::peak (quietRight.data(), 4096), 0.0);
}

namespace
{
// The ladder written out as separate steps: copies of both inputs, then per
// rung the line's delay, difference = a - t and a = a + t, then line 3.
void ladderStepByStep (EarlyReflections& e, const float* left, const float* right, float* outLeft, float* outRight,
                       unsigned long n)
{
    std::vector<float> diff (right, right + n), a (left, left + n), t (n);
    for (std::size_t i = 0; i < 3; ++i)
    {
        e.lines[i].line->delayInto (diff.data(), t.data(), n, 0, e.lines[i].timeMsBuffer.data());
        for (unsigned long k = 0; k < n; ++k)
            diff[k] = a[k] - t[k];
        for (unsigned long k = 0; k < n; ++k)
            a[k] = a[k] + t[k];
    }
    e.lines[3].line->delayInto (diff.data(), outRight, n, 0, e.lines[3].timeMsBuffer.data());
    std::copy (a.begin(), a.end(), outLeft);
}
} // namespace

TEST (EarlyReflections, LadderIsItsStepsWrittenOut)
{
    // Random signals, line times and block lengths, and a left output
    // written over the left input: bit for bit the separate steps.
    LadderRig plain, fused;
    std::uint32_t seed = 7u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float (seed >> 8) / 16777216.0f;
    };
    for (int block = 0; block < 60; ++block)
    {
        const unsigned long n = 1 + (unsigned long) (next() * 300.0f);
        for (std::size_t i = 0; i < 4; ++i)
        {
            const float ms = 2.0f + 20.0f * next();
            for (auto* rig : { &plain, &fused })
                std::fill (rig->early.lines[i].timeMsBuffer.begin(), rig->early.lines[i].timeMsBuffer.end(), ms);
        }
        std::vector<float> left (n), right (n);
        for (unsigned long k = 0; k < n; ++k)
            left[k] = next() * 2.0f - 1.0f, right[k] = next() * 2.0f - 1.0f;

        std::vector<float> expectedLeft (n), expectedRight (n), gotRight (n);
        ladderStepByStep (plain.early, left.data(), right.data(), expectedLeft.data(), expectedRight.data(), n);
        // Odd blocks write the left output over (a copy of) the left input.
        std::vector<float> gotLeft = block % 2 == 1 ? left : std::vector<float> (n, 9.0f);
        const float* leftIn = block % 2 == 1 ? gotLeft.data() : left.data();
        fused.early.process (leftIn, right.data(), gotLeft.data(), gotRight.data(), n);
        ASSERT_EQ (0, std::memcmp (expectedLeft.data(), gotLeft.data(), n * sizeof (float))) << "block " << block;
        ASSERT_EQ (0, std::memcmp (expectedRight.data(), gotRight.data(), n * sizeof (float))) << "block " << block;
    }
}
