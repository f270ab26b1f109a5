// vantrel-hosttest: loads a VST3 or LV2 plug-in through JUCE's own hosting
// formats, headless, and runs a validator's checklist on it.
//
//   vantrel-hosttest [--lv2-path DIRS] [--check NAME]... [--seed N] PLUGIN
//   vantrel-hosttest --list-checks
//
// PLUGIN is a .vst3 bundle or an LV2 URI. Every check prints one PASS or FAIL
// line; the exit status is 0 only when every check passed.
#include "PluginValidator.h"

#include <iostream>

namespace
{
int usage()
{
    std::cerr << "usage: vantrel-hosttest [--lv2-path DIRS] [--check NAME]... [--seed N] PLUGIN\n"
                 "       vantrel-hosttest --list-checks\n"
                 "PLUGIN is a .vst3 bundle path or an LV2 plug-in URI.\n";
    return 2;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::StringArray wanted;
    juce::String lv2Path, identifier;
    juce::int64 seed = 20240601;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        const bool hasValue = i + 1 < argc;

        if (arg == "--list-checks")
        {
            for (const auto& check : hosttest::PluginValidator::checks())
                std::cout << check.name << "\t" << check.what << "\n";
            return 0;
        }
        if (arg == "--check" && hasValue)
            wanted.add (argv[++i]);
        else if (arg == "--lv2-path" && hasValue)
            lv2Path = argv[++i];
        else if (arg == "--seed" && hasValue)
            seed = juce::String (argv[++i]).getLargeIntValue();
        else if (! arg.startsWith ("--") && identifier.isEmpty())
            identifier = arg;
        else
            return usage();
    }

    if (identifier.isEmpty())
        return usage();

    for (const auto& name : wanted)
    {
        const auto& all = hosttest::PluginValidator::checks();
        if (std::none_of (all.begin(), all.end(), [&] (const auto& c) { return name == c.name; }))
        {
            std::cerr << "vantrel-hosttest: unknown check '" << name << "' (see --list-checks)\n";
            return 2;
        }
    }

    // The message manager must exist: formats create and prepare plug-ins on it.
    juce::ScopedJuceInitialiser_GUI juce;

    hosttest::HostedPlugin plugin (identifier, lv2Path);
    if (! plugin.isLoaded())
    {
        std::cerr << "vantrel-hosttest: " << plugin.getError() << "\n";
        return 1;
    }

    std::cout << "plug-in: " << plugin.getDescription().name << " (" << plugin.getDescription().pluginFormatName << ", "
              << plugin.getDescription().fileOrIdentifier << "), seed " << seed << std::endl; // shown even if the process dies later

    hosttest::PluginValidator validator (plugin, seed);
    int passed = 0, failed = 0;

    for (const auto& check : hosttest::PluginValidator::checks())
    {
        if (! wanted.isEmpty() && ! wanted.contains (check.name))
            continue;

        const auto started = juce::Time::getMillisecondCounterHiRes();
        const auto result = (validator.*check.run)();
        const auto seconds = (juce::Time::getMillisecondCounterHiRes() - started) / 1000.0;

        std::cout << (result.passed ? "PASS " : "FAIL ") << check.name << " (" << juce::String (seconds, 2) << " s): "
                  << result.detail << "\n" << std::flush;
        (result.passed ? passed : failed) += 1;
    }

    std::cout << passed << " passed, " << failed << " failed" << std::endl;
    return failed == 0 ? 0 : 1;
}
