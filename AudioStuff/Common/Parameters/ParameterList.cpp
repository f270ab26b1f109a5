#include "Parameters/ParameterList.h"

ParameterList::ParameterList (int n)
{
    parameters.reserve (static_cast<std::size_t> (n > 0 ? n : 0));
    for (int i = 0; i < n; ++i)
    {
        auto p = std::make_unique<Parameter>();
        p->index = i;
        parameters.push_back (std::move (p));
    }
}

void ParameterList::gatherRamped()
{
    ramped.clear();
    for (const auto& p : parameters)
        if (p->ramper != nullptr && p->isRamped())
        {
            ramped.push_back ({ p->ramper.get(), static_cast<unsigned long> (p->index) });
            p->ramper->countRequestsIn (&requests);
        }
    allResting = false;
    rampedGathered = true;
}

bool ParameterList::checkOutBuffers (unsigned long frames, ParameterBufferList* buffers) noexcept
{
    bool anyWritten = false;
    if (rampedGathered)
    {
        // Most of the time every parameter rests, block after block: then
        // one look at the count of requests says so.
        const std::uint64_t seen = requests.load (std::memory_order_acquire);
        if (allResting && seen == requestsSeen && frames == restingFrames)
            return false;
        // Otherwise a resting parameter costs a few loads here instead of a call.
        bool all = true;
        for (const Ramped& r : ramped)
            if (! r.ramper->restsFor (frames))
            {
                anyWritten |= render (*r.ramper, r.index, frames, buffers);
                all = all && r.ramper->restsFor (frames);
            }
        allResting = all;
        restingFrames = frames;
        requestsSeen = seen;
        return anyWritten;
    }
    for (const auto& p : parameters)
    {
        ParameterRamper* ramper = p->ramper.get();
        if (ramper != nullptr && p->isRamped() && ! ramper->restsFor (frames))
            anyWritten |= render (*ramper, static_cast<unsigned long> (p->index), frames, buffers);
    }
    return anyWritten;
}

bool ParameterList::render (ParameterRamper& ramper, unsigned long index, unsigned long frames, ParameterBufferList* buffers) noexcept
{
    bool changed = false;
    float* b = ramper.getAndStep (frames, changed);
    // A parameter that stays constant keeps its slot pointing at the
    // ramper's buffer, which still holds the constant.
    if (! changed || buffers == nullptr)
        return false;
    if (index < buffers->size())
        buffers->slots[index]->buffer = b;
    else
        buffers->writeAt (index, b); // grows: only when the kernel did not size the list
    return true;
}
