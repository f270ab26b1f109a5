#include "UI/Overlays/LeadingNumber.h"

#include <cstdlib>
#include <locale.h>
#include <string>
#if JUCE_MAC
 #include <xlocale.h>
#endif

namespace
{
constexpr juce::juce_wchar typographicMinus = 0x2212;
}

std::optional<double> LeadingNumber::read (const juce::String& text)
{
    auto p = text.getCharPointer();
    p.incrementToEndOfWhitespace();

    // Only the characters of a plain decimal number reach strtod, so it never
    // reads hexadecimal, "inf" or "nan".
    std::string number;
    if (*p == '+' || *p == '-' || *p == typographicMinus)
        number += p.getAndAdvance() == '+' ? '+' : '-';
    int digits = 0;
    for (; p.isDigit(); ++digits)
        number += static_cast<char> (p.getAndAdvance());
    // A comma is the decimal separator of many languages: "7,5" is 7.5.
    if (*p == '.' || *p == ',')
    {
        ++p;
        number += '.';
        for (; p.isDigit(); ++digits)
            number += static_cast<char> (p.getAndAdvance());
    }
    if (digits == 0 || (number.back() == '0' && digits == 1 && (*p == 'x' || *p == 'X')))
        return std::nullopt;

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
