#pragma once

#include <juce_core/juce_core.h>

// Walks XML text the way juce::XmlDocument reads it, without building
// anything and without recursion, to tell whether the parser can be handed the
// text safely. The parser recurses once per level of nesting (a small file of
// 30,000 nested elements overflows the stack), expands entities declared in a
// document type recursively, and can step past the end of its input on a
// malformed character reference. Text is refused when it nests deeper than
// `maxDepth`, gives an element more than `maxAttributes` attributes or one
// attribute twice, declares an internal document
// type subset, or holds an '&' that does not start a well-formed reference.
class XmlNestingScan
{
public:
    XmlNestingScan (const juce::String& text, int maxDepth, int maxAttributes);

    // True when the parser may read the text. Linear in its length.
    bool isAcceptable();

private:
    using Pointer = juce::String::CharPointerType;

    enum class Head
    {
        none,          // no element (the parser stops this level)
        empty,         // an element without children
        withChildren   // an element whose children follow
    };

    bool referencesAreWellFormed() const;
    bool readHeaderAndDocumentType();
    bool readChildren();
    Head readElementHead();
    void readQuotedString();
    void readEntity();
    bool readCharacterBlock();
    void skipWhiteSpace();
    // Steps over an opener of `openerLength` characters at the input, then
    // past the next `closer`; false, the input left after the opener, when
    // no closer follows.
    bool skipEnclosed (int openerLength, const char* closer);
    juce::juce_wchar readNextChar() noexcept;

    const juce::String text;
    const int maxDepth;
    const int maxAttributes;
    Pointer input;
    bool outOfData = false;
    bool refused = false;
};
