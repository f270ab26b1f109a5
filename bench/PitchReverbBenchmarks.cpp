// Cost of the pitch and reverb blocks. Every iteration renders one second of
// stereo audio at 48 kHz in 256-frame sub-blocks; the counter
// cpu_per_audio_s is CPU seconds per second of audio.
#include "Pitch/PitchShifter.h"
#include "Pitch/Shifter.h"
#include "Reverb/EarlyReflections.h"
#include "Reverb/SimpleReverb.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr unsigned long kSubBlock = 256;
constexpr unsigned long kFramesPerSecond = 48000;

std::vector<float> noise (std::size_t n, unsigned seed)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> uniform (-0.25f, 0.25f);
    std::vector<float> x (n);
    for (auto& v : x)
        v = uniform (generator);
    return x;
}

template <typename Render>
void forEachSubBlock (Render&& render)
{
    for (unsigned long s = 0; s < kFramesPerSecond; s += kSubBlock)
        render (s, std::min (kSubBlock, kFramesPerSecond - s));
}

void reportPerAudioSecond (benchmark::State& state)
{
    state.counters["cpu_per_audio_s"] = benchmark::Counter (
        double (kFramesPerSecond) / kRate, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Two PitchShifters, one per channel.
void pitchShifterStereo (benchmark::State& state)
{
    const auto semitones = static_cast<int> (state.range (0));
    PitchShifter shifters[2];
    std::vector<float> window (4096, 500.0f);
    for (auto& s : shifters)
    {
        s.init (1, kRate);
        s.semitones = semitones;
        s.windowMs = window.data();
    }
    const auto input = noise (kFramesPerSecond, 1);
    std::vector<float> work (kSubBlock);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long s, unsigned long n) {
            for (auto& shifter : shifters)
            {
                std::copy_n (input.begin() + static_cast<std::ptrdiff_t> (s), n, work.begin());
                shifter.process (work.data(), n);
            }
            benchmark::DoNotOptimize (work.data());
        });
    reportPerAudioSecond (state);
}
BENCHMARK (pitchShifterStereo)->Arg (7)->Arg (-24);

// The same two PitchShifters run as a pair, their band limits in one pass:
// the form the voices use.
void pitchShifterPair (benchmark::State& state)
{
    const auto semitones = static_cast<int> (state.range (0));
    PitchShifter shifters[2];
    std::vector<float> window (4096, 500.0f);
    for (auto& s : shifters)
    {
        s.init (1, kRate);
        s.semitones = semitones;
        s.windowMs = window.data();
    }
    const auto input = noise (kFramesPerSecond, 1);
    std::vector<float> left (kSubBlock), right (kSubBlock);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long s, unsigned long n) {
            std::copy_n (input.begin() + static_cast<std::ptrdiff_t> (s), n, left.begin());
            std::copy_n (input.begin() + static_cast<std::ptrdiff_t> (s), n, right.begin());
            PitchShifter::processPair (shifters[0], shifters[1], left.data(), right.data(), n);
            benchmark::DoNotOptimize (left.data());
            benchmark::DoNotOptimize (right.data());
        });
    reportPerAudioSecond (state);
}
BENCHMARK (pitchShifterPair)->Arg (7)->Arg (-24);

// A voice shifting before or after the reverb: both channels' shifters as a
// pair, then make-up gain and linear dry/wet per channel.
void shifterPlainStereo (benchmark::State& state)
{
    Shifter voice;
    voice.init (2, kRate);
    std::vector<float> window (4096, 500.0f);
    voice.setWindowMs (window.data());
    voice.setPitch (12);
    std::fill_n (voice.amount, 4096, 60.0f);
    const auto input = noise (kFramesPerSecond, 2);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long s, unsigned long n) {
            const float* dry = input.data() + s;
            for (std::size_t c = 0; c < 2; ++c)
                std::copy_n (dry, n, voice.voice[c]);
            voice.shiftChannels (2, n);
            for (std::size_t c = 0; c < 2; ++c)
            {
                for (unsigned long i = 0; i < n; ++i)
                    voice.voice[c][i] *= voice.gain;
                voice.dryWet.process (dry, voice.voice[c], voice.voice[c], n, voice.amount);
            }
            benchmark::DoNotOptimize (voice.voice[0]);
        });
    reportPerAudioSecond (state);
}
BENCHMARK (shifterPlainStereo);

// A voice in the feedback mode: the pitch-shifting feedback delays of both
// channels (their shifters as a pair).
void shifterFeedbackStereo (benchmark::State& state)
{
    Shifter voice;
    voice.init (2, kRate);
    std::vector<float> window (4096, 500.0f);
    voice.setWindowMs (window.data());
    voice.setPitch (-12);
    const auto input = noise (kFramesPerSecond, 3);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long s, unsigned long n) {
            for (unsigned long c = 0; c < 2; ++c)
                std::copy_n (input.begin() + static_cast<std::ptrdiff_t> (s), n, voice.voice[c]);
            voice.processDelayShifters (0, n);
            benchmark::DoNotOptimize (voice.feedback[0]);
        });
    reportPerAudioSecond (state);
}
BENCHMARK (shifterFeedbackStereo);

// The early stage alone (it takes both sides at once).
void earlyReflectionsStereo (benchmark::State& state)
{
    EarlyReflections early (1000.0f, { 19.392f * 2.18f, 16.364f * 2.18f, 7.645f * 2.18f, 4.2546f * 2.18f });
    early.init (2, kRate);
    const auto left = noise (kFramesPerSecond, 4);
    const auto right = noise (kFramesPerSecond, 5);
    std::vector<float> outLeft (kSubBlock), outRight (kSubBlock);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long s, unsigned long n) {
            early.process (left.data() + s, right.data() + s, outLeft.data(), outRight.data(), n);
            benchmark::DoNotOptimize (outLeft.data());
        });
    reportPerAudioSecond (state);
}
BENCHMARK (earlyReflectionsStereo);

// The whole reverb as the kernel drives it: room size with four modulation
// buffers, length and colour, then the stereo process. Arg 1: steady noise;
// arg 0: a one-block impulse then silence (the tail).
void simpleReverbStereo (benchmark::State& state)
{
    const bool steady = state.range (0) != 0;
    SimpleReverb reverb;
    reverb.init (2, kRate);
    std::vector<float> room (4096, 50.0f), length (4096, 5.0f), colour (4096, 6000.0f);
    std::vector<std::vector<float>> mod (4);
    for (std::size_t i = 0; i < 4; ++i)
    {
        mod[i].resize (4096);
        for (std::size_t k = 0; k < 4096; ++k)
            mod[i][k] = 0.09f * float (std::sin (double (k) * 0.0003 + double (i) * 1.5708));
    }
    float* modulation[] = { mod[0].data(), mod[1].data(), mod[2].data(), mod[3].data() };
    auto left = noise (kFramesPerSecond, 6);
    auto right = noise (kFramesPerSecond, 7);
    if (! steady)
    {
        std::fill (left.begin() + 1, left.end(), 0.0f);
        std::fill (right.begin(), right.end(), 0.0f);
    }
    std::vector<float> l (kSubBlock), r (kSubBlock);
    bool first = true;
    for (auto _ : state)
    {
        forEachSubBlock ([&] (unsigned long s, unsigned long n) {
            std::copy_n (left.begin() + static_cast<std::ptrdiff_t> (s), n, l.begin());
            std::copy_n (right.begin() + static_cast<std::ptrdiff_t> (s), n, r.begin());
            if (! steady && ! first)
                l[0] = 0.0f;
            reverb.core.setRoomSize (room.data(), modulation, n);
            reverb.lengthSource = length.data();
            reverb.colourSource = colour.data();
            float* buffers[] = { l.data(), r.data() };
            reverb.process (buffers, n);
            benchmark::DoNotOptimize (l.data());
        });
        first = false;
    }
    reportPerAudioSecond (state);
}
BENCHMARK (simpleReverbStereo)->Arg (1)->Arg (0);
} // namespace
