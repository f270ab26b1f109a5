#include "Pitch/PitchShifter.h"


#include "Math/Accelerate/ScopedFlushDenormals.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"
#include "Math/NoteScale.h"
#include "ProcessBlock/Filters/BiquadCoefficients.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>

using SP = SignalProcessing;

namespace
{
constexpr float kMiddleC = 261.62558f;           // frequency of note 60
constexpr float kFilterResonance = -8.0f;        // dB, both sections of the output band
constexpr float kHighPassHz = 40.0f;
constexpr float kLowPassHz = 5000.0f;
constexpr float kDefaultWindowMs = 500.0f;       // the window-time parameters' default
// The window length divides the phase increment: below the parameter range
// (40 ms) a zero or garbage window would send the phase to infinity and the
// shifter would never recover, so the increment uses at least this much.
constexpr float kShortestWindowSeconds = 0.001f;
// Each tap's delay sweeps over one window above this: the storage is written
// before it is read, so the taps could come as close as 0; 1 ms keeps the
// window's start clear of the newest samples.
constexpr float kShortestTapSeconds = 0.001f;
constexpr float kPi = 3.14159265358979f;

// Pitch ratio of an interval through the engine's note scale: note 60 maps to
// middle C, so the ratio is 2^((semitones + fine) / 12), bounded by the
// scale's limits for absurd notes.
float ratioFor (int semitones, float fine) noexcept
{
    const float note = static_cast<float> (semitones) + 60.0f + fine;
    return NoteScale::freq (note) / kMiddleC;
}

// x - trunc(x), exactly the vector layer's fractional part.
float fractionalPart (float x) noexcept
{
    return x - std::trunc (x);
}

// The window phases of the two taps over one chunk, and from them the taps'
// delays (seconds) and the arguments of their cosine windows, in one pass.
// Per sample, in this order of operations:
//   pA = frac(frac(phase + i inc) + 1), pB = frac(pA + 1.5),
//   dA = (pA window) 0.001 + shortest, dB likewise,
//   the window arguments (pA - 0.5) pi and (pB - 0.5) pi into pA and pB.
// Sample i takes the phase of index first + i of its chunk. Returns the
// phase the next chunk starts from: frac of the last unfolded phase plus inc.
float windowPhases (float phase, float inc, const float* window, float shortest, float* pA, float* pB, float* dA,
                     float* dB, unsigned long n, unsigned long first) noexcept
{
    const float halfTurn = 2.0f * kPi * 0.5f;
    float last = phase;
    unsigned long i = VectorKernels::windowPhases (phase, inc, window, shortest, halfTurn, pA, pB, dA, dB, n, first, last);
    for (; i < n; ++i)
    {
        const float unfolded = fractionalPart (phase + static_cast<float> (static_cast<int> (first + i)) * inc);
        const float a = fractionalPart (unfolded + 1.0f);
        const float b = fractionalPart (a + (0.5f + 1.0f));
        dA[i] = a * window[i] * 0.001f + shortest;
        dB[i] = b * window[i] * 0.001f + shortest;
        pA[i] = (a + -0.5f) * halfTurn;
        pB[i] = (b + -0.5f) * halfTurn;
        last = unfolded;
    }
    return fractionalPart (last + inc);
}
} // namespace

PitchShifter::PitchShifter()
    : phaseA (kMaxFramesPerBlock, 0.0f),
      phaseB (kMaxFramesPerBlock, 0.0f),
      delayA (kMaxFramesPerBlock, 0.0f),
      delayB (kMaxFramesPerBlock, 0.0f),
      tapA (kMaxFramesPerBlock, 0.0f),
      tapB (kMaxFramesPerBlock, 0.0f),
      defaultWindow (kMaxFramesPerBlock, kDefaultWindowMs)
{
}

float PitchShifter::storageMs (float maxWindow, double rate) noexcept
{
    const double blockMs = rate > 0.0 ? 1000.0 * kMaxFramesPerBlock / rate : 0.0;
    return static_cast<float> (static_cast<double> (maxWindow) + 2.0 * blockMs + 2.0);
}

void PitchShifter::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);

    storage.init (storageMs (maxWindowMs, newSampleRate), newSampleRate);
    inputBand.stop();
    ownFromNow();
    reader.sampleRate = static_cast<float> (newSampleRate);
    reader.interpolationMode = DelayRead::Linear;

    // A new stream starts a new chunk.
    ownPosition = 0;

    // The output's band never moves: its sections as the biquad filter
    // computes them at the rate.
    auto section = [&newSampleRate] (float cutoff, BiquadFilterType type) {
        BiquadCoefficients c;
        c.sampleRate = static_cast<float> (newSampleRate);
        c.calculateParams (cutoff, kFilterResonance, 0.0f, type);
        return FourthOrderBlocks::Section { c.b0, c.b1, c.b2, c.a1, c.a2 };
    };
    outputBand.setSections (section (kHighPassHz, HighPass), section (kLowPassHz, LowPass));
    outputBand.clear();
}

void PitchShifter::clear() noexcept
{
    // A cleared shifter must not replay what it heard before.
    storage.clear();
    inputBand.stop();
    ownFromNow();
    outputBand.clear();
}

void PitchShifter::process (float* x, unsigned long n) noexcept
{
    process (x, n, ownPosition);
    ownPosition = (ownPosition + std::min (n, kMaxFramesPerBlock)) % kChunkLength;
}

void PitchShifter::process (float* x, unsigned long n, unsigned long gridPosition) noexcept
{
    gridPosition %= kChunkLength;
    // Filter and window tails must reach silence without passing through
    // denormals.
    const ScopedFlushDenormals noDenormals;
    n = std::min (n, kMaxFramesPerBlock);
    if (n == 0 || storage.size == 0)
        return;

    resting = false;
    const float ratio = currentRatio();
    const float* window = currentWindow();
    limitInput (x, n, ratio, gridPosition);

    const unsigned long pieces = static_cast<unsigned long> (std::max (1, chunkCount));
    const unsigned long pieceLength = (n + pieces - 1) / pieces;
    // The taps of a piece read the storage as written up to its end: the
    // shared one is written a whole call ahead.
    if (pieces > 1 && ! ownStorage)
        adoptShared();
    for (unsigned long start = 0; start < n; start += pieceLength)
        processChunk (x + start, window + start, std::min (pieceLength, n - start), ratio, (gridPosition + start) % kChunkLength);
}

void PitchShifter::restAndStore (const float* x, unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (n == 0 || storage.size == 0)
        return;
    if (! resting)
    {
        outputBand.clear();
        inputBand.stop();
        resting = true;
    }
    startCall (n);
    store (x, n);
}

float PitchShifter::currentRatio() noexcept
{
    // Read once per block so that a change from another thread applies to
    // whole blocks.
    const int s = semitones.load (std::memory_order_relaxed);
    const float f = fine.load (std::memory_order_relaxed);
    // Bit for bit: a NaN fine tuning is never held, and -0 is not +0.
    if (! ratioValid || s != ratioSemitones || std::bit_cast<std::uint32_t> (f) != std::bit_cast<std::uint32_t> (ratioFine))
    {
        heldRatio = ratioFor (s, f);
        ratioSemitones = s;
        ratioFine = f;
        ratioValid = true;
    }
    return heldRatio;
}

const float* PitchShifter::currentWindow() const noexcept
{
    return windowMs != nullptr ? windowMs : defaultWindow.data();
}

void PitchShifter::processPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n) noexcept
{
    // Each counts its own input: only two that are at the same place go together.
    if (left.ownPosition != right.ownPosition || &left == &right)
    {
        left.process (xl, n);
        right.process (xr, n);
        return;
    }
    const unsigned long position = left.ownPosition;
    processPair (left, right, xl, xr, n, position);
    left.ownPosition = right.ownPosition = (position + std::min (n, kMaxFramesPerBlock)) % kChunkLength;
}

void PitchShifter::processPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n,
                                unsigned long position) noexcept
{
    const ScopedFlushDenormals noDenormals;
    n = std::min (n, kMaxFramesPerBlock);
    position %= kChunkLength;
    if (tapsPair (left, right, xl, xr, n, position))
        bandLimitPair (left, right, xl, xr, n);
}

bool PitchShifter::tapsPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n,
                             unsigned long position) noexcept
{
    const bool together = &left != &right && xl != xr && left.storage.size > 0 && right.storage.size > 0
                          && left.chunkCount <= 1 && right.chunkCount <= 1;
    if (! together)
    {
        left.process (xl, n, position);
        right.process (xr, n, position);
        return false;
    }
    if (n == 0)
        return false;
    left.resting = right.resting = false;

    // The windows depend only on the phase, the interval, the window length
    // and the block, not on the signal: two channels of one voice, set alike
    // and started together, have the same ones, and they are computed once.
    const float leftRatio = left.currentRatio();
    const float rightRatio = right.currentRatio();
    const float* leftWindow = left.currentWindow();
    const float* rightWindow = right.currentWindow();
    // Within a chunk the interval and window length are the ones taken at
    // its start; a call that reaches the next chunk takes them anew there.
    const bool sameSettings = leftRatio == rightRatio && (position == 0 || left.chunkIncrement == right.chunkIncrement);
    const bool sameWindows = left.phase == right.phase && sameSettings && leftWindow == rightWindow
                             && left.sampleRate == right.sampleRate;
    limitInputPair (left, right, xl, xr, n, leftRatio, rightRatio, position);

    left.computeWindows (leftWindow, n, leftRatio, position);
    if (sameWindows)
    {
        right.phase = left.phase;
        right.chunkIncrement = left.chunkIncrement;
    }
    else
    {
        right.computeWindows (rightWindow, n, rightRatio, position);
    }
    if (sameWindows)
        windowTapsPair (left, right, xl, xr, n);
    else
    {
        left.windowTaps (xl, n, left);
        right.windowTaps (xr, n, right);
    }
    return true;
}

void PitchShifter::bandLimitPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n) noexcept
{
    FourthOrderBlocks::processPair (left.outputBand, right.outputBand, xl, xr, n);
    SP::tanh (xl, xl, n);
    SP::tanh (xr, xr, n);
}

void PitchShifter::processChunk (float* x, const float* window, unsigned long n, float ratio, unsigned long position) noexcept
{
    shiftChunk (x, window, n, ratio, position);

    outputBand.process (x, x, n);
    SP::tanh (x, x, n);
}

void PitchShifter::shiftChunk (float* x, const float* window, unsigned long n, float ratio, unsigned long position) noexcept
{
    computeWindows (window, n, ratio, position);
    windowTaps (x, n, *this);
}

void PitchShifter::computeWindows (const float* window, unsigned long n, float ratio, unsigned long position) noexcept
{
    float* pA = phaseA.data();
    float* pB = phaseB.data();
    for (unsigned long done = 0; done < n;)
    {
        // The interval and the window length are taken at each chunk's start
        // and held for the chunk, however the calls cut it; within a chunk
        // every sample's phase counts from the chunk's first.
        if (position == 0)
            chunkIncrement = incrementFor (window[done], ratio);
        const unsigned long piece = std::min (n - done, kChunkLength - position);
        const float next = windowPhases (phase, chunkIncrement, window + done, kShortestTapSeconds, pA + done, pB + done,
                                         delayA.data() + done, delayB.data() + done, piece, position);
        position += piece;
        done += piece;
        if (position == kChunkLength)
        {
            phase = next;
            position = 0;
        }
    }

    // Half-cosine windows: zero where a tap jumps, and wA^2 + wB^2 = 1.
    SP::cos (pA, pA, n);
    SP::cos (pB, pB, n);
    if (windowGain != nullptr)
    {
        const float* g = windowGain + (window - currentWindow());
        SP::mul (pA, g, pA, n);
        SP::mul (pB, g, pB, n);
    }
}

float PitchShifter::incrementFor (float windowMsAtStart, float ratio) const noexcept
{
    // The phase runs through one window per (window length / |1 - ratio|):
    // a ratio above 1 shortens the delay over time and raises the pitch.
    float windowSeconds = windowMsAtStart * 0.001f;
    if (! (windowSeconds >= kShortestWindowSeconds))
        windowSeconds = kShortestWindowSeconds;
    float increment = static_cast<float> (((1.0f - ratio) / windowSeconds) / sampleRate);
    if (! std::isfinite (increment))
        increment = 0.0f;
    return increment;
}

void PitchShifter::windowTapsPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n) noexcept
{
    // Both channels read at the left's windows and tap delays: where the
    // reader can, all four taps and both windowed sums in one pass, from
    // positions computed once for the two storages (written alike).
    left.store (xl, n);
    right.store (xr, n);
    const DelayWrite* storages[2] = { &left.input(), &right.input() };
    float* out[2] = { xl, xr };
    if (left.reader.sampleRate == right.reader.sampleRate && right.reader.interpolationMode == left.reader.interpolationMode
        && left.reader.processWindowedTapsAfterWrite (left.delayA.data(), left.delayB.data(), left.phaseA.data(),
                                                      left.phaseB.data(), storages, out, 2, n))
        return;
    left.readTaps (xl, n, left);
    right.readTaps (xr, n, left);
}

void PitchShifter::windowTaps (float* x, unsigned long n, const PitchShifter& windows) noexcept
{
    // The block is stored first, so each tap's delay is exactly the one its
    // window sets. The windows do not depend on the signal, so they may come
    // first.
    store (x, n);
    readTaps (x, n, windows);
}

void PitchShifter::store (const float* x, unsigned long n) noexcept
{
    // A sample that is not finite would sit in the storage and spoil every
    // read that reaches it; it is stored as silence instead.
    if (! bandTouched && ! ownStorage)
    {
        storedFrames += n; // the owner has stored it
        return;
    }
    if (! ownStorage)
        adoptShared(); // from here on, what is stored differs from the shared input
    storage.writeFinite (x, n);
    storedFrames += n;
    if (bandTouched)
    {
        plainRun = 0;
        return;
    }
    if (sharedInput == nullptr || sharedInput->size != storage.size)
        return;
    const auto size = static_cast<unsigned long> (storage.size);
    plainRun = std::min (plainRun + n, size);
    // Once every sample it holds came as it came, in the same places, it
    // holds what the shared storage does.
    if (plainRun == size && storage.writeIndex == sharedInput->writeIndex && chunkCount <= 1)
        ownStorage = false;
}

void PitchShifter::adoptShared() noexcept
{
    // The owner has written the call's input already: the storage takes
    // the shared one's samples and its position before them.
    const DelayWrite& shared = *sharedInput;
    std::copy (shared.buffer.begin(), shared.buffer.end(), storage.buffer.begin());
    const auto size = static_cast<unsigned long> (storage.size);
    const unsigned long ahead = sharedAhead() % size;
    storage.writeIndex = static_cast<int> ((static_cast<unsigned long> (shared.writeIndex) + size - ahead) % size);
    storage.silentRun = shared.silentRun;
    ownStorage = true;
}

void PitchShifter::ownFromNow() noexcept
{
    ownStorage = true;
    plainRun = 0;
    startCall (0);
}

void PitchShifter::beginBandChunk (float ratio, const float* x, unsigned long done) noexcept
{
    // The band starts from the last two samples stored, or about to be
    // stored: those of this call before the chunk, then the storage's.
    auto stored = [this, x, done] (unsigned long age) noexcept {
        if (age < done)
            return std::isfinite (x[done - 1 - age]) ? x[done - 1 - age] : 0.0f;
        // The shared storage holds the call's input already.
        const DelayWrite& in = input();
        const auto size = static_cast<unsigned long> (in.size);
        const unsigned long ahead = &in == &storage ? 0 : sharedAhead() % size;
        return in.buffer[(static_cast<unsigned long> (in.writeIndex) + 2 * size - 1 - ahead - (age - done)) % size];
    };
    inputBand.beginChunk (ratio, stored (0), stored (1));
}

void PitchShifter::limitInput (float* x, unsigned long n, float ratio, unsigned long position) noexcept
{
    startCall (n);
    for (unsigned long done = 0; done < n;)
    {
        if (position == 0)
            beginBandChunk (ratio, x, done);
        const unsigned long piece = std::min (n - done, kChunkLength - position);
        bandTouched = bandTouched || inputBand.running();
        inputBand.process (x + done, piece, position);
        done += piece;
        position = (position + piece) % kChunkLength;
    }
}

void PitchShifter::limitInputPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n,
                                   float leftRatio, float rightRatio, unsigned long position) noexcept
{
    left.startCall (n);
    right.startCall (n);
    for (unsigned long done = 0; done < n;)
    {
        if (position == 0)
        {
            left.beginBandChunk (leftRatio, xl, done);
            right.beginBandChunk (rightRatio, xr, done);
        }
        const unsigned long piece = std::min (n - done, kChunkLength - position);
        left.bandTouched = left.bandTouched || left.inputBand.running();
        right.bandTouched = right.bandTouched || right.inputBand.running();
        if (left.inputBand.steady() && right.inputBand.steady())
            UpwardBandLimit::processPair (left.inputBand, right.inputBand, xl + done, xr + done, piece);
        else
        {
            left.inputBand.process (xl + done, piece, position);
            right.inputBand.process (xr + done, piece, position);
        }
        done += piece;
        position = (position + piece) % kChunkLength;
    }
}

void PitchShifter::readTaps (float* x, unsigned long n, const PitchShifter& windows) noexcept
{
    reader.processAfterWrite (windows.delayA.data(), tapA.data(), input(), n);
    reader.processAfterWrite (windows.delayB.data(), tapB.data(), input(), n);
    SP::mul_mul_add (windows.phaseA.data(), tapA.data(), windows.phaseB.data(), tapB.data(), x, n);
}
