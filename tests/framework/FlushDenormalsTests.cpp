// Flushing denormals is scoped: whatever the blocks nest, the caller gets its
// own floating-point mode back, and subnormal results vanish only inside.
#include "Math/Accelerate/ScopedFlushDenormals.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace
{
// A product below the smallest normal float: subnormal, or 0 when flushed.
float tiny()
{
    volatile float a = FLT_MIN;
    volatile float b = 0.25f;
    return a * b;
}
} // namespace

#if defined(VANTREL_DENORMALS_SSE)
TEST (FlushDenormals, NestedScopesFlushInsideAndRestoreTheCallersMode)
{
    const unsigned int original = _mm_getcsr();
    const unsigned int flushBits = 0x8040;
    // The control bits; the low six are exception flags that arithmetic sets.
    auto mode = [] { return _mm_getcsr() & 0xffc0u; };

    _mm_setcsr (original & ~flushBits);
    EXPECT_NE (0.0f, tiny());
    {
        const ScopedFlushDenormals outer;
        EXPECT_EQ (0.0f, tiny());
        {
            const ScopedFlushDenormals inner;
            EXPECT_EQ (0.0f, tiny());
        }
        EXPECT_EQ (0.0f, tiny()); // the inner scope leaves the outer one's mode
    }
    EXPECT_EQ (original & ~flushBits & 0xffc0u, mode());
    EXPECT_NE (0.0f, tiny());

    // A caller that flushes already keeps flushing afterwards.
    _mm_setcsr (original | flushBits);
    {
        const ScopedFlushDenormals scope;
        EXPECT_EQ (0.0f, tiny());
    }
    EXPECT_EQ ((original | flushBits) & 0xffc0u, mode());

    _mm_setcsr (original);
}
#endif
