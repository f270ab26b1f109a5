// Test entry point of the editor tests: points HOME (and with it the user's
// documents folder) at a fresh temporary folder before any test can touch the
// real one, sends the version query to a closed loopback port unless a test
// run chose a service itself, and keeps JUCE's GUI layer alive for the
// components, timers and fonts the tests build headless.
#include "TemporaryHome.h"

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

int main (int argc, char** argv)
{
    testsupport::TemporaryHome home ("vantrel-editor-tests");
    if (! home.isValid())
        return 2;
    setenv ("KARVON_SERVICE_BASE_URL", "http://127.0.0.1:9/", 0);
    // Headless on purpose: without DISPLAY, JUCE would try :0 and adopt any X
    // server that happens to run there (another program's test server), then
    // fail when that server goes away. A display that cannot exist keeps it
    // headless.
    setenv ("DISPLAY", ":65000", 0);

    ::testing::InitGoogleTest (&argc, argv);
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }

    return result;
}
