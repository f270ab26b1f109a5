#include "Basics/TailWatcher.h"

TailWatcher::TailWatcher (juce::AudioProcessor& owner)
    : poll (std::make_shared<TailPoll> (owner, intervalMs))
{
}

TailWatcher::~TailWatcher()
{
    TailPoll::release (std::move (poll));
}
