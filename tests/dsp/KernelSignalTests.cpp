#include "KernelTestRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using testsupport::dominantFrequency;
using testsupport::rms;
using testsupport::toneMagnitude;
using P = VantrelParameterList;

namespace
{
constexpr double kRate = 48000.0;

// The last `seconds` of a channel.
std::pair<const float*, std::size_t> tail (const std::vector<float>& x, double seconds)
{
    const auto n = static_cast<std::size_t> (seconds * kRate);
    return { x.data() + x.size() - n, n };
}
} // namespace

TEST (KernelMix, FullyDryReturnsTheInputBitForBitOnceTheRampSettled)
{
    for (const bool inPlace : { false, true })
    {
        KernelRig rig;
        rig.set ({ { P::DryWet, 0.0f }, { P::PitchShifterAmountA, 80.0f }, { P::PitchA, 7.0f } });
        const auto in = KernelRig::sine (440.0, 1.0);
        const auto out = rig.render (in, 512, inPlace);
        const std::size_t settled = 1024; // the ramp lasts 959 samples at 48 kHz
        for (std::size_t c = 0; c < 2; ++c)
            EXPECT_EQ (0, std::memcmp (in[c].data() + settled, out[c].data() + settled, (in[c].size() - settled) * sizeof (float)))
                << "in place " << inPlace << ", channel " << c;
    }
}

TEST (KernelMix, HalfMixIsDryPlusWet)
{
    KernelRig wetOnly, half;
    wetOnly.set ({ { P::DryWet, 100.0f } });
    half.set ({ { P::DryWet, 50.0f } });
    const auto in = KernelRig::sine (330.0, 1.0);
    const auto wet = wetOnly.render (in, 256);
    const auto mixed = half.render (in, 256);

    ASSERT_GT (rms (wet[0].data() + 24000, 24000), 0.01);
    for (std::size_t i = 2048; i < in[0].size(); ++i)
        ASSERT_NEAR (mixed[0][i], in[0][i] + wet[0][i], 1e-6f) << i;
}

TEST (KernelPitch, OctaveUpTurns440IntoDominant880BeforeAndAfterTheReverb)
{
    for (const float mode : { 0.0f, 2.0f })
    {
        KernelRig rig;
        rig.set ({ { P::DryWet, 100.0f }, { P::PitchShifterModeA, mode }, { P::PitchShifterModeB, mode }, { P::PitchA, 12.0f },
                   { P::PitchB, 12.0f }, { P::PitchShifterAmountA, 100.0f }, { P::PitchShifterAmountB, 100.0f },
                   { P::DelayTimeA, 100.0f }, { P::DelayTimeB, 100.0f } });
        const auto out = rig.render (KernelRig::sine (440.0, 2.0), 512);
        const auto [x, n] = tail (out[0], 0.5);
        EXPECT_NEAR (dominantFrequency (x, n, kRate, 100.0, 2000.0), 880.0, 4.0) << "mode " << mode;
        EXPECT_GT (toneMagnitude (x, n, 880.0, kRate), 4.0 * toneMagnitude (x, n, 440.0, kRate)) << "mode " << mode;
    }
}

// Voice A in feedback mode against voice A passing the signal unchanged:
// an unshifted feedback voice returns nothing to the reverb, a shifted one does.
TEST (KernelFeedback, OnlyAShiftedFeedbackVoiceReturnsToTheReverb)
{
    const auto in = KernelRig::sine (440.0, 1.0);
    KernelRig reference;
    reference.set ({ { P::DryWet, 100.0f }, { P::PitchShifterAmountA, 0.0f } });
    const auto expected = reference.render (in, 512);

    KernelRig unshifted, shifted;
    for (auto* rig : { &unshifted, &shifted })
        rig->set ({ { P::DryWet, 100.0f }, { P::PitchShifterModeA, 1.0f }, { P::PitchShifterAmountA, 100.0f } });
    shifted.set ({ { P::PitchA, 12.0f } });

    const auto a = unshifted.render (in, 512);
    const auto b = shifted.render (in, 512);
    for (std::size_t i = 0; i < in[0].size(); ++i)
        ASSERT_EQ (a[0][i], expected[0][i]) << i;

    const auto [x, n] = tail (b[0], 0.5);
    const auto [r, m] = tail (expected[0], 0.5);
    EXPECT_GT (toneMagnitude (x, n, 880.0, kRate), 10.0 * toneMagnitude (r, m, 880.0, kRate));
}

TEST (KernelFeedback, TheSecondReverbRunsOnlyWhileBothVoicesFeedBack)
{
    const auto in = KernelRig::sine (220.0, 0.5);
    KernelRig one, both;
    one.set ({ { P::PitchShifterModeA, 1.0f }, { P::PitchA, 5.0f } });
    both.set ({ { P::PitchShifterModeA, 1.0f }, { P::PitchShifterModeB, 1.0f }, { P::PitchA, 5.0f }, { P::PitchB, -7.0f } });
    one.render (in, 512);
    both.render (in, 512);

    EXPECT_EQ (one.kernel->reverbB->core.currentFeedback, 0.0f);
    EXPECT_GT (both.kernel->reverbB->core.currentFeedback, 0.0f);
    EXPECT_GT (rms (both.kernel->reverbInputsB[0], 256), 1e-3);
}

// The return from the feedback delays keeps a fixed latency: whatever block
// lengths the host uses (here all made of whole sub-blocks), the effect sounds
// the same, and consecutive blocks of different lengths do not make it jump.
TEST (KernelFeedback, TheReturnDoesNotDependOnTheHostBlockLength)
{
    const auto silence = KernelRig::stereo (std::vector<float> (24000, 0.0f));
    const auto in = KernelRig::sine (330.0, 1.0);
    auto renderWith = [&] (const std::vector<unsigned long>& blocks) {
        KernelRig rig;
        rig.set ({ { P::PitchShifterModeA, 1.0f }, { P::PitchShifterModeB, 1.0f }, { P::PitchA, 7.0f }, { P::PitchB, -5.0f },
                   { P::PitchShifterAmountA, 100.0f }, { P::PitchShifterAmountB, 100.0f }, { P::ModulationAmount, 0.0f } });
        rig.render (silence, 512);
        return rig.renderBlocks (in, blocks);
    };
    const auto steady = renderWith ({ 256 });
    EXPECT_EQ (steady, renderWith ({ 512, 256, 768, 1024 }));
    EXPECT_EQ (steady, renderWith ({ 2048 }));
}

TEST (KernelDucking, ALoudInputDucksTheWetSignalBelowTheThresholdOnly)
{
    const auto in = KernelRig::sine (440.0, 1.5, 0.9f);
    KernelRig open, ducked;
    // The key is the dry input: the input gain must not weaken the ducking.
    open.set ({ { P::DryWet, 100.0f }, { P::InputGain, -30.0f }, { P::DuckingThreshold, 0.0f } });
    ducked.set ({ { P::DryWet, 100.0f }, { P::InputGain, -30.0f }, { P::DuckingThreshold, -40.0f } });
    const auto a = open.render (in, 512);
    const auto b = ducked.render (in, 512);

    const auto [x, n] = tail (a[0], 0.5);
    const auto [y, m] = tail (b[0], 0.5);
    // Target gain ((0.64 - 0.01) / 10 + 0.01) / 0.64, squared: about -38 dB.
    EXPECT_LT (rms (y, m), 0.05 * rms (x, n));
    EXPECT_GT (rms (x, n), 1e-3);

    // The meter slot shows the ducker's reading: full scale when open.
    EXPECT_EQ (open.meter(), open.kernel->ducker->peakMeter->values[0]);
    EXPECT_EQ (ducked.meter(), ducked.kernel->ducker->peakMeter->values[0]);
    EXPECT_NEAR (open.meter(), 100.0f, 0.01f);
    EXPECT_NEAR (ducked.meter(), 100.0f + testsupport::toDecibels (0.0132), 1.5f);
}
