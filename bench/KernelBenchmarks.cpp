// Cost of the whole effect at 48 kHz stereo, in CPU seconds per second of
// audio (the counter "cpu_per_audio_s"), for host blocks of 64 and 512 frames.
//
// Settings: the default preset's values, and the heaviest case (both voices
// in feedback mode, so both reverbs run, at +24 and -24 semitones).
// Input: steady pink noise, or the tail after a 2 s burst (the burst is
// rendered before timing starts; the timed part is silence).
//
// BM_ModeSwitch: the longest call of a host while both voices switch between
// feedback mode and after the reverb every 2048 frames (switching 1), against
// the longest call with the modes held (switching 0), in microseconds; the
// counter "of_period" is that call against the block's period.

#include "Kernel/VantrelDSPKernel.h"
#include "VantrelParameterList.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace
{
using P = VantrelParameterList;

constexpr double kRate = 48000.0;
constexpr std::size_t kNoiseLength = 1 << 16;

enum Settings
{
    DefaultPreset = 0,
    TwoReverbs = 1
};

enum Input
{
    SteadyNoise = 0,
    TailAfterBurst = 1
};

// Pink noise from white noise through the three-pole approximation of a
// -3 dB/octave slope; about -12 dBFS RMS.
std::vector<float> pinkNoise (std::size_t n, std::uint32_t seed)
{
    std::vector<float> out (n);
    std::uint32_t state = seed;
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;
    for (auto& x : out)
    {
        state = state * 1664525u + 1013904223u;
        const float white = static_cast<float> (state >> 8) / 8388608.0f - 1.0f;
        b0 = 0.99765f * b0 + white * 0.0990460f;
        b1 = 0.96300f * b1 + white * 0.2965164f;
        b2 = 0.57000f * b2 + white * 1.0526913f;
        x = 0.05f * (b0 + b1 + b2 + white * 0.1848f);
    }
    return out;
}

void applySettings (VantrelDSPKernel& k, Settings settings)
{
    const std::pair<unsigned long, float> defaultPreset[] = {
        { P::DelayTimeA, 195.20002746582031f }, { P::DelayTimeB, 500.0f }, { P::DryWet, 50.0f },
        { P::DuckingAttack, 20.0f }, { P::DuckingRelease, 100.0f }, { P::DuckingThreshold, -10.0f },
        { P::FineA, 0.0f }, { P::FineB, 0.0f }, { P::InputFilterFrequency, 400.00006103515625f },
        { P::InputFilterResonance, -3.0f }, { P::InputFilterType, 0.0f }, { P::InputGain, 0.0f },
        { P::ModulationAmount, 30.0f }, { P::ModulationRate, 2.5f }, { P::PitchA, -12.0f }, { P::PitchB, 12.0f },
        { P::PitchShifterAmountA, 49.9351806640625f }, { P::PitchShifterAmountB, 40.115093231201172f },
        { P::PitchShifterModeA, 0.0f }, { P::PitchShifterModeB, 1.0f }, { P::PreDelay, 10.0f },
        { P::ReverbColor, 6000.0f }, { P::ReverbLength, 15.0f }, { P::RoomSize, 50.0f },
    };
    for (const auto& [index, value] : defaultPreset)
        k.setParameter (index, value);

    if (settings == TwoReverbs)
    {
        k.setParameter (P::PitchShifterModeA, 1.0f);
        k.setParameter (P::PitchShifterModeB, 1.0f);
        k.setParameter (P::PitchA, 24.0f);
        k.setParameter (P::PitchB, -24.0f);
        k.setParameter (P::PitchShifterAmountA, 100.0f);
        k.setParameter (P::PitchShifterAmountB, 100.0f);
    }
}

class Renderer
{
public:
    Renderer (Settings settings, unsigned long blockFrames, double rate = kRate)
        : kernel (std::make_unique<VantrelDSPKernel>()),
          frames (blockFrames),
          noiseL (pinkNoise (kNoiseLength, 1)),
          noiseR (pinkNoise (kNoiseLength, 2)),
          left (blockFrames),
          right (blockFrames)
    {
        kernel->init (2, rate);
        kernel->setup();
        applySettings (*kernel, settings);
        bus[0] = left.data();
        bus[1] = right.data();
        inputs.push_back (&bus);
        outputs.push_back (&bus);
    }

    // One host block, in place as a host does it.
    void renderBlock (bool withInput)
    {
        if (withInput)
        {
            for (unsigned long i = 0; i < frames; ++i)
            {
                left[i] = noiseL[position];
                right[i] = noiseR[position];
                position = (position + 1) % kNoiseLength;
            }
        }
        else
        {
            std::fill (left.begin(), left.end(), 0.0f);
            std::fill (right.begin(), right.end(), 0.0f);
        }
        kernel->setBuffers (inputs, outputs);
        kernel->process (frames, 0, 0);
        benchmark::DoNotOptimize (left.data());
        benchmark::DoNotOptimize (right.data());
    }

    void renderSeconds (double seconds, bool withInput)
    {
        const auto blocks = static_cast<unsigned long> (seconds * kernel->sampleRate) / frames;
        for (unsigned long b = 0; b < blocks; ++b)
            renderBlock (withInput);
    }

    std::unique_ptr<VantrelDSPKernel> kernel;
    unsigned long frames;

private:
    std::vector<float> noiseL, noiseR, left, right;
    BufferList bus;
    std::vector<BufferList*> inputs, outputs;
    std::size_t position = 0;
};

void BM_Kernel (benchmark::State& state)
{
    const auto settings = static_cast<Settings> (state.range (0));
    const auto input = static_cast<Input> (state.range (1));
    const auto frames = static_cast<unsigned long> (state.range (2));

    Renderer r (settings, frames);
    // Past the parameter ramps and into a filled reverb before timing.
    r.renderSeconds (input == TailAfterBurst ? 2.0 : 1.0, true);

    const bool withInput = input == SteadyNoise;
    for (auto _ : state)
        r.renderBlock (withInput);

    const double audioSeconds = static_cast<double> (state.iterations()) * static_cast<double> (frames) / kRate;
    state.counters["cpu_per_audio_s"] = benchmark::Counter (audioSeconds, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void kernelArguments (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "settings", "input", "frames" });
    for (const int settings : { DefaultPreset, TwoReverbs })
        for (const int input : { SteadyNoise, TailAfterBurst })
            for (const int frames : { 32, 64, 512 })
                b->Args ({ settings, input, frames });
}
} // namespace

void BM_ModeSwitch (benchmark::State& state)
{
    const auto rate = static_cast<double> (state.range (0));
    const auto frames = static_cast<unsigned long> (state.range (1));
    const bool switching = state.range (2) != 0;
    constexpr unsigned long kCycle = 2048;

    Renderer r (TwoReverbs, frames, rate);
    r.renderSeconds (1.0, true);
    float mode = 1.0f;
    double total = 0.0;
    for (auto _ : state)
    {
        if (switching)
        {
            mode = mode == 1.0f ? 2.0f : 1.0f;
            r.kernel->setParameter (P::PitchShifterModeA, mode);
            r.kernel->setParameter (P::PitchShifterModeB, mode);
        }
        double longest = 0.0;
        for (unsigned long done = 0; done < kCycle; done += frames)
        {
            const auto start = std::chrono::steady_clock::now();
            r.renderBlock (true);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            longest = std::max (longest, took.count());
        }
        state.SetIterationTime (longest);
        total += longest;
    }
    const double period = static_cast<double> (frames) / rate;
    state.counters["of_period"] = total / static_cast<double> (std::max<benchmark::IterationCount> (state.iterations(), 1)) / period;
}

void switchArguments (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "rate", "frames", "switching" });
    for (const auto& [rate, frames] : { std::pair { 48000, 64 }, std::pair { 96000, 32 }, std::pair { 192000, 64 } })
        for (const int switching : { 0, 1 })
            b->Args ({ rate, frames, switching });
}

BENCHMARK (BM_ModeSwitch)->Apply (switchArguments)->UseManualTime()->Unit (benchmark::kMicrosecond);
BENCHMARK (BM_Kernel)->Apply (kernelArguments)->Unit (benchmark::kMicrosecond);
