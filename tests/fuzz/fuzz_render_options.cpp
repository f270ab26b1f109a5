// vantrel-render's command line, as main() receives it: the input's zero
// bytes separate the arguments, which may hold any bytes.
#include "FuzzSupport.h"

#include "RenderOptions.h"

#include <cmath>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    fuzzsupport::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> words { "vantrel-render" };
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size && words.size() < 64; ++i)
        if (i == size || data[i] == 0)
        {
            words.emplace_back (reinterpret_cast<const char*> (data + start), i - start);
            start = i + 1;
        }
    std::vector<const char*> argv;
    for (const auto& word : words)
        argv.push_back (word.c_str());

    juce::String error;
    const auto arguments = render::RenderOptions::argumentsFrom (static_cast<int> (argv.size()), argv.data(), error);
    if (! arguments)
    {
        fuzzsupport::require (error.isNotEmpty(), "a refused command line without a message");
        return 0;
    }

    const auto options = render::RenderOptions::parse (*arguments, error);
    fuzzsupport::require (options.has_value() == error.isEmpty(), "a result with an error, or neither");
    if (! options)
    {
        fuzzsupport::require (! error.containsChar ('\n') && ! error.containsChar ('\r'), "an error message of more than one line");
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
