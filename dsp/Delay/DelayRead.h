#pragma once

#include "Delay/DelayWrite.h"
#include "Math/Accelerate/VectorKernels.h"

// A block reader of one channel's DelayWrite with a fractional delay per
// sample, in one of two placements:
//
// - before the block is written (lines inside a feedback loop, whose input
//   depends on what they read): the read sits 64 samples behind the requested
//   delay (the storage keeps that margin), plus one sample in Lagrange mode,
//   whose four-point kernel is centred one sample late; the requested delay
//   is at least kLoopFloor samples, a constant, so that the delay heard never
//   depends on the block length;
// - after the block is written (feed-forward lines): the delay heard is the
//   delay requested, down to 0 samples (1 in Lagrange mode).
class DelayRead
{
public:
    static constexpr int Linear = 1;
    static constexpr int Lagrange = 2; // third order, the default

    // Shortest delay of a read before the write, in samples: the kernel's
    // grid length, the longest block it reads at once. Longer blocks (only
    // outside the kernel) raise it to what they need, n - 64.
    static constexpr unsigned long kLoopFloor = 256;

    // Read before the block is written: out[i] = the signal of `w` delayed by
    // timeSeconds[i] (at least kLoopFloor samples, at most what the storage
    // holds) plus the fixed offset, for i < n. Non-finite times read at the
    // shortest delay. out may be timeSeconds.
    void process (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept;
    // The same with times in ms: each is taken x 0.001 to seconds and then
    // read exactly as process reads it.
    void processMilliseconds (const float* timeMs, float* out, const DelayWrite& w, unsigned long n) noexcept;

    // Read after the last n samples were written to `w`: out[i] = the i-th of
    // them delayed by exactly timeSeconds[i] (0 and up, at most what the
    // storage holds). Non-finite times read at delay 0.
    void processAfterWrite (const float* timeSeconds, float* out, const DelayWrite& w, unsigned long n) noexcept;
    void processMillisecondsAfterWrite (const float* timeMs, float* out, const DelayWrite& w, unsigned long n) noexcept;

    // Two taps of `channels` (1 or 2) storages written alike (the same size
    // and write position), after the write, in one pass: out[c] = weightA[i]
    // tapA + weightB[i] tapB, with tapA and tapB what processAfterWrite gives
    // at timeA and timeB (seconds) on storages[c]. Returns false and does
    // nothing where no one-pass form applies (storages that differ, Lagrange
    // reads, a block that is not a multiple of 8); the caller then reads tap
    // by tap.
    bool processWindowedTapsAfterWrite (const float* timeA, const float* timeB, const float* weightA,
                                        const float* weightB, const DelayWrite* const* storages, float* const* out,
                                        int channels, unsigned long n) noexcept;

    // processMilliseconds of `count` (at most 8) storages written alike (the
    // same size and write position), each at its own times, in one call
    // with this reader's rate and interpolation: the same samples as count
    // calls. Storages next to each other with the same time pointer share
    // their positions. Returns false and does nothing where no one-pass
    // form applies (storages that differ, Lagrange reads, a block that is
    // not a multiple of 8); the caller then reads one by one.
    bool processMillisecondsAlike (const float* const* timeMs, float* const* out, const DelayWrite* const* storages,
                                   int count, unsigned long n) noexcept;
    // The same for reads after the write, as processMillisecondsAfterWrite.
    bool processMillisecondsAfterWriteAlike (const float* const* timeMs, float* const* out,
                                             const DelayWrite* const* storages, int count, unsigned long n) noexcept;

    int interpolationMode = Lagrange;
    float sampleRate = 44100.0f;

private:
    // Where sample 0 of an n-sample read sits, the delays it may take, and
    // this reader's rate, for times in units of toSeconds seconds (1 or 0.001).
    VectorKernels::DelayReach reachFor (const DelayWrite& w, unsigned long n, bool afterWrite, float toSeconds) const noexcept;
    // Whether `count` storages can be read in one vector pass of n samples
    // (linear reads, n a multiple of 8, storages of one size written alike);
    // fills data[0 .. count - 1] with their samples when they can.
    bool onePass (const DelayWrite* const* storages, int count, unsigned long n, const float** data) const noexcept;
    bool readAlike (const float* const* timeMs, float* const* out, const DelayWrite* const* storages, int count,
                    unsigned long n, bool afterWrite) noexcept;

    // Each sample is read in one pass (delay, position, taps and
    // interpolation together): the reader needs no scratch memory, and the
    // per-sample arithmetic is the same sequence of operations whatever the
    // block length. Whole vectors through the vector layer, the rest here.
    void read (const float* time, float toSeconds, float* out, const DelayWrite& w, unsigned long n,
               bool afterWrite) noexcept;
};
