#include "Pitch/PitchShifter.h"

#include "Kernel/ScopedFlushDenormals.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/NoteScale.h"

#include <algorithm>
#include <cmath>

using SP = SignalProcessing;

namespace
{
constexpr float kMiddleC = 261.62558f;           // frequency of note 60
constexpr float kFilterResonance = -8.0f;        // dB, for both band limits
constexpr float kHighPassHz = 40.0f;
constexpr float kLowPassHz = 5000.0f;
constexpr float kDefaultWindowMs = 500.0f;       // the window-time parameters' default
// The window length divides the phase increment: below the parameter range
// (40 ms) a zero or garbage window would send the phase to infinity and the
// shifter would never recover, so the increment uses at least this much.
constexpr float kShortestWindowSeconds = 0.001f;
constexpr float kPi = 3.14159265358979f;

// Pitch ratio of an interval through the engine's note scale: note 60 maps to
// middle C, so the ratio is 2^((semitones + fine) / 12), bounded by the
// scale's limits for absurd notes.
float ratioFor (int semitones, float fine) noexcept
{
    const float note = static_cast<float> (semitones) + 60.0f + fine;
    return NoteScale::freq (note) / kMiddleC;
}

// A sample that is not finite would sit in the storage and spoil every read
// that reaches it; it is stored as silence instead.
void replaceNonFinite (float* x, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        x[i] = std::isfinite (x[i]) ? x[i] : 0.0f;
}
} // namespace

PitchShifter::PitchShifter()
    : phaseA (kMaxFramesPerBlock, 0.0f),
      phaseB (kMaxFramesPerBlock, 0.0f),
      delayA (kMaxFramesPerBlock, 0.0f),
      delayB (kMaxFramesPerBlock, 0.0f),
      tapA (kMaxFramesPerBlock, 0.0f),
      tapB (kMaxFramesPerBlock, 0.0f),
      resonance (kMaxFramesPerBlock, kFilterResonance),
      highPassCutoff (kMaxFramesPerBlock, kHighPassHz),
      lowPassCutoff (kMaxFramesPerBlock, kLowPassHz),
      defaultWindow (kMaxFramesPerBlock, kDefaultWindowMs)
{
    highPass.setType (HighPass);
    lowPass.setType (LowPass);
}

void PitchShifter::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);

    storage.init (maxDelayMs, newSampleRate);
    reader.sampleRate = static_cast<float> (newSampleRate);
    reader.interpolationMode = DelayRead::Linear;

    // Mono filters whose coefficients come from the first sample of a call.
    highPass.init (1, newSampleRate);
    highPass.subBlockSize = kMaxFramesPerBlock;
    lowPass.init (1, newSampleRate);
    lowPass.subBlockSize = kMaxFramesPerBlock;
}

void PitchShifter::clear() noexcept
{
    // A cleared shifter must not replay what it heard before.
    storage.clear();
    highPass.clear();
    lowPass.clear();
}

void PitchShifter::process (float* x, unsigned long n) noexcept
{
    // Filter and window tails must reach silence without passing through
    // denormals.
    const ScopedFlushDenormals noDenormals;
    n = std::min (n, kMaxFramesPerBlock);
    if (n == 0 || storage.size == 0)
        return;

    // Read once so that a change from another thread applies to whole blocks.
    const float ratio = ratioFor (semitones.load (std::memory_order_relaxed), fine.load (std::memory_order_relaxed));
    const float* window = windowMs != nullptr ? windowMs : defaultWindow.data();

    const unsigned long pieces = static_cast<unsigned long> (std::max (1, chunkCount));
    const unsigned long pieceLength = (n + pieces - 1) / pieces;
    for (unsigned long start = 0; start < n; start += pieceLength)
        processChunk (x + start, window + start, std::min (pieceLength, n - start), ratio);
}

void PitchShifter::processChunk (float* x, const float* window, unsigned long n, float ratio) noexcept
{
    // Writing first lets the taps come as close as the block allows.
    replaceNonFinite (x, n);
    storage.write (x, n);

    // The phase runs through one window per (window length / |1 - ratio|):
    // a ratio above 1 shortens the delay over time and raises the pitch.
    float windowSeconds = window[0] * 0.001f;
    if (! (windowSeconds >= kShortestWindowSeconds))
        windowSeconds = kShortestWindowSeconds;
    float increment = static_cast<float> (((1.0f - ratio) / windowSeconds) / sampleRate);
    if (! std::isfinite (increment))
        increment = 0.0f;

    float* pA = phaseA.data();
    float* pB = phaseB.data();
    SP::ramp (phase, increment, pA, n);
    SP::frac (pA, n);
    const float next = pA[n - 1] + increment;
    phase = next - std::trunc (next);

    // Fold into [0, 1) and place tap B half a window away.
    SP::add_s (pA, 1.0f, pA, n);
    SP::frac (pA, n);
    SP::add_s (pA, 0.5f + 1.0f, pB, n);
    SP::frac (pB, n);

    // Each tap's delay sweeps over one window above the shortest delay the
    // block allows (the block itself plus 1 ms).
    const float shortest = static_cast<float> (static_cast<double> (n) / sampleRate + 0.001);
    float* dA = delayA.data();
    float* dB = delayB.data();
    SP::mul (pA, window, dA, n);
    SP::mul_s_add_s (dA, 0.001f, shortest, dA, n);
    SP::mul (pB, window, dB, n);
    SP::mul_s_add_s (dB, 0.001f, shortest, dB, n);

    // Half-cosine windows: zero where a tap jumps, and wA^2 + wB^2 = 1.
    SP::add_s (pA, -0.5f, pA, n);
    SP::mul_s (pA, 2.0f * kPi * 0.5f, pA, n);
    SP::cos (pA, pA, n);
    SP::add_s (pB, -0.5f, pB, n);
    SP::mul_s (pB, 2.0f * kPi * 0.5f, pB, n);
    SP::cos (pB, pB, n);

    reader.process (dA, tapA.data(), storage, n);
    reader.process (dB, tapB.data(), storage, n);
    SP::mul_mul_add (pA, tapA.data(), pB, tapB.data(), x, n);

    // High-pass then low-pass, in one pass over the block.
    BiquadFilter::processSeries (highPass, lowPass, x, n, 0,
                                 BiquadFilterParameters { 0.0f, highPassCutoff.data(), 0.0f, resonance.data(), 0.0f, nullptr },
                                 BiquadFilterParameters { 0.0f, lowPassCutoff.data(), 0.0f, resonance.data(), 0.0f, nullptr });
    SP::tanh (x, x, n);
}
