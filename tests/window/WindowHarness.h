#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

// What the window tests share: a component shown as a real top-level window,
// mouse and key events sent through the X server (as a host's window receives
// them), a pump of JUCE's message loop that waits for conditions, a host-side
// record of parameter writes and gestures, and pictures of the window.
namespace windowtest
{
// Runs JUCE's message loop until `condition` holds or `timeoutMs` passed;
// returns the condition's last answer. The default is generous: a busy
// machine may take seconds for what takes milliseconds alone, and a wait
// that succeeds ends as soon as it does.
bool waitUntil (const std::function<bool()>& condition, int timeoutMs = 30000);
// Runs the message loop for about `ms` milliseconds.
void pump (int ms);
// Runs the message loop until a timer of `hz` has fired `ticks` times. All
// timers share one thread and one queue, so the components' own timers of
// that rate (or faster) have then fired at least as often, however late a
// busy machine runs them.
void pumpTicks (int ticks, int hz);

// Synthetic input through the X server (XTest). Each mouse step returns once
// JUCE has received it, so a test never races its own events.
class FakeInput
{
public:
    FakeInput();
    ~FakeInput();
    FakeInput (const FakeInput&) = delete;
    FakeInput& operator= (const FakeInput&) = delete;

    static constexpr int left = 1;
    static constexpr int right = 3;

    bool moveTo (juce::Point<int> screen);
    bool press (int button);
    bool release (int button);
    // Moves over the point of `target` (in its own coordinates), presses and releases.
    bool click (juce::Component& target, juce::Point<int> local, int button = left);
    bool clickCentre (juce::Component& target, int button = left);
    // Presses at `from`, drags to `to` in a few steps and releases (coordinates of `target`).
    bool drag (juce::Component& target, juce::Point<int> from, juce::Point<int> to);
    // A key (an X keysym, e.g. XK_Escape) pressed and released.
    void key (unsigned long keysym, bool shift = false);
    // Types letters, digits and the common punctuation of preset names.
    void type (const juce::String& text);

private:
    void* display = nullptr; // Display*, kept out of this header
    bool held[4] {};
};

// A component shown as a top-level window at (40, 40) for the life of the object.
class TopLevelWindow
{
public:
    explicit TopLevelWindow (juce::Component& content);
    ~TopLevelWindow();
    TopLevelWindow (const TopLevelWindow&) = delete;
    TopLevelWindow& operator= (const TopLevelWindow&) = delete;

    // True once the window is mapped and receives the pointer.
    bool isReady() const noexcept { return ready; }

private:
    juce::Component& content;
    bool ready = false;
};

// Counts, as a host does, every value write and gesture of a processor's
// parameters (by parameter ID).
class HostRecord : private juce::AudioProcessorParameter::Listener
{
public:
    explicit HostRecord (juce::AudioProcessor& processor);
    ~HostRecord() override;

    struct Counts
    {
        int writes = 0;
        int begins = 0;
        int ends = 0;
        // Writes made while no gesture of the parameter was open.
        int writesOutsideGesture = 0;
        int open = 0;
    };
    Counts of (const juce::String& id) const;
    // Every parameter's value in its own units.
    std::map<std::string, float> values() const;
    int totalWrites() const;
    int totalBegins() const;
    void clear();

private:
    void parameterValueChanged (int index, float) override;
    void parameterGestureChanged (int index, bool starting) override;
    juce::String idOf (int index) const;

    juce::AudioProcessor& processor;
    std::map<juce::String, Counts> counts;
};

// Writes a picture of `component` as build-tree/artefacts/<name>.png.
void saveArtefact (juce::Component& component, const std::string& name);
} // namespace windowtest
