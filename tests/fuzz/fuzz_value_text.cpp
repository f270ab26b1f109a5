// Text typed into the control editor, turned into each parameter's value; and
// a value text as the controls show it, for every unit.
#include "FuzzSupport.h"

#include "LookAndFeel/SliderLookAndFeel.h"
#include "UI/Overlays/ControlEditorParameter.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzsupport::processor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // A text editor only ever holds valid text.
    const auto* bytes = reinterpret_cast<const char*> (data);
    if (! juce::CharPointer_UTF8::isValidString (bytes, static_cast<int> (size)))
        return 0;
    const auto typed = juce::String::fromUTF8 (bytes, static_cast<int> (size));

    auto& processor = fuzzsupport::processor();
    for (const auto& parameter : *processor.getKernel().parameters)
    {
        auto* ranged = processor.parameterTree.getParameter (juce::String::fromUTF8 (parameter->id.c_str()));
        if (ranged == nullptr)
            continue; // output only
        // Text that cannot mean a value sets nothing.
        const auto normalised = ControlEditorParameter::normalisedValueForText (*ranged, *parameter, typed);
        if (normalised)
        {
            fuzzsupport::require (*normalised >= 0.0f && *normalised <= 1.0f, "a typed value outside 0..1");
            const float value = ranged->convertFrom0to1 (*normalised);
            const auto& range = ranged->getNormalisableRange();
            fuzzsupport::require (value >= range.start && value <= range.end, "a typed value outside the parameter's range");
        }
        // What a host's text sets lies in the range too.
        const float hosts = ranged->getValueForText (typed);
        fuzzsupport::require (hosts >= 0.0f && hosts <= 1.0f, "a host's text outside 0..1");
    }

    static auto& lookAndFeel = *new SliderLookAndFeel; // outlives the framework, like the processor
    const std::string text (bytes, size);
    for (int unit = -1; unit <= 14; ++unit)
        for (int flags : { 0, 0x10 })
        {
            lookAndFeel.unit = unit;
            lookAndFeel.flags = flags;
            fuzzsupport::require (! lookAndFeel.updateValueText (text).empty() || text.empty(), "an empty value text");
        }
    return 0;
}
