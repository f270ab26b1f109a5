#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>
#include <string>

// Runs the header's new-version query away from the message thread, so a slow
// or unreachable service never holds up the editor, and keeps the answer until
// the header reads it on its timer. Destroying the query never waits: an
// unfinished request is abandoned and its answer dropped.
class PluginHeaderVersionQuery
{
public:
    enum class Result
    {
        pending,
        noNewerVersion,
        newerVersion
    };

    // Asks the service at `serviceBase` about the product `productIdentifier`.
    PluginHeaderVersionQuery (juce::URL serviceBase, std::string productIdentifier);
    ~PluginHeaderVersionQuery();

    // Any thread.
    Result getResult() const noexcept;
    // Blocks the caller until the answer is in or `timeoutMs` passed; true when in.
    bool waitUntilFinished (int timeoutMs) const;

    struct Outcome
    {
        std::atomic<Result> result { Result::pending };
        std::atomic<bool> abandoned { false };
        juce::WaitableEvent finished { true };
    };

private:
    std::shared_ptr<Outcome> outcome;

    JUCE_DECLARE_NON_COPYABLE (PluginHeaderVersionQuery)
};
