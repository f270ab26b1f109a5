#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>
#include <mutex>

// The message-thread timer behind TailWatcher. A juce::Timer stopped from
// another thread may still be inside its callback, or about to enter it, when
// stopTimer returns; hosts destroy plug-ins on threads of their own, so the
// timer and the processor it reads could be freed under a running check.
// detach() therefore waits for a running check and keeps any later one from
// touching the processor, and the timer itself lives in shared ownership
// until the message thread has gone past every callback already picked.
// A check reads the tail through `tailSeconds`, not through the processor's
// virtual functions: the host destroys the derived parts of the processor
// (and replaces its virtual table) before its owner can stop the poll.
class TailPoll : private juce::Timer
{
public:
    TailPoll (juce::AudioProcessor& processor, std::function<double()> tailSeconds, int intervalMs);

    // The message thread: compares and reports at once (the timer calls it).
    void check();

    // Any thread but inside check(): when it returns, no check runs and none
    // will read the processor again. The timer is stopped too.
    void detach();

    // Any thread: detaches, then releases the poll on the message thread, so
    // that a callback the timer already picked finds it still there.
    static void release (std::shared_ptr<TailPoll> poll);

private:
    void timerCallback() override { check(); }

    std::mutex lock;
    juce::AudioProcessor* processor;
    const std::function<double()> tailSeconds;
    double reported;

    JUCE_DECLARE_NON_COPYABLE (TailPoll)
};
