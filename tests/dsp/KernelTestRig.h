#pragma once

#include "Kernel/VantrelDSPKernel.h"
#include "SignalAnalysis.h"
#include "VantrelParameterList.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

// Drives a kernel the way the processor does: init, setup, parameters, then
// host blocks through the buffer lists.
struct KernelRig
{
    using P = VantrelParameterList;
    using Signal = std::array<std::vector<float>, 2>;

    explicit KernelRig (int channels = 2, double rate = 48000.0)
    {
        prepare (channels, rate);
        ins.push_back (&inBus);
        outs.push_back (&outBus);
    }

    void prepare (int channels, double rate)
    {
        kernel->init (channels, rate);
        kernel->setup();
    }

    void set (std::initializer_list<std::pair<unsigned long, float>> values)
    {
        for (const auto& [index, value] : values)
            kernel->setParameter (index, value);
    }

    // Puts every ramp at rest on its target: the settings hold from the first
    // sample on, as if they had always been there.
    void settle()
    {
        for (auto& p : *kernel->parameters)
            if (p->ramper != nullptr)
                p->ramper->snapToTarget();
    }

    // Renders `in` in host blocks of `block` frames. inPlace: input and output
    // share memory, as with a host's buffer.
    Signal render (const Signal& in, unsigned long block, bool inPlace = false) { return renderBlocks (in, std::vector<unsigned long> { block }, inPlace); }

    // Host blocks of the given lengths, in turn.
    Signal renderBlocks (const Signal& in, const std::vector<unsigned long>& blocks, bool inPlace = false)
    {
        Signal out { in[0], in[1] };
        Signal source { in[0], in[1] };
        std::size_t b = 0;
        for (std::size_t s = 0; s < in[0].size(); s += blocks[b++ % blocks.size()])
        {
            const auto n = static_cast<unsigned long> (std::min<std::size_t> (blocks[b % blocks.size()], in[0].size() - s));
            for (std::size_t c = 0; c < 2; ++c)
            {
                inBus[c] = (inPlace ? out[c].data() : source[c].data()) + s;
                outBus[c] = out[c].data() + s;
            }
            kernel->setBuffers (ins, outs);
            kernel->process (n, 0, 0);
        }
        return out;
    }

    static Signal stereo (const std::vector<float>& x) { return { x, x }; }
    static Signal sine (double hz, double seconds, float amplitude = 0.5f, double rate = 48000.0)
    {
        return stereo (testsupport::sine (hz, rate, static_cast<std::size_t> (seconds * rate), amplitude));
    }

    float meter() { return (*kernel->outputValue (VantrelDSPKernel::kMeterParameter))[0].load(); }

    std::unique_ptr<VantrelDSPKernel> kernel = std::make_unique<VantrelDSPKernel>();
    BufferList inBus, outBus;
    std::vector<BufferList*> ins, outs;
};
