#include "FilterDSPKernel.h"

#include <algorithm>

FilterDSPKernel::FilterDSPKernel (std::unique_ptr<ParameterList> parameterList)
    : DSPKernel (std::move (parameterList)),
      parameterBuffers (std::make_unique<ParameterBufferList>())
{
    inputBuffers.reserve (maxBuses);
    outputBuffers.reserve (maxBuses);
}

void FilterDSPKernel::setBuffers (const std::vector<BufferList*>& inputs, const std::vector<BufferList*>& outputs) noexcept
{
    // assign() within the reserved capacity does not allocate.
    const auto in = std::min (inputs.size(), maxBuses);
    const auto out = std::min (outputs.size(), maxBuses);
    inputBuffers.assign (inputs.begin(), inputs.begin() + static_cast<std::ptrdiff_t> (in));
    outputBuffers.assign (outputs.begin(), outputs.begin() + static_cast<std::ptrdiff_t> (out));
}

void FilterDSPKernel::prepareBuffers()
{
    if (parameterBuffers == nullptr)
        parameterBuffers = std::make_unique<ParameterBufferList>();
    if (parameters != nullptr && parameters->size() > 0)
        parameterBuffers->checkSize (parameters->size() - 1);
}
