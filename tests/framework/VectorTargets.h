#pragma once

#include "Math/Accelerate/VectorKernels.h"

#include <gtest/gtest.h>

#include <cstdint>

// A test of the vector layer's fast forms, run once on every Highway target
// this CPU runs (AVX2, SSE4, SSSE3 and the one-lane form on a current x86
// machine; what an emulated CPU has under QEMU), each checked against the
// plain forms. Instantiated in SignalProcessingTests.cpp.
class VectorTargets : public testing::TestWithParam<std::int64_t>
{
protected:
    void SetUp() override { VectorKernels::useOnlyTarget (GetParam()); }
    void TearDown() override { VectorKernels::useOnlyTarget (0); }
};
