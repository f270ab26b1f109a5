#include "Kernel/VantrelDSPKernel.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace
{
// Heap that a kernel holds after construction and its first prepare (init
// and setup, as the processor runs them) at `rate`, stereo.
long long heldAfterPrepare (double rate)
{
    // Kernels are built before counting, so that what is allocated once per
    // process (on first use) is not counted as the kernel's.
    static const bool warm = [] { VantrelDSPKernel().init (2, 48000.0); return true; }();
    (void) warm;
    testsupport::ScopedAllocationCounter counter;
    auto kernel = std::make_unique<VantrelDSPKernel>();
    kernel->init (2, rate);
    kernel->setup();
    return counter.liveBytes();
}
} // namespace

// What one instance's engine allocates. The README's memory table quotes
// these figures (with the processor's share, measured by vantrel-profile).
TEST (KernelMemory, OneInstanceHoldsAtMostSixteenMegabytesAt48kHz)
{
    long long held[4] {};
    const double rates[4] { 44100.0, 48000.0, 96000.0, 192000.0 };
    for (int i = 0; i < 4; ++i)
    {
        held[i] = heldAfterPrepare (rates[i]);
        std::printf ("kernel at %6.0f Hz: %.2f MB\n", rates[i], static_cast<double> (held[i]) / 1.0e6);
    }
    EXPECT_LE (held[1], 16'000'000);
    // The sample-rate-dependent storage grows with the rate, the rest does not.
    EXPECT_LT (held[0], held[1]);
    EXPECT_LT (held[1], held[2]);
    EXPECT_LT (held[2], held[3]);
    EXPECT_LT (held[3], 4 * held[1]);
}

TEST (KernelMemory, PreparingAgainReplacesTheStorageInsteadOfAddingToIt)
{
    // What is allocated once per process (on first use) is not the kernel's.
    heldAfterPrepare (48000.0);

    testsupport::ScopedAllocationCounter counter;
    auto kernel = std::make_unique<VantrelDSPKernel>();
    kernel->init (2, 48000.0);
    kernel->setup();
    const auto first = counter.liveBytes();
    kernel->init (2, 192000.0);
    kernel->setup();
    kernel->init (2, 48000.0);
    kernel->setup();
    // Back at 48 kHz it holds what it held there first, not the storage of
    // the higher rate (the allocator may round a block differently).
    EXPECT_NEAR (static_cast<double> (counter.liveBytes()), static_cast<double> (first), 1024.0);
    kernel.reset();
    EXPECT_NEAR (static_cast<double> (counter.liveBytes()), 0.0, 1024.0);
}
