// What an open editor asks the window system to draw: nothing while nothing
// changes, and a moving meter no more often than its refresh rate.
#include "RecordingPeer.h"

#include "UI/Controls/Meters/PeakMeterContainer.h"
#include "VantrelProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

using editortest::RecordingWindow;

namespace
{
constexpr int meterIndex = 24;

class EditorRepaints : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor = VantrelProcessor::create();
        processor->setRateAndBufferSizeDetails (48000.0, 512);
        processor->prepareToPlay (48000.0, 512);
        editor.reset (processor->createEditor());
        window = std::make_unique<RecordingWindow> (*editor);
        // The first frame draws everything; the editor then settles. Counted
        // in timer ticks, not seconds: on a busy machine the first readings
        // of the timers may come late.
        window->runTicks (10, PeakMeterContainer::refreshRateHz);
        window->peer().reset();
    }

    void TearDown() override
    {
        window.reset();
        editor.reset();
        processor.reset();
    }

    PeakMeterContainer* meter()
    {
        for (auto* c : editor->getChildren())
            if (auto* found = find (*c))
                return found;
        return nullptr;
    }

    juce::Rectangle<int> meterBounds()
    {
        auto* m = meter();
        return m != nullptr ? window->getLocalArea (m, m->getLocalBounds()) : juce::Rectangle<int> {};
    }

    // Sets the level and runs until the meter has read it, then two more
    // ticks for anything that reading set off.
    bool showMeter (float value)
    {
        setMeter (value);
        auto* m = meter();
        const bool read = m != nullptr && window->runUntil ([&] { return m->lastValues[0] == value; });
        window->runTicks (2, PeakMeterContainer::refreshRateHz);
        return read;
    }

    void setMeter (float value)
    {
        (*processor->getKernel().outputValue (meterIndex))[0].store (value);
    }

    std::unique_ptr<VantrelProcessor> processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    std::unique_ptr<RecordingWindow> window;

private:
    PeakMeterContainer* find (juce::Component& c)
    {
        if (auto* m = dynamic_cast<PeakMeterContainer*> (&c))
            return m;
        for (auto* child : c.getChildren())
            if (auto* found = find (*child))
                return found;
        return nullptr;
    }
};
} // namespace

TEST_F (EditorRepaints, AnIdleEditorAsksForNothing)
{
    // Many ticks of every timer (12 and 30 Hz) pass without a change.
    window->runTicks (8, 12);
    EXPECT_EQ (window->peer().requests, 0);
    EXPECT_EQ (window->peer().paints, 0);
}

TEST_F (EditorRepaints, AMovingMeterRedrawsItsPlotAtMostThirtyTimesASecond)
{
    const auto meter = meterBounds();
    ASSERT_FALSE (meter.isEmpty());

    // The audio thread moves the level far more often than a display shows.
    std::atomic<bool> stop { false };
    std::thread audio ([&] {
        for (int i = 0; ! stop; ++i)
        {
            setMeter (40.0f + static_cast<float> (i % 60));
            std::this_thread::sleep_for (std::chrono::microseconds (200));
        }
    });
    // A second's worth of the meter's ticks, however long they take to come.
    const double seconds = window->runTicks (PeakMeterContainer::refreshRateHz, PeakMeterContainer::refreshRateHz);
    stop = true;
    audio.join();

    auto& peer = window->peer();
    // Prompt: it follows the level...
    EXPECT_GE (peer.requests, 5);
    // ...at the meter's rate, not at every change.
    EXPECT_LE (peer.requests, static_cast<int> (seconds * 30.0 * 1.25) + 2);
    // Only the meter's plot, not the title above it or the rest of the window.
    EXPECT_TRUE (meter.contains (peer.requested.getBounds())) << peer.requested.getBounds().toString();
    EXPECT_LT (peer.requested.getBounds().getY(), meter.getY() + 30);
}

TEST_F (EditorRepaints, ALevelChangeTooSmallToSeeIsNotRedrawn)
{
    // 0 and 40 both draw a full bar.
    ASSERT_TRUE (showMeter (0.0f));
    window->peer().reset();
    ASSERT_TRUE (showMeter (40.0f));
    EXPECT_EQ (window->peer().requests, 0);

    ASSERT_TRUE (showMeter (80.0f));
    EXPECT_GE (window->peer().requests, 1);
}
