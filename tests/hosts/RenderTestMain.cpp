// Entry point of the renderer's tests: HOME (and with it the user preset
// folder) points at a fresh temporary folder before anything can touch the
// real one, and a JUCE message manager lives for the processor's timers.
#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <cstdlib>
#include <string>

int main (int argc, char** argv)
{
    std::string home = "/tmp/vantrel-render-tests-XXXXXX";
    if (mkdtemp (home.data()) == nullptr || setenv ("HOME", home.c_str(), 1) != 0)
        return 2;
    unsetenv ("XDG_CONFIG_HOME");

    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    const int result = RUN_ALL_TESTS();

    juce::File (juce::String (home)).deleteRecursively();
    return result;
}
