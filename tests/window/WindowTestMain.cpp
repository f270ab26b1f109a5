// Test entry point of the window tests: HOME in a fresh temporary folder, the
// version query sent to a closed loopback port, a private X server, then
// JUCE's GUI layer (which connects to that server on first use).
#include "PrivateXServer.h"
#include "TemporaryHome.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace
{
// A host keeps its window-system errors to itself; JUCE installs no handler
// inside a plug-in, and Xlib's default one ends the process (for instance on
// a window-manager property asked of a server that runs no window manager).
int ignoreXError (Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    testsupport::TemporaryHome home ("vantrel-window-tests");
    if (! home.isValid())
        return 2;
    setenv ("KARVON_SERVICE_BASE_URL", "http://127.0.0.1:9/", 0);

    ::testing::InitGoogleTest (&argc, argv);
    // Listing the tests (CTest's discovery) needs no server.
    if (::testing::GTEST_FLAG (list_tests))
        return RUN_ALL_TESTS();

    windowtest::PrivateXServer server;
    if (! server.isRunning())
    {
        std::cerr << "could not start Xvfb (scripts/setup.sh installs it)\n";
        return 2;
    }

    XSetErrorHandler (ignoreXError);
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }
    return result;
}
