// Test entry point of the editor tests: points HOME (and with it the user's
// documents folder) at a fresh temporary folder before any test can touch the
// real one, sends the version query to a closed loopback port unless a test
// run chose a service itself, and keeps JUCE's GUI layer alive for the
// components, timers and fonts the tests build headless.
#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <string>

int main (int argc, char** argv)
{
    std::string home = "/tmp/vantrel-editor-tests-XXXXXX";
    if (mkdtemp (home.data()) == nullptr || setenv ("HOME", home.c_str(), 1) != 0)
        return 2;
    unsetenv ("XDG_CONFIG_HOME");
    unsetenv ("XDG_DOCUMENTS_DIR");
    setenv ("KARVON_SERVICE_BASE_URL", "http://127.0.0.1:9/", 0);

    ::testing::InitGoogleTest (&argc, argv);
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }

    juce::File (juce::String (home)).deleteRecursively();
    return result;
}
