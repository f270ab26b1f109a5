// The version service's reply, read and compared with the product's version.
#include "UI/VersionHelper.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const std::string reply (reinterpret_cast<const char*> (data), size);
    int components[3] = { -1, -1, -1 };
    const bool valid = VersionHelper::parse (components, reply);
    const bool newer = VersionHelper::lessThanVersion ("1.1.0", reply);
    const bool older = VersionHelper::lessThanVersion (reply, "1.1.0");

    const bool zero = components[0] == 0 && components[1] == 0 && components[2] == 0;
    if ((! valid && (! zero || newer || older)) || (newer && older) || VersionHelper::lessThanVersion (reply, reply))
    {
        std::fprintf (stderr, "finding: inconsistent version reading\n");
        std::abort();
    }
    return 0;
}
