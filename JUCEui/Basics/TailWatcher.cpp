#include "Basics/TailWatcher.h"

TailWatcher::TailWatcher (juce::AudioProcessor& owner)
    : processor (owner), reported (owner.getTailLengthSeconds())
{
    startTimer (intervalMs);
}

TailWatcher::~TailWatcher()
{
    stopTimer();
}

void TailWatcher::check()
{
    const double tail = processor.getTailLengthSeconds();
    if (tail == reported)
        return;
    reported = tail;
    processor.updateHostDisplay (juce::AudioProcessor::ChangeDetails().withLatencyChanged (true));
}
