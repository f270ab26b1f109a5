#include "AllocationInterceptor.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

// The counters live in static TLS (initial-exec): reading them never allocates,
// which matters because they are read from inside malloc itself.
namespace
{
__attribute__ ((tls_model ("initial-exec"))) thread_local bool counting = false;
__attribute__ ((tls_model ("initial-exec"))) thread_local std::size_t allocations = 0;

inline void noteAllocation() noexcept
{
    if (counting)
        ++allocations;
}
} // namespace

#if ! defined(VANTREL_HOSTTEST_NO_INTERCEPT)

// glibc's own entry points, which our replacements forward to. Defining malloc
// and friends in the executable makes every shared object of the process,
// dlopen()ed plug-ins included, call these through symbol interposition.
extern "C"
{
void* __libc_malloc (std::size_t);
void* __libc_calloc (std::size_t, std::size_t);
void* __libc_realloc (void*, std::size_t);
void* __libc_memalign (std::size_t, std::size_t);
void __libc_free (void*);

void* malloc (std::size_t size)
{
    noteAllocation();
    return __libc_malloc (size);
}

void* calloc (std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc (count, size);
}

void* realloc (void* pointer, std::size_t size)
{
    noteAllocation();
    return __libc_realloc (pointer, size);
}

void free (void* pointer)
{
    __libc_free (pointer);
}

void* memalign (std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

void* aligned_alloc (std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign (alignment, size);
}

int posix_memalign (void** result, std::size_t alignment, std::size_t size)
{
    noteAllocation();

    if (alignment < sizeof (void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;

    void* pointer = __libc_memalign (alignment, size);

    if (pointer == nullptr)
        return ENOMEM;

    *result = pointer;
    return 0;
}
} // extern "C"

#endif

namespace hosttest
{
ScopedAllocationCount::ScopedAllocationCount() noexcept
    : start (allocations), wasCounting (counting)
{
    counting = true;
}

ScopedAllocationCount::~ScopedAllocationCount() noexcept
{
    counting = wasCounting;
}

std::size_t ScopedAllocationCount::count() const noexcept
{
    return allocations - start;
}

bool ScopedAllocationCount::isAvailable() noexcept
{
#if defined(VANTREL_HOSTTEST_NO_INTERCEPT)
    return false;
#else
    return true;
#endif
}
} // namespace hosttest
