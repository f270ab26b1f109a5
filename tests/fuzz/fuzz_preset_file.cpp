// A preset file's bytes, read and applied as the preset lists do: text from
// the bytes (as read from a user file), bounded XML, the dict, the values over the defaults, then the
// state into the parameter tree.
#include "FuzzSupport.h"

#include "Preset/BoundedXml.h"
#include "Preset/RegularFileReader.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzsupport::processor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& processor = fuzzsupport::processor();
    const auto text = RegularFileReader::textFromBytes (data, size);
    if (! text)
        return 0;
    const auto document = BoundedXml::parse (*text);
    if (document == nullptr)
        return 0;
    const auto* dict = PresetParser::findDict (*document);
    if (dict == nullptr)
        return 0;

    const auto state = processor.parser->valueTreeFromPreset (processor.defaultState, *dict);
    fuzzsupport::require (state.getNumChildren() == processor.defaultState.getNumChildren(), "a preset changed the parameter list");
    for (int i = 0; i < state.getNumChildren(); ++i)
    {
        double number = 0.0;
        fuzzsupport::require (state.getChild (i)["id"] == processor.defaultState.getChild (i)["id"], "a preset renamed a parameter");
        fuzzsupport::require (PresetParser::parseFiniteNumber (state.getChild (i)["value"].toString(), number),
                              "a preset value that is no finite number");
    }

    processor.parameterTree.replaceState (state.createCopy());
    fuzzsupport::requireKernelValuesInRange (processor);
    return 0;
}
