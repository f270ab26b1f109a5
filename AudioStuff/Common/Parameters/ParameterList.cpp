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

bool ParameterList::checkOutBuffers (unsigned long frames, ParameterBufferList* buffers) noexcept
{
    bool anyWritten = false;
    for (const auto& p : parameters)
    {
        ParameterRamper* ramper = p->ramper.get();
        // Most parameters rest most of the time: those cost a few loads here
        // instead of a call.
        if (ramper == nullptr || ! p->isRamped() || ramper->restsFor (frames))
            continue;
        bool changed = false;
        float* b = ramper->getAndStep (frames, changed);
        // A parameter that stays constant keeps its slot pointing at the
        // ramper's buffer, which still holds the constant.
        if (changed && buffers != nullptr)
        {
            const auto index = static_cast<unsigned long> (p->index);
            if (index < buffers->size())
                buffers->slots[index]->buffer = b;
            else
                buffers->writeAt (index, b); // grows: only when the kernel did not size the list
            anyWritten = true;
        }
    }
    return anyWritten;
}
