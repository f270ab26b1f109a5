#include "UI/VersionHelper.h"

#include <sstream>

namespace VersionHelper
{
void parse (int* components, const std::string& text)
{
    components[0] = components[1] = components[2] = 0;

    std::istringstream stream (text);
    char separator = 0;
    // A failed extraction stores 0 (or the nearest limit for a number too
    // large for an int) and stops the stream, so every later component stays 0.
    stream >> components[0];
    stream.get (separator);
    stream >> components[1];
    stream.get (separator);
    stream >> components[2];
}

bool lessThanVersion (const std::string& a, const std::string& b)
{
    int va[3];
    int vb[3];
    parse (va, a);
    parse (vb, b);
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
