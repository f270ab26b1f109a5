// Test entry point: points HOME (and with it the user's documents folder) at a
// fresh temporary folder before any test can touch the real one, and keeps a
// JUCE message manager alive for the processor's timers and listeners.
#include "TemporaryHome.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    testsupport::TemporaryHome home ("vantrel-plugin-tests");
    if (! home.isValid())
        return 2;

    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
