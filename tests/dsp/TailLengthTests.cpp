// The tail estimate's shape: what lengthens it, what must not, and its limits.
// (Whether it covers what the effect renders is measured in the plug-in tests.)
#include <gtest/gtest.h>

#include "Kernel/TailLength.h"

#include <cmath>
#include <limits>

namespace
{
TailLength::Settings reverbOnly (float lengthSeconds)
{
    TailLength::Settings s;
    s.reverbLengthSeconds = lengthSeconds;
    return s;
}

TailLength::Settings withFeedbackVoice (float lengthSeconds, float interval, float amount)
{
    auto s = reverbOnly (lengthSeconds);
    s.voices[1] = { 1, interval, amount, 500.0f };
    return s;
}
} // namespace

TEST (TailLength, GrowsWithTheReverbLengthAndThePreDelay)
{
    double previous = 0.0;
    for (float length : { 0.2f, 1.0f, 5.0f, 15.0f, 30.0f })
    {
        const double tail = TailLength::seconds (reverbOnly (length));
        // At least 90 dB of the reverb's fall (60 dB per length).
        EXPECT_GE (tail, 1.5 * length) << length;
        EXPECT_GT (tail, previous) << length;
        previous = tail;
    }
    auto delayed = reverbOnly (5.0f);
    delayed.preDelayMs = 200.0f;
    EXPECT_NEAR (TailLength::seconds (delayed) - TailLength::seconds (reverbOnly (5.0f)), 0.2, 1e-6);
}

TEST (TailLength, AVoiceInFeedbackLengthensItOnlyWhenItShiftsAndReturnsSomething)
{
    const double plain = TailLength::seconds (reverbOnly (8.0f));
    // No interval, or no amount: the feedback delay returns nothing.
    EXPECT_EQ (TailLength::seconds (withFeedbackVoice (8.0f, 0.0f, 100.0f)), plain);
    EXPECT_EQ (TailLength::seconds (withFeedbackVoice (8.0f, 12.0f, 0.0f)), plain);

    // More amount, longer; a wider interval leaves less in the loop.
    EXPECT_GT (TailLength::seconds (withFeedbackVoice (8.0f, 5.0f, 100.0f)), TailLength::seconds (withFeedbackVoice (8.0f, 5.0f, 50.0f)));
    EXPECT_GT (TailLength::seconds (withFeedbackVoice (8.0f, 5.0f, 50.0f)), plain);
    EXPECT_GT (TailLength::seconds (withFeedbackVoice (8.0f, 1.0f, 100.0f)), TailLength::seconds (withFeedbackVoice (8.0f, -12.0f, 100.0f)));
    EXPECT_GT (TailLength::seconds (withFeedbackVoice (8.0f, -12.0f, 100.0f)), TailLength::seconds (withFeedbackVoice (8.0f, 24.0f, 100.0f)));
    // The delay's own repeats outlast even the shortest reverb.
    EXPECT_GT (TailLength::seconds (withFeedbackVoice (0.2f, 24.0f, 25.0f)), TailLength::seconds (reverbOnly (0.2f)) + 2.0);

    // A voice shifting before or after the reverb delays it by its window.
    auto shifted = reverbOnly (8.0f);
    shifted.voices[0] = { 2, 7.0f, 100.0f, 1000.0f };
    EXPECT_NEAR (TailLength::seconds (shifted) - plain, 1.0, 1e-6);
    shifted.voices[0].amountPercent = 0.0f;
    EXPECT_EQ (TailLength::seconds (shifted), plain);
}

TEST (TailLength, StaysWithinItsCapForAnySettings)
{
    // A loop that sustains itself, and settings no host should send.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto both = withFeedbackVoice (30.0f, 0.1f, 100.0f);
    both.voices[0] = { 1, -0.1f, 100.0f, 500.0f };
    EXPECT_EQ (TailLength::seconds (both), TailLength::kMaximumSeconds);
    EXPECT_EQ (TailLength::seconds (reverbOnly (nan)), TailLength::seconds (reverbOnly (30.0f)));
    EXPECT_EQ (TailLength::seconds (reverbOnly (inf)), TailLength::seconds (reverbOnly (30.0f)));
    EXPECT_EQ (TailLength::seconds (reverbOnly (-inf)), TailLength::seconds (reverbOnly (0.0f)));
    EXPECT_LE (TailLength::seconds (withFeedbackVoice (30.0f, nan, nan)), TailLength::kMaximumSeconds);
    auto wild = reverbOnly (5.0f);
    wild.preDelayMs = -1.0e9f;
    wild.voices[0] = { 0, 0.0f, 1.0e9f, 1.0e9f };
    const double tail = TailLength::seconds (wild);
    EXPECT_TRUE (std::isfinite (tail));
    EXPECT_LE (tail, TailLength::seconds (reverbOnly (5.0f)) + 1.0 + 1e-6);
}
