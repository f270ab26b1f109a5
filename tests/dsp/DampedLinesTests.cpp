// The reverb damps its four late lines together, their filters side by side
// in one pass. That must be exactly what damping each line on its own gives,
// block after block, so the reverb sounds the same whichever way it runs.
#include "Delay/DelayLineDamped.h"
#include "Reverb/VantrelReverb.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

std::vector<float> noise (std::size_t n, std::mt19937& rng)
{
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::vector<float> x (n);
    for (auto& v : x)
        v = uniform (rng);
    return x;
}
} // namespace

TEST (DampedLines, FourAtOnceIsEachLineDampedAlone)
{
    std::array<std::unique_ptr<DelayLineDamped>, 4> alone, together;
    for (std::size_t j = 0; j < 4; ++j)
    {
        alone[j] = std::make_unique<DelayLineDamped> (600.0f);
        together[j] = std::make_unique<DelayLineDamped> (600.0f);
        for (auto* line : { alone[j].get(), together[j].get() })
        {
            line->init (1, kRate);
            std::fill (line->amount.begin(), line->amount.end(), 0.2f * float (j + 1));
        }
    }

    std::mt19937 rng (9);
    const unsigned long lengths[] = { 256, 64, 3, 256, 1, 100 };
    for (int block = 0; block < 24; ++block)
    {
        const unsigned long n = lengths[block % 6];
        std::array<std::vector<float>, 4> a, b;
        DelayLineDamped* lines[4];
        float* buffers[4];
        for (std::size_t j = 0; j < 4; ++j)
        {
            // Each line its own cutoff, moving from block to block.
            const float cutoff = 800.0f + 1500.0f * float (j) + 50.0f * float (block);
            std::fill (alone[j]->cutoff.begin(), alone[j]->cutoff.end(), cutoff);
            std::fill (together[j]->cutoff.begin(), together[j]->cutoff.end(), cutoff);
            a[j] = noise (n, rng);
            b[j] = a[j];
            alone[j]->preFeedbackProcess (a[j].data(), n, 0);
            lines[j] = together[j].get();
            buffers[j] = b[j].data();
        }
        DelayLineDamped::preFeedbackProcessFour (lines, buffers, n);
        for (std::size_t j = 0; j < 4; ++j)
            ASSERT_EQ (a[j], b[j]) << "block " << block << ", line " << j;
    }
}

TEST (DampedLines, ReverbReadsAllLinesAsItReadsEachLine)
{
    VantrelReverb alone, together;
    alone.init (2, kRate);
    together.init (2, kRate);
    std::vector<float> room (4096, 35.0f), colour (4096), damping (4096, 70.0f), gain (4096, 0.4f);
    std::array<std::vector<float>, 4> modulation;
    const float* mod[4];

    std::mt19937 rng (12);
    for (int block = 0; block < 40; ++block)
    {
        const unsigned long n = block % 3 == 0 ? 256 : 61;
        for (std::size_t i = 0; i < 4; ++i)
        {
            modulation[i] = noise (n, rng);
            mod[i] = modulation[i].data();
        }
        std::fill (colour.begin(), colour.end(), 2000.0f + 100.0f * float (block));
        for (auto* r : { &alone, &together })
        {
            r->setRoomSize (room.data(), mod, n);
            std::copy (gain.begin(), gain.end(), r->feedbackGain.begin());
        }

        std::array<std::vector<float>, 4> a, b;
        float* out[4];
        for (std::size_t i = 0; i < 4; ++i)
        {
            a[i].assign (n, 0.0f);
            b[i].assign (n, 0.0f);
            alone.processReadDelayLine (i, a[i].data(), n, colour.data(), damping.data());
            out[i] = b[i].data();
        }
        together.processReadDelayLines (out, n, colour.data(), damping.data());
        for (std::size_t i = 0; i < 4; ++i)
            ASSERT_EQ (a[i], b[i]) << "block " << block << ", line " << i;

        // Fresh input into every line, the same for both.
        for (std::size_t i = 0; i < 4; ++i)
        {
            const auto x = noise (n, rng);
            alone.processWriteDelayLine (i, x.data(), n);
            together.processWriteDelayLine (i, x.data(), n);
        }
    }
}
