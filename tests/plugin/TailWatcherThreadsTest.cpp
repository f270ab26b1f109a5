// Hosts destroy plug-ins on threads of their own while the message thread may
// be inside the tail watcher's check. Destroying the watcher must wait for
// that check, and no check may read the processor afterwards: the processor
// is destroyed right after, and the library may be unloaded.
#include <gtest/gtest.h>

#include "Basics/TailWatcher.h"
#include "PlainProcessor.h"
#include "ProcessorFixture.h"

#include <atomic>
#include <memory>
#include <thread>

using plugintest::pumpMessagesFor;

namespace
{
// Its tail query on the message thread is slow, so that the host thread
// destroys the watcher while a check is surely running.
class SlowTailProcessor : public testsupport::PlainProcessor
{
public:
    SlowTailProcessor() : PlainProcessor ("slow tail") {}

    static constexpr int kQueryMs = 500;

    double getTailLengthSeconds() const override
    {
        if (! juce::MessageManager::getInstance()->isThisTheMessageThread())
            return 1.0;
        if (afterDestruction.load())
            queriedAfterDestruction = true;
        checking = true;
        entered.signal();
        juce::Thread::sleep (kQueryMs);
        checking = false;
        return 2.0; // changed: the check goes on to report it
    }

    mutable std::atomic<bool> checking { false };
    mutable std::atomic<bool> queriedAfterDestruction { false };
    std::atomic<bool> afterDestruction { false };
    mutable juce::WaitableEvent entered;
};

struct ReportRecorder : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override
    {
        if (processor->afterDestruction.load())
            reportedAfterDestruction = true;
    }
    SlowTailProcessor* processor = nullptr;
    std::atomic<bool> reportedAfterDestruction { false };
};

struct TickCounter : juce::Timer
{
    void timerCallback() override
    {
        if (++ticks >= 2)
            twice = true;
    }
    int ticks = 0;
    std::atomic<bool> twice { false };
};
} // namespace

TEST (TailWatcherThreads, DestroyedOnAHostThreadMidCheckItWaitsAndNothingReadsTheProcessorAfter)
{
    SlowTailProcessor processor;
    ReportRecorder recorder;
    recorder.processor = &processor;
    processor.addListener (&recorder);

    std::atomic<bool> overlapped { false }, checkStillRunning { true }, hostDone { false };
    std::thread host ([&] {
        auto watcher = std::make_unique<TailWatcher> (processor, [&processor] { return processor.getTailLengthSeconds(); });
        // Long: a busy machine may run the timer late.
        overlapped = processor.entered.wait (30000);
        watcher.reset();
        checkStillRunning = processor.checking.load();
        processor.afterDestruction = true;
        hostDone = true;
    });

    pumpMessagesFor (40000, [&] { return hostDone.load(); });
    // Any callback left behind would run in these intervals.
    pumpMessagesFor (3 * TailWatcher::intervalMs);
    host.join();
    processor.removeListener (&recorder);

    ASSERT_TRUE (overlapped.load()) << "the timer never ran a check";
    EXPECT_FALSE (checkStillRunning.load()) << "the watcher's destructor returned while its check was still running";
    EXPECT_FALSE (processor.queriedAfterDestruction.load());
    EXPECT_FALSE (recorder.reportedAfterDestruction.load());
}

// A host destroys the whole processor on its own thread while the message
// thread runs the watcher's checks: the derived parts, and with them the
// virtual table, go before the base's destructor stops the watcher. No check
// may read any of that (ThreadSanitizer reports a read that is not ordered
// before the destruction, as a host's thread is not).
TEST (TailWatcherThreads, ChecksReadNothingOfAProcessorAHostThreadIsDestroying)
{
    std::atomic<bool> constructed { false }, checked { false }, hostDone { false };
    std::thread host ([&] {
        auto processor = VantrelProcessor::create();
        constructed = true;
        // Relaxed on purpose: nothing orders the checks before the destruction.
        while (! checked.load (std::memory_order_relaxed))
            std::this_thread::yield();
        processor.reset();
        hostDone = true;
    });

    // Timers share one thread and queue: once a probe started after the
    // watcher's timer has fired twice, the watcher's has fired too.
    pumpMessagesFor (30000, [&] { return constructed.load(); });
    TickCounter probe;
    probe.startTimer (TailWatcher::intervalMs);
    pumpMessagesFor (30000, [&] { return probe.twice.load(); });
    probe.stopTimer();
    checked.store (true, std::memory_order_relaxed);
    pumpMessagesFor (30000, [&] { return hostDone.load(); });
    host.join();

    EXPECT_TRUE (probe.twice.load()) << "the timers never ran";
}
