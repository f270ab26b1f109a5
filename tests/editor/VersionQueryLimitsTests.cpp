// The version query against services that stall it at each step: a queue
// that never takes the connection, a server that takes it and never answers,
// one that answers a byte at a time. The query must end by its time-out by
// itself, closing must not wait for it, and one stalled query must not hold
// up another. Timings are generous bounds on behaviour, not measurements.
#include <gtest/gtest.h>

#include "UI/PluginHeaderVersionQuery.h"
#include "VersionServiceStub.h"

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace
{
using Query = PluginHeaderVersionQuery;
using namespace std::chrono_literals;

double millisecondsSince (std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count();
}

// Runs `check` once against each stand-in that stalls a query, with the
// stand-in's base address.
void forEachStall (const std::function<void (const std::string& what, const std::string& address)>& check)
{
    {
        editortest::FullBacklogService service;
        ASSERT_TRUE (service.isFull());
        check ("a full queue", service.baseAddress());
    }
    {
        editortest::VersionServiceStub service (200, "9.9.9", 0ms, false);
        check ("a server that never answers", service.baseAddress());
    }
    {
        editortest::VersionServiceStub service (200, "9.9.9", 400ms);
        check ("a server that answers a byte every 400 ms", service.baseAddress());
    }
}
} // namespace

TEST (VersionQueryLimitsThreads, AQueryLeftAloneEndsByItsTimeOutWhereverTheServiceStalls)
{
    forEachStall ([] (const std::string& what, const std::string& address) {
        const auto start = std::chrono::steady_clock::now();
        Query query (juce::URL (address), "id", 300);
        ASSERT_TRUE (query.waitUntilFinished (5000)) << what;
        const double elapsed = millisecondsSince (start);
        EXPECT_EQ (query.getResult(), Query::Result::noNewerVersion) << what;
        EXPECT_GE (elapsed, 250.0) << what;
        EXPECT_LT (elapsed, 2000.0) << what;
    });
}

TEST (VersionQueryLimitsThreads, ClosingDoesNotWaitForAStalledQuery)
{
    forEachStall ([] (const std::string& what, const std::string& address) {
        auto query = std::make_unique<Query> (juce::URL (address), "id");
        // Let it reach the step where it stalls.
        std::this_thread::sleep_for (100ms);
        EXPECT_EQ (query->getResult(), Query::Result::pending) << what;
        const auto start = std::chrono::steady_clock::now();
        query.reset();
        // Waiting for the stall would take the query's 5 s time-out.
        EXPECT_LT (millisecondsSince (start), 1000.0) << what;
    });
}

TEST (VersionQueryLimitsThreads, AStalledQueryHoldsUpNoLaterOne)
{
    editortest::FullBacklogService stalled;
    ASSERT_TRUE (stalled.isFull());
    editortest::VersionServiceStub service (200, "1.2.0");

    Query first (juce::URL (stalled.baseAddress()), "id");
    std::this_thread::sleep_for (50ms);
    const auto start = std::chrono::steady_clock::now();
    Query second (juce::URL (service.baseAddress()), "id");
    ASSERT_TRUE (second.waitUntilFinished (3000));
    // Held up, it would wait for the first one's 5 s time-out.
    EXPECT_LT (millisecondsSince (start), 2500.0);
    EXPECT_EQ (second.getResult(), Query::Result::newerVersion);
    EXPECT_EQ (first.getResult(), Query::Result::pending);
}

TEST (VersionQueryLimitsThreads, ASlowReplyThatEndsInTimeCounts)
{
    // About 100 bytes at 5 ms each: half a second, well inside the time-out.
    editortest::VersionServiceStub service (200, "1.2.0", 5ms);
    Query query (juce::URL (service.baseAddress()), "id");
    ASSERT_TRUE (query.waitUntilFinished (5000));
    EXPECT_EQ (query.getResult(), Query::Result::newerVersion);

    // A server that keeps the connection open: the reply ends at its stated
    // length, not at the time-out.
    editortest::VersionServiceStub open (200, "1.2.0", {}, true, false);
    Query kept (juce::URL (open.baseAddress()), "id", 3000);
    ASSERT_TRUE (kept.waitUntilFinished (2000));
    EXPECT_EQ (kept.getResult(), Query::Result::newerVersion);
}

TEST (VersionQueryLimitsThreads, AnAddressItCannotReachAnswersAtOnce)
{
    for (const char* address : { "https://127.0.0.1:9/", "ftp://127.0.0.1/", "" })
    {
        Query query (juce::URL (address), "id");
        EXPECT_EQ (query.getResult(), Query::Result::noNewerVersion) << address;
    }
}

// Not a *Threads suite: the C library runs the lookup on a thread of its own,
// which ThreadSanitizer does not see created and cannot run under.
TEST (VersionQueryLookup, ANameIsLookedUpAndEachOfItsAddressesTried)
{
    // "localhost" goes through the system's name lookup; it may name ::1
    // first, where nobody listens, before 127.0.0.1.
    editortest::VersionServiceStub service (200, "1.2.0");
    std::string address = service.baseAddress();
    address.replace (address.find ("127.0.0.1"), 9, "localhost");
    Query query (juce::URL (address), "id");
    ASSERT_TRUE (query.waitUntilFinished (5000));
    EXPECT_EQ (query.getResult(), Query::Result::newerVersion);
}
