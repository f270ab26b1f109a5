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
} // namespace

std::optional<double> LeadingNumber::read (const juce::String& text)
{
    juce::String rest;
    return read (text, rest);
}

std::optional<double> LeadingNumber::read (const juce::String& text, juce::String& rest)
{
    rest = {};
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
    // "0x10" is hexadecimal, which is not read: no number rather than 0.
    const bool hexadecimal = digits == 1 && number.back() == '0' && (*p == 'x' || *p == 'X');
    if (digits == 0 || hexadecimal)
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
            p = exponent;
        }
    }
    // The rest as the bytes it is: text that is valid but not in shortest
    // form (an overlong sequence) would be sized by its characters and
    // copied by its bytes, past the end of the copy.
    rest = juce::String (p, text.getCharPointer().findTerminatingNull());

    static const locale_t cLocale = newlocale (LC_ALL_MASK, "C", nullptr);
    return strtod_l (number.c_str(), nullptr, cLocale);
}
