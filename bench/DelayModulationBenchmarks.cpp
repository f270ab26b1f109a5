// Cost of the delay, modulation and dynamics blocks. Every iteration renders
// one second of audio at 48 kHz in 256-frame sub-blocks (stereo where the
// block is per channel), so the time per iteration is CPU time per second of
// audio.
#include "Delay/DelayLine.h"
#include "Delay/DelayLineDamped.h"
#include "Dynamics/DryWet.h"
#include "Dynamics/PeakMeter.h"
#include "Modulation/Lfo.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr unsigned long kSubBlock = 256;
constexpr unsigned long kFramesPerSecond = 48000;

std::vector<float> testSignal (std::size_t n)
{
    std::vector<float> x (n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = 0.5f * float (std::sin (double (i) * 0.031)) + 0.1f * float (std::sin (double (i) * 0.77));
    return x;
}

// Calls `render (offset, n)` for each sub-block of one second.
template <typename Render>
void forEachSubBlock (Render&& render)
{
    for (unsigned long s = 0; s < kFramesPerSecond; s += kSubBlock)
        render (s, std::min (kSubBlock, kFramesPerSecond - s));
}

void delayLine (benchmark::State& state, int mode, bool withFeedback)
{
    DelayLine line (400.0f);
    line.init (2, kRate);
    line.setInterpolation (mode);
    auto left = testSignal (kSubBlock), right = testSignal (kSubBlock);
    std::vector<float> times (4096), feedback (4096, 0.4f);
    for (std::size_t i = 0; i < times.size(); ++i)
        times[i] = 120.0f + 3.0f * float (std::sin (double (i) * 0.01)); // a moving delay
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long, unsigned long n) {
            line.process (left.data(), n, 0, times.data(), withFeedback ? feedback.data() : nullptr, true, false);
            line.process (right.data(), n, 1, times.data(), withFeedback ? feedback.data() : nullptr, true, false);
            benchmark::DoNotOptimize (left.data());
            benchmark::DoNotOptimize (right.data());
        });
}
} // namespace

static void BM_DelayLineLinear (benchmark::State& state) { delayLine (state, DelayRead::Linear, false); }
static void BM_DelayLineLagrange (benchmark::State& state) { delayLine (state, DelayRead::Lagrange, false); }
static void BM_DelayLineLinearFeedback (benchmark::State& state) { delayLine (state, DelayRead::Linear, true); }

static void BM_DelayLineDampedFeedback (benchmark::State& state)
{
    DelayLineDamped line (600.0f);
    line.init (2, kRate);
    line.setInterpolation (DelayRead::Linear);
    std::fill (line.amount.begin(), line.amount.end(), 0.7f);
    std::fill (line.cutoff.begin(), line.cutoff.end(), 5000.0f);
    auto left = testSignal (kSubBlock), right = testSignal (kSubBlock);
    std::vector<float> times (4096, 86.0f), feedback (4096, 0.38f);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long, unsigned long n) {
            line.process (left.data(), n, 0, times.data(), feedback.data(), true, false);
            line.process (right.data(), n, 1, times.data(), feedback.data(), true, false);
            benchmark::DoNotOptimize (left.data());
        });
}

// The effect's modulator: four sine outputs a quarter cycle apart.
static void BM_LfoFourOutputs (benchmark::State& state)
{
    Lfo lfo;
    lfo.init (4, kRate);
    lfo.randomSteps = false;
    std::vector<float> rate (4096, 0.7f), amount (4096, 35.0f);
    std::vector<float> offsets[4], out[4];
    for (int i = 0; i < 4; ++i)
    {
        offsets[i].assign (4096, 0.25f * float (i));
        out[i].assign (4096, 0.0f);
    }
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long, unsigned long n) {
            for (unsigned long o = 0; o < 4; ++o)
            {
                Lfo::LfoParameters p;
                p.rate = rate.data();
                p.phaseOffset = offsets[o].data();
                p.amount = amount.data();
                lfo.process (out[o].data(), n, o, p, nullptr);
            }
            benchmark::DoNotOptimize (out[0].data());
        });
}

static void dryWet (benchmark::State& state, bool twoSegment, bool usePower)
{
    KarvonDSP::DryWet mixer;
    mixer.init (2, kRate);
    mixer.twoSegment = twoSegment;
    mixer.usePower = usePower;
    auto dry = testSignal (kSubBlock), wet = testSignal (kSubBlock);
    std::vector<float> out (kSubBlock), mix (4096, 35.0f);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long, unsigned long n) {
            for (int channel = 0; channel < 2; ++channel)
                mixer.process (dry.data(), wet.data(), out.data(), n, mix.data());
            benchmark::DoNotOptimize (out.data());
        });
}

static void BM_DryWetTwoSegment (benchmark::State& state) { dryWet (state, true, false); }
static void BM_DryWetTwoSegmentPower (benchmark::State& state) { dryWet (state, true, true); }
static void BM_DryWetLinear (benchmark::State& state) { dryWet (state, false, false); }

// The ducker's meter, fed each channel's gains per sub-block.
static void BM_PeakMeter (benchmark::State& state)
{
    PeakMeter meter (64, 1024);
    meter.init (2, kRate);
    auto gains = testSignal (kSubBlock);
    for (auto _ : state)
        forEachSubBlock ([&] (unsigned long, unsigned long n) {
            meter.process (gains.data(), n, 0, {});
            meter.process (gains.data(), n, 1, {});
            benchmark::DoNotOptimize (meter.values.data());
        });
}

BENCHMARK (BM_DelayLineLinear)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_DelayLineLagrange)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_DelayLineLinearFeedback)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_DelayLineDampedFeedback)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_LfoFourOutputs)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_DryWetTwoSegment)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_DryWetTwoSegmentPower)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_DryWetLinear)->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_PeakMeter)->Unit (benchmark::kMicrosecond);
