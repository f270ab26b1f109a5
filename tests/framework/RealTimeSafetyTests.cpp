#include "FilterDSPKernel.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/NoteScale.h"
#include "ProcessBlock/Filters/BiquadFilter.h"
#include "ProcessBlock/Mix/Gain.h"
#include "VantrelParameterList.h"

#include "AllocationCounter.h"
#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
class SwitchCountingKernel : public FilterDSPKernel
{
public:
    SwitchCountingKernel() : FilterDSPKernel (std::make_unique<VantrelParameterList>()) {}
    void updateParameter (unsigned long, float) override { switches.fetch_add (1, std::memory_order_relaxed); }
    void process (unsigned long frames, unsigned long, long) noexcept override
    {
        parameters->checkOutBuffers (frames, parameterBuffers.get());
    }
    std::atomic<int> switches { 0 };
};

using P = VantrelParameterList;
} // namespace

TEST (RealTimeSafety, AudioPathAllocatesNothing)
{
    SwitchCountingKernel kernel;
    kernel.init (2, 44100);
    kernel.setup();
    BiquadFilter filter;
    filter.init (2, 44100);
    Gain gain;
    BufferList in, out;
    std::vector<float> left = testsupport::sine (220.0, 44100.0, 4096), right = left, work (4096);
    in[0] = out[0] = left.data();
    in[1] = out[1] = right.data();
    const std::vector<BufferList*> inputs { &in }, outputs { &out };

    testsupport::ScopedAllocationCounter counter;
    for (int block = 0; block < 20; ++block)
    {
        const unsigned long frames = block % 2 == 0 ? 512 : 4096;
        kernel.setParameter (P::InputFilterFrequency, 100.0f + 50.0f * float (block));
        kernel.setParameter (P::DryWet, float (block));
        kernel.setParameter (P::PitchA, float (block % 5));
        kernel.setBuffers (inputs, outputs);
        kernel.process (frames, 0, 0);
        float* f = (*kernel.parameterBuffers)[P::InputFilterFrequency];
        NoteScale::freq (f, work.data(), frames);
        for (unsigned long c = 0; c < 2; ++c)
        {
            filter.setType (block % 3 == 0 ? LowShelf : HighPass);
            filter.process (c == 0 ? left.data() : right.data(), frames, c,
                            BiquadFilterParameters { 0.0f, work.data(), 3.0f, (*kernel.parameterBuffers)[P::InputFilterResonance], 0.0f, nullptr });
            gain.process (c == 0 ? left.data() : right.data(), frames, (*kernel.parameterBuffers)[P::InputGain]);
        }
        SignalProcessing::tanh (left.data(), left.data(), frames);
        SignalProcessing::frac (work.data(), frames);
        float level = 0.0f;
        SignalProcessing::rms (left.data(), &level, frames);
        (*kernel.outputValue (P::DuckingPeakMeter))[0].store (level, std::memory_order_relaxed);
    }
    EXPECT_EQ (0u, counter.allocations());
    EXPECT_TRUE (testsupport::allFinite (left.data(), left.size()));
}

// Two threads change parameters (as host automation and the editor would)
// while a third renders blocks; ThreadSanitizer checks the hand-over. At the
// end every parameter rests exactly on the last value requested.
TEST (ParameterThreads, SetParameterWhileRendering)
{
    SwitchCountingKernel kernel;
    kernel.init (2, 48000);
    kernel.setup();

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };
    std::thread audio ([&] {
        while (running.load (std::memory_order_acquire) || blocks.load() < 50)
        {
            kernel.process (256, 0, 0);
            const float* dryWet = (*kernel.parameterBuffers)[P::DryWet];
            for (int i = 0; i < 256; ++i)
                if (! (dryWet[i] >= 0.0f && dryWet[i] <= 100.0f))
                    ADD_FAILURE() << "ramp left its range: " << dryWet[i];
            blocks.fetch_add (1);
        }
    });
    const auto setter = [&] (int seed) {
        for (int i = 0; i < 20000; ++i)
        {
            const float v = float ((i * 7 + seed * 13) % 101);
            kernel.setParameter (P::DryWet, v);
            kernel.setParameter (P::InputFilterFrequency, 20.0f + 100.0f * v);
            kernel.setParameter (P::FineA, v - 50.0f);
            (void) kernel.getParameter (P::DryWet);
        }
    };
    std::thread automation (setter, 1);
    std::thread editor (setter, 2);
    automation.join();
    editor.join();
    kernel.setParameter (P::DryWet, 42.0f);
    kernel.setParameter (P::InputFilterFrequency, 1234.0f);
    running.store (false, std::memory_order_release);
    audio.join();

    EXPECT_EQ (42.0f, kernel.getParameter (P::DryWet));
    EXPECT_NEAR (1234.0f, kernel.getParameter (P::InputFilterFrequency), 0.05f);
    // Every switch change reached the kernel: seven seeded by init, then FineA.
    EXPECT_EQ (7 + 2 * 20000, kernel.switches.load());
    // Render past the ramp: the buffers hold the last targets exactly.
    for (int i = 0; i < 8; ++i)
        kernel.process (256, 0, 0);
    EXPECT_EQ (42.0f, (*kernel.parameterBuffers)[P::DryWet][255]);
    EXPECT_NEAR (NoteScale::note (1234.0f), (*kernel.parameterBuffers)[P::InputFilterFrequency][255], 1e-4f);
}
