#include "RenderOptions.h"

#include "Preset/Utf8Text.h"

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <locale>
#include <sstream>

namespace render
{
std::optional<double> parseNumber (const juce::String& text)
{
    const auto trimmed = text.trim().toStdString();
    if (trimmed.empty())
        return std::nullopt;

    // A classic-locale stream: the decimal point is a dot whatever the user's
    // locale, and trailing garbage ("12dB", "1,5") is an error, not ignored.
    std::istringstream stream (trimmed);
    stream.imbue (std::locale::classic());
    double value = 0.0;
    stream >> value;

    if (stream.fail() || ! stream.eof() || ! std::isfinite (value))
        return std::nullopt;

    return value;
}

juce::String shown (const juce::String& argument)
{
    // Messages are one line: control characters in an argument are written
    // as escapes.
    juce::MemoryOutputStream result;
    for (auto c : argument)
    {
        if (c == '\n')
            result << "\\n";
        else if (c == '\t')
            result << "\\t";
        else if (c < 0x20 || c == 0x7f)
            result << "\\x" << juce::String::toHexString (static_cast<int> (c)).paddedLeft ('0', 2);
        else
            result.appendUTF8Char (c);
    }
    return result.toUTF8();
}

std::optional<juce::StringArray> RenderOptions::argumentsFrom (int argc, const char* const* argv, juce::String& error)
{
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
    {
        if (! Utf8Text::isValid (argv[i], std::strlen (argv[i])))
        {
            error = "argument " + juce::String (i) + " is not UTF-8 text";
            return std::nullopt;
        }
        arguments.add (juce::String::fromUTF8 (argv[i]));
    }
    return arguments;
}

juce::String RenderOptions::usage()
{
    return "usage: vantrel-render [--preset NAME] [--set ID=VALUE]... [--block N] [--tail SECONDS]\n"
           "                      [--state-in FILE] [--state-out FILE] [--quiet] INPUT OUTPUT\n"
           "       vantrel-render --list-presets\n";
}

std::optional<RenderOptions> RenderOptions::parse (const juce::StringArray& arguments, juce::String& error)
{
    RenderOptions options;
    juce::StringArray positional;
    const auto cwd = juce::File::getCurrentWorkingDirectory();

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& arg = arguments[i];

        // Options that take a value accept it as the next argument or after '='.
        juce::String name = arg, value;
        bool hasInlineValue = false;
        if (arg.startsWith ("--") && arg.containsChar ('='))
        {
            name = arg.upToFirstOccurrenceOf ("=", false, false);
            value = arg.fromFirstOccurrenceOf ("=", false, false);
            hasInlineValue = true;
        }

        auto takeValue = [&] () -> bool
        {
            if (hasInlineValue)
                return true;
            if (i + 1 >= arguments.size())
            {
                error = "option " + shown (name) + " needs a value";
                return false;
            }
            value = arguments[++i];
            return true;
        };

        if (name == "--list-presets" && ! hasInlineValue)
            options.listPresets = true;
        else if (name == "--quiet" && ! hasInlineValue)
            options.quiet = true;
        else if (name == "--preset")
        {
            if (! takeValue())
                return std::nullopt;
            if (value.trim().isEmpty())
            {
                error = "option --preset needs a preset name";
                return std::nullopt;
            }
            options.presetName = value;
        }
        else if (name == "--set")
        {
            if (! takeValue())
                return std::nullopt;
            const auto identifier = value.upToFirstOccurrenceOf ("=", false, false).trim();
            const auto number = value.fromFirstOccurrenceOf ("=", false, false);
            if (! value.containsChar ('=') || identifier.isEmpty())
            {
                error = "option --set needs ID=VALUE, got '" + shown (value) + "'";
                return std::nullopt;
            }
            const auto parsed = parseNumber (number);
            if (! parsed)
            {
                error = "value '" + shown (number) + "' for " + shown (identifier) + " is not a number";
                return std::nullopt;
            }
            options.sets.emplace_back (identifier, *parsed);
        }
        else if (name == "--block")
        {
            if (! takeValue())
                return std::nullopt;
            const auto parsed = parseNumber (value);
            if (! parsed || *parsed != std::floor (*parsed) || *parsed < 1.0 || *parsed > maximumBlockSize)
            {
                error = "block size '" + shown (value) + "' is not a whole number from 1 to " + juce::String (maximumBlockSize);
                return std::nullopt;
            }
            options.blockSize = (int) *parsed;
        }
        else if (name == "--tail")
        {
            if (! takeValue())
                return std::nullopt;
            const auto parsed = parseNumber (value);
            if (! parsed || *parsed < 0.0 || *parsed > maximumTailSeconds)
            {
                error = "tail '" + shown (value) + "' is not a number of seconds from 0 to " + juce::String ((int) maximumTailSeconds);
                return std::nullopt;
            }
            options.tailSeconds = *parsed;
        }
        else if (name == "--state-in" || name == "--state-out")
        {
            if (! takeValue())
                return std::nullopt;
            if (value.isEmpty())
            {
                error = "option " + shown (name) + " needs a file name";
                return std::nullopt;
            }
            (name == "--state-in" ? options.stateIn : options.stateOut) = cwd.getChildFile (value);
        }
        else if (arg.startsWith ("-") && arg != "-")
        {
            error = "unknown option " + shown (arg);
            return std::nullopt;
        }
        else
        {
            positional.add (arg);
        }
    }

    if (options.listPresets)
    {
        if (! positional.isEmpty())
        {
            error = "--list-presets takes no files";
            return std::nullopt;
        }
        return options;
    }

    if (positional.size() != 2 || positional[0].isEmpty() || positional[1].isEmpty())
    {
        error = positional.size() < 2 ? "need an INPUT and an OUTPUT file" : "too many files: " + shown (positional.joinIntoString (" "));
        return std::nullopt;
    }

    options.input = cwd.getChildFile (positional[0]);
    options.output = cwd.getChildFile (positional[1]);
    return options;
}
} // namespace render
