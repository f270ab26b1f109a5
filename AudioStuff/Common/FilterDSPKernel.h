#pragma once

#include "BufferList.h"
#include "DSPKernel.h"
#include "Parameters/ParameterBufferList.h"

#include <memory>
#include <vector>

// A kernel that reads host buffers through input and output buffer lists and
// the per-sample parameter values of a block from a ParameterBufferList.
class FilterDSPKernel : public DSPKernel
{
public:
    explicit FilterDSPKernel (std::unique_ptr<ParameterList> parameterList = nullptr);

    // Audio thread, before every process: points the kernel at the host's bus
    // records (not owned). Copies into storage reserved up front, so it does
    // not allocate for up to maxBuses buses per direction.
    void setBuffers (const std::vector<BufferList*>& inputs, const std::vector<BufferList*>& outputs) noexcept;

    static constexpr std::size_t maxBuses = 16;

    std::vector<BufferList*> inputBuffers;
    std::vector<BufferList*> outputBuffers;
    std::unique_ptr<ParameterBufferList> parameterBuffers;

protected:
    // Gives every parameter a slot so that rendering never grows the list.
    void prepareBuffers() override;
};
