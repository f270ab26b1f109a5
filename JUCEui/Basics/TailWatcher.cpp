#include "Basics/TailWatcher.h"

TailWatcher::TailWatcher (juce::AudioProcessor& owner, std::function<double()> tailSeconds)
    : poll (std::make_shared<TailPoll> (owner, std::move (tailSeconds), intervalMs))
{
}

TailWatcher::~TailWatcher()
{
    TailPoll::release (std::move (poll));
}
