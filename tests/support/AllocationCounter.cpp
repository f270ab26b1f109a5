#include "AllocationCounter.h"

#include <cstdlib>
#include <malloc.h>
#include <new>

namespace
{
thread_local bool counting = false;
thread_local std::size_t allocationCount = 0;
thread_local std::size_t deallocationCount = 0;
thread_local long long liveByteCount = 0;

void* counted (void* p) noexcept
{
    if (p != nullptr && counting)
    {
        ++allocationCount;
        liveByteCount += static_cast<long long> (malloc_usable_size (p));
    }
    return p;
}

void* allocate (std::size_t size)
{
    if (size == 0)
        size = 1;
    if (void* p = counted (std::malloc (size)))
        return p;
    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    const auto align = static_cast<std::size_t> (alignment);
    const auto rounded = ((size == 0 ? 1 : size) + align - 1) / align * align;
    if (void* p = counted (std::aligned_alloc (align, rounded)))
        return p;
    throw std::bad_alloc();
}

void release (void* p) noexcept
{
    if (p == nullptr)
        return;
    if (counting)
    {
        ++deallocationCount;
        liveByteCount -= static_cast<long long> (malloc_usable_size (p));
    }
    std::free (p);
}
} // namespace

namespace testsupport
{
ScopedAllocationCounter::ScopedAllocationCounter() noexcept
    : startAllocations (allocationCount), startDeallocations (deallocationCount), startLiveBytes (liveByteCount),
      wasCounting (counting)
{
    counting = true;
}

ScopedAllocationCounter::~ScopedAllocationCounter() noexcept { counting = wasCounting; }

std::size_t ScopedAllocationCounter::allocations() const noexcept { return allocationCount - startAllocations; }
std::size_t ScopedAllocationCounter::deallocations() const noexcept { return deallocationCount - startDeallocations; }
long long ScopedAllocationCounter::liveBytes() const noexcept { return liveByteCount - startLiveBytes; }
} // namespace testsupport

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void operator delete (void* p) noexcept { release (p); }
void operator delete[] (void* p) noexcept { release (p); }
void operator delete (void* p, std::size_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t) noexcept { release (p); }
void operator delete (void* p, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { release (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { release (p); }
