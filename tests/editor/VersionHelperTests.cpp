// The version text of the maker's service, as read and compared with the
// product's own version; and the query itself against a local stand-in.
#include <gtest/gtest.h>

#include "UI/PluginHeader.h"
#include "UI/VersionHelper.h"
#include "VersionServiceStub.h"

#include <array>

namespace
{
std::array<int, 3> parsed (const std::string& text)
{
    std::array<int, 3> v { -1, -1, -1 };
    VersionHelper::parse (v.data(), text);
    return v;
}

using V = std::array<int, 3>;
} // namespace

TEST (VersionHelper, ReadsUpToThreeNumbersWithAnySingleSeparator)
{
    EXPECT_EQ (parsed ("1.2.0"), (V { 1, 2, 0 }));
    EXPECT_EQ (parsed ("1.2.0\n"), (V { 1, 2, 0 }));
    EXPECT_EQ (parsed ("  3.14.15 beta"), (V { 3, 14, 15 }));
    EXPECT_EQ (parsed ("1-2-0"), (V { 1, 2, 0 }));
    EXPECT_EQ (parsed ("2"), (V { 2, 0, 0 }));
    EXPECT_EQ (parsed ("1.1"), (V { 1, 1, 0 }));
    EXPECT_EQ (parsed ("-1.+2.3"), (V { -1, 2, 3 }));
}

TEST (VersionHelper, StopsAtTheFirstPartThatIsNoNumber)
{
    // Every component starts at 0, whatever the caller's array held.
    EXPECT_EQ (parsed (""), (V { 0, 0, 0 }));
    EXPECT_EQ (parsed ("v1.2.0"), (V { 0, 0, 0 }));
    // The second dot is where the second number should start.
    EXPECT_EQ (parsed ("1..2"), (V { 1, 0, 0 }));
    EXPECT_EQ (parsed ("1.x.3"), (V { 1, 0, 0 }));
    EXPECT_EQ (parsed ("<html>"), (V { 0, 0, 0 }));
}

TEST (VersionHelper, AComponentTooLargeForAnIntMakesTheTextNoVersion)
{
    int v[3] = { -1, -1, -1 };
    EXPECT_TRUE (VersionHelper::parse (v, "2147483647.0.1"));
    EXPECT_EQ (v[0], 2147483647);
    for (const char* text : { "99999999999.0.0", "1.2147483648.0", "1.2.99999999999999999999", "-2147483649" })
    {
        EXPECT_FALSE (VersionHelper::parse (v, text)) << text;
        EXPECT_EQ ((V { v[0], v[1], v[2] }), (V { 0, 0, 0 })) << text;
        EXPECT_FALSE (VersionHelper::lessThanVersion ("1.1.0", text)) << text;
        EXPECT_FALSE (VersionHelper::lessThanVersion (text, "1.1.0")) << text;
    }
    EXPECT_TRUE (VersionHelper::lessThanVersion ("1.1.0", "2147483647"));
}

TEST (VersionHelper, ComparesComponentByComponent)
{
    EXPECT_TRUE (VersionHelper::lessThanVersion ("1.1.0", "1.2.0"));
    EXPECT_TRUE (VersionHelper::lessThanVersion ("1.1.0", "1.1.1"));
    EXPECT_TRUE (VersionHelper::lessThanVersion ("1.1.0", "2"));
    EXPECT_TRUE (VersionHelper::lessThanVersion ("1.9.9", "1.10.0"));
    EXPECT_FALSE (VersionHelper::lessThanVersion ("1.1.0", "1.1.0"));
    EXPECT_FALSE (VersionHelper::lessThanVersion ("1.1.0", "1.1"));
    EXPECT_FALSE (VersionHelper::lessThanVersion ("1.1.0", "1.0.9"));
    EXPECT_FALSE (VersionHelper::lessThanVersion ("1.1.0", "0.99.99"));
    EXPECT_FALSE (VersionHelper::lessThanVersion ("1.1.0", "v1.2.0"));
    EXPECT_FALSE (VersionHelper::lessThanVersion ("1.2.0", "1.1.9"));
}

// The query runs on this thread against a server thread.
TEST (VersionQueryThreads, ReportsANewerVersionFromTheService)
{
    for (const auto& [reply, newer] : std::vector<std::pair<std::string, bool>> {
             { "1.2.0", true }, { "1.2.0\n", true }, { "2", true }, { "1.1.1", true }, { "1.1.0", false },
             { "1.0.9", false }, { "1.1", false }, { "v1.2.0", false }, { "", false }, { "1-2-0", true } })
    {
        editortest::VersionServiceStub service (200, reply);
        EXPECT_EQ (PluginHeader::newVersionIsAvailable (juce::URL (service.baseAddress()), "vantrel id"), newer)
            << "reply '" << reply << "'";
    }
}

TEST (VersionQueryThreads, SendsTheProductIdentifierAsAnEncodedQueryField)
{
    editortest::VersionServiceStub service (200, "1.0.0");
    PluginHeader::newVersionIsAvailable (juce::URL (service.baseAddress()), "KARVON Vantrel&x=1");
    const auto lines = service.requestLines();
    ASSERT_EQ (lines.size(), 1u);
    // HTTP/1.0, so that the reply is never sent in chunks.
    EXPECT_EQ (lines[0], "GET /LICENSES/version.php?product_identifier=KARVON%20Vantrel%26x%3D1 HTTP/1.0");
}

TEST (VersionQueryThreads, AnErrorReplyOrNoServiceShowsNoNotice)
{
    {
        // An error page whose text begins with a number is no version.
        editortest::VersionServiceStub service (404, "404 Not Found");
        EXPECT_FALSE (PluginHeader::newVersionIsAvailable (juce::URL (service.baseAddress()), "id"));
    }
    {
        // A port on which nobody listens (taken from a server that just closed).
        std::string closed;
        {
            editortest::VersionServiceStub service (200, "9.9.9");
            closed = service.baseAddress();
        }
        EXPECT_FALSE (PluginHeader::newVersionIsAvailable (juce::URL (closed), "id"));
    }
}

TEST (VersionQueryThreads, ALongReplyIsReadOnlyAsFarAsItsVersion)
{
    editortest::VersionServiceStub service (200, "3.0.0" + std::string (1 << 20, ' '));
    EXPECT_TRUE (PluginHeader::newVersionIsAvailable (juce::URL (service.baseAddress()), "id"));
}
