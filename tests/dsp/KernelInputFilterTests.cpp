// The input filter's cutoff arrives on the note scale and is converted back
// to Hz once per block; the filter must cut where the parameter says, also
// while the cutoff ramps.
#include "KernelTestRig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using P = VantrelParameterList;

double wetLevel (float cutoffHz, float toneHz)
{
    KernelRig rig;
    rig.set ({ { P::DryWet, 100.0f }, { P::InputFilterType, 1.0f }, { P::InputFilterFrequency, cutoffHz },
               { P::InputFilterResonance, -3.0f }, { P::PitchShifterAmountA, 0.0f }, { P::PitchShifterAmountB, 0.0f },
               { P::PitchShifterModeB, 0.0f }, { P::DuckingThreshold, 0.0f } });
    const auto out = rig.render (KernelRig::sine (toneHz, 2.0), 512);
    return testsupport::rms (out[0].data() + 48000, 48000);
}
} // namespace

TEST (KernelInputFilter, HighPassCutsBelowItsCutoff)
{
    // A 100 Hz tone through the reverb: a 2 kHz high-pass takes it away (a
    // second-order slope, about 50 dB 4.3 octaves below the cutoff), a 20 Hz
    // one leaves it.
    const double open = wetLevel (20.0f, 100.0f);
    const double closed = wetLevel (2000.0f, 100.0f);
    ASSERT_GT (open, 1e-3);
    EXPECT_LT (20.0 * std::log10 (closed / open), -40.0) << closed << " against " << open;
}

TEST (KernelInputFilter, CutoffIsTheParameterInHertzKeptBelowNyquist)
{
    KernelRig rig;
    rig.set ({ { P::InputFilterFrequency, 1000.0f } });
    rig.render (KernelRig::sine (100.0, 0.2), 256);
    EXPECT_NEAR (1000.0f, rig.kernel->filterFrequency[0], 1000.0f * 1e-3f);

    // 20 kHz at 32 kHz lies above the filter's limit of the rate / 2.1.
    KernelRig slow (2, 32000.0);
    slow.set ({ { P::InputFilterFrequency, 20000.0f } });
    slow.render (KernelRig::sine (100.0, 0.2, 0.5f, 32000.0), 256);
    EXPECT_FLOAT_EQ (static_cast<float> (32000.0 / 2.1), slow.kernel->filterFrequency[0]);
}

TEST (KernelSettings, ValuesKeptFromBlockToBlockFollowEveryChange)
{
    // The feedback return's scale and the reverb's loop gain are computed
    // again only when their settings change: they must follow each change.
    KernelRig rig;
    rig.set ({ { P::PitchShifterModeA, 1.0f }, { P::PitchShifterAmountA, 100.0f }, { P::PitchA, 0.0f }, { P::FineA, 0.0f } });
    const auto tone = KernelRig::sine (220.0, 0.05);
    const float lengths[] = { 2.0f, 2.0f, 9.0f, 9.0f, 0.5f };
    const int intervals[] = { 0, 12, 12, -24, 0 };
    for (int step = 0; step < 5; ++step)
    {
        rig.set ({ { P::PitchA, float (intervals[step]) }, { P::ReverbLength, lengths[step] } });
        rig.render (tone, 256);
        const float expectedScale = std::pow (std::fabs (float (intervals[step])) / 24.0f, 0.05f) / 100.0f;
        EXPECT_FLOAT_EQ (100.0f * expectedScale, rig.kernel->returnGains[0][0]) << "step " << step;

        auto& core = rig.kernel->reverbA->core;
        const float lineSeconds = core.lines[3].timeMs * 0.001f;
        const float expectedGain = std::pow (0.001f, 1.0f / (lengths[step] / lineSeconds)) * 0.5f;
        EXPECT_FLOAT_EQ (expectedGain, core.currentFeedback) << "step " << step;
    }
}
