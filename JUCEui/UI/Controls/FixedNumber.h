#pragma once

#include <juce_core/juce_core.h>

#include <iomanip>
#include <locale>
#include <sstream>

namespace FixedNumber
{
// `value` in fixed notation with exactly `decimals` decimals and a point as
// the separator, whatever locale the host process runs under (printf and
// juce::String::formatted follow the C locale, which may write a comma).
inline juce::String format (double value, int decimals)
{
    std::ostringstream out;
    out.imbue (std::locale::classic());
    out << std::fixed << std::setprecision (decimals) << value;
    return juce::String (out.str());
}
} // namespace FixedNumber
