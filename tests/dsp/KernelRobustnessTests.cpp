#include "KernelTestRig.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using testsupport::allFinite;
using testsupport::rms;
using P = VantrelParameterList;

TEST (KernelInput, NonFiniteSamplesAreSilenceAtEveryMixAndTheEffectRecoversAtOnce)
{
    auto bad = KernelRig::sine (440.0, 1.0);
    auto clean = bad;
    const float poison[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity() };
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 12000; i < 12100; ++i)
        {
            bad[c][i] = poison[i % 3];
            clean[c][i] = 0.0f;
        }

    // Wet only, half and half, dry only: the output is what silence in their
    // place would give, at the poisoned samples and everywhere after them.
    for (const float mix : { 100.0f, 50.0f, 0.0f })
    {
        KernelRig a, b;
        for (auto* rig : { &a, &b })
            rig->set ({ { P::DryWet, mix }, { P::PitchShifterModeA, 1.0f }, { P::PitchA, 12.0f }, { P::DuckingThreshold, -20.0f } });
        const auto out = a.render (bad, 512);
        EXPECT_EQ (out, b.render (clean, 512)) << mix;
        EXPECT_GT (rms (out[0].data() + 36000, 12000), 0.01) << mix;
    }
}

TEST (KernelInput, HugeFiniteSamplesCannotOverflowTheEffect)
{
    auto in = KernelRig::sine (440.0, 1.0);
    in[0][5000] = 3.0e38f;
    in[1][5001] = -1.0e30f;
    // And a run on both sides, long enough to fill the reverb's lines.
    for (auto& side : in)
        std::fill (side.begin() + 10000, side.begin() + 14800, 5.0e37f);
    for (float gainDb : { 12.0f, 0.0f })
    {
        KernelRig rig;
        rig.set ({ { P::DryWet, 100.0f }, { P::InputGain, gainDb }, { P::PitchShifterModeB, 1.0f }, { P::PitchB, -24.0f } });
        const auto out = rig.render (in, 512);
        for (std::size_t c = 0; c < 2; ++c)
            EXPECT_TRUE (allFinite (out[c].data() + 6000, out[c].size() - 6000)) << gainDb << " dB, channel " << c;
    }
}

// Sub-blocks are cut on the stream's grid, not by the host's blocks: 300
// frames give the same samples as 256 + 44 or as 150 + 150, and a block
// longer than the scratch buffers (rendered as pieces of 4096) the same as
// those pieces.
TEST (KernelBlocks, SubBlocksFollowTheStreamGridAndLongBlocksArePiecesOf4096)
{
    const auto warmUp = KernelRig::stereo (std::vector<float> (48000, 0.0f));
    const auto in = KernelRig::sine (523.0, 1.0);
    auto renderWith = [&] (const std::vector<unsigned long>& blocks) {
        KernelRig rig;
        rig.set ({ { P::ModulationAmount, 0.0f }, { P::PitchShifterAmountA, 60.0f }, { P::PitchA, 7.0f },
                   { P::DuckingThreshold, -30.0f } });
        rig.render (warmUp, 512);
        return rig.renderBlocks (in, blocks);
    };
    EXPECT_EQ (renderWith ({ 300 }), renderWith ({ 256, 44 }));
    EXPECT_EQ (renderWith ({ 300 }), renderWith ({ 150 }));
    const auto whole = renderWith ({ 10000 });
    EXPECT_EQ (whole, renderWith ({ 4096, 4096, 1808 }));
    EXPECT_TRUE (allFinite (whole[0].data(), whole[0].size()));
}

TEST (KernelBlocks, ZeroFramesWriteNothingButTheMeter)
{
    KernelRig rig;
    rig.render (KernelRig::sine (440.0, 0.2), 256);
    (*rig.kernel->outputValue (VantrelDSPKernel::kMeterParameter))[0].store (-1.0f);
    float sentinel = 123.0f;
    rig.inBus[0] = rig.inBus[1] = rig.outBus[0] = rig.outBus[1] = &sentinel;
    rig.kernel->setBuffers (rig.ins, rig.outs);
    rig.kernel->process (0, 0, 0);
    EXPECT_EQ (sentinel, 123.0f);
    EXPECT_EQ (rig.meter(), rig.kernel->ducker->peakMeter->values[0]);
}

TEST (KernelRates, CommonRatesRenderFiniteWetSignalAndParametersSurviveARateChange)
{
    for (const double rate : { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 })
    {
        KernelRig rig (2, rate);
        rig.set ({ { P::DryWet, 100.0f }, { P::PitchShifterAmountA, 100.0f }, { P::PitchA, 7.0f } });
        const auto out = rig.render (KernelRig::sine (440.0, 1.0, 0.5f, rate), 512);
        EXPECT_TRUE (allFinite (out[1].data(), out[1].size())) << rate;
        EXPECT_GT (rms (out[1].data() + out[1].size() / 2, out[1].size() / 2), 0.01) << rate;
    }

    KernelRig rig (2, 32000.0);
    rig.set ({ { P::ReverbColor, 18000.0f }, { P::RoomSize, 80.0f }, { P::PitchB, 5.0f }, { P::PitchShifterModeB, 2.0f } });
    rig.render (KernelRig::sine (440.0, 0.5, 0.5f, 32000.0), 512);
    // The colour is limited below Nyquist in a copy: the parameter's own
    // buffer, which a constant parameter does not refill, keeps its value.
    EXPECT_EQ ((*rig.kernel->parameterBuffers)[P::ReverbColor][0], 18000.0f);

    rig.prepare (2, 96000.0);
    const auto out = rig.render (KernelRig::sine (440.0, 0.5, 0.5f, 96000.0), 512);
    EXPECT_TRUE (allFinite (out[0].data(), out[0].size()));
    EXPECT_EQ (rig.kernel->getParameter (P::ReverbColor), 18000.0f);
    EXPECT_EQ (rig.kernel->getParameter (P::RoomSize), 80.0f);
    EXPECT_EQ (rig.kernel->getParameter (P::PitchB), 5.0f);
    EXPECT_EQ (rig.kernel->shifterB->mode.load(), 2);

    // A rate the blocks cannot work at renders silence instead of garbage.
    rig.prepare (2, 4000.0);
    const auto low = rig.render (KernelRig::sine (440.0, 0.1, 0.5f, 4000.0), 64);
    EXPECT_EQ (rms (low[0].data(), low[0].size()), 0.0);
}

TEST (KernelChannels, MoreThanTwoChannelsNeverReachTheKernel)
{
    KernelRig rig;
    EXPECT_DEBUG_DEATH (rig.prepare (6, 48000.0), "");
#ifdef NDEBUG
    EXPECT_EQ (rig.kernel->channels, 2);
    const auto out = rig.render (KernelRig::sine (440.0, 0.2), 512);
    EXPECT_TRUE (allFinite (out[1].data(), out[1].size()));
#endif
}

TEST (KernelChannels, MonoRendersOnlyTheFirstChannel)
{
    KernelRig rig (1);
    rig.set ({ { P::DryWet, 100.0f } });
    const auto in = KernelRig::sine (440.0, 0.5);
    const auto out = rig.render (in, 512);
    EXPECT_GT (rms (out[0].data() + 12000, 12000), 0.01);
    EXPECT_EQ (out[1], in[1]);
}

TEST (KernelSwitches, SwitchValuesAreRoundedTruncatedAndKeptInRange)
{
    KernelRig rig;
    VantrelDSPKernel& k = *rig.kernel;
    k.setParameter (P::PitchShifterModeA, 1.9f);
    k.updateParameter (P::PitchShifterModeB, 7.0f);
    k.setParameter (P::PitchA, -12.5f);
    k.updateParameter (P::PitchB, std::numeric_limits<float>::infinity());
    k.setParameter (P::FineA, 50.0f);
    EXPECT_EQ (k.shifterA->mode.load(), 1);
    EXPECT_EQ (k.shifterB->mode.load(), 2);
    EXPECT_EQ (k.shifterA->pitch.load(), -13);
    EXPECT_EQ (k.shifterB->pitch.load(), 24);
    EXPECT_FLOAT_EQ (k.shifterA->fine.load(), 0.5f);

    for (const auto& [value, type] : { std::pair { 0.4f, LowShelf }, { 0.5f, HighPass }, { -0.4f, LowShelf }, { -0.6f, HighPass } })
    {
        k.setParameter (P::InputFilterType, value);
        rig.render (KernelRig::sine (100.0, 0.01), 256);
        EXPECT_EQ (k.inputFilter->filterType, type) << value;
    }
}

TEST (KernelRealtime, ProcessNeverAllocatesInAnyModeCombination)
{
    KernelRig rig;
    std::vector<float> left (5000, 0.25f), right (5000, -0.25f);
    rig.inBus[0] = rig.outBus[0] = left.data();
    rig.inBus[1] = rig.outBus[1] = right.data();
    VantrelDSPKernel& k = *rig.kernel;

    testsupport::ScopedAllocationCounter counter;
    for (int mode = 0; mode < 18; ++mode)
    {
        k.setParameter (P::PitchShifterModeA, static_cast<float> (mode % 3));
        k.setParameter (P::PitchShifterModeB, static_cast<float> ((mode / 3) % 3));
        k.setParameter (P::InputFilterType, static_cast<float> (mode / 9));
        k.setParameter (P::PitchA, static_cast<float> (mode - 9));
        k.setParameter (P::ReverbLength, 1.0f + static_cast<float> (mode));
        for (const unsigned long frames : { 64ul, 300ul, 512ul, 5000ul })
        {
            k.setBuffers (rig.ins, rig.outs);
            k.process (frames, 0, 0);
        }
    }
    EXPECT_EQ (counter.allocations(), 0u);
    EXPECT_TRUE (allFinite (left.data(), left.size()));
}
