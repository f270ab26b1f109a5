#pragma once

#include "Math/Accelerate/VectorKernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// A test of the vector layer's fast forms, run once on every Highway target
// this CPU runs (AVX2, SSE4, SSSE3 and the one-lane form on a current x86
// machine; what an emulated CPU has under QEMU), each checked against the
// plain forms. Each test executable instantiates it once (framework tests:
// SignalProcessingTests.cpp; DSP tests: DelayReadTests.cpp), named by target:
// INSTANTIATE_TEST_SUITE_P (EveryTarget, VectorTargets, VectorTargets::all(), VectorTargets::name);
class VectorTargets : public testing::TestWithParam<std::int64_t>
{
public:
    static auto all() { return testing::ValuesIn (VectorKernels::targetsThisCpuRuns()); }
    static std::string name (const testing::TestParamInfo<std::int64_t>& info) { return VectorKernels::targetName (info.param); }

protected:
    void SetUp() override { VectorKernels::useOnlyTarget (GetParam()); }
    void TearDown() override { VectorKernels::useOnlyTarget (0); }
};
