// A voice runs its two channels' shifters together (their band limits side
// by side in one pass). The channels never meet, so the result must be
// exactly that of one channel after the other, sub-block after sub-block,
// whatever the intervals, fine tunings and block lengths.
#include "Pitch/PitchShifter.h"
#include "Pitch/Shifter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

std::vector<float> noise (std::size_t n, std::mt19937& rng)
{
    std::normal_distribution<float> gauss (0.0f, 0.3f);
    std::vector<float> x (n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = gauss (rng) + 0.3f * float (std::sin (double (i) * 0.03));
    return x;
}

const unsigned long kBlocks[] = { 256, 64, 3, 256, 100, 1, 255, 256 };
} // namespace

TEST (StereoVoice, ShifterPairIsEachShifterAlone)
{
    // Different intervals from the start; then alike, after histories that
    // differ (other input, one chunk more), at the grid positions a caller
    // hands down.
    std::vector<float> window (4096, 195.2f);
    for (const bool alike : { false, true })
    {
        std::array<PitchShifter, 2> alone, paired;
        const int semitones[2] = { -12, alike ? -12 : 7 };
        std::mt19937 rng (3);
        for (int c = 0; c < 2; ++c)
        {
            for (auto* s : { &alone[std::size_t (c)], &paired[std::size_t (c)] })
            {
                s->init (1, kRate);
                s->semitones = semitones[c];
                s->fine = alike ? 0.1f : 0.1f * float (c);
                s->windowMs = window.data();
            }
            for (int chunk = 0; alike && chunk <= c; ++chunk)
            {
                auto x = noise (256, rng), y = x;
                alone[std::size_t (c)].process (x.data(), 256, 0);
                paired[std::size_t (c)].process (y.data(), 256, 0);
            }
        }

        unsigned long position = 0;
        for (int b = 0; b < 200; ++b)
        {
            const unsigned long n = std::min (kBlocks[b % 8], 256 - position);
            auto l = noise (n, rng), r = noise (n, rng);
            auto pl = l, pr = r;
            alone[0].process (l.data(), n, position);
            alone[1].process (r.data(), n, position);
            PitchShifter::processPair (paired[0], paired[1], pl.data(), pr.data(), n, position);
            ASSERT_EQ (l, pl) << "block " << b << (alike ? ", alike" : "");
            ASSERT_EQ (r, pr) << "block " << b << (alike ? ", alike" : "");
            position = (position + n) % 256;
        }
    }
}

TEST (StereoVoice, ChannelsSetAlikeShareTheirWindowsOnlyWhileTheirPhasesAgree)
{
    // Same interval and window: the pair computes the windows once. Then the
    // left channel runs alone for a while (as in a mono stretch), its phase
    // moves ahead, and the pair must again compute each channel's own.
    std::vector<float> window (4096, 80.0f);
    std::array<PitchShifter, 2> alone, paired;
    for (auto* s : { &alone[0], &alone[1], &paired[0], &paired[1] })
    {
        s->init (1, kRate);
        s->semitones = 3;
        s->windowMs = window.data();
    }
    std::mt19937 rng (6);
    for (int b = 0; b < 150; ++b)
    {
        const unsigned long n = kBlocks[b % 8];
        auto l = noise (n, rng), r = noise (n, rng);
        auto pl = l, pr = r;
        alone[0].process (l.data(), n);
        if (b >= 40 && b < 50)
        {
            paired[0].process (pl.data(), n);
            ASSERT_EQ (l, pl);
            continue;
        }
        alone[1].process (r.data(), n);
        PitchShifter::processPair (paired[0], paired[1], pl.data(), pr.data(), n);
        ASSERT_EQ (l, pl) << "block " << b;
        ASSERT_EQ (r, pr) << "block " << b;
    }
    EXPECT_NE (paired[0].currentPhase(), paired[1].currentPhase());
}

TEST (StereoVoice, FeedbackDelaysOfBothChannelsAreEachChannelAlone)
{
    std::vector<float> window (4096, 300.0f);
    Shifter alone, together;
    for (auto* v : { &alone, &together })
    {
        v->init (2, kRate);
        v->setWindowMs (window.data());
        v->setPitch (-24);
        v->setFine (0.25f);
    }

    std::mt19937 rng (4);
    unsigned long start = 0;
    for (int b = 0; b < 200; ++b)
    {
        const unsigned long n = kBlocks[b % 8];
        for (unsigned long c = 0; c < 2; ++c)
        {
            const auto x = noise (n, rng);
            std::copy (x.begin(), x.end(), alone.voice[c]);
            std::copy (x.begin(), x.end(), together.voice[c]);
        }
        // Half way, the channels' repeats part: another interval on the right.
        if (b == 100)
            for (auto* v : { &alone, &together })
                v->delayShifter.shifters[1].semitones = 5;
        alone.processDelayShifter (start, 0, n);
        alone.processDelayShifter (start, 1, n);
        together.processDelayShifters (start, n);
        for (unsigned long c = 0; c < 2; ++c)
        {
            ASSERT_TRUE (std::equal (alone.voice[c], alone.voice[c] + n, together.voice[c])) << "block " << b << ", channel " << c;
            ASSERT_TRUE (std::equal (alone.feedback[c] + start, alone.feedback[c] + start + n, together.feedback[c] + start));
        }
        start = (start + n) % 2048;
    }
}

TEST (StereoVoice, PlainShiftOfBothChannelsIsEachChannelAlone)
{
    std::vector<float> window (4096, 60.0f);
    Shifter alone, together;
    for (auto* v : { &alone, &together })
    {
        v->init (2, kRate);
        v->setWindowMs (window.data());
        v->setPitch (5);
    }
    std::mt19937 rng (5);
    for (int b = 0; b < 100; ++b)
    {
        const unsigned long n = kBlocks[b % 8];
        for (unsigned long c = 0; c < 2; ++c)
        {
            const auto x = noise (n, rng);
            std::copy (x.begin(), x.end(), alone.voice[c]);
            std::copy (x.begin(), x.end(), together.voice[c]);
            alone.pitchShifters[c].process (alone.voice[c], n);
        }
        together.shiftChannels (2, n);
        for (unsigned long c = 0; c < 2; ++c)
            ASSERT_TRUE (std::equal (alone.voice[c], alone.voice[c] + n, together.voice[c])) << "block " << b;
    }
}
