#pragma once

#include <juce_core/juce_core.h>

#include "Network/BoundedHttpGet.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// Runs the header's new-version query on a thread of its own, so a slow or
// unreachable service never holds up the editor, and keeps the answer until
// the header reads it on its timer. Every step of the query ends by its
// time-out; destroying the query cancels it and returns within a few
// milliseconds (the thread is joined, never killed). Queries are independent:
// one that hangs delays no other.
class PluginHeaderVersionQuery
{
public:
    enum class Result
    {
        pending,
        noNewerVersion,
        newerVersion
    };

    // The whole exchange with the service may take this long at most.
    static constexpr int defaultTimeoutMs = 5000;

    // Asks the service at `serviceBase` about the product `productIdentifier`.
    // The address is read here, on the caller's thread.
    PluginHeaderVersionQuery (const juce::URL& serviceBase, const std::string& productIdentifier,
                              int timeoutMs = defaultTimeoutMs);
    ~PluginHeaderVersionQuery();

    // Any thread.
    Result getResult() const noexcept;
    // Blocks the caller until the answer is in or `timeoutMs` passed; true when in.
    bool waitUntilFinished (int timeoutMs) const;

    // Where the query for `productIdentifier` goes: the service's version
    // page with the identifier as its parameter. Nothing for an address this
    // query cannot reach (only plain http is spoken).
    static std::optional<BoundedHttpGet::Target> targetFor (const juce::URL& serviceBase,
                                                            const std::string& productIdentifier);
    // Sends the query and compares the reply with this product's version:
    // true when the service names a newer one. Returns by `deadline`, or soon
    // after `cancelled` is set, with false.
    static bool askService (const BoundedHttpGet::Target& target, BoundedHttpGet::Clock::time_point deadline,
                            const std::atomic<bool>& cancelled);

private:
    void finish (Result result);

    std::atomic<Result> result { Result::pending };
    std::atomic<bool> cancelled { false };
    mutable std::mutex mutex;
    mutable std::condition_variable finished;
    std::thread worker;

    JUCE_DECLARE_NON_COPYABLE (PluginHeaderVersionQuery)
};
