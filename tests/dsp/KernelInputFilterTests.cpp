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
