#include "Kernel/InputSanitiser.h"

#include "Math/Accelerate/VectorClones.h"

#include <algorithm>
#include <cmath>

namespace InputSanitiser
{
KARVON_VECTOR_CLONES
void copy (const float* input, float* output, unsigned long n) noexcept
{
    if (input == nullptr)
    {
        std::fill (output, output + n, 0.0f);
        return;
    }
    for (unsigned long i = 0; i < n; ++i)
    {
        const float x = input[i];
        const float magnitude = std::fabs (x);
        // Written as selects rather than branches so that the loop vectorises;
        // NaN fails every comparison and falls through to 0.
        const float limited = std::copysign (kLargestSample, x);
        const float finite = magnitude <= kLargestSample ? x : limited;
        output[i] = magnitude <= 3.402823466e38f ? finite : 0.0f;
    }
}
} // namespace InputSanitiser
