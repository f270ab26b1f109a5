#include "MemoryProbe.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

namespace profile
{
MemoryProbe MemoryProbe::now()
{
    MemoryProbe probe;
    const auto info = mallinfo2();
    probe.heapBytes = info.uordblks + info.hblkhd;

    if (std::FILE* statm = std::fopen ("/proc/self/statm", "r"))
    {
        unsigned long size = 0, resident = 0;
        if (std::fscanf (statm, "%lu %lu", &size, &resident) == 2)
            probe.residentBytes = resident * static_cast<std::size_t> (sysconf (_SC_PAGESIZE));
        std::fclose (statm);
    }
    return probe;
}
} // namespace profile
