// A program that leaves with the version query still waiting on a stalled
// service, as a host does when it quits or unloads the plug-in with its editor
// open. It must exit at once and cleanly, whether the query is still owned by
// a static object (destroyed on the way out) or never destroyed at all.
// Usage: query-in-flight-at-exit full|silent static|leaked
#include "UI/PluginHeaderVersionQuery.h"
#include "VersionServiceStub.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace
{
std::unique_ptr<PluginHeaderVersionQuery>& staticQuery()
{
    static std::unique_ptr<PluginHeaderVersionQuery> query;
    return query;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: %s full|silent static|leaked\n", argv[0]);
        return 2;
    }
    // Never destroyed either: the listeners must outlive the query.
    auto* full = new editortest::FullBacklogService();
    auto* silent = new editortest::SilentService();
    const bool useFull = std::strcmp (argv[1], "full") == 0;
    if (useFull && ! full->isFull())
        return 3;
    const juce::URL address (useFull ? full->baseAddress() : silent->baseAddress());

    auto query = std::make_unique<PluginHeaderVersionQuery> (address, "id");
    std::this_thread::sleep_for (std::chrono::milliseconds (50));
    if (query->getResult() != PluginHeaderVersionQuery::Result::pending)
        return 4;
    if (std::strcmp (argv[2], "static") == 0)
        staticQuery() = std::move (query);
    else
        query.release();
    return 0;
}
