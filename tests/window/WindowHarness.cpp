#include "WindowHarness.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <thread>

namespace juce
{
// The platform's message pump: the tests run JUCE's loop without a modal loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace windowtest
{
namespace
{
Display* x (void* display)
{
    return static_cast<Display*> (display);
}

juce::MouseInputSource mouse()
{
    return juce::Desktop::getInstance().getMainMouseSource();
}

bool buttonDown (int button)
{
    // Set by JUCE's window as it handles the server's button event.
    const auto mods = juce::ModifierKeys::currentModifiers;
    return button == FakeInput::left ? mods.isLeftButtonDown() : mods.isRightButtonDown();
}
} // namespace

bool waitUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (timeoutMs);
    for (;;)
    {
        while (juce::dispatchNextMessageOnSystemQueue (true))
        {
        }
        if (condition())
            return true;
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}

void pump (int ms)
{
    waitUntil ([] { return false; }, ms);
}

void pumpTicks (int ticks, int hz)
{
    struct Counter : juce::Timer
    {
        void timerCallback() override { ++count; }
        int count = 0;
    } counter;
    counter.startTimerHz (hz);
    waitUntil ([&] { return counter.count >= ticks; }, 60000);
}

//==============================================================================
FakeInput::FakeInput() : display (XOpenDisplay (nullptr)) {}

FakeInput::~FakeInput()
{
    if (display == nullptr)
        return;
    // A test that stopped half-way must not leave a button held for the next.
    for (const int button : { left, right })
        if (held[button])
            XTestFakeButtonEvent (x (display), static_cast<unsigned int> (button), False, CurrentTime);
    XSync (x (display), False);
    XCloseDisplay (x (display));
    pump (5);
}

bool FakeInput::moveTo (juce::Point<int> screen)
{
    if (display == nullptr)
        return false;
    XTestFakeMotionEvent (x (display), -1, screen.x, screen.y, CurrentTime);
    XSync (x (display), False);
    return waitUntil ([&] { return mouse().getScreenPosition().roundToInt() == screen; });
}

bool FakeInput::press (int button)
{
    if (display == nullptr)
        return false;
    XTestFakeButtonEvent (x (display), static_cast<unsigned int> (button), True, CurrentTime);
    held[button] = true;
    XSync (x (display), False);
    return waitUntil ([&] { return buttonDown (button); });
}

bool FakeInput::release (int button)
{
    if (display == nullptr)
        return false;
    XTestFakeButtonEvent (x (display), static_cast<unsigned int> (button), False, CurrentTime);
    held[button] = false;
    XSync (x (display), False);
    const bool released = waitUntil ([&] { return ! buttonDown (button); });
    // Handlers of the release may post work (asynchronous updates): let it run.
    pump (5);
    return released;
}

bool FakeInput::click (juce::Component& target, juce::Point<int> local, int button)
{
    return moveTo (target.localPointToGlobal (local)) && press (button) && release (button);
}

bool FakeInput::clickCentre (juce::Component& target, int button)
{
    return click (target, target.getLocalBounds().getCentre(), button);
}

bool FakeInput::drag (juce::Component& target, juce::Point<int> from, juce::Point<int> to)
{
    if (! moveTo (target.localPointToGlobal (from)) || ! press (left))
        return false;
    constexpr int steps = 6;
    bool moved = true;
    for (int i = 1; i <= steps; ++i)
        moved = moveTo (target.localPointToGlobal (from + (to - from) * i / steps)) && moved;
    return release (left) && moved;
}

void FakeInput::key (unsigned long keysym, bool shift)
{
    if (display == nullptr)
        return;
    const auto shiftCode = XKeysymToKeycode (x (display), XK_Shift_L);
    const auto code = XKeysymToKeycode (x (display), keysym);
    if (shift)
        XTestFakeKeyEvent (x (display), shiftCode, True, CurrentTime);
    XTestFakeKeyEvent (x (display), code, True, CurrentTime);
    XTestFakeKeyEvent (x (display), code, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent (x (display), shiftCode, False, CurrentTime);
    XSync (x (display), False);
    pump (20);
}

void FakeInput::type (const juce::String& text)
{
    for (auto c : text)
    {
        if (c >= 'a' && c <= 'z')
            key (static_cast<unsigned long> (XK_a + (c - 'a')));
        else if (c >= 'A' && c <= 'Z')
            key (static_cast<unsigned long> (XK_a + (c - 'A')), true);
        else if (c >= '0' && c <= '9')
            key (static_cast<unsigned long> (XK_0 + (c - '0')));
        else if (c == ' ')
            key (XK_space);
        else if (c == '/')
            key (XK_slash);
        else if (c == '.')
            key (XK_period);
        else if (c == ',')
            key (XK_comma);
    }
}

//==============================================================================
TopLevelWindow::TopLevelWindow (juce::Component& shown) : content (shown)
{
    content.setTopLeftPosition (40, 40);
    content.addToDesktop (0);
    content.setVisible (true);
    content.toFront (true);

    // Mapped and receiving: the pointer moved onto the window is seen there.
    FakeInput input;
    const auto centre = content.localPointToGlobal (content.getLocalBounds().getCentre());
    ready = waitUntil ([&] {
        if (! content.isShowing())
            return false;
        input.moveTo (centre);
        auto* under = mouse().getComponentUnderMouse();
        return under != nullptr && (under == &content || content.isParentOf (under));
    }, 10000);
}

TopLevelWindow::~TopLevelWindow()
{
    content.removeFromDesktop();
    pump (5);
}

//==============================================================================
HostRecord::HostRecord (juce::AudioProcessor& observed) : processor (observed)
{
    for (auto* parameter : processor.getParameters())
        parameter->addListener (this);
}

HostRecord::~HostRecord()
{
    for (auto* parameter : processor.getParameters())
        parameter->removeListener (this);
}

juce::String HostRecord::idOf (int index) const
{
    const auto& parameters = processor.getParameters();
    if (auto* withID = dynamic_cast<juce::AudioProcessorParameterWithID*> (parameters[index]))
        return withID->paramID;
    return juce::String (index);
}

void HostRecord::parameterValueChanged (int index, float)
{
    auto& c = counts[idOf (index)];
    ++c.writes;
    if (c.open == 0)
        ++c.writesOutsideGesture;
}

void HostRecord::parameterGestureChanged (int index, bool starting)
{
    auto& c = counts[idOf (index)];
    if (starting)
    {
        ++c.begins;
        ++c.open;
    }
    else
    {
        ++c.ends;
        --c.open;
    }
}

HostRecord::Counts HostRecord::of (const juce::String& id) const
{
    const auto found = counts.find (id);
    return found != counts.end() ? found->second : Counts {};
}

std::map<std::string, float> HostRecord::values() const
{
    std::map<std::string, float> result;
    for (auto* parameter : processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
            result[ranged->paramID.toStdString()] = ranged->convertFrom0to1 (ranged->getValue());
    return result;
}

int HostRecord::totalWrites() const
{
    int total = 0;
    for (const auto& entry : counts)
        total += entry.second.writes;
    return total;
}

int HostRecord::totalBegins() const
{
    int total = 0;
    for (const auto& entry : counts)
        total += entry.second.begins;
    return total;
}

void HostRecord::clear()
{
    counts.clear();
}

//==============================================================================
void saveArtefact (juce::Component& component, const std::string& name)
{
    const juce::File folder (VANTREL_ARTEFACT_DIR);
    folder.createDirectory();
    const auto image = component.createComponentSnapshot (component.getLocalBounds());
    const auto file = folder.getChildFile (juce::String (name) + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    if (out.openedOk())
        png.writeImageToStream (image, out);
}
} // namespace windowtest
