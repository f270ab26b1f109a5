#pragma once

#include <cstddef>

// Counts heap allocations made by the calling thread while a scope is active.
// The test executables replace the global operator new/delete (see the .cpp),
// so anything the audio path allocates through C++ is seen here.
namespace testsupport
{
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter() noexcept;
    ~ScopedAllocationCounter() noexcept;
    ScopedAllocationCounter (const ScopedAllocationCounter&) = delete;
    ScopedAllocationCounter& operator= (const ScopedAllocationCounter&) = delete;

    // Allocations (new, new[], aligned new) by this thread since construction.
    std::size_t allocations() const noexcept;
    // Deallocations by this thread since construction.
    std::size_t deallocations() const noexcept;
    // Heap bytes this thread allocated since construction and still holds
    // (as the allocator counts them: each block's usable size). Negative when
    // it freed more than it allocated.
    long long liveBytes() const noexcept;

private:
    std::size_t startAllocations;
    std::size_t startDeallocations;
    long long startLiveBytes;
    bool wasCounting;
};
} // namespace testsupport
