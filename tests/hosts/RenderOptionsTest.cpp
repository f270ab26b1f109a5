#include "ProgressBar.h"
#include "RenderOptions.h"

#include <gtest/gtest.h>

namespace
{
std::optional<render::RenderOptions> parse (std::initializer_list<const char*> arguments, juce::String& error)
{
    juce::StringArray list;
    for (auto* a : arguments)
        list.add (a);
    return render::RenderOptions::parse (list, error);
}
} // namespace

TEST (RenderOptions, ReadsEveryOptionInBothSpellings)
{
    juce::String error;
    const auto options = parse ({ "--preset", "Abyss", "--set", "DryWet=80", "--set=PitchA=-12", "--block=64",
                                  "--tail", "2.5", "--state-in", "in.state", "--state-out=out.state", "--quiet",
                                  "a.wav", "b.wav" },
                                error);
    ASSERT_TRUE (options.has_value()) << error;
    EXPECT_EQ (options->presetName, "Abyss");
    ASSERT_EQ (options->sets.size(), 2u);
    EXPECT_EQ (options->sets[0].first, "DryWet");
    EXPECT_EQ (options->sets[0].second, 80.0);
    EXPECT_EQ (options->sets[1].first, "PitchA");
    EXPECT_EQ (options->sets[1].second, -12.0);
    EXPECT_EQ (options->blockSize, 64);
    ASSERT_TRUE (options->tailSeconds.has_value());
    EXPECT_EQ (*options->tailSeconds, 2.5);
    EXPECT_TRUE (options->quiet);
    EXPECT_EQ (options->stateIn.getFileName(), "in.state");
    EXPECT_EQ (options->stateOut.getFileName(), "out.state");
    EXPECT_EQ (options->input.getFileName(), "a.wav");
    EXPECT_EQ (options->output.getFileName(), "b.wav");
}

TEST (RenderOptions, DefaultsAreHostLike)
{
    juce::String error;
    const auto options = parse ({ "in.flac", "out.wav" }, error);
    ASSERT_TRUE (options.has_value()) << error;
    EXPECT_EQ (options->blockSize, 512);
    EXPECT_FALSE (options->tailSeconds.has_value()); // automatic
    EXPECT_TRUE (options->presetName.isEmpty());
    EXPECT_TRUE (options->sets.empty());
    EXPECT_FALSE (options->quiet);
    EXPECT_EQ (options->stateIn, juce::File());

    const auto list = parse ({ "--list-presets" }, error);
    ASSERT_TRUE (list.has_value());
    EXPECT_TRUE (list->listPresets);
}

TEST (RenderOptions, MistakesAreNamedInOneLine)
{
    struct Case
    {
        std::initializer_list<const char*> arguments;
        const char* mentions;
    };
    const Case cases[] = {
        { { "--set", "DryWet=abc", "a", "b" }, "not a number" },
        { { "--set", "DryWet=1,5", "a", "b" }, "not a number" },
        { { "--set", "DryWet=nan", "a", "b" }, "not a number" },
        { { "--set", "DryWet=inf", "a", "b" }, "not a number" },
        { { "--set", "DryWet", "a", "b" }, "ID=VALUE" },
        { { "--set", "=5", "a", "b" }, "ID=VALUE" },
        { { "--block", "0", "a", "b" }, "block size" },
        { { "--block", "1.5", "a", "b" }, "block size" },
        { { "--block", "-64", "a", "b" }, "block size" },
        { { "--block", "99999999", "a", "b" }, "block size" },
        { { "--tail", "-1", "a", "b" }, "tail" },
        { { "--tail", "ten", "a", "b" }, "tail" },
        { { "--preset", "", "a", "b" }, "preset" },
        { { "--preset" }, "needs a value" },
        { { "--louder", "a", "b" }, "unknown option --louder" },
        { { "-q", "a", "b" }, "unknown option -q" },
        { { "a" }, "INPUT and an OUTPUT" },
        { { "a", "b", "c" }, "too many files" },
        { { "--list-presets", "a" }, "no files" },
        // Arguments quoted in the message keep it on one line.
        { { "--set", "Dry\nWet=x", "a", "b" }, "'x' for Dry\\nWet" },
        { { "--block", "6\t4\x1b", "a", "b" }, "'6\\t4\\x1b'" },
        { { "--bad\r\noption", "a", "b" }, "--bad\\x0d\\noption" },
        { { "a\nb", "c", "d" }, "a\\nb c d" },
    };

    for (const auto& c : cases)
    {
        juce::String error;
        EXPECT_FALSE (parse (c.arguments, error).has_value()) << c.mentions;
        EXPECT_TRUE (error.contains (c.mentions)) << "message: " << error;
        EXPECT_FALSE (error.containsChar ('\n')) << error;
    }
}

TEST (RenderOptions, ArgumentsThatAreNotUtf8AreRefusedByNumber)
{
    const char* good[] = { "vantrel-render", "--preset", "caf\xc3\xa9", "in.wav", "out.wav" };
    juce::String error;
    const auto arguments = render::RenderOptions::argumentsFrom (5, good, error);
    ASSERT_TRUE (arguments.has_value());
    EXPECT_EQ ((*arguments)[1], juce::String::fromUTF8 ("caf\xc3\xa9"));

    for (const char* bad : { "caf\xe9", "\xe0\x99\x99", "\xc3" })
    {
        const char* argv[] = { "vantrel-render", "in.wav", bad };
        EXPECT_FALSE (render::RenderOptions::argumentsFrom (3, argv, error).has_value());
        EXPECT_EQ (error, "argument 2 is not UTF-8 text");
    }
}

TEST (RenderOptions, NumbersIgnoreTheLocaleAndTrailingText)
{
    EXPECT_EQ (render::parseNumber ("-12"), -12.0);
    EXPECT_EQ (render::parseNumber (" 0.25 "), 0.25);
    EXPECT_EQ (render::parseNumber ("1e3"), 1000.0);
    EXPECT_FALSE (render::parseNumber ("12dB").has_value());
    EXPECT_FALSE (render::parseNumber ("").has_value());
    EXPECT_FALSE (render::parseNumber ("1e999").has_value());
}

TEST (RenderProgress, BarCoversInputThenTail)
{
    render::OfflineRenderer::Progress p;
    p.sampleRate = 48000.0;
    p.inputFrames = 48000;
    p.inputFramesDone = 24000;
    p.tailFrames = -1;
    EXPECT_EQ (render::ProgressBar::format (p), "[###############---------------]  50%");

    // Automatic tail: the input is done, the tail's length is not known yet.
    p.inputFramesDone = 48000;
    p.tailFramesDone = 72000;
    EXPECT_EQ (render::ProgressBar::format (p), "[##############################] 100%  tail 1.5 s");

    // A fixed tail counts towards the total.
    p.tailFrames = 48000;
    p.tailFramesDone = 0;
    EXPECT_EQ (render::ProgressBar::format (p), "[###############---------------]  50%");
}
