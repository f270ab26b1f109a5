#include "VantrelDesign.h"

#include "BinaryData.h"
#include "FontData.h"
#include "LookAndFeel/Palette.h"
#include "Pitch/ShifterMode.h"
#include "VantrelParameterList.h"

namespace
{
using P = VantrelParameterList;

// The layout and the settings map name parameters by the list's own indices.
constexpr int id (P::Index index)
{
    return static_cast<int> (index);
}

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
    inputSection = makeSection ({ { { { id (P::InputFilterFrequency), 1, 0, 3 }, { id (P::InputGain), 1, 0, 1 } }, 1 },
                                  { { { id (P::PreDelay), 1, 1, 1 } }, 1 },
                                  { { { id (P::InputFilterType), 1, 1, 1 } }, 1 } },
                                "INPUT", Karvon::orange);
    pitchShifterASection = makeSection ({ { { { id (P::PitchA), 1, 0, 1 }, { id (P::FineA), 1, 0, 1 }, { id (P::DelayTimeA), 1, 0, 1 } }, 1 },
                                          { { { id (P::PitchShifterModeA), 1, 0, 1 }, { id (P::PitchShifterAmountA), 2, 0, 1 } }, 1 } },
                                        "PITCH SHIFTER A", Karvon::red);
    pitchShifterBSection = makeSection ({ { { { id (P::PitchB), 1, 0, 1 }, { id (P::FineB), 1, 0, 1 }, { id (P::DelayTimeB), 1, 0, 1 } }, 1 },
                                          { { { id (P::PitchShifterModeB), 1, 0, 1 }, { id (P::PitchShifterAmountB), 2, 0, 1 } }, 1 } },
                                        "PITCH SHIFTER B", Karvon::green);
    reverbSection = makeSection ({ { { { id (P::RoomSize), 1, 0, 1 }, { id (P::ModulationRate), 1, 0, 1 },
                                       { id (P::ModulationAmount), 1, 0, 1 } }, 1 },
                                   { { { id (P::ReverbColor), 1, 0, 1 }, { id (P::ReverbLength), 2, 0, 1 } }, 1 } },
                                 "REVERB", Karvon::blue);
    duckerSection = makeSection ({ { { { id (P::DuckingThreshold), 1, 0, 1 }, { id (P::DuckingAttack), 1, 0, 1 },
                                       { id (P::DuckingRelease), 1, 0, 1 } }, 3 },
                                   { { { id (P::DuckingPeakMeter), 3, 0, 1 } }, 1 } },
                                 "DUCKER", Karvon::yellow);
    mixSection = makeSection ({ { { { id (P::DryWet), 1, 0, 1 } }, 1 } }, "MIX", juce::Colours::grey);

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
    // The filter's resonance has no control of its own: the filter
    // display drives it.
    const auto modes = valueNames (P::shifterModeName, ShifterMode::Count);
    return {
        { id (P::DryWet), settings ("Dry/Wet", slider) },
        { id (P::InputGain), settings ("Gain", slider) },
        { id (P::InputFilterFrequency), settings ("Filter", filterDisplay, { id (P::InputFilterResonance) }) },
        // The texts name the icons the buttons draw.
        { id (P::InputFilterType), settings ("Type", radio, {}, valueNames (P::filterTypeName, 2)) },
        { id (P::PitchShifterModeA), settings ("Mode", radio, {}, modes) },
        { id (P::PitchShifterAmountA), settings ("Amount", slider) },
        { id (P::PitchA), settings ("Pitch", knob) },
        { id (P::FineA), settings ("Fine", knob) },
        { id (P::DelayTimeA), settings ("Delay Time", knob) },
        { id (P::PitchShifterModeB), settings ("Mode", radio, {}, modes) },
        { id (P::PitchShifterAmountB), settings ("Amount", slider) },
        { id (P::PitchB), settings ("Pitch", knob) },
        { id (P::FineB), settings ("Fine", knob) },
        { id (P::DelayTimeB), settings ("Delay Time", knob) },
        { id (P::PreDelay), settings ("Predelay", slider) },
        { id (P::ReverbLength), settings ("Length", slider) },
        { id (P::ReverbColor), settings ("Color", knob) },
        { id (P::RoomSize), settings ("Room Size", knob) },
        { id (P::ModulationRate), settings ("Mod. Rate", knob) },
        { id (P::ModulationAmount), settings ("Mod. Amount", knob) },
        { id (P::DuckingThreshold), settings ("Threshold", knob) },
        { id (P::DuckingAttack), settings ("Attack", knob) },
        { id (P::DuckingRelease), settings ("Release", knob) },
        { id (P::DuckingPeakMeter), settings ("", peakMeter) },
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
