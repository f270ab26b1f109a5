#pragma once

#include "BlockSize.h"
#include "Delay/DelayRead.h"
#include "Delay/DelayWrite.h"
#include "Pitch/UpwardBandLimit.h"
#include "ProcessBlock/Filters/FourthOrderBlocks.h"
#include "ProcessBlock/ProcessBlock.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <vector>

// A mono delay-line pitch shifter: two taps half a window apart sweep through
// the recent input at a rate set by the pitch ratio, each faded in and out by
// a half-cosine window so that one tap is silent while it jumps back. Shifting
// up, the input is first band-limited to what the shift keeps below Nyquist.
// The result is band-limited to 40..5000 Hz and soft-clipped.
class PitchShifter : public ProcessBlock
{
public:
    PitchShifter();

    // Allocates storage for the longest window at the rate (storageMs); the
    // window phase is kept.
    void init (int numChannels, double newSampleRate) override;
    // Silences the storage and the two filters; the window phase is kept.
    void clear() noexcept override;

    // In place, n at most kMaxFramesPerBlock. windowMs must point at n values.
    // gridPosition: the frame of the grid chunk (kChunkLength) that x[0]
    // falls on, as the caller counts it; without it, the shifter counts its
    // own input from init (for use on its own).
    void process (float* x, unsigned long n, unsigned long gridPosition) noexcept;
    void process (float* x, unsigned long n) noexcept;
    // While the shifter is not heard: stores x as process would, and nothing
    // more (the window phase stands still, the filters are silenced when it
    // stops), so that when it is heard again its taps find the signal it
    // would have received, and nothing of what it played before.
    // The input is stored as it comes: the band limit of a shift up starts
    // again when the shifter is heard.
    void rest (const float* x, unsigned long n) noexcept
    {
        if (! resting)
            restAndStore (x, n);
        else
        {
            startCall (std::min (n, kMaxFramesPerBlock));
            store (x, callFrames);
        }
    }
    // left.process (xl, n) and right.process (xr, n) for two different
    // shifters, their band limits running side by side in one pass.
    static void processPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n,
                             unsigned long gridPosition) noexcept;
    static void processPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n) noexcept;

    // Shifters that hear the same input (the voices before the reverb, or
    // those after it) may read it from one storage that their owner writes
    // with it, finite as process would store it, before every call: a
    // shifter then stores its input itself only while its own storage holds
    // something else (its input band-limited for a shift up, in the last
    // storage length). `written` is sized as storageMs gives; before init.
    void readFrom (DelayWrite* written) noexcept { sharedInput = written; }

    // Written from any thread; each call reads them once.
    std::atomic<int> semitones { 0 };
    std::atomic<float> fine { 0.0f }; // semitones

    // Per-sample window length in ms, owned by the caller (the kernel points
    // it at the voice's window-time parameter buffer every sub-block).
    float* windowMs = nullptr;
    // Per-sample gain on both taps' windows, indexed like windowMs, or null
    // (the kernel's, while a jump of the window length ducks the voice).
    const float* windowGain = nullptr;

    // The block is processed as this many pieces of ceil(n / chunkCount).
    int chunkCount = 1;

    // The longest window the taps sweep over: the window-time parameters'
    // upper bound. The storage is sized for it; a longer window would have
    // its taps clipped to the storage. Set before init.
    float maxWindowMs = 1000.0f;

    // Storage, in ms, that every tap of a window up to maxWindowMs reaches at
    // the rate, blocks of up to kMaxFramesPerBlock frames included: the taps
    // lie up to one window, one block and 1 ms behind the newest sample, and
    // the reader keeps a block's length (at least) clear of the write
    // position. One block more, and 1 ms to spare.
    static float storageMs (float maxWindowMs, double sampleRate) noexcept;

    // The window phase (0..1) at the start of the current chunk.
    float currentPhase() const noexcept { return phase; }

    // The interval and window length are decided once per chunk of this many
    // samples of the shifter's own input (the kernel's grid length), so that
    // the sound does not depend on how calls cut the input.
    static constexpr unsigned long kChunkLength = 256;

private:
    void processChunk (float* x, const float* window, unsigned long n, float ratio, unsigned long position) noexcept;
    // The steps of a chunk up to the windowed taps, x = wA tapA + wB tapB.
    void shiftChunk (float* x, const float* window, unsigned long n, float ratio, unsigned long position) noexcept;
    // The windows and tap delays of a chunk into phaseA/phaseB and
    // delayA/delayB, from frame `position` of a chunk on; advances the phase
    // at each chunk's end.
    void computeWindows (const float* window, unsigned long n, float ratio, unsigned long position) noexcept;
    // Stores x and replaces it by the windowed taps, with the windows and
    // delays held by `windows` (this shifter or one whose windows are equal).
    void windowTaps (float* x, unsigned long n, const PitchShifter& windows) noexcept;
    // The upward band limit of a call's input, in place, its setting taken
    // at each chunk's start (of this shifter, or of a pair side by side).
    void limitInput (float* x, unsigned long n, float ratio, unsigned long position) noexcept;
    static void limitInputPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n,
                                float leftRatio, float rightRatio, unsigned long position) noexcept;
    // The band's setting at a chunk's start, `done` samples into the call's x.
    void beginBandChunk (float ratio, const float* x, unsigned long done) noexcept;
    // The taps of the stored block into x at the windows of `windows`.
    void readTaps (float* x, unsigned long n, const PitchShifter& windows) noexcept;
    // windowTaps of both channels at the left's windows.
    static void windowTapsPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n) noexcept;
    // processPair's steps up to the band limits; false when there is
    // nothing left to do (nothing to process, or each channel was processed
    // whole on its own).
    static bool tapsPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n,
                          unsigned long position) noexcept;
    // processPair's band limits and soft clip.
    static void bandLimitPair (PitchShifter& left, PitchShifter& right, float* xl, float* xr, unsigned long n) noexcept;
    // The ratio of the interval read now; computed again only when the
    // interval changed since the last block.
    float currentRatio() noexcept;
    float incrementFor (float windowMsAtStart, float ratio) const noexcept;
    const float* currentWindow() const noexcept;

    // The output's band: a 40 Hz high-pass then a 5000 Hz low-pass (the
    // biquad filter's sections at -8 dB resonance), in one recursion.
    FourthOrderBlocks outputBand;
    float phase = 0.0f;
    bool resting = false;
    int ratioSemitones = 0;
    float ratioFine = 0.0f;
    float heldRatio = 1.0f; // of ratioSemitones + ratioFine
    bool ratioValid = false;
    // The phase increment taken at the current chunk's start, and the
    // position process counts without a caller's.
    float chunkIncrement = 0.0f;
    unsigned long ownPosition = 0;

    std::vector<float> phaseA, phaseB, delayA, delayB, tapA, tapB;

    // What the shifter stores: shifting up, its input band-limited for its
    // interval before it is stored.
    DelayWrite storage;
    UpwardBandLimit inputBand;
    // The owner's storage of the shared input, if any; the taps read it
    // while `storage` is not kept (ownStorage false).
    DelayWrite* sharedInput = nullptr;
    bool ownStorage = true;
    // This call's input went through the band before it was stored.
    bool bandTouched = false;
    // Samples stored as they came since the band last touched one (up to
    // the storage's size); the frames of the current call and how many of
    // them are stored.
    unsigned long plainRun = 0;
    unsigned long callFrames = 0;
    unsigned long storedFrames = 0;
    const DelayWrite& input() const noexcept { return ownStorage ? storage : *sharedInput; }
    // How far the shared storage is ahead of this shifter: the frames of the
    // call its owner stored and the shifter has not yet.
    unsigned long sharedAhead() const noexcept { return callFrames - storedFrames; }
    void startCall (unsigned long n) noexcept
    {
        callFrames = n;
        storedFrames = 0;
        bandTouched = false;
    }
    // Own storage from the shared one, as it was before the frames of the
    // current call not yet stored.
    void adoptShared() noexcept;
    // The storage starts over on its own (it no longer matches the shared one).
    void ownFromNow() noexcept;
    // rest's part for a shifter that stops.
    void restAndStore (const float* x, unsigned long n) noexcept;
    // Stores x (non-finite samples as silence).
    void store (const float* x, unsigned long n) noexcept;
    DelayRead reader;

    std::vector<float> defaultWindow;  // used while no window buffer is set
};
