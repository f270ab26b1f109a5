#pragma once

#include "ProcessBlock/Filters/FourthOrderBlocks.h"

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
// The two sections run as one fourth-order recursion four samples at a time
// (FourthOrderBlocks), its blocks on the stream from the band's start (a
// chunk's start, and a chunk is whole blocks).
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
    FourthOrderBlocks blocks;
    float designedRatio = 0.0f;
    bool on = false;
    bool fading = false;
    std::vector<float> filtered; // the filtered input while fading out
};
