#include "Parameters/ParameterBufferList.h"

#include "BlockSize.h"

#include <algorithm>

void ParameterBufferList::checkSize (unsigned long index)
{
    while (slots.size() <= index)
        slots.push_back (std::make_shared<Slot>());
}

void ParameterBufferList::writeAt (unsigned long index, float* buffer)
{
    checkSize (index);
    slots[index]->buffer = buffer;
}

float* ParameterBufferList::operator[] (unsigned long index)
{
    checkSize (index);
    return slots[index]->buffer;
}

void ParameterBufferList::setCopiedParameters (std::vector<unsigned long> indices)
{
    std::sort (indices.begin(), indices.end());
    indices.erase (std::unique (indices.begin(), indices.end()), indices.end());
    copiedIndices = std::move (indices);
    for (const auto index : copiedIndices)
    {
        checkSize (index);
        // A slot record of its own, so that copyBufferList never writes into
        // a record shared with another list.
        auto slot = std::make_shared<Slot>();
        slot->ownBuffer = std::make_unique<float[]> (kMaxFramesPerBlock); // zeroed
        slot->buffer = slot->ownBuffer.get();
        slots[index] = std::move (slot);
    }
}

void ParameterBufferList::copyBufferList (ParameterBufferList* source, unsigned long frames)
{
    if (source == nullptr || source == this)
        return;
    if (copiedIndices.empty())
    {
        slots = source->slots;
        return;
    }
    frames = std::min (frames, kMaxFramesPerBlock);
    if (! source->slots.empty())
        checkSize (source->slots.size() - 1);
    auto copied = copiedIndices.begin();
    for (std::size_t i = 0; i < source->slots.size(); ++i)
    {
        while (copied != copiedIndices.end() && *copied < i)
            ++copied;
        if (copied != copiedIndices.end() && *copied == i)
        {
            const float* from = source->slots[i]->buffer;
            float* to = slots[i]->ownBuffer.get();
            if (from != nullptr && to != nullptr)
                std::copy (from, from + frames, to);
        }
        else
            slots[i] = source->slots[i];
    }
}
