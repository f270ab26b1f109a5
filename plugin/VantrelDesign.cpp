#include "VantrelDesign.h"

#include "BinaryData.h"
#include "FontData.h"
#include "LookAndFeel/Palette.h"
#include "VantrelParameterList.h"

namespace
{
// Parameter indices of the effect's parameter list.
enum Index
{
    dryWet = 0,
    inputGain = 1,
    inputFilterFrequency = 3,
    inputFilterType = 4,
    modeA = 5,
    amountA = 6,
    pitchA = 7,
    fineA = 8,
    delayTimeA = 9,
    modeB = 10,
    amountB = 11,
    pitchB = 12,
    fineB = 13,
    delayTimeB = 14,
    preDelay = 15,
    reverbLength = 16,
    reverbColor = 17,
    roomSize = 18,
    modulationRate = 19,
    modulationAmount = 20,
    duckingThreshold = 21,
    duckingAttack = 22,
    duckingRelease = 23,
    duckingPeakMeter = 24,
    inputFilterResonance = 2,
};

// Container kinds used by the effect.
constexpr int slider = 0;
constexpr int knob = 2;
constexpr int filterDisplay = 7;
constexpr int radio = 9;
constexpr int peakMeter = 10;

std::unique_ptr<Section> makeSection (std::vector<UIColumn> columns, const char* name, juce::Colour colour)
{
    return std::make_unique<Section> (std::move (columns), name, colour, std::map<int, std::vector<int>> {});
}

// The names of a parameter's values 0 to count - 1, as hosts show them too.
std::vector<std::string> valueNames (const char* (*name) (int), int count)
{
    std::vector<std::string> names;
    for (int value = 0; value < count; ++value)
        names.emplace_back (name (value));
    return names;
}

ParameterUISettings settings (std::string name, int uiType, std::vector<int> linked = {},
                              std::vector<std::string> labels = {})
{
    return { std::move (name), uiType, std::move (linked), std::move (labels), { false, false }, {} };
}
} // namespace

VantrelDesign::VantrelDesign()
{
    makerLogo = juce::ImageCache::getFromMemory (FontData::KARVON_png, FontData::KARVON_pngSize);
    smallLogo = juce::ImageCache::getFromMemory (BinaryData::VantrelLogo_png, BinaryData::VantrelLogo_pngSize);
    transparentLogo = juce::ImageCache::getFromMemory (BinaryData::VantrelLogoTransparent_png,
                                                       BinaryData::VantrelLogoTransparent_pngSize);

    // Slots are (parameter; height in rows, empty rows above, column widths spanned).
    inputSection = makeSection ({ { { { inputFilterFrequency, 1, 0, 3 }, { inputGain, 1, 0, 1 } }, 1 },
                                  { { { preDelay, 1, 1, 1 } }, 1 },
                                  { { { inputFilterType, 1, 1, 1 } }, 1 } },
                                "INPUT", Karvon::orange);
    pitchShifterASection = makeSection ({ { { { pitchA, 1, 0, 1 }, { fineA, 1, 0, 1 }, { delayTimeA, 1, 0, 1 } }, 1 },
                                          { { { modeA, 1, 0, 1 }, { amountA, 2, 0, 1 } }, 1 } },
                                        "PITCH SHIFTER A", Karvon::red);
    pitchShifterBSection = makeSection ({ { { { pitchB, 1, 0, 1 }, { fineB, 1, 0, 1 }, { delayTimeB, 1, 0, 1 } }, 1 },
                                          { { { modeB, 1, 0, 1 }, { amountB, 2, 0, 1 } }, 1 } },
                                        "PITCH SHIFTER B", Karvon::green);
    reverbSection = makeSection ({ { { { roomSize, 1, 0, 1 }, { modulationRate, 1, 0, 1 },
                                       { modulationAmount, 1, 0, 1 } }, 1 },
                                   { { { reverbColor, 1, 0, 1 }, { reverbLength, 2, 0, 1 } }, 1 } },
                                 "REVERB", Karvon::blue);
    duckerSection = makeSection ({ { { { duckingThreshold, 1, 0, 1 }, { duckingAttack, 1, 0, 1 },
                                       { duckingRelease, 1, 0, 1 } }, 3 },
                                   { { { duckingPeakMeter, 3, 0, 1 } }, 1 } },
                                 "DUCKER", Karvon::yellow);
    mixSection = makeSection ({ { { { dryWet, 1, 0, 1 } }, 1 } }, "MIX", juce::Colours::grey);

    page = std::make_unique<Page> (std::vector<UISection> { { inputSection.get(), 6 },
                                                            { pitchShifterASection.get(), 6 },
                                                            { pitchShifterBSection.get(), 6 },
                                                            { reverbSection.get(), 6 },
                                                            { duckerSection.get(), 4 },
                                                            { mixSection.get(), 3 } },
                                   "");
}

VantrelDesign::~VantrelDesign()
{
    page.reset();
    mixSection.reset();
    duckerSection.reset();
    reverbSection.reset();
    pitchShifterBSection.reset();
    pitchShifterASection.reset();
    inputSection.reset();
}

std::vector<Page*> VantrelDesign::getUiStack()
{
    return { page.get() };
}

std::map<int, ParameterUISettings> VantrelDesign::getUiSettings()
{
    // The filter's resonance (index 2) has no control of its own: the filter
    // display drives it.
    const auto modes = valueNames (VantrelParameterList::shifterModeName, 3);
    return {
        { dryWet, settings ("Dry/Wet", slider) },
        { inputGain, settings ("Gain", slider) },
        { inputFilterFrequency, settings ("Filter", filterDisplay, { inputFilterResonance }) },
        // The texts name the icons the buttons draw.
        { inputFilterType, settings ("Type", radio, {}, valueNames (VantrelParameterList::filterTypeName, 2)) },
        { modeA, settings ("Mode", radio, {}, modes) },
        { amountA, settings ("Amount", slider) },
        { pitchA, settings ("Pitch", knob) },
        { fineA, settings ("Fine", knob) },
        { delayTimeA, settings ("Delay Time", knob) },
        { modeB, settings ("Mode", radio, {}, modes) },
        { amountB, settings ("Amount", slider) },
        { pitchB, settings ("Pitch", knob) },
        { fineB, settings ("Fine", knob) },
        { delayTimeB, settings ("Delay Time", knob) },
        { preDelay, settings ("Predelay", slider) },
        { reverbLength, settings ("Length", slider) },
        { reverbColor, settings ("Color", knob) },
        { roomSize, settings ("Room Size", knob) },
        { modulationRate, settings ("Mod. Rate", knob) },
        { modulationAmount, settings ("Mod. Amount", knob) },
        { duckingThreshold, settings ("Threshold", knob) },
        { duckingAttack, settings ("Attack", knob) },
        { duckingRelease, settings ("Release", knob) },
        { duckingPeakMeter, settings ("", peakMeter) },
    };
}

juce::Image VantrelDesign::getSmallLogo()
{
    return smallLogo;
}

juce::Image VantrelDesign::getTransparentLogo()
{
    return transparentLogo;
}

juce::Image VantrelDesign::getKarvonLogo()
{
    return makerLogo;
}
