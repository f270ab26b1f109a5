#pragma once

#include <array>

// Two biquad sections in series (each in transposed direct form) run as one
// fourth-order recursion in state-space form, four samples at a time
// (VectorKernels::stateBlocks). A section's output waits on its previous
// one, so two sections in series put a multiply and a subtraction per sample
// on the critical path; a block of four waits only on the previous block's
// states. The samples are those of the two sections up to rounding.
//
// The blocks lie on the stream: the first starts at the first sample after
// a clear or a start. A call that ends inside a block gives that block's
// first outputs from the inputs so far (an output never depends on a later
// input) and finishes it in the next call, so the samples do not depend on
// how the calls are cut.
class FourthOrderBlocks
{
public:
    using Section = std::array<float, 5>; // b0, b1, b2, a1, a2

    // The sections, the states left as they are.
    void setSections (const Section& first, const Section& second) noexcept;
    // New sections, as plain sections would take them over: the last inputs
    // and outputs of each section carry on (the first's outputs recovered
    // from its states).
    void changeSections (const Section& first, const Section& second) noexcept;
    // As if both sections had run on the inputs x1, x2 (newest first), and
    // the first had given u1, u2 and the second y1, y2.
    void startFrom (double x1, double x2, double u1, double u2, double y1, double y2) noexcept;
    // Silence, and a new grid from the next sample.
    void clear() noexcept;

    // n samples from in into out (out may be in).
    void process (const float* in, float* out, unsigned long n) noexcept;
    // process of two, in one pass where their blocks are at the same place.
    static void processPair (FourthOrderBlocks& left, FourthOrderBlocks& right, float* xl, float* xr, unsigned long n) noexcept;

private:
    // The block matrices of the two sections in series (VectorKernels.h).
    void buildMatrices() noexcept;
    // n samples of count (1 or 2) recursions with the same block in progress.
    static void run (FourthOrderBlocks* const* f, const float* const* in, float* const* out, int count, unsigned long n) noexcept;
    void finishCall (unsigned long n) noexcept;

    Section first {}, second {};
    alignas (16) std::array<float, 64> matrices {};
    // The states (z0, z1 of the first section, z2, z3 of the second) before
    // the block in progress, and that block's inputs so far.
    std::array<float, 4> state {};
    std::array<float, 4> held {};
    unsigned long heldCount = 0;
    // The last two inputs and outputs, newest first.
    float in[2] {}, out[2] {};
    unsigned long framesRun = 0;
};
