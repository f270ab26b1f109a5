// Each block of the effect against its plain model, one grid chunk per call:
// the filters, the modulator, the pitch shifter, a voice's repeating delay
// and the reverb.

#include "ReferenceBiquad.h"
#include "ReferenceOscillator.h"
#include "ReferencePitchShifter.h"
#include "ReferenceReverb.h"
#include "ReferenceVoice.h"

#include "Modulation/Lfo.h"
#include "Pitch/PitchShifter.h"
#include "Pitch/Shifter.h"
#include "ProcessBlock/Filters/BiquadFilter.h"
#include "Reverb/SimpleReverb.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr unsigned long kChunk = 256;

std::vector<float> noise (std::size_t n, unsigned seed, float amplitude = 0.5f)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> uniform (-amplitude, amplitude);
    std::vector<float> x (n);
    for (auto& v : x)
        v = uniform (random);
    return x;
}

// Level of a - b against the level of a, in dB.
double differenceDb (const std::vector<float>& a, const std::vector<float>& b)
{
    double diff = 0.0, level = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        const double d = static_cast<double> (a[i]) - b[i];
        diff += d * d;
        level += static_cast<double> (a[i]) * a[i];
    }
    return 10.0 * std::log10 ((diff + 1e-30) / (level + 1e-30));
}

std::vector<float> constant (float v)
{
    return std::vector<float> (kChunk, v);
}

constexpr std::array<double, 3> kRates { 44100.0, 48000.0, 96000.0 };
} // namespace

TEST (ReferenceBlocks, BiquadSectionsOfEveryTypeMatchTheirDesignTable)
{
    std::mt19937 random (7);
    for (const double rate : kRates)
        for (int type = 0; type <= 7; ++type)
        {
            const float f = std::uniform_real_distribution<float> (30.0f, 15000.0f) (random);
            const float r = std::uniform_real_distribution<float> (-12.0f, 12.0f) (random);
            const float g = std::uniform_real_distribution<float> (-12.0f, 12.0f) (random);
            BiquadFilter filter;
            filter.init (1, rate);
            filter.setType (static_cast<BiquadFilterType> (type));
            filter.subBlockSize = 4096;
            ReferenceBiquad model;
            model.design (static_cast<ReferenceBiquad::Type> (type), f, r, g, static_cast<float> (rate));

            const auto in = noise (8 * kChunk, static_cast<unsigned> (type));
            std::vector<float> kernel = in, expected (in.size());
            auto fb = constant (f), rb = constant (r), gb = constant (g);
            for (std::size_t s = 0; s < in.size(); s += kChunk)
                filter.process (kernel.data() + s, kChunk, 0, BiquadFilterParameters { 0.0f, fb.data(), 0.0f, rb.data(), 0.0f, gb.data() });
            for (std::size_t i = 0; i < in.size(); ++i)
                expected[i] = model.tick (in[i]);
            EXPECT_LT (differenceDb (expected, kernel), -100.0) << "type " << type << " at " << rate;
        }
}

TEST (ReferenceBlocks, ModulatorGivesFourSinesAQuarterCycleApart)
{
    for (const double rate : kRates)
    {
        Lfo lfo;
        lfo.init (4, rate);
        lfo.randomSteps = false;
        ReferenceOscillator model (rate);
        auto rateBuffer = constant (3.7f), amount = constant (64.0f);
        std::array<std::vector<float>, 4> offsets;
        for (std::size_t o = 0; o < 4; ++o)
            offsets[o] = constant (0.25f * static_cast<float> (o));

        std::array<std::vector<float>, 4> kernel, expected;
        for (int chunk = 0; chunk < 40; ++chunk)
        {
            model.beginChunk (3.7f);
            for (unsigned long i = 0; i < kChunk; ++i)
            {
                const auto v = model.tick (64.0f);
                for (std::size_t o = 0; o < 4; ++o)
                    expected[o].push_back (v[o]);
            }
            for (std::size_t o = 0; o < 4; ++o)
            {
                std::vector<float> out (kChunk);
                lfo.process (out.data(), kChunk, o, Lfo::LfoParameters { rateBuffer.data(), nullptr, offsets[o].data(), amount.data() }, nullptr);
                kernel[o].insert (kernel[o].end(), out.begin(), out.end());
            }
        }
        for (std::size_t o = 0; o < 4; ++o)
            EXPECT_LT (differenceDb (expected[o], kernel[o]), -100.0) << "output " << o << " at " << rate;
    }
}

TEST (ReferenceBlocks, PitchShifterFollowsItsWindowsAndBandLimits)
{
    std::mt19937 random (11);
    for (const double rate : kRates)
        for (int k = 0; k < 4; ++k)
        {
            const int semitones = std::uniform_int_distribution<int> (-24, 24) (random);
            const float fine = std::uniform_real_distribution<float> (-0.5f, 0.5f) (random);
            const float windowMs = std::uniform_real_distribution<float> (40.0f, 1000.0f) (random);
            PitchShifter shifter;
            shifter.init (1, rate);
            shifter.semitones = semitones;
            shifter.fine = fine;
            auto window = constant (windowMs);
            shifter.windowMs = window.data();
            ReferencePitchShifter model (rate);

            const auto in = noise (static_cast<std::size_t> (rate * 0.3) / kChunk * kChunk, random());
            std::vector<float> kernel = in, expected (in.size());
            for (std::size_t s = 0; s < in.size(); s += kChunk)
            {
                shifter.process (kernel.data() + s, kChunk);
                model.beginChunk (semitones, fine, windowMs);
                for (std::size_t i = s; i < s + kChunk; ++i)
                    expected[i] = model.tick (in[i], windowMs);
            }
            EXPECT_LT (differenceDb (expected, kernel), -100.0) << semitones << " " << fine << " " << windowMs << " at " << rate;
        }
}

TEST (ReferenceBlocks, RepeatingDelayShiftsEachPassAgain)
{
    std::mt19937 random (13);
    for (const double rate : kRates)
        for (const int semitones : { -24, -7, 0, 12 })
        {
            const float windowMs = std::uniform_real_distribution<float> (40.0f, 300.0f) (random);
            Shifter voice;
            voice.init (2, rate);
            voice.setPitch (semitones);
            voice.setFine (0.1f);
            auto window = constant (windowMs);
            voice.setWindowMs (window.data());
            ReferenceVoice left (rate), right (rate);

            // A burst, then the repeats on their own.
            const auto length = static_cast<std::size_t> (rate * 0.5) / kChunk * kChunk;
            auto inL = noise (length / 4, random()), inR = noise (length / 4, random());
            inL.resize (length), inR.resize (length);
            std::vector<float> kernelL (length), kernelR (length), expectedL (length), expectedR (length);
            for (std::size_t s = 0; s < length; s += kChunk)
            {
                std::copy_n (inL.data() + s, kChunk, voice.voice[0]);
                std::copy_n (inR.data() + s, kChunk, voice.voice[1]);
                voice.processDelayShifters (0, kChunk);
                std::copy_n (voice.voice[0], kChunk, kernelL.data() + s);
                std::copy_n (voice.voice[1], kChunk, kernelR.data() + s);
                left.beginChunk (semitones, 0.1f, windowMs);
                right.beginChunk (semitones, 0.1f, windowMs);
                for (std::size_t i = s; i < s + kChunk; ++i)
                {
                    expectedL[i] = left.repeat (inL[i], windowMs);
                    expectedR[i] = right.repeat (inR[i], windowMs);
                }
            }
            EXPECT_LT (differenceDb (expectedL, kernelL), -100.0) << semitones << " at " << rate;
            EXPECT_LT (differenceDb (expectedR, kernelR), -100.0) << semitones << " at " << rate;
        }
}

TEST (ReferenceBlocks, ReverbNetworkAndEarlyStageFollowRoomLengthColourAndModulation)
{
    std::mt19937 random (17);
    for (const double rate : kRates)
        for (int k = 0; k < 3; ++k)
        {
            const float room = k == 0 ? 0.0f : std::uniform_real_distribution<float> (0.0f, 100.0f) (random);
            const float length = std::uniform_real_distribution<float> (0.2f, 30.0f) (random);
            const float colour = std::uniform_real_distribution<float> (800.0f, 18000.0f) (random);
            SimpleReverb reverb;
            reverb.init (2, rate);
            ReferenceReverb model (rate);
            ReferenceOscillator modulator (rate);
            Lfo lfo;
            lfo.init (4, rate);
            lfo.randomSteps = false;
            auto roomBuffer = constant (room), lengthBuffer = constant (length), colourBuffer = constant (colour);
            auto lfoRate = constant (5.0f), lfoAmount = constant (80.0f);
            std::array<std::vector<float>, 4> offsets, mod;
            for (std::size_t o = 0; o < 4; ++o)
                offsets[o] = constant (0.25f * static_cast<float> (o)), mod[o] = constant (0.0f);

            const auto total = static_cast<std::size_t> (rate * 0.5) / kChunk * kChunk;
            auto inL = noise (total / 3, random()), inR = noise (total / 3, random());
            inL.resize (total), inR.resize (total);
            std::vector<float> kernelL = inL, kernelR = inR, expectedL (total), expectedR (total);
            for (std::size_t s = 0; s < total; s += kChunk)
            {
                std::array<float*, 4> m {};
                for (std::size_t o = 0; o < 4; ++o)
                {
                    lfo.process (mod[o].data(), kChunk, o, Lfo::LfoParameters { lfoRate.data(), nullptr, offsets[o].data(), lfoAmount.data() }, nullptr);
                    m[o] = mod[o].data();
                }
                reverb.core.setRoomSize (roomBuffer.data(), m.data(), kChunk);
                reverb.lengthSource = lengthBuffer.data();
                reverb.colourSource = colourBuffer.data();
                float* buffers[2] = { kernelL.data() + s, kernelR.data() + s };
                reverb.process (buffers, kChunk);

                model.beginChunk (length, colour, room, static_cast<long> (kChunk));
                modulator.beginChunk (5.0f);
                for (std::size_t i = s; i < s + kChunk; ++i)
                {
                    const auto [l, r] = model.tick (inL[i], inR[i], room, modulator.tick (80.0f));
                    expectedL[i] = l, expectedR[i] = r;
                }
            }
            EXPECT_LT (differenceDb (expectedL, kernelL), -100.0) << room << " " << length << " " << colour << " at " << rate;
            EXPECT_LT (differenceDb (expectedR, kernelR), -100.0) << room << " " << length << " " << colour << " at " << rate;
        }
}
