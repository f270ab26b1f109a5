// vantrel-render's command line: the input's zero bytes separate the
// arguments.
#include "FuzzSupport.h"

#include "RenderOptions.h"

#include <cmath>

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzsupport::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    juce::StringArray arguments;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size && arguments.size() < 64; ++i)
        if (i == size || data[i] == 0)
        {
            arguments.add (juce::String::fromUTF8 (reinterpret_cast<const char*> (data + start), static_cast<int> (i - start)));
            start = i + 1;
        }

    juce::String error;
    const auto options = render::RenderOptions::parse (arguments, error);
    fuzzsupport::require (options.has_value() == error.isEmpty(), "a result with an error, or neither");
    if (! options)
    {
        fuzzsupport::require (! error.containsChar ('\n'), "an error message of more than one line");
        return 0;
    }
    fuzzsupport::require (options->blockSize >= 1 && options->blockSize <= render::RenderOptions::maximumBlockSize, "a block size out of bounds");
    if (options->tailSeconds)
        fuzzsupport::require (*options->tailSeconds >= 0.0 && *options->tailSeconds <= render::RenderOptions::maximumTailSeconds,
                              "a tail out of bounds");
    for (const auto& [identifier, value] : options->sets)
        fuzzsupport::require (identifier.isNotEmpty() && std::isfinite (value), "a --set without identifier or number");
    fuzzsupport::require (options->listPresets || (options->input != juce::File() && options->output != juce::File()),
                          "a render without its files");
    return 0;
}
