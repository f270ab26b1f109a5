#pragma once

#include <array>
#include <vector>

// What a shift up by a ratio r would carry past Nyquist, removed from the
// shifter's input before it is stored: the taps read the storage r times
// faster than it was written, so anything above Nyquist / r would fold back
// down as an inharmonic tone. A fourth-order elliptic low-pass (two sections)
// flat within +-0.35 dB up to 0.8 Nyquist / r and at least 62 dB down from
// 2.71 times that edge (frequencies warped as the sections see them): what
// would still fold lands well above the 5 kHz band limit after the shift.
// Shifting down (r <= 1) folds nothing and leaves the input untouched.
//
// The two sections run as one fourth-order recursion in state-space form,
// four samples at a time (VectorKernels::stateBlocks): a section's output
// waits on its previous one, so two sections in series cost a multiply and
// a subtraction per sample on the critical path, where a block of four waits
// only on the previous block's states. The blocks lie on the stream (the
// band starts at a chunk's start, and a chunk is whole blocks): a call that
// ends inside a block gives that block's first samples from the inputs so
// far and finishes it in the next call, so the samples do not depend on how
// the calls are cut.
//
// The band is decided at each chunk's start, as the interval is. It starts
// as if it had been running on the last stored samples, so that switching it
// in is not a step; switching it out fades from the filtered input to the
// plain one over the chunk, so that the group delay it leaves behind is not
// a step either.
class UpwardBandLimit
{
public:
    UpwardBandLimit();

    // At a chunk's start: the band for a shift by `ratio`. newest and older
    // are the last two samples stored before it.
    void beginChunk (float ratio, float newest, float older) noexcept;
    // Off at once, silent (a cleared or resting shifter).
    void stop() noexcept;
    // Whether process changes the input in the current chunk, and whether it
    // does so as a plain filter (not fading out).
    bool running() const noexcept { return on; }
    bool steady() const noexcept { return on && ! fading; }

    // In place; x[0] lies at frame `position` of the chunk, and the n frames
    // do not cross its end.
    void process (float* x, unsigned long n, unsigned long position) noexcept;
    // process of two steady bands on two buffers, in one pass.
    static void processPair (UpwardBandLimit& left, UpwardBandLimit& right, float* xl, float* xr, unsigned long n) noexcept;

    // Sections (b0, b1, b2, a1, a2) for a shift up by `ratio` (> 1).
    static void design (float ratio, std::array<float, 5>& first, std::array<float, 5>& second) noexcept;

private:
    // The states (z0, z1 of the first section, z2, z3 of the second; each
    // section's transposed direct form) before the block in progress, and
    // that block's inputs so far.
    struct Recursion
    {
        std::array<float, 4> state {};
        std::array<float, 4> held {};
        unsigned long heldCount = 0;
        // The last two inputs and outputs, newest first: a change of ratio
        // carries the sections' histories over, as plain sections would.
        float in[2] {}, out[2] {};
        unsigned long framesRun = 0;
    };

    // The block matrices of the two sections in series (VectorKernels.h).
    static void blockMatrices (const std::array<float, 5>& first, const std::array<float, 5>& second,
                               std::array<float, 64>& m) noexcept;
    // The states that the sections' last inputs x, outputs y and, between
    // them, the first section's outputs u give.
    void startFrom (double x1, double x2, double u1, double u2, double y1, double y2) noexcept;
    // n samples of count (1 or 2) bands with the same block in progress,
    // from in into out (out may be in).
    static void run (UpwardBandLimit* const* bands, const float* const* in, float* const* out, int count, unsigned long n) noexcept;
    void finishCall (unsigned long n) noexcept;

    std::array<float, 5> firstSection {}, secondSection {};
    alignas (16) std::array<float, 64> matrices {};
    Recursion recursion;
    float designedRatio = 0.0f;
    bool on = false;
    bool fading = false;
    std::vector<float> filtered; // the filtered input while fading out
};
