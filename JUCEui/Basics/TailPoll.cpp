#include "Basics/TailPoll.h"

TailPoll::TailPoll (juce::AudioProcessor& owner, std::function<double()> tail, int intervalMs)
    : processor (&owner), tailSeconds (std::move (tail)), reported (tailSeconds())
{
    startTimer (intervalMs);
}

void TailPoll::check()
{
    const std::lock_guard<std::mutex> held (lock);
    if (processor == nullptr)
        return;
    const double tail = tailSeconds();
    if (tail == reported)
        return;
    reported = tail;
    processor->updateHostDisplay (juce::AudioProcessor::ChangeDetails().withLatencyChanged (true));
}

void TailPoll::detach()
{
    stopTimer();
    const std::lock_guard<std::mutex> held (lock);
    processor = nullptr;
}

void TailPoll::release (std::shared_ptr<TailPoll> poll)
{
    if (poll == nullptr)
        return;
    poll->detach();

    auto* messages = juce::MessageManager::getInstanceWithoutCreating();
    if (messages == nullptr || messages->isThisTheMessageThread())
        return;

    // Messages are handled one after another: by the time this one runs, a
    // timer callback in progress (or picked, not yet entered) has returned.
    // If the loop is gone, the message is dropped and the poll goes with it.
    juce::MessageManager::callAsync ([keep = std::move (poll)] {});
}
