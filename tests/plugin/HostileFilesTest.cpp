// Files and state blocks made to hurt: nested without end, entities that
// expand into themselves, FIFOs and devices named like presets, odd names.
// Each is skipped or refused, the rest is read, and nothing is changed.
#include "ProcessorFixture.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace plugintest;

namespace
{
// `depth` nested elements inside a preset's dict (about 3 bytes each).
juce::String deeplyNestedPreset (int depth)
{
    return "<plist><dict><key>DryWet</key><real>1</real>" + juce::String::repeatedString ("<a>", depth)
           + juce::String::repeatedString ("</a>", depth) + "</dict></plist>";
}

juce::MemoryBlock stateBlock (const juce::String& xmlText)
{
    // Wrapped as the framework wraps a state, whatever the text holds.
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    out.writeInt (0x21324356);
    out.writeInt (static_cast<int> (xmlText.getNumBytesAsUTF8()) + 1);
    out.write (xmlText.toRawUTF8(), xmlText.getNumBytesAsUTF8() + 1);
    return block;
}

// Each entry of the user folder by its raw name, with the bytes of regular
// files (read without the framework's strings, which some names would break).
std::map<std::string, std::string> folderContents()
{
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator (userFolder().getFullPathName().toStdString()))
    {
        std::string bytes = "(other)";
        if (entry.is_regular_file() && ! entry.is_symlink() && entry.file_size() < 4'000'000)
        {
            std::ifstream in (entry.path(), std::ios::binary);
            bytes.assign (std::istreambuf_iterator<char> (in), {});
        }
        contents[entry.path().filename().native()] = bytes;
    }
    return contents;
}

// Runs `work` and waits at most `seconds` for it; on time-out `unblock` is
// called so the worker can end, and false is returned.
bool finishesWithin (double seconds, std::function<void()> work, std::function<void()> unblock = {})
{
    std::packaged_task<void()> task (std::move (work));
    auto done = task.get_future();
    std::thread worker (std::move (task));
    const bool finished = done.wait_for (std::chrono::duration<double> (seconds)) == std::future_status::ready;
    if (! finished && unblock)
        unblock();
    if (finished || unblock)
        worker.join();
    else
        worker.detach();
    return finished;
}
} // namespace

TEST_F (ProcessorTest, DeeplyNestedPresetFilesAreSkippedAtConstructionAndLeftOnDisk)
{
    processor.reset();
    writeUserFile ("deep.vnprs", deeplyNestedPreset (30000));
    writeUserFile ("deep in key.vnprs", "<plist><dict><key>" + juce::String::repeatedString ("<k>", 30000) + "</key></dict></plist>");
    writeUserFile ("just deep enough.vnprs", deeplyNestedPreset (28));
    writeUserFile ("fine.vnprs", presetText ({ { "RoomSize", "77" } }));
    const auto before = folderContents();

    processor = VantrelProcessor::create();

    EXPECT_EQ (namesOf (processor->getPresetList (EffectProcessor::userList)),
               (std::vector<juce::String> { "FINE", "JUST DEEP ENOUGH" }));
    EXPECT_EQ (folderContents(), before);
}

TEST_F (ProcessorTest, HostileStateBlocksChangeNothing)
{
    prepare();
    ASSERT_TRUE (processor->setPreset ("Abyss", true));
    automate (*processor, "RoomSize", 33.0f);
    const auto values = currentValues (*processor);
    auto* current = processor->currentPreset;

    const juce::String blocks[] = {
        // 100,000 nested elements inside a state.
        "<Parameters>" + juce::String::repeatedString ("<PARAM>", 100000) + "</Parameters>",
        // An entity that expands into itself, and one that expands into elements.
        R"(<!DOCTYPE Parameters [<!ENTITY a "&a;">]><Parameters PresetName="Clear">&a;</Parameters>)",
        R"(<!DOCTYPE Parameters [<!ENTITY e "<PARAM id='RoomSize' value='1'/>">]><Parameters>&e;</Parameters>)",
        // A processing instruction before text, which the parser reads forever.
        R"(<Parameters PresetName="Clear"><?x?>text<PARAM id="RoomSize" value="1"/></Parameters>)",
        // A character reference cut short at the end of an attribute.
        R"(<Parameters PresetName="&#x)",
        // One attribute twice (the tree would restore one and save the other).
        R"(<Parameters PresetName="Clear"><PARAM id="RoomSize" value="1" value="nan"/></Parameters>)",
        // More attributes than any state has.
        "<Parameters PresetName=\"Clear\"><PARAM id=\"RoomSize\" value=\"1\""
            + [] { juce::String s; for (int i = 0; i < 300; ++i) s << " a" << i << "=\"\""; return s; }() + "/></Parameters>",
        // Larger than any state: a megabyte of white space in a good one.
        "<Parameters PresetName=\"Clear\">" + juce::String::repeatedString (" ", 1 << 20)
            + "<PARAM id=\"RoomSize\" value=\"1\"/></Parameters>",
    };
    for (const auto& text : blocks)
    {
        SCOPED_TRACE (text.substring (0, 80));
        const auto block = stateBlock (text);
        ASSERT_TRUE (finishesWithin (20.0, [&] {
            processor->setStateInformation (block.getData(), static_cast<int> (block.getSize()));
        }));
        EXPECT_EQ (currentValues (*processor), values);
        EXPECT_EQ (processor->currentPreset, current);
        EXPECT_FALSE (processor->stateRestoredPending);
    }

    // A state of the usual depth, with comments and references, still restores.
    const auto usual = stateBlock (R"(<?xml version="1.0"?><!-- saved --><Parameters PresetName="&#67;lear &amp; more">)"
                                   R"(<PARAM id="RoomSize" value="44"/></Parameters>)");
    processor->setStateInformation (usual.getData(), static_cast<int> (usual.getSize()));
    EXPECT_NEAR (hostValue (*processor, "RoomSize"), 44.0f, 1e-3f);
    EXPECT_EQ (processor->restoredPresetName, "Clear & more");
}

TEST_F (ProcessorTest, OnlyRegularFilesOfPresetSizeAreRead)
{
    processor.reset();
    writeUserFile ("fine.vnprs", presetText ({ { "RoomSize", "77" } }));
    const auto fifo = userFolder().getChildFile ("fifo.vnprs");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (userFolder().getChildFile ("folder.vnprs").createDirectory().wasOk());
    ASSERT_EQ (::symlink ("/dev/zero", userFolder().getChildFile ("zeros.vnprs").getFullPathName().toRawUTF8()), 0);
    ASSERT_EQ (::symlink ("fine.vnprs", userFolder().getChildFile ("link.vnprs").getFullPathName().toRawUTF8()), 0);
    // Larger than any preset: not read, even though it starts like one.
    writeUserFile ("huge.vnprs", presetText ({ { "RoomSize", "5" } }) + juce::String::repeatedString (" ", 1 << 20));

    const bool constructed = finishesWithin (
        20.0, [this] { processor = VantrelProcessor::create(); },
        [&fifo] {
            // Give the blocked reader its end of file.
            const int writer = ::open (fifo.getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close (writer);
        });
    ASSERT_TRUE (constructed) << "construction waited on the FIFO";
    EXPECT_EQ (namesOf (processor->getPresetList (EffectProcessor::userList)),
               (std::vector<juce::String> { "FINE", "LINK" }));
}

TEST_F (ProcessorTest, NamesAndTextsThatAreNotUtf8AreSkippedAndNamesStayInsideTheFolder)
{
    // Names and contents as raw bytes, as any program may leave them.
    const std::string preset = presetText ({ { "RoomSize", "2" } }).toStdString();
    auto writeRaw = [] (const std::string& name, const std::string& content) {
        userFolder().createDirectory();
        std::ofstream (userFolder().getFullPathName().toStdString() + "/" + name, std::ios::binary) << content;
    };
    writeRaw ("ok.vnprs", preset);
    writeRaw ("~home.vnprs", preset);
    writeRaw ("bom.vnprs", "\xef\xbb\xbf" + preset);
    writeRaw ("latin.vnprs", preset + "<!-- caf\xe9 -->");
    writeRaw ("overlong.vnprs", preset + "<!-- \xe0\x99\x99 -->");
    writeRaw ("caf\xe9.vnprs", preset);
    writeRaw ("\xe0\x99\x99.vnprs", preset);
    const auto before = folderContents();

    processor->retrieveUserPresets();

    EXPECT_EQ (namesOf (processor->getPresetList (EffectProcessor::userList)), (std::vector<juce::String> { "BOM", "OK", "~HOME" }));
    for (auto* p : processor->getPresetList (EffectProcessor::userList))
        EXPECT_EQ (p->file.getParentDirectory(), userFolder()) << p->file.getFullPathName();
    EXPECT_EQ (folderContents(), before);
}

TEST_F (ProcessorTest, OnlyNamesEndingInTheExtensionAfterAStemArePresets)
{
    const auto preset = presetText ({ { "RoomSize", "2" } });
    for (const char* name : { ".vnprs", "vnprs", "x.vnprs.bak", "  .vnprs", "y.VNPRS", "vnprs.txt", "z.vnprs~", "ok.vnprs",
                              ".hidden.vnprs", "a.b.vnprs" })
        writeUserFile (name, preset);
    processor->retrieveUserPresets();

    EXPECT_EQ (namesOf (processor->getPresetList (EffectProcessor::userList)),
               (std::vector<juce::String> { ".HIDDEN", "A.B", "OK" }));
}
