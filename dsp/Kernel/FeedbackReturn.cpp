#include "Kernel/FeedbackReturn.h"

#include <algorithm>

FeedbackReturn::FeedbackReturn()
    : ring (kSize, 0.0f)
{
}

void FeedbackReturn::clear() noexcept
{
    std::fill (ring.begin(), ring.end(), 0.0f);
    writeIndex = 0;
}

void FeedbackReturn::read (float* out, unsigned long n) const noexcept
{
    n = std::min (n, kLatency);
    const unsigned long start = (writeIndex + kSize - kLatency) & (kSize - 1);
    const unsigned long first = std::min (n, kSize - start);
    std::copy_n (ring.data() + start, first, out);
    std::copy_n (ring.data(), n - first, out + first);
}

void FeedbackReturn::write (const float* in, unsigned long n) noexcept
{
    n = std::min (n, kLatency);
    const unsigned long first = std::min (n, kSize - writeIndex);
    if (in != nullptr)
    {
        std::copy_n (in, first, ring.data() + writeIndex);
        std::copy_n (in + first, n - first, ring.data());
    }
    else
    {
        std::fill_n (ring.data() + writeIndex, first, 0.0f);
        std::fill_n (ring.data(), n - first, 0.0f);
    }
    writeIndex = (writeIndex + n) & (kSize - 1);
}
