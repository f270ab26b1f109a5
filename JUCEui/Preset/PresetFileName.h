#pragma once

#include <juce_core/juce_core.h>

// Between preset names and the names of preset files in the user's folder.
class PresetFileName
{
public:
    // Bytes left for the name within a file name limit of 255, with room for
    // the extension and a temporary name.
    static constexpr int maxNameBytes = 200;
    // Typed text beyond this many characters cannot reach the file name.
    static constexpr int maxTypedCharacters = 1024;

    // A user-typed name as a plain file name: no separators, no control
    // characters, no leading dots or tilde (hidden files, parent folders, the
    // home folder), no trailing dots or spaces, at most maxNameBytes bytes.
    // Empty when nothing legal is left. Linear in the (capped) text.
    static juce::String fromTyped (const juce::String& typed);

    // Why a typed name cannot be stored as typed (fromTyped would leave
    // nothing, or change more than the blanks around it); empty when it can.
    static juce::String whyUnusable (const juce::String& typed);
    static constexpr const char* needsNameText = "The preset needs a name";

    // A name in upper case, letter by letter in every script (not only
    // ASCII), the same whatever locale the host runs in: preset names are
    // shown and looked up this way.
    static juce::String upperCase (const juce::String& name);

    // The upper-case preset name of a file called `fileName`, or empty when
    // that is not a preset's file: it must end in "." + `extension` after a
    // name that is not only blank.
    static juce::String presetNameOf (const juce::String& fileName, const juce::String& extension);
};
