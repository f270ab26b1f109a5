// Several instances start at once (a host opening a project) and each creates
// the user preset folder, and the folders above it, when missing. An instance
// that loses the race for any of them must still find, list and save into the
// folder the others made.
#include "MkdirRace.h"
#include "ProcessorFixture.h"

#include <barrier>
#include <thread>

using namespace plugintest;

namespace
{
juce::File documentsFolder()
{
    return userFolder().getParentDirectory().getParentDirectory();
}

// The folders an instance may have to make, from the top.
enum class Level
{
    documents,
    maker,
    product
};

const char* nameOf (Level level)
{
    switch (level)
    {
        case Level::documents: return "Documents";
        case Level::maker: return "Maker";
        case Level::product: break;
    }
    return "Product";
}

void PrintTo (Level level, std::ostream* out)
{
    *out << nameOf (level);
}

juce::File folderAt (Level level)
{
    switch (level)
    {
        case Level::documents: return documentsFolder();
        case Level::maker: return userFolder().getParentDirectory();
        case Level::product: break;
    }
    return userFolder();
}

class UserPresetFolderRace : public ProcessorTest, public ::testing::WithParamInterface<Level>
{
protected:
    void SetUp() override
    {
        ProcessorTest::SetUp();
        // Nothing above the folder is there either (a fresh account). HOME is
        // the test program's own temporary folder.
        ASSERT_TRUE (documentsFolder().isAChildOf (juce::File::getSpecialLocation (juce::File::userHomeDirectory)));
        ASSERT_TRUE (documentsFolder().deleteRecursively());
    }
};
} // namespace

TEST_P (UserPresetFolderRace, SavingSucceedsWhenAnotherInstanceMakesAFolderFirst)
{
    automate (*processor, "RoomSize", 66.0f);

    const MkdirRace race (folderAt (GetParam()).getFullPathName().toStdString());
    const auto written = processor->writeUserPreset ("Raced");

    ASSERT_EQ (race.racesStaged(), 1) << "the race was never run";
    ASSERT_TRUE (written.wasOk()) << written.getErrorMessage();
    EXPECT_TRUE (userFolder().getChildFile ("Raced.vnprs").existsAsFile());
    ASSERT_NE (processor->currentPreset, nullptr);
    EXPECT_EQ (processor->currentPreset->name, "RACED");
    EXPECT_TRUE (processor->currentPreset->isUser);
}

TEST_P (UserPresetFolderRace, ListingFindsThePresetsTheOtherInstanceSaved)
{
    // The winner makes the folder at this level, then the rest of the way,
    // and saves a preset there before we look.
    const MkdirRace race (folderAt (GetParam()).getFullPathName().toStdString(), [] {
        ASSERT_TRUE (userFolder().createDirectory().wasOk());
        ASSERT_TRUE (userFolder().getChildFile ("Theirs.vnprs").replaceWithText (presetText ({ { "RoomSize", "20" } })));
    });
    processor->retrieveUserPresets();

    ASSERT_EQ (race.racesStaged(), 1) << "the race was never run";
    EXPECT_EQ (namesOf (processor->getPresetList (EffectProcessor::userList)), std::vector<juce::String> { "THEIRS" });
}

INSTANTIATE_TEST_SUITE_P (EveryFolderLevel, UserPresetFolderRace,
                          ::testing::Values (Level::documents, Level::maker, Level::product),
                          [] (const auto& info) { return std::string (nameOf (info.param)); });

// The same race between real instances: each saves from a thread of its own,
// all at the same moment, into a home where no folder exists yet.
TEST (UserPresetFolderThreads, InstancesSavingAtOnceIntoMissingFoldersAllSucceed)
{
    constexpr int instances = 4;
    constexpr int rounds = 40;
    const auto roomSizeOf = [] (int instance) { return 20.0f + 10.0f * static_cast<float> (instance); };
    std::vector<std::unique_ptr<VantrelProcessor>> processors;
    for (int i = 0; i < instances; ++i)
    {
        processors.push_back (VantrelProcessor::create());
        automate (*processors.back(), "RoomSize", roomSizeOf (i));
    }

    for (int round = 0; round < rounds; ++round)
    {
        ASSERT_TRUE (documentsFolder().deleteRecursively());
        std::barrier start (instances);
        std::vector<juce::Result> results (instances, juce::Result::ok());
        std::vector<std::thread> threads;
        for (int i = 0; i < instances; ++i)
            threads.emplace_back ([&, i] {
                start.arrive_and_wait();
                results[static_cast<size_t> (i)] = processors[static_cast<size_t> (i)]->writeUserPreset ("Instance " + juce::String (i));
            });
        for (auto& thread : threads)
            thread.join();

        for (int i = 0; i < instances; ++i)
            ASSERT_TRUE (results[static_cast<size_t> (i)].wasOk())
                << "round " << round << ", instance " << i << ": " << results[static_cast<size_t> (i)].getErrorMessage();

        // Each file holds its own instance's settings, and nothing else is left.
        auto& reader = *processors.front();
        reader.retrieveUserPresets();
        const auto saved = reader.getPresetList (EffectProcessor::userList);
        ASSERT_EQ (saved.size(), static_cast<size_t> (instances)) << "round " << round;
        for (int i = 0; i < instances; ++i)
        {
            EXPECT_EQ (saved[static_cast<size_t> (i)]->name, "INSTANCE " + juce::String (i));
            EXPECT_NEAR (valuesOf (saved[static_cast<size_t> (i)]->state).at ("RoomSize"), roomSizeOf (i), 1e-3)
                << "round " << round << ", instance " << i;
        }
        EXPECT_EQ (userFolder().getNumberOfChildFiles (juce::File::findFilesAndDirectories), instances) << "round " << round;
    }
    clearUserFolder();
}
