#include "Pitch/PitchShifter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace
{
std::vector<float> noise (std::size_t n)
{
    std::mt19937 rng (7);
    std::uniform_real_distribution<float> level (-0.3f, 0.3f);
    std::vector<float> x (n);
    for (auto& v : x)
        v = level (rng);
    return x;
}

// Renders `input` through a shifter at the longest window the voices use,
// its storage sized for `maxWindowMs`, in blocks of `block` frames.
std::vector<float> render (const std::vector<float>& input, double rate, int semitones, float maxWindowMs,
                           unsigned long block)
{
    auto shifter = std::make_unique<PitchShifter>();
    shifter->maxWindowMs = maxWindowMs;
    shifter->init (1, rate);
    shifter->semitones = semitones;
    std::vector<float> window (kMaxFramesPerBlock, 1000.0f);
    shifter->windowMs = window.data();
    auto x = input;
    for (std::size_t s = 0; s < x.size(); s += block)
        shifter->process (x.data() + s, static_cast<unsigned long> (std::min<std::size_t> (block, x.size() - s)));
    return x;
}
} // namespace

// The storage holds what the longest window and the longest block reach, no
// more: the same samples come out as from the far larger storage the shifter
// once had (5 s), at every rate, for blocks of the kernel's sub-block and of
// the largest size, with the taps sweeping the whole window both ways.
TEST (PitchShifterStorage, SizedForTheLongestWindowItRendersAsALargerStorageDoes)
{
    for (const double rate : { 44100.0, 48000.0, 96000.0, 192000.0 })
    {
        // Long enough for the slowest sweep (-24: one window per 1.33 s) to pass twice.
        const auto input = noise (static_cast<std::size_t> (rate * 3.0));
        for (const int semitones : { 24, -24, 1 })
            for (const unsigned long block : { 256ul, static_cast<unsigned long> (kMaxFramesPerBlock) })
            {
                const auto sized = render (input, rate, semitones, 1000.0f, block);
                const auto large = render (input, rate, semitones, 5000.0f, block);
                ASSERT_EQ (sized, large) << rate << " Hz, " << semitones << " semitones, blocks of " << block;
            }
    }
}

TEST (PitchShifterStorage, StorageFollowsTheRate)
{
    // About a fifth of the former 5 s at 48 kHz: 1000 ms of window, twice
    // the largest block and 2 ms.
    EXPECT_NEAR (PitchShifter::storageMs (1000.0f, 48000.0), 1000.0f + 2.0f * 4096.0f / 48.0f + 2.0f, 0.01f);
    EXPECT_LT (PitchShifter::storageMs (1000.0f, 192000.0), PitchShifter::storageMs (1000.0f, 44100.0));
    // A rate the blocks cannot use gives the window alone and no division by zero.
    EXPECT_FLOAT_EQ (PitchShifter::storageMs (1000.0f, 0.0), 1002.0f);
}

// Shifters that read an input their owner stores once play exactly what one
// that stores its own plays: through shifts up (its input band-limited, so
// stored apart), back down until the band-limited samples have left its
// storage, up again, and resting between, at kernel-sized blocks.
TEST (PitchShifterStorage, ReadingASharedInputPlaysWhatItsOwnStoragePlays)
{
    const double rate = 48000.0;
    const auto input = noise (static_cast<std::size_t> (rate * 4.5));
    // Seconds at which the interval changes: up, down for longer than the
    // storage holds, up, at rest, down, up.
    const std::vector<std::pair<double, int>> plan { { 0.0, -12 }, { 0.4, 12 }, { 0.9, -5 }, { 2.4, 19 },
                                                     { 2.7, 0 }, { 3.0, 100 }, { 3.5, -7 }, { 4.0, 7 } };
    // Calls on the kernel's grid, and of odd and changing lengths as hosts
    // cut their blocks.
    const std::vector<std::vector<unsigned long>> cuts { { 64 }, { 64, 37, 1, 300, 13, 256 } };
    for (const auto& blocks : cuts)
    {
        PitchShifter own, reader;
        DelayWrite shared;
        reader.readFrom (&shared);
        // The longest window: the taps reach the oldest samples a storage holds.
        std::vector<float> window (kMaxFramesPerBlock, 1000.0f);
        for (PitchShifter* p : { &own, &reader })
        {
            p->init (1, rate);
            p->windowMs = window.data();
        }
        shared.init (PitchShifter::storageMs (reader.maxWindowMs, rate), rate);
        auto a = input, b = input;
        std::size_t step = 0, call = 0;
        for (std::size_t s = 0; s < input.size(); s += blocks[call++ % blocks.size()])
        {
            const auto n = static_cast<unsigned long> (std::min<std::size_t> (blocks[call % blocks.size()], input.size() - s));
            while (step + 1 < plan.size() && s >= static_cast<std::size_t> (plan[step + 1].first * rate))
                ++step;
            shared.writeFinite (b.data() + s, n);
            if (plan[step].second == 100) // at rest
            {
                own.rest (a.data() + s, n);
                reader.rest (b.data() + s, n);
                continue;
            }
            own.semitones = reader.semitones = plan[step].second;
            own.process (a.data() + s, n, s % PitchShifter::kChunkLength);
            reader.process (b.data() + s, n, s % PitchShifter::kChunkLength);
        }
        ASSERT_EQ (a, b) << "blocks of " << blocks.size() << " lengths";
    }
}
