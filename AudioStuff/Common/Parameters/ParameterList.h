#pragma once

#include "Parameters/Parameter.h"
#include "Parameters/ParameterBufferList.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

// The ordered, owning list of a kernel's parameters.
class ParameterList
{
public:
    // n parameters with index 0..n-1 and every other field empty or zero.
    explicit ParameterList (int n);
    virtual ~ParameterList() = default;
    ParameterList (const ParameterList&) = delete;
    ParameterList& operator= (const ParameterList&) = delete;

    // Parameter indices a product puts forward.
    virtual std::vector<unsigned long> getFavourites() = 0;
    // Parameters a randomiser must leave alone.
    virtual std::vector<unsigned long> getUnrandomizable() { return {}; }

    // Audio thread, once per block: renders every ramped parameter and points
    // its slot in `buffers` at the ramper's buffer when the values changed.
    // frames must not exceed kMaxFramesPerBlock. Returns true when any slot
    // was rewritten, so that a caller keeping the slots' pointers knows
    // whether to look them up again.
    bool checkOutBuffers (unsigned long frames, ParameterBufferList* buffers) noexcept;

    // Not on the audio thread, once the parameters are set up (a kernel's
    // first init): notes the ramped parameters side by side, so that
    // checkOutBuffers reads only those and not every whole parameter.
    // Until then it looks through all of them.
    void gatherRamped();

    // Throws std::out_of_range beyond the list.
    Parameter& at (unsigned long index) { return *parameters.at (index); }
    const Parameter& at (unsigned long index) const { return *parameters.at (index); }
    Parameter* operator[] (unsigned long index) const noexcept { return parameters[index].get(); }
    unsigned long size() const noexcept { return static_cast<unsigned long> (parameters.size()); }

    auto begin() const noexcept { return parameters.begin(); }
    auto end() const noexcept { return parameters.end(); }

protected:
    std::vector<std::unique_ptr<Parameter>> parameters;

private:
    struct Ramped
    {
        ParameterRamper* ramper;
        unsigned long index;
    };
    bool render (ParameterRamper& ramper, unsigned long index, unsigned long frames, ParameterBufferList* buffers) noexcept;

    std::vector<Ramped> ramped;
    bool rampedGathered = false;
    // Requests to the listed rampers, counted; and what the last call found:
    // the count then, and whether every ramper rested for blocks of
    // restingFrames. Nothing can change that but a request.
    std::atomic<std::uint64_t> requests { 0 };
    std::uint64_t requestsSeen = 0;
    bool allResting = false;
    unsigned long restingFrames = 0;
};
