// Entry point of the renderer's tests: HOME (and with it the user preset
// folder) points at a fresh temporary folder before anything can touch the
// real one, and a JUCE message manager lives for the processor's timers.
#include "TemporaryHome.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    testsupport::TemporaryHome home ("vantrel-render-tests");
    if (! home.isValid())
        return 2;

    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
