#include "UI/PluginHeaderVersionQuery.h"

#include "UI/PluginHeader.h"

namespace
{
// One worker for every header of this module: queries are rare and short.
// Being a static, it is stopped when the module unloads, so no query thread
// outlives the code it runs.
juce::ThreadPool& queryPool()
{
    static juce::ThreadPool pool (1);
    return pool;
}

class QueryJob : public juce::ThreadPoolJob
{
public:
    QueryJob (juce::URL base, std::string identifier, std::shared_ptr<PluginHeaderVersionQuery::Outcome> sharedOutcome)
        : juce::ThreadPoolJob ("Version query"),
          serviceBase (std::move (base)),
          productIdentifier (std::move (identifier)),
          outcome (std::move (sharedOutcome))
    {
    }

    JobStatus runJob() override
    {
        // A header closed before its turn came wants no answer.
        if (outcome->abandoned.load())
        {
            outcome->finished.signal();
            return jobHasFinished;
        }
        const bool newer = PluginHeader::newVersionIsAvailable (serviceBase, productIdentifier);
        outcome->result.store (newer ? PluginHeaderVersionQuery::Result::newerVersion
                                     : PluginHeaderVersionQuery::Result::noNewerVersion);
        outcome->finished.signal();
        return jobHasFinished;
    }

private:
    const juce::URL serviceBase;
    const std::string productIdentifier;
    const std::shared_ptr<PluginHeaderVersionQuery::Outcome> outcome;
};
} // namespace

PluginHeaderVersionQuery::PluginHeaderVersionQuery (juce::URL serviceBase, std::string productIdentifier)
    : outcome (std::make_shared<Outcome>())
{
    queryPool().addJob (new QueryJob (std::move (serviceBase), std::move (productIdentifier), outcome), true);
}

PluginHeaderVersionQuery::~PluginHeaderVersionQuery()
{
    // Never waits: a job still queued skips its request, one that runs
    // finishes on its own and writes into the outcome it shares, then frees it.
    outcome->abandoned.store (true);
}

PluginHeaderVersionQuery::Result PluginHeaderVersionQuery::getResult() const noexcept
{
    return outcome->result.load();
}

bool PluginHeaderVersionQuery::waitUntilFinished (int timeoutMs) const
{
    return outcome->finished.wait (timeoutMs);
}
