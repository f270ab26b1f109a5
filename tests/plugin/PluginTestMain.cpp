// Test entry point: points HOME (and with it the user's documents folder) at a
// fresh temporary folder before any test can touch the real one, and keeps a
// JUCE message manager alive for the processor's timers and listeners.
#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <cstdlib>
#include <string>

int main (int argc, char** argv)
{
    std::string home = "/tmp/vantrel-plugin-tests-XXXXXX";
    if (mkdtemp (home.data()) == nullptr || setenv ("HOME", home.c_str(), 1) != 0)
        return 2;
    unsetenv ("XDG_CONFIG_HOME");

    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    const int result = RUN_ALL_TESTS();

    juce::File (juce::String (home)).deleteRecursively();
    return result;
}
