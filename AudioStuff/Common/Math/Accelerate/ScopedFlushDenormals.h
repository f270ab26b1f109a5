#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define VANTREL_DENORMALS_SSE 1
#elif defined(__aarch64__)
#include <cstdint>
#define VANTREL_DENORMALS_ARM64 1
#endif

// Flushes denormal results and operands to zero for the lifetime of the
// object and restores the caller's mode afterwards. A reverb tail decaying
// into silence otherwise spends seconds computing on denormals, which costs
// many times the work of a loud signal. The processor does the same around
// its render call; the kernel does it too so that every driver (tools,
// tests, benchmarks) renders at the same cost. Only a control register is
// touched: no system call.
class ScopedFlushDenormals
{
public:
    ScopedFlushDenormals() noexcept
    {
#if defined(VANTREL_DENORMALS_SSE)
        // Blocks nest these scopes (the kernel around its blocks): writing
        // the control register is the costly part, so it is written only
        // when the mode actually changes, and restored only then.
        saved = _mm_getcsr();
        changed = (saved & (flushToZero | denormalsAreZero)) != (flushToZero | denormalsAreZero);
        if (changed)
            _mm_setcsr (saved | flushToZero | denormalsAreZero);
#elif defined(VANTREL_DENORMALS_ARM64)
        asm volatile ("mrs %0, fpcr" : "=r"(saved));
        const std::uint64_t flushing = saved | (std::uint64_t { 1 } << 24);
        asm volatile ("msr fpcr, %0" : : "r"(flushing));
#endif
    }

    ~ScopedFlushDenormals() noexcept
    {
#if defined(VANTREL_DENORMALS_SSE)
        if (changed)
            _mm_setcsr (saved);
#elif defined(VANTREL_DENORMALS_ARM64)
        asm volatile ("msr fpcr, %0" : : "r"(saved));
#endif
    }

    ScopedFlushDenormals (const ScopedFlushDenormals&) = delete;
    ScopedFlushDenormals& operator= (const ScopedFlushDenormals&) = delete;

private:
#if defined(VANTREL_DENORMALS_SSE)
    static constexpr unsigned int flushToZero = 0x8000;
    static constexpr unsigned int denormalsAreZero = 0x0040;
    unsigned int saved = 0;
    bool changed = false;
#elif defined(VANTREL_DENORMALS_ARM64)
    std::uint64_t saved = 0;
#endif
};
