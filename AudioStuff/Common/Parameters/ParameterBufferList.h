#pragma once

#include <memory>
#include <vector>

// Per-block buffers of per-sample parameter values, by parameter index.
// Allocation happens only when the list grows (checkSize) or when buffers are
// copied in (setCopiedParameters); a kernel sizes the list before rendering,
// so the audio thread only rewrites pointers.
class ParameterBufferList
{
public:
    struct Slot
    {
        float* buffer = nullptr;
        // Set for copied indices: the slot's own storage.
        std::unique_ptr<float[]> ownBuffer;
    };

    virtual ~ParameterBufferList() = default;

    // Makes sure slot `index` exists (appending empty slots).
    void checkSize (unsigned long index);
    void writeAt (unsigned long index, float* buffer);
    // The buffer last written at `index`, or null.
    float* operator[] (unsigned long index);
    // Gives each of `indices` a zeroed buffer of its own that copyBufferList
    // fills instead of sharing the source's slot.
    void setCopiedParameters (std::vector<unsigned long> indices);
    void copyBufferList (ParameterBufferList* source, unsigned long frames);

    unsigned long size() const noexcept { return static_cast<unsigned long> (slots.size()); }

    // Slot records may be shared with another list after copyBufferList.
    std::vector<std::shared_ptr<Slot>> slots;
    std::vector<unsigned long> copiedIndices;
};
