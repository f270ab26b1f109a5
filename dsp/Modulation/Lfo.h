#pragma once

#include "ProcessBlock/Filters/BiquadFilter.h"
#include "ProcessBlock/ProcessBlock.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// A low-frequency oscillator with several outputs (the base's channel count)
// at phase offsets of their own. Each output keeps its own phase; the offset
// is added per call, so outputs a fixed fraction of a cycle apart stay apart.
class Lfo : public ProcessBlock
{
public:
    // Waveforms, by the value held in `shape`.
    static constexpr std::uint32_t Sine = 0;          // starts at -1
    static constexpr std::uint32_t Triangle = 1;      // -1 at phase 0, +1 at 0.5
    static constexpr std::uint32_t SawUp = 2;
    static constexpr std::uint32_t SawDown = 3;
    static constexpr std::uint32_t Square = 4;        // +1 in the first half
    static constexpr std::uint32_t SampleAndHold = 5; // held random values

    static constexpr std::uint32_t TempoMode = 1; // rateMode: period from the tempo

    struct LfoParameters
    {
        float* rate = nullptr;        // Hz per sample; only the first value counts
        float* phaseShift = nullptr;  // percent of a cycle, transport-locked mode only
        float* phaseOffset = nullptr; // cycles; only the first value counts; null = 0
        float* amount = nullptr;      // percent per sample; null = full amount
    };

    Lfo();

    // outputs: the number of independent outputs.
    void init (int outputs, double newSampleRate) override;
    // Restarts every phase.
    void clear() noexcept override;

    // Writes `frames` values of one output. The last argument is not read.
    void process (float* out, unsigned long frames, unsigned long output, LfoParameters parameters, float* unused) noexcept;
    // process for outputs 0 .. count - 1 in turn, out[k] with the phase
    // offsets phaseOffsets[k] (null: none) and the rest of `common`: the same
    // samples, with the rate and amount read once for all the outputs.
    void processOutputs (float* const* out, unsigned long count, unsigned long frames, LfoParameters common,
                         const float* const* phaseOffsets) noexcept;
    // The factor the amount scales every output by: g = amount 0.01 per
    // sample, squared when squareAmount is set.
    void amountGains (const float* amount, float* g, unsigned long frames) const noexcept;

    std::vector<float> phases;
    float randomTimer = 99999.0f; // ms since the last random step: the first comes at once
    std::array<float, 2> randomValues {};
    double beatPosition = 0.0;
    std::array<bool, 2> heldFlags {};
    std::array<float, 2> heldValues {};
    bool followTransport = false;
    float bpm = 120.0f;
    float beats = 4.0f;
    float beatMultiplier = 1.0f;
    std::uint64_t beatOffset = 4;
    std::unique_ptr<BiquadFilter> smoothingFilter;
    std::uint32_t shape = Sine;
    std::uint32_t rateMode = 0;
    bool smooth = false;
    bool squareAmount = true;
    bool randomSteps = true;

private:
    void processPiece (float* out, unsigned long frames, unsigned long output, const LfoParameters& p,
                       unsigned long offsetIndex) noexcept;
    float periodMs (const LfoParameters& p) const noexcept;
    void stepRandomValues (unsigned long frames, float period, bool hasOffset, float offset) noexcept;
    void consumeHalfPeriod (float half) noexcept;
    void freeRunning (float* out, unsigned long frames, unsigned long output, float period, const float* phaseOffset,
                      float offset) noexcept;
    void transportLocked (float* out, unsigned long frames, unsigned long output, const float* phaseShift,
                          float offset) noexcept;
    void applyShape (float* out, unsigned long frames, unsigned long output) noexcept;
    // The free-running phases of one call into out (with the sine's argument
    // when asked); returns the last phase before any offset.
    static float phasesOf (float phase, float step, const float* phaseOffset, bool sineArgument, float* out,
                           unsigned long frames) noexcept;
    float nextRandom() noexcept;

    std::vector<float> amountGain;
    std::vector<float> triangleScratch;
    std::uint32_t randomState = 0x9E3779B9u;
};
