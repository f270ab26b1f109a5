#include "Preset/PresetFileName.h"

#include <locale.h>
#include <vector>
#include <wctype.h>

namespace
{
const juce::String& forbidden()
{
    static const juce::String characters ("\"*/:<>?\\|");
    return characters;
}

bool isControl (juce::juce_wchar c) noexcept
{
    return c < 0x20 || c == 0x7f;
}

bool isLegalInName (juce::juce_wchar c) noexcept
{
    return ! isControl (c) && forbidden().indexOfChar (c) < 0;
}

// The case mapping of Unicode itself rather than of the process's locale
// (the plain "C" locale maps only ASCII, and hosts set their own). Made once,
// never freed: it lives as long as the library.
locale_t unicodeCaseMapping()
{
    static const locale_t mapping = newlocale (LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t> (nullptr));
    return mapping;
}
} // namespace

juce::String PresetFileName::upperCase (const juce::String& name)
{
    const auto mapping = unicodeCaseMapping();
    if (mapping == static_cast<locale_t> (nullptr))
        return name.toUpperCase();

    std::vector<juce::juce_wchar> upper;
    upper.reserve (static_cast<size_t> (name.length()) + 1);
    for (auto p = name.getCharPointer(); ! p.isEmpty();)
        upper.push_back (static_cast<juce::juce_wchar> (towupper_l (static_cast<wint_t> (p.getAndAdvance()), mapping)));
    upper.push_back (0);
    return juce::String (juce::CharPointer_UTF32 (upper.data()));
}

juce::String PresetFileName::whyUnusable (const juce::String& typed)
{
    // Only the blanks around a name may go unasked: anything else that the
    // file name would change is refused, so a preset is never stored under a
    // name other than the one typed.
    const auto trimmed = typed.trim();
    const auto stored = fromTyped (typed);
    if (stored.isNotEmpty() && stored == trimmed)
        return {};

    // Name what was typed that cannot stand in a name.
    juce::String shown;
    bool controls = false;
    for (auto p = typed.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        controls = controls || isControl (c);
        if (forbidden().indexOfChar (c) >= 0 && ! shown.containsChar (c))
            shown << (shown.isEmpty() ? "" : " ") << juce::String::charToString (c);
    }
    if (shown.isNotEmpty())
        return "A preset name cannot use " + shown;
    if (controls)
        return "A preset name cannot use control characters";
    if (trimmed.isEmpty())
        return needsNameText;
    if (stored.isEmpty())
        return "A preset name cannot be only dots, spaces and ~";
    if (trimmed.startsWithChar ('.') || trimmed.startsWithChar ('~'))
        return "A preset name cannot start with . or ~";
    if (trimmed.endsWithChar ('.'))
        return "A preset name cannot end with a dot";
    return "A preset name is too long";
}

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
    return stem.trim().isEmpty() ? juce::String() : upperCase (stem);
}
