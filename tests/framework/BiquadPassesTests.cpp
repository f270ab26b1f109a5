// The one-pass forms of the biquad (channels side by side in vector lanes)
// must give exactly the samples of the plain section run in turn: the
// engine switches between them freely, and a difference of one bit would
// make the same setting sound different depending on the code path.
#include "Math/Accelerate/BiquadHistory.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"
#include "ProcessBlock/Filters/BiquadFilter.h"
#include "VectorTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace
{
const std::vector<unsigned long> lengths { 0, 1, 3, 4, 5, 7, 8, 9, 31, 256, 259 };

std::vector<float> noise (std::size_t n, unsigned seed)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    std::vector<float> v (n);
    for (auto& x : v)
        x = dist (rng);
    return v;
}

// Stable sections of different characters: a resonant low-pass close to
// Nyquist, a high-pass, a peak, and a low shelf.
const float kSections[4][5] = {
    { 0.2066f, 0.4131f, 0.2066f, -0.3695f, 0.1958f },
    { 0.9963f, -1.9926f, 0.9963f, -1.9926f, 0.9926f },
    { 1.0412f, -1.8791f, 0.8703f, -1.8791f, 0.9115f },
    { 1.0031f, -1.9765f, 0.9737f, -1.9767f, 0.9766f },
};

bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::equal (a.begin(), a.end(), b.begin(), [] (float x, float y) {
               return std::bit_cast<std::uint32_t> (x) == std::bit_cast<std::uint32_t> (y);
           });
}
} // namespace

// Every form that runs channels in vector lanes (two, four or eight channels)
// against the plain section run on each channel in turn, on every target: outputs and histories bit for bit. The
// last four of eight channels take the sections in another order, so that a
// mix-up of the lanes shows.
TEST_P (VectorTargets, BiquadLanesGiveTheSamplesOfSeparateSections)
{
    for (const std::size_t count : { 2u, 4u, 8u })
    {
        SCOPED_TRACE (testing::Message() << count << " channels");
        std::array<BiquadHistory, 8> separate, lanes;
        std::array<const float*, 8> section {};
        std::array<std::vector<float>, 8> reference, together;
        for (std::size_t j = 0; j < count; ++j)
        {
            reference[j] = noise (2500, unsigned (10 + j));
            together[j] = reference[j];
            section[j] = kSections[(j < 4 ? j : 7 - j) % 4];
        }

        std::size_t at = 0;
        for (std::size_t call = 0; at < 2500; ++call)
        {
            const unsigned long n = std::min<unsigned long> (lengths[call % lengths.size()], 2500 - at);
            const float* in[8];
            float* out[8];
            BiquadHistory* h[8];
            for (std::size_t j = 0; j < count; ++j)
            {
                SignalProcessing::biquad (reference[j].data() + at, section[j], reference[j].data() + at, n, &separate[j]);
                h[j] = &lanes[j];
                in[j] = together[j].data() + at;
                out[j] = together[j].data() + at;
            }
            if (count == 2)
                SignalProcessing::biquadTwo (in, section.data(), out, n, h);
            else if (count == 4)
                SignalProcessing::biquadFour (in, section.data(), out, n, h);
            else
                SignalProcessing::biquadEight (in, section.data(), out, n, h);
            at += n;
        }
        for (std::size_t j = 0; j < count; ++j)
        {
            EXPECT_TRUE (sameBits (reference[j], together[j])) << "channel " << j;
            EXPECT_EQ (separate[j].x1, lanes[j].x1) << j;
            EXPECT_EQ (separate[j].x2, lanes[j].x2) << j;
            EXPECT_EQ (separate[j].y1, lanes[j].y1) << j;
            EXPECT_EQ (separate[j].y2, lanes[j].y2) << j;
        }
    }
}

TEST (BiquadPasses, ReassociatedSectionStaysCloseToTheExactRecursion)
{
    // A narrow resonance near DC is where rounding in the recursion matters
    // most: the section must still follow a double-precision evaluation of
    // the same coefficients over a long signal.
    const float c[5] = { 0.0012f, 0.0f, -0.0012f, -1.9968f, 0.9976f };
    const auto x = noise (48000, 7);
    std::vector<float> y (x.size());
    BiquadHistory h;
    SignalProcessing::biquad (x.data(), c, y.data(), x.size(), &h);

    double x1 = 0, x2 = 0, y1 = 0, y2 = 0, worst = 0, largest = 0;
    for (std::size_t k = 0; k < x.size(); ++k)
    {
        const double v = double (c[0]) * x[k] + double (c[1]) * x1 + double (c[2]) * x2 - double (c[3]) * y1 - double (c[4]) * y2;
        x2 = x1, x1 = x[k], y2 = y1, y1 = v;
        worst = std::max (worst, std::abs (v - double (y[k])));
        largest = std::max (largest, std::abs (v));
    }
    EXPECT_LT (worst, 1e-4 * largest);
}

TEST (BiquadFilterPasses, StereoAndFourMatchTheFiltersRunInTurn)
{
    constexpr double rate = 48000.0;
    auto prepare = [] (BiquadFilter& f, BiquadFilterType type) {
        f.setType (type);
        f.init (2, rate);
        f.subBlockSize = 4096;
    };

    std::vector<float> low (4096), resonance (4096, -8.0f);

    // Both channels of one filter in one pass, the cutoff moving between calls.
    BiquadFilter perChannel, stereo;
    prepare (perChannel, LowShelf);
    prepare (stereo, LowShelf);
    std::array<std::vector<float>, 2> channels { noise (3000, 51), noise (3000, 52) };
    auto paired = channels;
    for (unsigned long at = 0, call = 0; at < 3000; ++call)
    {
        const unsigned long n = std::min<unsigned long> (call % 2 == 0 ? 256 : 41, 3000 - at);
        std::fill (low.begin(), low.end(), 200.0f + 30.0f * float (call));
        const BiquadFilterParameters shelf { 0.0f, low.data(), 0.0f, resonance.data(), 0.0f, nullptr };
        perChannel.process (channels[0].data() + at, n, 0, shelf);
        perChannel.process (channels[1].data() + at, n, 1, shelf);
        stereo.processStereo (paired[0].data() + at, paired[1].data() + at, n, shelf);
        at += n;
    }
    EXPECT_TRUE (sameBits (channels[0], paired[0]));
    EXPECT_TRUE (sameBits (channels[1], paired[1]));

    // Four filters of different types and cutoffs side by side, and the
    // piecewise fallback when a moving cutoff asks for several pieces; the
    // first pass on the second channel, which keeps its own history.
    std::array<BiquadFilter, 4> alone, lanes;
    const BiquadFilterType types[4] = { LowPass, HighPass, LowPass, LowShelf };
    for (std::size_t j = 0; j < 4; ++j)
    {
        prepare (alone[j], types[j]);
        prepare (lanes[j], types[j]);
    }
    for (const auto& [pieceLength, channel] : { std::pair { 4096UL, 1UL }, std::pair { 64UL, 0UL } })
    {
        std::array<std::vector<float>, 4> a, b;
        std::array<std::vector<float>, 4> cutoff;
        for (std::size_t j = 0; j < 4; ++j)
        {
            a[j] = noise (1000, unsigned (30 + j));
            b[j] = a[j];
            cutoff[j].assign (4096, 0.0f);
            for (std::size_t k = 0; k < cutoff[j].size(); ++k)
                cutoff[j][k] = 300.0f * float (j + 1) + float (k);
            alone[j].subBlockSize = lanes[j].subBlockSize = pieceLength;
        }
        BiquadFilter* filters[4];
        float* buffers[4];
        BiquadFilterParameters p[4];
        for (std::size_t j = 0; j < 4; ++j)
        {
            p[j] = BiquadFilterParameters { 0.0f, cutoff[j].data(), 0.0f, resonance.data(), 3.0f, nullptr };
            alone[j].process (a[j].data(), 1000, channel, p[j]);
            filters[j] = &lanes[j];
            buffers[j] = b[j].data();
        }
        BiquadFilter::processFour (filters, buffers, buffers, 1000, channel, p);
        for (std::size_t j = 0; j < 4; ++j)
            EXPECT_TRUE (sameBits (a[j], b[j])) << "filter " << j << ", pieces of " << pieceLength;
    }
}

// The state-space blocks of one or two channels, in place, on every target
// against the plain block run on each channel in turn: outputs and states
// bit for bit (the two channels with different matrices, so that a mix-up of
// the halves shows).
TEST_P (VectorTargets, StateBlocksGiveThePlainBlocks)
{
    for (const int count : { 1, 2 })
    {
        std::array<std::vector<float>, 2> m, plain, fast, plainState, fastState;
        for (std::size_t j = 0; j < 2; ++j)
        {
            m[j] = noise (64, unsigned (30 + j));
            for (float& v : m[j])
                v *= 0.5f;
            plain[j] = noise (4 * 37, unsigned (40 + j));
            fast[j] = plain[j];
            plainState[j] = noise (4, unsigned (50 + j));
            fastState[j] = plainState[j];
        }
        for (int j = 0; j < count; ++j)
            for (std::size_t k = 0; k < plain[0].size(); k += 4)
            {
                float x[4];
                std::copy (plain[j].begin() + long (k), plain[j].begin() + long (k) + 4, x);
                VectorKernels::stateBlock (m[j].data(), plainState[j].data(), x, plain[j].data() + k);
            }
        const float* in[2] = { fast[0].data(), fast[1].data() };
        float* out[2] = { fast[0].data(), fast[1].data() };
        const float* matrices[2] = { m[0].data(), m[1].data() };
        float* states[2] = { fastState[0].data(), fastState[1].data() };
        VectorKernels::stateBlocks ({ in, out, matrices, states, count }, 37);
        for (int j = 0; j < count; ++j)
        {
            EXPECT_TRUE (sameBits (plain[j], fast[j])) << count << " channels, channel " << j;
            EXPECT_TRUE (sameBits (plainState[j], fastState[j])) << count << " channels, channel " << j;
        }
    }
}
