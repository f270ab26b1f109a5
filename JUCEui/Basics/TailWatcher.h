#pragma once

#include "Basics/TailPoll.h"

#include <memory>

// Tells the host when the processor's tail length has changed. Settings
// change on any thread, the audio thread included, where nothing may be sent;
// so the message thread looks a few times a second and, when the tail is not
// the one last reported, calls updateHostDisplay with the latency-changed
// detail, the only one JUCE's hosts and wrappers read the tail after. (JUCE
// 7's VST3 wrapper forwards it only when the latency itself changed: the VST3
// way to announce a new tail makes the host stop and restart the plug-in,
// which would cut the reverb at every turn of a knob. VST3 and LV2 hosts read
// the tail again when they start processing.)
//
// May be destroyed on any thread, as hosts destroy plug-ins: once the
// destructor returns, no check is running and none will read the processor.
// `tailSeconds` answers on any thread until then; it must not go through the
// processor's virtual functions (see TailPoll).
class TailWatcher
{
public:
    TailWatcher (juce::AudioProcessor& processor, std::function<double()> tailSeconds);
    ~TailWatcher();

    // The message thread: compares and reports at once (the timer calls it).
    void check() { poll->check(); }

    static constexpr int intervalMs = 200;

private:
    std::shared_ptr<TailPoll> poll;

    JUCE_DECLARE_NON_COPYABLE (TailWatcher)
};
