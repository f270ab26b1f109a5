#include "LookAndFeel/CommonLookAndFeel.h"

#include "LookAndFeel/Palette.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <locale>
#include <sstream>

namespace
{
constexpr int rateInHzFlag = 0x10;

// Milliseconds, switching to seconds with one decimal from one second on.
std::string millisecondsText (float milliseconds)
{
    if (milliseconds >= 1000.0f)
        return CommonLookAndFeel::stringWithDecimals (milliseconds / 1000.0f, 1) + "s";
    return CommonLookAndFeel::stringWithDecimals (milliseconds, 0) + "ms";
}
} // namespace

CommonLookAndFeel::CommonLookAndFeel()
    : mainColor (Karvon::blue)
{
}

juce::Font CommonLookAndFeel::getValueFont() const
{
    return Karvon::getFontLight().withHeight (20.0f);
}

std::string CommonLookAndFeel::stringWithDecimals (float value, int decimals)
{
    std::ostringstream stream;
    // The host's global locale must not turn the point into a comma.
    stream.imbue (std::locale::classic());
    stream.setf (std::ios::fixed, std::ios::floatfield);
    stream.precision (decimals < 0 ? 0 : decimals);
    stream << value;
    return stream.str();
}

std::string CommonLookAndFeel::updateValueText (std::string text) const
{
    // Leading spaces skipped, the longest number read, the rest ignored; the
    // point is always '.', whatever locale the host set. A label that is not
    // a number is shown as it is.
    const char* begin = text.data();
    const char* const last = text.data() + text.size();
    while (begin != last && std::isspace (static_cast<unsigned char> (*begin)))
        ++begin;
    if (begin != last && *begin == '+')
        ++begin;
    float value = 0.0f;
    const auto [end, error] = std::from_chars (begin, last, value);
    if (error != std::errc() || end == begin || ! std::isfinite (value))
        return text;

    switch (unit)
    {
        case 0:
            return stringWithDecimals (value, 1);
        case 3:
            return stringWithDecimals (value, 0) + "%";
        case 4:
            return stringWithDecimals (value, 1) + "s";
        case 5:
            return millisecondsText (value);
        case 6:
            return stringWithDecimals (value, 0) + "\xc2\xb0";
        case 7:
        {
            if ((flags & rateInHzFlag) != 0)
                return stringWithDecimals (value, 2) + "Hz";
            // Shown as the period of one cycle.
            const auto period = static_cast<float> ((1.0 / static_cast<double> (value)) * 1000.0);
            if (! std::isfinite (period))
                return text;
            return millisecondsText (period);
        }
        case 8:
            return stringWithDecimals (value, (value >= 10.0f || value <= -10.0f) ? 0 : 1) + "Hz";
        case 10:
            return stringWithDecimals (value, 0) + "dB";
        default:
            // Indexed, boolean and semitone values and unknown codes keep their text.
            return text;
    }
}
