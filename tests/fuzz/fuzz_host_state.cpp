// A state block from the host. Input that starts with the framework's magic
// number ("VC2!") is handed over as it is; anything else is taken as the XML
// text and wrapped as the framework wraps it, so that most inputs reach the
// XML and the restore.
#include "FuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzsupport::processor();
    return 0;
}

namespace
{
juce::MemoryBlock saved (EffectProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

// The saved parameters, without the preset's name (a restore may select a
// preset by a name spelled differently).
juce::String savedParameters (EffectProcessor& processor)
{
    const auto block = saved (processor);
    auto xml = juce::AudioProcessor::getXmlFromBinary (block.getData(), static_cast<int> (block.getSize()));
    fuzzsupport::require (xml != nullptr, "a saved state that does not read back");
    xml->removeAttribute ("PresetName");
    return xml->toString();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& processor = fuzzsupport::processor();
    if (size > (1u << 20))
        return 0;

    juce::MemoryBlock block;
    if (size >= 4 && std::memcmp (data, "VC2!", 4) == 0)
    {
        block.append (data, size);
    }
    else
    {
        juce::MemoryOutputStream out (block, false);
        out.writeInt (0x21324356);
        out.writeInt (static_cast<int> (size) + 1);
        out.write (data, size);
        out.writeByte (0);
    }

    processor.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
    fuzzsupport::requireKernelValuesInRange (processor);

    // Whatever was restored saves and restores to the same parameters.
    const auto first = saved (processor);
    const auto parameters = savedParameters (processor);
    processor.setStateInformation (first.getData(), static_cast<int> (first.getSize()));
    fuzzsupport::require (savedParameters (processor) == parameters, "a restored state does not save the same again");
    return 0;
}
