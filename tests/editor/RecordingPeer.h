#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace juce
{
// The platform's message pump (JUCE's own), to deliver timer callbacks
// without a modal loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

// A desktop window without a display: it records the areas its component asks
// to repaint, and paints them (into an image, as a window would on screen)
// when the test says so. Counting those requests shows how much drawing an
// editor asks for, without timing anything.
namespace editortest
{
class RecordingPeer : public juce::ComponentPeer
{
public:
    RecordingPeer (juce::Component& component) : juce::ComponentPeer (component, 0) {}

    void* getNativeHandle() const override { return nullptr; }
    void setVisible (bool) override {}
    void setTitle (const juce::String&) override {}
    void setBounds (const juce::Rectangle<int>& newBounds, bool) override { bounds = newBounds; }
    juce::Rectangle<int> getBounds() const override { return bounds; }
    juce::Point<float> localToGlobal (juce::Point<float> p) override { return p + bounds.getPosition().toFloat(); }
    juce::Point<float> globalToLocal (juce::Point<float> p) override { return p - bounds.getPosition().toFloat(); }
    void setMinimised (bool) override {}
    bool isMinimised() const override { return false; }
    void setFullScreen (bool) override {}
    bool isFullScreen() const override { return false; }
    void setIcon (const juce::Image&) override {}
    bool contains (juce::Point<int> p, bool) const override { return bounds.withZeroOrigin().contains (p); }
    OptionalBorderSize getFrameSizeIfPresent() const override { return {}; }
    juce::BorderSize<int> getFrameSize() const override { return {}; }
    bool setAlwaysOnTop (bool) override { return false; }
    void toFront (bool) override {}
    void toBehind (juce::ComponentPeer*) override {}
    bool isFocused() const override { return false; }
    void grabFocus() override {}
    void textInputRequired (juce::Point<int>, juce::TextInputTarget&) override {}
    void setAlpha (float) override {}
    juce::StringArray getAvailableRenderingEngines() override { return { "Software Renderer" }; }

    void repaint (const juce::Rectangle<int>& area) override
    {
        ++requests;
        requested.add (area);
        pending.add (area);
    }

    void performAnyPendingRepaintsNow() override
    {
        if (pending.isEmpty())
            return;
        juce::Image image (juce::Image::ARGB, std::max (1, bounds.getWidth()), std::max (1, bounds.getHeight()), true);
        juce::LowLevelGraphicsSoftwareRenderer context (image, {}, pending);
        pending.clear();
        handlePaint (context);
        ++paints;
    }

    // Forgets what was asked so far.
    void reset()
    {
        requests = 0;
        paints = 0;
        requested.clear();
    }

    int requests = 0;
    int paints = 0;
    juce::RectangleList<int> requested;

private:
    juce::Rectangle<int> bounds;
    juce::RectangleList<int> pending;
};

// Holds a component as a window's content, in a RecordingPeer.
class RecordingWindow : public juce::Component
{
public:
    explicit RecordingWindow (juce::Component& content)
    {
        setSize (content.getWidth(), content.getHeight());
        addAndMakeVisible (content);
        addToDesktop (0);
        setVisible (true);
    }
    ~RecordingWindow() override
    {
        removeFromDesktop();
        removeAllChildren();
    }

    RecordingPeer& peer() { return *static_cast<RecordingPeer*> (getPeer()); }

    juce::ComponentPeer* createNewPeer (int, void*) override { return new RecordingPeer (*this); }

    // Runs the message loop (timers included) until a timer of `hz` has
    // fired `ticks` times, painting what was asked after every message, as a
    // window would at its next frame.
    // All timers share one thread and one queue, so the editor's own timers
    // of that rate have fired about as often, however slowly a busy machine
    // lets them come. Gives up after a minute (timers that stopped). Returns
    // the seconds that passed.
    double runTicks (int ticks, int hz)
    {
        TickCounter counter;
        counter.startTimerHz (hz);
        const auto start = clock::now();
        const auto limit = start + std::chrono::minutes (1);
        while (counter.ticks < ticks && clock::now() < limit)
            step();
        return std::chrono::duration<double> (clock::now() - start).count();
    }

    // Runs the message loop until `condition` holds (at most a minute);
    // returns whether it did.
    template <typename Condition>
    bool runUntil (Condition&& condition)
    {
        const auto limit = clock::now() + std::chrono::minutes (1);
        while (! condition())
        {
            if (clock::now() >= limit)
                return false;
            step();
        }
        return true;
    }

private:
    using clock = std::chrono::steady_clock;

    struct TickCounter : juce::Timer
    {
        void timerCallback() override { ++ticks; }
        int ticks = 0;
    };

    // One message (or a short rest when none waits), then the frame.
    void step()
    {
        if (! juce::dispatchNextMessageOnSystemQueue (true))
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        peer().performAnyPendingRepaintsNow();
    }
};
} // namespace editortest
