#include "Kernel/InputSanitiser.h"

#include "Math/Accelerate/SignalProcessing.h"

namespace InputSanitiser
{
void copy (const float* input, float* output, unsigned long n) noexcept
{
    if (input == nullptr)
    {
        SignalProcessing::clear (output, n);
        return;
    }
    // Non-finite samples become 0 first, so that the limits never see a NaN.
    SignalProcessing::finite (input, output, n);
    SignalProcessing::clip (output, -kLargestSample, kLargestSample, output, n);
}
} // namespace InputSanitiser
