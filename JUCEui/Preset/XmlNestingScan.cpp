#include "Preset/XmlNestingScan.h"

#include <set>
#include <string>

namespace
{
// The parser's own test for characters of names: ASCII letters, digits and
// "_-:." below 160, any letter or digit above.
bool isIdentifierChar (juce::juce_wchar c) noexcept
{
    if (c < 160)
        return (c < 128 && juce::CharacterFunctions::isLetterOrDigit (static_cast<char> (c))) || c == '_' || c == '-'
               || c == ':' || c == '.';
    return juce::CharacterFunctions::isLetterOrDigit (c);
}

juce::String::CharPointerType endOfToken (juce::String::CharPointerType p) noexcept
{
    while (isIdentifierChar (*p))
        ++p;
    return p;
}

bool startsWith (juce::String::CharPointerType p, const char* ascii, bool ignoreCase = false) noexcept
{
    const juce::CharPointer_ASCII other (ascii);
    const int length = static_cast<int> (other.length());
    return (ignoreCase ? p.compareIgnoreCaseUpTo (other, length) : p.compareUpTo (other, length)) == 0;
}

// Length in characters of the reference at `p` (just after its '&'), up to and
// including its ';', or 0 when it is not one the parser reads without harm:
// the five named ones, or a decimal or hexadecimal code of a character.
int wellFormedReferenceLength (juce::String::CharPointerType p) noexcept
{
    for (const char* name : { "amp;", "quot;", "apos;", "lt;", "gt;" })
        if (startsWith (p, name, true))
            return static_cast<int> (std::strlen (name));

    if (*p != '#')
        return 0;
    ++p;
    const bool hex = *p == 'x' || *p == 'X';
    if (hex)
        ++p;

    juce::int64 code = 0;
    int digits = 0;
    for (;; ++p, ++digits)
    {
        const auto c = *p;
        if (c == ';')
            break;
        const int digit = hex ? juce::CharacterFunctions::getHexDigitValue (c) : (c >= '0' && c <= '9' ? static_cast<int> (c - '0') : -1);
        if (digit < 0 || digits == (hex ? 8 : 12))
            return 0;
        code = code * (hex ? 16 : 10) + digit;
    }
    const bool isCharacter = code > 0 && code <= 0x10ffff && ! (code >= 0xd800 && code <= 0xdfff);
    return digits > 0 && isCharacter ? digits + (hex ? 3 : 2) : 0;
}
} // namespace

XmlNestingScan::XmlNestingScan (const juce::String& textToScan, int depthLimit, int attributeLimit)
    : text (textToScan), maxDepth (depthLimit), maxAttributes (attributeLimit), input (text.getCharPointer())
{
}

bool XmlNestingScan::isAcceptable()
{
    input = text.getCharPointer();
    outOfData = false;
    refused = false;

    if (text.isEmpty())
        return true;
    if (! referencesAreWellFormed())
        return false;
    if (! readHeaderAndDocumentType())
        return ! refused;

    // The document element, then its descendants one level per open element.
    if (readElementHead() == Head::withChildren)
        readChildren();
    return ! refused;
}

bool XmlNestingScan::referencesAreWellFormed() const
{
    for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
        if (*p == '&' && wellFormedReferenceLength (p + 1) == 0)
            return false;
    return true;
}

bool XmlNestingScan::readHeaderAndDocumentType()
{
    skipWhiteSpace();
    if (startsWith (input, "<?xml"))
    {
        if (! skipEnclosed (5, "?>"))
            return false;
        skipWhiteSpace();
    }

    if (startsWith (input, "<!DOCTYPE"))
    {
        input += 9;
        for (int open = 1; open > 0;)
        {
            const auto c = readNextChar();
            if (outOfData)
                return false;
            // Entities declared inside the document type are expanded
            // recursively and may expand to elements: refused outright.
            if (c == '[')
            {
                refused = true;
                return false;
            }
            if (c == '<')
                ++open;
            else if (c == '>')
                --open;
        }
    }
    return true;
}

bool XmlNestingScan::readChildren()
{
    // Each loop of the parser's child reading; `depth` counts the levels it
    // would have open on its call stack.
    for (int depth = 1; depth > 0;)
    {
        const auto beforeWhiteSpace = input;
        skipWhiteSpace();
        if (outOfData)
            return true;

        if (*input == '<')
        {
            const auto c1 = input[1];
            if (c1 == '/')
            {
                const auto close = input.indexOf (static_cast<juce::juce_wchar> ('>'));
                if (close >= 0)
                    input += close + 1;
                --depth;
                continue;
            }
            if (c1 == '!' && startsWith (input + 2, "[CDATA["))
            {
                if (! skipEnclosed (9, "]]>"))
                    return true;
                continue;
            }

            switch (readElementHead())
            {
                case Head::none: --depth; break;
                case Head::empty: break;
                case Head::withChildren:
                    if (++depth > maxDepth)
                    {
                        refused = true;
                        return false;
                    }
                    break;
            }
            if (refused)
                return false;
        }
        else
        {
            // The parser reads text from where the white space began, and that
            // may be a processing instruction it skipped: it then reads nothing,
            // skips it again, and never ends. Such text is refused.
            input = beforeWhiteSpace;
            if (! readCharacterBlock())
                return true;
            if (input == beforeWhiteSpace)
            {
                refused = true;
                return false;
            }
        }
    }
    return true;
}

XmlNestingScan::Head XmlNestingScan::readElementHead()
{
    skipWhiteSpace();
    if (outOfData || *input != '<')
        return Head::none;

    ++input;
    auto end = endOfToken (input);
    if (end == input)
    {
        // A gap after the '<' is allowed before the name.
        skipWhiteSpace();
        end = endOfToken (input);
        if (end == input)
            return Head::none;
    }
    input = end;

    // XML allows an attribute once per element; the parser keeps both, and a
    // value tree made of them saves one and restores the other.
    std::set<std::string> names;
    for (int attributes = 0;;)
    {
        skipWhiteSpace();
        const auto c = *input;
        if (c == '/' && input[1] == '>')
        {
            input += 2;
            return Head::empty;
        }
        if (c == '>')
        {
            ++input;
            return Head::withChildren;
        }
        if (! isIdentifierChar (c))
            return Head::empty;

        const auto nameStart = input;
        input = endOfToken (input);
        const auto name = juce::String (nameStart, input);
        skipWhiteSpace();
        if (readNextChar() != '=')
            return Head::empty;
        skipWhiteSpace();
        if (*input != '"' && *input != '\'')
            return Head::empty;
        readQuotedString();
        if (++attributes > maxAttributes || ! names.insert (name.toStdString()).second)
        {
            refused = true;
            return Head::empty;
        }
    }
}

void XmlNestingScan::readQuotedString()
{
    const auto quote = readNextChar();
    while (! outOfData)
    {
        const auto c = readNextChar();
        if (c == quote)
            break;
        --input;
        if (c == '&')
        {
            readEntity();
            continue;
        }
        for (;;)
        {
            const auto character = *input;
            if (character == quote)
            {
                ++input;
                return;
            }
            if (character == '&')
                break;
            if (character == 0)
            {
                outOfData = true;
                break;
            }
            ++input;
        }
    }
}

void XmlNestingScan::readEntity()
{
    // Every reference was checked to be well formed: the parser reads it up to
    // and including its ';'.
    ++input;
    input += wellFormedReferenceLength (input);
}

bool XmlNestingScan::readCharacterBlock()
{
    for (;;)
    {
        const auto c = *input;
        if (c == '<')
        {
            if (! startsWith (input, "<!--"))
                return true;
            if (! skipEnclosed (4, "-->"))
                return false;
            continue;
        }
        if (c == 0)
            return false;
        if (c == '&')
        {
            readEntity();
            continue;
        }
        while (*input != '<' && *input != '&' && *input != 0)
            ++input;
    }
}

void XmlNestingScan::skipWhiteSpace()
{
    for (;;)
    {
        input.incrementToEndOfWhitespace();
        if (input.isEmpty())
        {
            outOfData = true;
            return;
        }
        // A comment or a processing instruction counts as white space.
        const bool comment = startsWith (input, "<!--");
        if (! comment && ! startsWith (input, "<?"))
            return;
        if (! (comment ? skipEnclosed (4, "-->") : skipEnclosed (2, "?>")))
        {
            outOfData = true;
            return;
        }
    }
}

bool XmlNestingScan::skipEnclosed (int openerLength, const char* closer)
{
    input += openerLength;
    const juce::CharPointer_ASCII close (closer);
    const auto at = input.indexOf (close);
    if (at < 0)
        return false;
    input += at + static_cast<int> (close.length());
    return true;
}

juce::juce_wchar XmlNestingScan::readNextChar() noexcept
{
    const auto c = input.getAndAdvance();
    if (c == 0)
    {
        outOfData = true;
        --input;
    }
    return c;
}
