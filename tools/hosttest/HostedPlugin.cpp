#include "HostedPlugin.h"

namespace hosttest
{
namespace
{
bool looksLikeUri (const juce::String& text)
{
    const auto colon = text.indexOfChar (':');
    return colon > 1 && ! text.startsWith ("/") && text.substring (0, colon).containsOnly ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+.-");
}
} // namespace

HostedPlugin::HostedPlugin (const juce::String& identifier, const juce::String& lv2SearchPath)
{
    lv2 = looksLikeUri (identifier);

    juce::AudioPluginFormat* format = nullptr;

    if (lv2)
    {
        auto lv2Format = std::make_unique<juce::LV2PluginFormat>();
        if (lv2SearchPath.isNotEmpty())
        {
            // Folders holding bundles; a bundle given itself stands for its folder.
            juce::FileSearchPath folders;
            for (const auto& entry : juce::StringArray::fromTokens (lv2SearchPath, ":", ""))
            {
                auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (entry);
                folders.add (folder.getFileName().endsWith (".lv2") ? folder.getParentDirectory() : folder);
            }
            lv2Format->searchPathsForPlugins (folders, true, false);
        }
        format = lv2Format.get();
        formats.addFormat (lv2Format.release());
    }
    else
    {
        auto vst3Format = std::make_unique<juce::VST3PluginFormat>();
        format = vst3Format.get();
        formats.addFormat (vst3Format.release());
    }

    juce::String fileOrIdentifier = identifier;
    if (! lv2)
    {
        // The bundle folder, also when given the library inside it.
        auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (identifier);
        for (auto f = bundle; f.getParentDirectory() != f; f = f.getParentDirectory())
            if (f.getFileName().endsWith (".vst3"))
            {
                bundle = f;
                break;
            }
        fileOrIdentifier = bundle.getFullPathName();
    }

    juce::OwnedArray<juce::PluginDescription> found;
    format->findAllTypesForFile (found, fileOrIdentifier);

    if (found.isEmpty())
    {
        error = "no " + juce::String (lv2 ? "LV2" : "VST3") + " plug-in found at " + identifier;
        return;
    }

    description = *found.getFirst();
    loaded = true;
}

std::unique_ptr<juce::AudioPluginInstance> HostedPlugin::create (double sampleRate, int blockSize, juce::String& errorMessage)
{
    errorMessage.clear();
    auto instance = formats.createPluginInstance (description, sampleRate, blockSize, errorMessage);

    if (instance == nullptr && errorMessage.isEmpty())
        errorMessage = "the format could not create an instance";

    return instance;
}
} // namespace hosttest
