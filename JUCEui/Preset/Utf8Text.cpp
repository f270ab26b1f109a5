#include "Preset/Utf8Text.h"

#include <cstring>

namespace Utf8Text
{
bool isValid (const char* bytes, std::size_t size) noexcept
{
    const auto* s = reinterpret_cast<const unsigned char*> (bytes);
    auto continuation = [&] (std::size_t at, unsigned char low = 0x80, unsigned char high = 0xbf) {
        return at < size && s[at] >= low && s[at] <= high;
    };

    for (std::size_t i = 0; i < size;)
    {
        const unsigned char c = s[i];
        if (c == 0)
            return false;
        if (c < 0x80)
        {
            ++i;
            continue;
        }

        // The second byte's range excludes overlong forms (E0, F0),
        // surrogates (ED) and code points above U+10FFFF (F4).
        int length = 0;
        unsigned char low = 0x80, high = 0xbf;
        if (c >= 0xc2 && c <= 0xdf)
            length = 2;
        else if (c >= 0xe0 && c <= 0xef)
        {
            length = 3;
            low = c == 0xe0 ? 0xa0 : 0x80;
            high = c == 0xed ? 0x9f : 0xbf;
        }
        else if (c >= 0xf0 && c <= 0xf4)
        {
            length = 4;
            low = c == 0xf0 ? 0x90 : 0x80;
            high = c == 0xf4 ? 0x8f : 0xbf;
        }
        else
            return false;

        if (! continuation (i + 1, low, high))
            return false;
        for (int k = 2; k < length; ++k)
            if (! continuation (i + static_cast<std::size_t> (k)))
                return false;
        i += static_cast<std::size_t> (length);
    }
    return true;
}

bool isValid (const juce::String& text) noexcept
{
    const char* raw = text.toRawUTF8();
    return isValid (raw, std::strlen (raw));
}
} // namespace Utf8Text
