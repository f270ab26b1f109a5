#include "UI/PluginHeaderVersionQuery.h"

#include "UI/VersionHelper.h"

namespace
{
// The reply is a short dotted version: anything longer is not read further.
constexpr std::size_t maximumReplyBytes = 1024;
} // namespace

PluginHeaderVersionQuery::PluginHeaderVersionQuery (const juce::URL& serviceBase, const std::string& productIdentifier,
                                                    int timeoutMs)
{
    const auto target = targetFor (serviceBase, productIdentifier);
    if (! target)
    {
        result.store (Result::noNewerVersion);
        return;
    }
    const auto deadline = BoundedHttpGet::Clock::now() + std::chrono::milliseconds (timeoutMs);
    // The thread reads only what it was given and this object's flags, which
    // outlive it: the destructor joins it.
    worker = std::thread ([this, address = *target, deadline] {
        finish (askService (address, deadline, cancelled) ? Result::newerVersion : Result::noNewerVersion);
    });
}

PluginHeaderVersionQuery::~PluginHeaderVersionQuery()
{
    cancelled.store (true, std::memory_order_release);
    if (worker.joinable())
        worker.join();
}

void PluginHeaderVersionQuery::finish (Result answer)
{
    {
        std::lock_guard<std::mutex> lock (mutex);
        result.store (answer);
    }
    finished.notify_all();
}

PluginHeaderVersionQuery::Result PluginHeaderVersionQuery::getResult() const noexcept
{
    return result.load();
}

bool PluginHeaderVersionQuery::waitUntilFinished (int timeoutMs) const
{
    std::unique_lock<std::mutex> lock (mutex);
    return finished.wait_for (lock, std::chrono::milliseconds (timeoutMs), [this] { return result.load() != Result::pending; });
}

std::optional<BoundedHttpGet::Target> PluginHeaderVersionQuery::targetFor (const juce::URL& serviceBase,
                                                                           const std::string& productIdentifier)
{
    const auto url = serviceBase.getChildURL ("LICENSES/version.php")
                         .withParameter ("product_identifier", juce::String::fromUTF8 (productIdentifier.c_str()));
    if (url.getScheme() != "http" || url.getDomain().isEmpty())
        return std::nullopt;

    BoundedHttpGet::Target target;
    target.host = url.getDomain().toStdString();
    if (url.getPort() > 0)
        target.port = std::to_string (url.getPort());
    target.path = url.getSubPath (true).toStdString();
    target.path.insert (target.path.begin(), '/');
    return target;
}

bool PluginHeaderVersionQuery::askService (const BoundedHttpGet::Target& target, BoundedHttpGet::Clock::time_point deadline,
                                           const std::atomic<bool>& cancelled)
{
    const auto reply = BoundedHttpGet::fetch (target, deadline, cancelled, maximumReplyBytes);
    // Only a successful reply carries a version: the text of an error page
    // ("404 Not Found") must not read as version 404.
    if (! reply || reply->status != 200 || reply->body.empty())
        return false;
    return VersionHelper::lessThanVersion (JucePlugin_VersionString, reply->body);
}
