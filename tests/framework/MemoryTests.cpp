#include "Math/Memory.h"

#include <gtest/gtest.h>
#include <vector>

TEST (Memory, CopyTakesSourceFirstAndHandlesOverlap)
{
    std::vector<float> a { 1, 2, 3, 4, 5 };
    std::vector<float> b (5, 0.0f);
    Memory::copy (a.data(), b.data(), 5);
    EXPECT_EQ (a, b);
    Memory::copy (a.data(), a.data() + 1, 4);
    EXPECT_EQ ((std::vector<float> { 1, 1, 2, 3, 4 }), a);
}
