#include "Preset/PresetFileName.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

namespace
{
juce::String utf8 (const char* text)
{
    return juce::String::fromUTF8 (text);
}
} // namespace

TEST (PresetFileName, TypedNamesAreCleanedLikeThis)
{
    EXPECT_EQ (PresetFileName::fromTyped ("  My Sound  "), "My Sound");
    EXPECT_EQ (PresetFileName::fromTyped ("../../up"), "up");
    EXPECT_EQ (PresetFileName::fromTyped (" . ~.name. . "), "name");
    EXPECT_EQ (PresetFileName::fromTyped ("a/b\\c:d*e?f\"g<h>i|j"), "abcdefghij");
    EXPECT_EQ (PresetFileName::fromTyped ("tab\there\nnew\x7f" "del"), "tabherenewdel");
    EXPECT_EQ (PresetFileName::fromTyped (utf8 ("caf\xc3\xa9 \xe2\x99\xab")), utf8 ("caf\xc3\xa9 \xe2\x99\xab"));
    EXPECT_EQ (PresetFileName::fromTyped ("..."), "");
    EXPECT_EQ (PresetFileName::fromTyped (""), "");
}

TEST (PresetFileName, LongNamesKeepTheirFirstWholeCharactersWithinTheByteLimit)
{
    EXPECT_EQ (PresetFileName::fromTyped (juce::String::repeatedString ("a", 60000)), juce::String::repeatedString ("a", 200));
    // Two-byte characters: 100 fit; a three-byte one after 199 bytes does not.
    EXPECT_EQ (PresetFileName::fromTyped (juce::String::repeatedString (utf8 ("\xc3\xa9"), 500)),
               juce::String::repeatedString (utf8 ("\xc3\xa9"), 100));
    EXPECT_EQ (PresetFileName::fromTyped (juce::String::repeatedString ("b", 199) + utf8 ("\xe2\x99\xab") + "c"),
               juce::String::repeatedString ("b", 199));
    // Dots and spaces left at the cut are dropped.
    EXPECT_EQ (PresetFileName::fromTyped (juce::String::repeatedString ("d", 198) + " .xyz"), juce::String::repeatedString ("d", 198));
}

TEST (PresetFileName, CleaningAVeryLongNameTakesAFixedNumberOfAllocations)
{
    // Growing the name one character at a time, or cutting it one at a time,
    // is what made 60,000 characters take seconds; the work is bounded now.
    const auto typed = juce::String::repeatedString (utf8 ("x\xc3\xa9/ "), 15000);
    PresetFileName::fromTyped ("warm up");
    testsupport::ScopedAllocationCounter counter;
    const auto name = PresetFileName::fromTyped (typed);
    EXPECT_LE (counter.allocations(), 4u);
    EXPECT_LE (name.getNumBytesAsUTF8(), static_cast<size_t> (PresetFileName::maxNameBytes));
}

TEST (PresetFileName, OnlyNamesEndingInTheExtensionAfterANonBlankStemArePresetFiles)
{
    EXPECT_EQ (PresetFileName::presetNameOf ("my sound.vnprs", "vnprs"), "MY SOUND");
    EXPECT_EQ (PresetFileName::presetNameOf ("a.b.vnprs", "vnprs"), "A.B");
    for (const char* name : { ".vnprs", "vnprs", " .vnprs", "x.vnprs.bak", "x.VNPRS", "xvnprs", "x.vnprs " })
        EXPECT_EQ (PresetFileName::presetNameOf (name, "vnprs"), "") << name;
    EXPECT_EQ (PresetFileName::presetNameOf ("x.", ""), "");
}

TEST (PresetFileName, NamesAreUpperCasedInEveryScriptAndRefusedNamesSayWhy)
{
    EXPECT_EQ (PresetFileName::upperCase (utf8 ("Caf\xc3\xa9 No\xc3\xabl")), utf8 ("CAF\xc3\x89 NO\xc3\x8bL"));
    EXPECT_EQ (PresetFileName::upperCase (utf8 ("\xce\xb1\xcf\x89 \xd1\x88\xd1\x83\xd0\xbc")), utf8 ("\xce\x91\xce\xa9 \xd0\xa8\xd0\xa3\xd0\x9c"));
    EXPECT_EQ (PresetFileName::presetNameOf (utf8 ("caf\xc3\xa9.vnprs"), "vnprs"), utf8 ("CAF\xc3\x89"));

    EXPECT_EQ (PresetFileName::whyUnusable ("My Sound"), "");
    EXPECT_EQ (PresetFileName::whyUnusable (""), PresetFileName::needsNameText);
    EXPECT_EQ (PresetFileName::whyUnusable ("   "), PresetFileName::needsNameText);
    EXPECT_EQ (PresetFileName::whyUnusable ("//?/"), "A preset name cannot use / ?");
    EXPECT_EQ (PresetFileName::whyUnusable ("\t\x01"), "A preset name cannot use control characters");
    EXPECT_EQ (PresetFileName::whyUnusable (". ~.."), "A preset name cannot be only dots, spaces and ~");
    // A name the file name would change is refused, not changed.
    EXPECT_EQ (PresetFileName::whyUnusable ("  Blank Ends "), "");
    EXPECT_EQ (PresetFileName::whyUnusable ("AC/DC: Live?"), "A preset name cannot use / : ?");
    EXPECT_EQ (PresetFileName::whyUnusable ("tab\there"), "A preset name cannot use control characters");
    EXPECT_EQ (PresetFileName::whyUnusable ("~home"), "A preset name cannot start with . or ~");
    EXPECT_EQ (PresetFileName::whyUnusable ("Fade ."), "A preset name cannot end with a dot");
    EXPECT_EQ (PresetFileName::whyUnusable (juce::String::repeatedString ("a", 201)), "A preset name is too long");
    EXPECT_EQ (PresetFileName::whyUnusable (juce::String::repeatedString ("a", 200)), "");
}
