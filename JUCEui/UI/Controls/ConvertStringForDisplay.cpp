#include "UI/Controls/ConvertStringForDisplay.h"

std::string convertStringForDislay (std::string s)
{
    std::string result;
    result.reserve (s.size() * 2);
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        const char c = s[i];
        if (i > 0 && c >= 'A' && c <= 'Z')
            result.push_back (' ');
        result.push_back (c);
    }
    for (auto& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char> (c - 'a' + 'A');
    return result;
}
