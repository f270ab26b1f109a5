#include "UI/VersionHelper.h"

#include <limits>
#include <sstream>

namespace VersionHelper
{
bool parse (int* components, const std::string& text)
{
    components[0] = components[1] = components[2] = 0;

    std::istringstream stream (text);
    for (int i = 0; i < 3; ++i)
    {
        if (i > 0)
        {
            char separator = 0;
            stream.get (separator);
        }
        // A failed extraction stores 0 and stops the stream, so every later
        // component stays 0. A number too large for an int also fails, but
        // stores the nearest limit: the whole text is then no version, rather
        // than a huge one.
        if (! (stream >> components[i]))
        {
            const bool overflowed = components[i] == std::numeric_limits<int>::max()
                                    || components[i] == std::numeric_limits<int>::min();
            if (overflowed)
                components[0] = components[1] = components[2] = 0;
            return ! overflowed;
        }
    }
    return true;
}

bool lessThanVersion (const std::string& a, const std::string& b)
{
    int va[3];
    int vb[3];
    if (! parse (va, a) || ! parse (vb, b))
        return false;
    for (int i = 0; i < 3; ++i)
    {
        if (va[i] < vb[i])
            return true;
        if (vb[i] < va[i])
            return false;
    }
    return false;
}
} // namespace VersionHelper
