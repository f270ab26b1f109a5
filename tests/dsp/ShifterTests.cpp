#include "Pitch/Shifter.h"
#include "Pitch/UpwardBandLimit.h"

#include "AllocationCounter.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr unsigned long kBlock = 256;

struct VoiceRig
{
    explicit VoiceRig (int channels = 2, float windowMs = 100.0f)
        : window (4096, windowMs)
    {
        voice.init (channels, kRate);
        voice.setWindowMs (window.data());
    }

    // Feeds `x` through the feedback mode of channel c; returns the voice
    // buffer after each sub-block (the delay's output).
    std::vector<float> runFeedback (const std::vector<float>& x, unsigned long c = 0)
    {
        std::vector<float> y (x.size());
        for (std::size_t s = 0; s < x.size(); s += kBlock)
        {
            const auto n = static_cast<unsigned long> (std::min<std::size_t> (kBlock, x.size() - s));
            std::copy_n (x.begin() + static_cast<std::ptrdiff_t> (s), n, voice.voice[c]);
            voice.processDelayShifter (0, c, n);
            std::copy_n (voice.voice[c], n, y.begin() + static_cast<std::ptrdiff_t> (s));
        }
        return y;
    }

    // Feeds `x` to both channels of the plain shift before (after = false)
    // or after the reverb; returns channel 0 of the shifted voice.
    std::vector<float> runPlain (const std::vector<float>& x, bool after)
    {
        std::vector<float> y (x.size());
        for (std::size_t s = 0; s < x.size(); s += kBlock)
        {
            const auto n = static_cast<unsigned long> (std::min<std::size_t> (kBlock, x.size() - s));
            for (int c = 0; c < 2; ++c)
                std::copy_n (x.begin() + static_cast<std::ptrdiff_t> (s), n, voice.voice[c]);
            voice.shiftChannels (2, n, after);
            std::copy_n (voice.voice[0], n, y.begin() + static_cast<std::ptrdiff_t> (s));
        }
        return y;
    }

    Shifter voice;
    std::vector<float> window;
};

double energy (const std::vector<float>& y, std::size_t from, std::size_t to)
{
    double e = 0.0;
    for (std::size_t i = from; i < std::min (to, y.size()); ++i)
        e += double (y[i]) * y[i];
    return e;
}
} // namespace

// A 20 ms burst through the feedback mode of channel 0.
std::vector<float> burstThroughFeedback (int semitones)
{
    VoiceRig rig;
    rig.voice.setPitch (semitones);
    std::vector<float> x (48000 * 2, 0.0f);
    const auto burst = testsupport::sine (1000.0, kRate, 960, 0.5f);
    std::copy (burst.begin(), burst.end(), x.begin());
    return rig.runFeedback (x);
}

TEST (Shifter, UnshiftedFeedbackDelayRepeatsOnce)
{
    // Pitch 0: no feedback, so a burst comes back exactly once: 100 ms (plus
    // the line's 64-sample offset) after the shifter's own half-window delay.
    const auto y = burstThroughFeedback (0);
    ASSERT_TRUE (testsupport::allFinite (y.data(), y.size()));

    const std::size_t shifterDelay = 2400 + 48; // 0.5 x 100 ms + 1 ms
    const std::size_t lineDelay = 4800 + 64;
    const std::size_t firstRepeat = shifterDelay + lineDelay;
    const double first = energy (y, firstRepeat - 50, firstRepeat + 1200);
    EXPECT_LT (energy (y, 0, firstRepeat - 50), 1e-9);
    EXPECT_GT (first, 50.0);
    // No second pass (it would arrive about 7400 samples later): what is
    // left is the band filters' ringing.
    EXPECT_LT (energy (y, firstRepeat + 3000, y.size()), 1e-6 * first);
}

TEST (Shifter, ShiftedFeedbackDelayRepeatsAgain)
{
    // Any interval, up or down, feeds the delay back into itself.
    for (int semitones : { 3, -3, 12, -12, -24 })
    {
        const auto y = burstThroughFeedback (semitones);
        ASSERT_TRUE (testsupport::allFinite (y.data(), y.size()));
        const double total = energy (y, 0, y.size());
        EXPECT_GT (energy (y, 9600, y.size()), 0.02 * total) << semitones;
        // ... and the repeats die away.
        EXPECT_LT (energy (y, 72000, y.size()), 1e-6 * total) << semitones;
    }
}

TEST (Shifter, PitchAndFineReachEveryShifterOfTheVoice)
{
    VoiceRig rig;
    rig.voice.setPitch (12);
    rig.voice.setFine (0.5f);
    const double expected = 440.0 * std::pow (2.0, 12.5 / 12.0);

    for (std::size_t c = 0; c < 2; ++c)
    {
        auto x = testsupport::sine (440.0, kRate, 48000, 0.3f);
        for (std::size_t s = 0; s < x.size(); s += kBlock)
            rig.voice.pitchShifters[c].process (x.data() + s, static_cast<unsigned long> (std::min<std::size_t> (kBlock, x.size() - s)));
        EXPECT_NEAR (testsupport::dominantFrequency (x.data() + 24000, 24000, kRate, 0.75 * expected, 1.3 * expected), expected, 0.015 * expected) << c;

        // In the feedback mode the first repeat is the once-shifted input.
        const auto y = rig.runFeedback (testsupport::sine (440.0, kRate, 48000, 0.3f), c);
        EXPECT_NEAR (testsupport::dominantFrequency (y.data() + 24000, 24000, kRate, 0.75 * expected, 1.3 * expected), expected, 0.015 * expected) << c;
    }
}

TEST (Shifter, PitchSetWhileMonoStillAppliesAfterAStereoPrepare)
{
    VoiceRig rig (1);
    rig.voice.setPitch (-12);
    rig.voice.init (2, kRate);
    const auto y = rig.runFeedback (testsupport::sine (440.0, kRate, 48000, 0.3f), 1);
    EXPECT_NEAR (testsupport::dominantFrequency (y.data() + 24000, 24000, kRate, 150.0, 300.0), 220.0, 4.0);
}

TEST (Shifter, FeedbackOutputIsKeptAtTheSubBlockPosition)
{
    VoiceRig rig;
    rig.voice.setPitch (-5);
    std::vector<float> previous (4096, 0.0f);
    for (int block = 0; block < 40; ++block)
    {
        auto x = testsupport::sine (250.0, kRate, 128, 0.5f);
        std::copy (x.begin(), x.end(), rig.voice.voice[1]);
        std::copy_n (rig.voice.feedback[1], 4096, previous.begin());
        rig.voice.processDelayShifter (512, 1, 128);
        // The voice buffer and the feedback slice at 512 hold the same output;
        // the rest of the feedback buffer is untouched.
        for (std::size_t i = 0; i < 128; ++i)
            ASSERT_EQ (rig.voice.feedback[1][512 + i], rig.voice.voice[1][i]);
        for (std::size_t i = 0; i < 512; ++i)
            ASSERT_EQ (rig.voice.feedback[1][i], previous[i]);
    }
    EXPECT_GT (testsupport::peak (rig.voice.feedback[1] + 512, 128), 0.0);

    // A channel the voice was not set up for, or a start past the buffers,
    // is ignored rather than written out of bounds.
    VoiceRig mono (1);
    mono.voice.processDelayShifter (0, 1, 256);
    mono.voice.processDelayShifter (4096, 0, 256);
    mono.voice.processDelayShifter (4000, 0, 256);
    SUCCEED();
}

TEST (Shifter, ClearForgetsTheRepeats)
{
    VoiceRig rig;
    rig.voice.setPitch (7);
    (void) rig.runFeedback (testsupport::sine (400.0, kRate, 9600, 0.5f));
    rig.voice.clear();
    const auto y = rig.runFeedback (std::vector<float> (24000, 0.0f));
    EXPECT_EQ (testsupport::peak (y.data(), y.size()), 0.0);
    EXPECT_EQ (testsupport::peak (rig.voice.feedback[0], 4096), 0.0);
}

TEST (Shifter, ProcessingDoesNotAllocate)
{
    VoiceRig rig;
    rig.voice.setPitch (-24);
    auto x = testsupport::sine (440.0, kRate, 256);
    testsupport::ScopedAllocationCounter counter;
    for (int i = 0; i < 16; ++i)
    {
        std::copy (x.begin(), x.end(), rig.voice.voice[0]);
        rig.voice.processDelayShifter (256, 0, 256);
        rig.voice.pitchShifters[1].process (rig.voice.voice[1], 256);
        rig.voice.dryWet.process (x.data(), rig.voice.voice[1], rig.voice.voice[1], 256, rig.voice.amount);
    }
    EXPECT_EQ (counter.allocations(), 0u);
}

TEST (ShifterThreads, PitchFineAndModeChangeWhileProcessing)
{
    VoiceRig rig;
    std::atomic<bool> done { false };
    std::thread control ([&] {
        for (int i = 0; ! done.load(); ++i)
        {
            rig.voice.setPitch (i % 49 - 24);
            rig.voice.setFine (float (i % 101 - 50) * 0.01f);
            rig.voice.mode = i % 3;
        }
    });

    auto x = testsupport::sine (440.0, kRate, 256, 0.5f);
    bool finite = true;
    for (int block = 0; block < 400; ++block)
    {
        for (unsigned long c = 0; c < 2; ++c)
        {
            std::copy (x.begin(), x.end(), rig.voice.voice[c]);
            if (rig.voice.mode == 1)
                rig.voice.processDelayShifter (0, c, 256);
            else
                rig.voice.pitchShifters[c].process (rig.voice.voice[c], 256);
            finite = finite && testsupport::allFinite (rig.voice.voice[c], 256);
        }
    }
    done = true;
    control.join();
    EXPECT_TRUE (finite);
}

// Shifting up, a tone the shift would carry past Nyquist must not fold back
// down as an inharmonic tone: below 5 kHz, what it leaves is at least 50 dB
// under the shifted output of a 1 kHz tone of the same level, before and
// after the reverb and in the feedback delay (shifted again on every pass).
TEST (Shifter, ShiftingUpFoldsNothingBackBelowFiveKilohertz)
{
    for (const double rate : { 44100.0, 48000.0 })
        for (const int semitones : { 12, 24 })
            for (const int mode : { 0, 1, 2 })
            {
                const double ratio = std::exp2 (semitones / 12.0);
                // Steady output, measured over a power of two of samples.
                auto render = [&] (double hz) {
                    VoiceRig rig;
                    rig.voice.init (2, rate);
                    rig.voice.setPitch (semitones);
                    const std::size_t settle = static_cast<std::size_t> (rate / 2), length = 8192;
                    const auto x = testsupport::sine (hz, rate, settle + length, 0.25f);
                    const auto y = mode == 1 ? rig.runFeedback (x) : rig.runPlain (x, mode == 2);
                    return std::vector<float> (y.begin() + static_cast<std::ptrdiff_t> (settle), y.end());
                };
                const auto reference = render (1000.0);
                const double referenceEnergy = std::pow (testsupport::rms (reference.data(), reference.size()), 2.0);
                ASSERT_GT (referenceEnergy, 1e-4);
                // Tones that fold to 1, 2.5 and 4 kHz (past Nyquist once, or twice).
                for (const double lands : { rate - 4000.0, rate - 2500.0, rate + 1000.0, 2.0 * rate - 2500.0 })
                {
                    const double hz = lands / ratio;
                    if (hz > 0.49 * rate)
                        continue;
                    const auto y = render (hz);
                    const double energy = std::pow (testsupport::rms (y.data(), y.size()), 2.0);
                    const double above = std::pow (10.0, testsupport::bandAboveDecibels (y.data(), y.size(), rate, 5000.0) / 10.0);
                    EXPECT_LT (10.0 * std::log10 (energy * (1.0 - above) / referenceEnergy + 1e-30), -50.0)
                        << hz << " Hz at +" << semitones << ", mode " << mode << ", " << rate << " Hz";
                }
            }
}

// What stays below Nyquist after the shift passes the band limit within
// 0.5 dB (up to 0.8 Nyquist / ratio), fine tuning included.
TEST (Shifter, TheUpwardBandLimitKeepsWhatTheShiftKeeps)
{
    for (const double ratio : { 1.02, std::exp2 (12.0 / 12.0), std::exp2 (19.3 / 12.0), std::exp2 (24.5 / 12.0) })
        for (double share = 0.01; share <= 0.8; share += 0.03)
        {
            const double hz = share * 0.5 * kRate / ratio;
            UpwardBandLimit band;
            band.beginChunk (static_cast<float> (ratio), 0.0f, 0.0f);
            auto x = testsupport::sine (hz, kRate, 16384, 0.5f);
            for (std::size_t s = 0; s < x.size(); s += kBlock)
                band.process (x.data() + s, kBlock, 0);
            const double gain = testsupport::toneMagnitude (x.data() + 8192, 8192, hz, kRate) / 0.5;
            EXPECT_NEAR (20.0 * std::log10 (gain), 0.0, 0.5) << hz << " Hz at ratio " << ratio;
        }
}
