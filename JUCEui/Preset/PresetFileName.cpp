#include "Preset/PresetFileName.h"

#include <vector>

namespace
{
bool isLegalInName (juce::juce_wchar c) noexcept
{
    static const juce::String forbidden ("\"*/:<>?\\|");
    return c >= 0x20 && c != 0x7f && forbidden.indexOfChar (c) < 0;
}
} // namespace

juce::String PresetFileName::fromTyped (const juce::String& typed)
{
    // Every step below is one pass over at most maxTypedCharacters characters.
    std::vector<juce::juce_wchar> name;
    name.reserve (static_cast<size_t> (maxTypedCharacters) + 1);
    int read = 0;
    for (auto p = typed.getCharPointer(); ! p.isEmpty() && read < maxTypedCharacters; ++read)
    {
        const auto c = p.getAndAdvance();
        if (isLegalInName (c))
            name.push_back (c);
    }

    size_t begin = 0, end = name.size();
    while (begin < end && juce::CharacterFunctions::isWhitespace (name[begin]))
        ++begin;
    while (end > begin && juce::CharacterFunctions::isWhitespace (name[end - 1]))
        --end;
    while (begin < end && (name[begin] == '.' || name[begin] == '~' || name[begin] == ' '))
        ++begin;

    size_t bytes = 0, fits = begin;
    while (fits < end)
    {
        bytes += juce::CharPointer_UTF8::getBytesRequiredFor (name[fits]);
        if (bytes > static_cast<size_t> (maxNameBytes))
            break;
        ++fits;
    }
    end = fits;
    while (end > begin && (name[end - 1] == '.' || name[end - 1] == ' '))
        --end;

    name.resize (end);
    name.push_back (0);
    return juce::String (juce::CharPointer_UTF32 (name.data() + begin));
}

juce::String PresetFileName::presetNameOf (const juce::String& fileName, const juce::String& extension)
{
    const auto suffix = "." + extension;
    if (extension.isEmpty() || ! fileName.endsWith (suffix))
        return {};
    const auto stem = fileName.dropLastCharacters (suffix.length());
    return stem.trim().isEmpty() ? juce::String() : stem.toUpperCase();
}
