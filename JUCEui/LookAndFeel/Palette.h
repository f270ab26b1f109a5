#pragma once

#include <juce_graphics/juce_graphics.h>

#include "FontData.h"

// The maker's palette and typeface, shared by every drawing class.
namespace Karvon
{
inline const juce::Colour blue { 0xFF00B8F8 };
inline const juce::Colour orange { 0xFFFFA600 };
inline const juce::Colour yellow { 0xFFFFCC00 };
inline const juce::Colour green { 0xFF54BD61 };
inline const juce::Colour red { 0xFFFF6759 };
inline const juce::Colour background { 0xFF1D1D1D };
inline const juce::Colour white { 0xFFEEE2DF };

// The typeface is made once, on first use, from the embedded font data; callers
// copy the font (a reference-counted handle) and set the height they need.
inline const juce::Font& getFontLight()
{
    static const juce::Font font { juce::Typeface::createSystemTypefaceFor (FontData::OswaldLight_ttf,
                                                                            static_cast<size_t> (FontData::OswaldLight_ttfSize)) };
    return font;
}

inline const juce::Font& getFontBold()
{
    static const juce::Font font { juce::Typeface::createSystemTypefaceFor (FontData::OswaldBold_ttf,
                                                                            static_cast<size_t> (FontData::OswaldBold_ttfSize)) };
    return font;
}
} // namespace Karvon
