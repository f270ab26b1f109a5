#pragma once

// Internal to the vector layer: the transcendental loops, built once for the
// x86-64 baseline (SSE2, with SLEEF choosing SSE4.1 at run time) and once for
// AVX2 + FMA. SignalProcessing picks one set when the library loads.
namespace TranscendentalKernels
{
struct Table
{
    void (*cos) (const float*, float*, unsigned long) noexcept;
    void (*sin) (const float*, float*, unsigned long) noexcept;
    void (*tanh) (const float*, float*, unsigned long) noexcept;
    void (*exp) (const float*, float*, unsigned long) noexcept;
    void (*log) (const float*, float*, unsigned long) noexcept;
    void (*log10) (const float*, float*, unsigned long) noexcept;
    void (*trunc) (const float*, float*, unsigned long) noexcept;
    void (*pow) (const float* x, const float* e, float*, unsigned long) noexcept;
    void (*fmod) (const float* a, const float* b, float*, unsigned long) noexcept;
};

const Table& baseline() noexcept;
const Table& avx2() noexcept;
} // namespace TranscendentalKernels
