#include "Parameters/ParameterBufferList.h"
#include "Parameters/ParameterList.h"
#include "Parameters/ParameterRamper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace
{
std::vector<float> step (ParameterRamper& r, unsigned long frames, bool& changed)
{
    changed = false;
    const float* b = r.getAndStep (frames, changed);
    return std::vector<float> (b, b + frames);
}

// A ramper resting at `value`.
void restAt (ParameterRamper& r, float value)
{
    r.startRamp (value, 0, false);
    bool changed = false;
    r.getAndStep (16, changed);
}
} // namespace

TEST (ParameterRamper, RampOf881SamplesInBlocksOf512)
{
    ParameterRamper r;
    restAt (r, 0.0f);
    r.startRamp (881.0f, 881, false);

    bool changed = false;
    auto block = step (r, 512, changed);
    EXPECT_TRUE (changed);
    // Each block starts on the value reached: 0, 1, ... 511.
    for (unsigned long k = 0; k < 512; ++k)
        ASSERT_NEAR (float (k), block[k], 1e-3f) << k;

    block = step (r, 512, changed);
    EXPECT_TRUE (changed);
    for (unsigned long k = 0; k < 369; ++k)
        ASSERT_NEAR (float (512 + k), block[k], 1e-3f) << k;
    for (unsigned long k = 369; k < 512; ++k)
        ASSERT_EQ (881.0f, block[k]) << "past the end of the ramp the goal holds, at " << k;
    EXPECT_EQ (0u, r.remaining);

    // At rest: one block filled with the goal, reported as changed...
    block = step (r, 512, changed);
    EXPECT_TRUE (changed);
    EXPECT_EQ (std::vector<float> (512, 881.0f), block);
    // ...then neither refilled nor reported.
    r.buffer[0] = -1.0f;
    step (r, 512, changed);
    EXPECT_FALSE (changed);
    EXPECT_EQ (-1.0f, r.buffer[0]);
}

TEST (ParameterRamper, NewRampStartsFromTheValueReached)
{
    ParameterRamper r;
    restAt (r, 0.0f);
    r.startRamp (100.0f, 100, false);
    bool changed = false;
    auto block = step (r, 50, changed);
    EXPECT_NEAR (49.0f, block[49], 1e-3f);

    r.startRamp (0.0f, 10, false);
    block = step (r, 12, changed);
    // From 50 (the value reached), not from 100 (the old goal), down to 0.
    EXPECT_NEAR (50.0f, block[0], 1e-3f);
    EXPECT_NEAR (5.0f, block[9], 1e-3f);
    EXPECT_EQ (0.0f, block[10]);
    for (unsigned long k = 1; k < 10; ++k)
        EXPECT_LT (block[k], block[k - 1]);
}

TEST (ParameterRamper, ConstantBlockRuleFollowsTheBlockLength)
{
    ParameterRamper r;
    restAt (r, 0.25f);
    bool changed = false;
    step (r, 512, changed);
    EXPECT_TRUE (changed);
    step (r, 256, changed);
    EXPECT_TRUE (changed) << "a shorter block refills";
    step (r, 256, changed);
    EXPECT_FALSE (changed);
}

TEST (ParameterRamper, RoundingToIntegers)
{
    ParameterRamper jump;
    jump.startRamp (2.6f, 0, true);
    EXPECT_EQ (3.0f, jump.getPendingValue());
    bool changed = false;
    EXPECT_EQ (3.0f, step (jump, 4, changed)[3]);
    EXPECT_EQ (0u, jump.remaining);

    ParameterRamper ramp;
    ramp.startRamp (2.6f, 100, true);
    EXPECT_FLOAT_EQ (2.6f, ramp.getPendingValue());
    const auto block = step (ramp, 128, changed);
    EXPECT_EQ (3.0f, ramp.goal);
    EXPECT_EQ (3.0f, block[127]);

    ParameterRamper half;
    half.startRamp (-2.5f, 0, true);
    EXPECT_EQ (-3.0f, half.getPendingValue()) << "halves round away from zero";
}

TEST (ParameterRamper, RepeatedIdenticalRequestsAreAllSeen)
{
    // The same request twice restarts the ramp from where it stands.
    ParameterRamper r;
    restAt (r, 0.0f);
    r.startRamp (10.0f, 10, false);
    bool changed = false;
    step (r, 5, changed);
    r.startRamp (10.0f, 10, false);
    step (r, 1, changed);
    EXPECT_EQ (9u, r.remaining);
}

TEST (ParameterRamper, SnapToTargetEndsTheRampAtOnce)
{
    ParameterRamper r;
    r.startRamp (7.0f, 500, false);
    r.snapToTarget();
    bool changed = false;
    EXPECT_EQ (std::vector<float> (8, 7.0f), step (r, 8, changed));
    EXPECT_EQ (0u, r.remaining);
}

TEST (ParameterRamper, OversizedBlocksStayInsideTheBuffer)
{
#ifdef NDEBUG
    ParameterRamper r;
    r.startRamp (1.0f, 10000, false);
    bool changed = false;
    r.getAndStep (kMaxFramesPerBlock * 2, changed);
    EXPECT_EQ (10000u - kMaxFramesPerBlock, r.remaining);
#else
    GTEST_SKIP() << "asserts in debug builds";
#endif
}

TEST (ParameterBufferList, GrowsOnReadAndKeepsWrittenBuffers)
{
    ParameterBufferList list;
    EXPECT_EQ (nullptr, list[5]);
    EXPECT_EQ (6u, list.size());
    float a[4] {}, b[4] {};
    list.writeAt (2, a);
    list.writeAt (9, b);
    EXPECT_EQ (a, list[2]);
    EXPECT_EQ (b, list[9]);
    EXPECT_EQ (10u, list.size());
}

TEST (ParameterBufferList, CopyBufferListSharesOrCopies)
{
    ParameterBufferList source;
    float a[4] { 1, 2, 3, 4 }, b[4] { 5, 6, 7, 8 };
    source.writeAt (0, a);
    source.writeAt (2, b);

    ParameterBufferList shared;
    shared.copyBufferList (&source, 4);
    EXPECT_EQ (a, shared[0]);
    float c[4] {};
    source.writeAt (2, c);
    EXPECT_EQ (c, shared[2]) << "without copied indices the slot records are shared";

    ParameterBufferList copying;
    copying.setCopiedParameters ({ 2, 0 });
    EXPECT_EQ ((std::vector<unsigned long> { 0, 2 }), copying.copiedIndices);
    ASSERT_NE (nullptr, copying[2]);
    EXPECT_EQ (0.0f, copying[2][3]);
    source.writeAt (2, b);
    copying.copyBufferList (&source, 3);
    EXPECT_NE (a, copying[0]);
    EXPECT_EQ (1.0f, copying[0][0]);
    EXPECT_EQ (7.0f, copying[2][2]);
    EXPECT_EQ (0.0f, copying[2][3]) << "only `frames` values are copied";
    EXPECT_EQ (nullptr, copying[1]);
    b[0] = 99.0f;
    EXPECT_EQ (5.0f, copying[2][0]) << "a copied index owns its values";
}

namespace
{
class TwoParameterList : public ParameterList
{
public:
    TwoParameterList() : ParameterList (3)
    {
        parameters[0]->ramper = std::make_unique<ParameterRamper>();
        parameters[1]->flags = FlagNotRamped;
        parameters[2]->ramper = std::make_unique<ParameterRamper>();
    }
    std::vector<unsigned long> getFavourites() override { return {}; }
};
} // namespace

TEST (ParameterList, CheckOutBuffersWritesOnlyChangedRampedParameters)
{
    TwoParameterList list;
    EXPECT_EQ (0, list[0]->index);
    EXPECT_EQ (2, list[2]->index);
    EXPECT_TRUE (list.getUnrandomizable().empty());
    EXPECT_THROW (list.at (3), std::out_of_range);

    ParameterBufferList buffers;
    list[0]->ramper->startRamp (1.0f, 0, false);
    list.checkOutBuffers (64, &buffers);
    ASSERT_NE (nullptr, buffers[0]);
    EXPECT_EQ (list[0]->ramper->buffer.data(), buffers[0]);
    EXPECT_EQ (nullptr, buffers[1]) << "a switch has no buffer";

    buffers.writeAt (0, nullptr);
    list.checkOutBuffers (64, &buffers);
    EXPECT_EQ (nullptr, buffers[0]) << "an unchanged constant is not rewritten";
    list[0]->ramper->startRamp (2.0f, 100, false);
    list.checkOutBuffers (64, &buffers);
    EXPECT_EQ (list[0]->ramper->buffer.data(), buffers[0]);
}

TEST (ParameterList, SkippingRestingParametersRendersWhatEachRamperWould)
{
    // The list renders parameters 0 and 2; twin rampers get the same
    // requests and are stepped one by one. Random requests (ramps, jumps,
    // repeats of the same value, none for a while) and block lengths: each
    // slot must hold what its twin's getAndStep gives, and the list must say
    // whether it rewrote a slot exactly when a twin reports a change.
    TwoParameterList list;
    ParameterRamper twins[2];
    ParameterRamper* listed[2] = { list[0]->ramper.get(), list[2]->ramper.get() };
    ParameterBufferList buffers;
    buffers.checkSize (2);

    std::uint32_t seed = 99u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int block = 0; block < 400; ++block)
    {
        for (int j = 0; j < 2; ++j)
        {
            const auto dice = next() % 8;
            if (dice > 2)
                continue; // most blocks bring no request
            const float value = float (next() % 5);
            const unsigned long duration = dice == 0 ? 0 : next() % 700;
            listed[j]->startRamp (value, duration, dice == 2);
            twins[j].startRamp (value, duration, dice == 2);
        }
        const unsigned long frames = (next() % 4 == 0) ? 1 + next() % 512 : 64;

        bool anyChanged = false;
        bool changed[2] = { false, false };
        float* expected[2];
        for (int j = 0; j < 2; ++j)
        {
            expected[j] = twins[j].getAndStep (frames, changed[j]);
            anyChanged = anyChanged || changed[j];
        }
        buffers.writeAt (0, nullptr);
        buffers.writeAt (2, nullptr);
        ASSERT_EQ (anyChanged, list.checkOutBuffers (frames, &buffers)) << "block " << block;
        for (int j = 0; j < 2; ++j)
        {
            const unsigned long index = j == 0 ? 0 : 2;
            const float* values = listed[j]->buffer.data();
            for (unsigned long k = 0; k < frames; ++k)
                ASSERT_EQ (expected[j][k], values[k]) << "block " << block << ", parameter " << index << ", sample " << k;
            // A slot is written exactly when its ramper reports a change.
            ASSERT_EQ (changed[j], buffers[index] != nullptr) << "block " << block << ", parameter " << index;
        }
    }
}
