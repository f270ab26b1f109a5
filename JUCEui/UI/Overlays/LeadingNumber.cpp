#include "UI/Overlays/LeadingNumber.h"

#include <cstdlib>
#include <locale.h>
#include <string>
#if JUCE_MAC
 #include <xlocale.h>
#endif

double LeadingNumber::read (const juce::String& text)
{
    auto p = text.getCharPointer();
    p.incrementToEndOfWhitespace();

    // Only the characters of a plain decimal number reach strtod, so it never
    // reads hexadecimal, "inf" or "nan".
    std::string number;
    if (*p == '+' || *p == '-')
        number += static_cast<char> (p.getAndAdvance());
    int digits = 0;
    for (; p.isDigit(); ++digits)
        number += static_cast<char> (p.getAndAdvance());
    if (*p == '.')
    {
        number += static_cast<char> (p.getAndAdvance());
        for (; p.isDigit(); ++digits)
            number += static_cast<char> (p.getAndAdvance());
    }
    if (digits == 0)
        return 0.0;

    if (*p == 'e' || *p == 'E')
    {
        auto exponent = p + 1;
        std::string sign;
        if (*exponent == '+' || *exponent == '-')
            sign = static_cast<char> (exponent.getAndAdvance());
        if (exponent.isDigit())
        {
            number += "e" + sign;
            while (exponent.isDigit())
                number += static_cast<char> (exponent.getAndAdvance());
        }
    }

    static const locale_t cLocale = newlocale (LC_ALL_MASK, "C", nullptr);
    return strtod_l (number.c_str(), nullptr, cLocale);
}
