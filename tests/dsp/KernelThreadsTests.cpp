#include "KernelTestRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using P = VantrelParameterList;

namespace
{
// Renders blocks on the calling thread until `stop` is set.
int renderUntil (KernelRig& rig, std::vector<float>& left, std::vector<float>& right, const std::atomic<bool>& stop)
{
    rig.inBus[0] = rig.outBus[0] = left.data();
    rig.inBus[1] = rig.outBus[1] = right.data();
    int blocks = 0;
    do
    {
        std::fill (left.begin(), left.end(), 0.3f);
        std::fill (right.begin(), right.end(), -0.2f);
        rig.kernel->setBuffers (rig.ins, rig.outs);
        rig.kernel->process (static_cast<unsigned long> (left.size()), 0, 0);
        ++blocks;
    } while (! stop.load());
    return blocks;
}
} // namespace

TEST (KernelThreads, SwitchesAndRampsChangeFromOtherThreadsWhileRendering)
{
    KernelRig rig;
    std::vector<float> left (512), right (512);
    std::atomic<bool> stop { false };

    auto hammer = [&] (int seed) {
        for (int i = 0; i < 3000; ++i)
        {
            const int v = i + seed;
            rig.kernel->setParameter (P::PitchShifterModeA, static_cast<float> (v % 3));
            rig.kernel->setParameter (P::PitchShifterModeB, static_cast<float> ((v / 3) % 3));
            rig.kernel->setParameter (P::PitchA, static_cast<float> (v % 49 - 24));
            rig.kernel->setParameter (P::FineB, static_cast<float> (v % 101 - 50));
            rig.kernel->setParameter (P::InputFilterType, static_cast<float> (v % 2));
            rig.kernel->setParameter (P::RoomSize, static_cast<float> (v % 100));
        }
    };
    std::thread first (hammer, 0), second (hammer, 7);
    std::thread stopper ([&] {
        first.join();
        second.join();
        stop.store (true);
    });
    const int blocks = renderUntil (rig, left, right, stop);
    stopper.join();

    EXPECT_GT (blocks, 0);
    EXPECT_TRUE (testsupport::allFinite (left.data(), left.size()));
    EXPECT_TRUE (testsupport::allFinite (right.data(), right.size()));
}

TEST (KernelThreads, AModeSetOnAnotherThreadIsHeardInTheNextBlock)
{
    KernelRig rig;
    std::vector<float> left (256), right (256);
    std::atomic<bool> stop { true };
    renderUntil (rig, left, right, stop);
    ASSERT_EQ (rig.kernel->reverbB->core.currentFeedback, 0.0f);

    std::thread setter ([&] {
        rig.kernel->setParameter (P::PitchShifterModeA, 1.0f);
        rig.kernel->setParameter (P::PitchShifterModeB, 1.0f);
    });
    setter.join();
    renderUntil (rig, left, right, stop);
    EXPECT_GT (rig.kernel->reverbB->core.currentFeedback, 0.0f);
}

TEST (KernelThreads, ParametersSetWhileAnotherThreadPreparesAgain)
{
    // A host may prepare again (a new rate) while its interface or automation
    // thread still sets parameters: the ramp length that init writes is read
    // by every setParameter.
    KernelRig rig (2, 44100.0);
    std::atomic<bool> stop { false };
    std::atomic<int> changes { 0 };
    std::thread preparer ([&] {
        for (int i = 0; i < 12; ++i)
        {
            // Each prepare comes after the setter has run again: on a busy
            // machine this thread could otherwise finish before the other
            // one ran at all.
            const int seen = changes.load();
            while (changes.load() == seen)
                std::this_thread::yield();
            rig.prepare (2, i % 2 == 0 ? 48000.0 : 44100.0);
        }
        stop.store (true);
    });
    while (! stop.load())
    {
        const int n = changes.load();
        rig.kernel->setParameter (P::RoomSize, static_cast<float> (n % 100));
        rig.kernel->setParameter (P::PreDelay, static_cast<float> (n % 50));
        rig.kernel->setParameter (P::PitchShifterModeA, static_cast<float> (n % 3));
        changes.fetch_add (1);
    }
    preparer.join();

    EXPECT_GE (changes.load(), 12);
    EXPECT_EQ (881u, rig.kernel->rampLength.load());
    // Once the stream runs, a change ramps over the last rate's ramp length,
    // and renders.
    std::vector<float> left (512, 0.25f), right (512, -0.25f);
    std::atomic<bool> once { true };
    renderUntil (rig, left, right, once);
    rig.kernel->setParameter (P::DryWet, 100.0f);
    renderUntil (rig, left, right, once);
    EXPECT_EQ (881u - 512u, rig.kernel->parameters->at (P::DryWet).ramper->remaining);
    EXPECT_TRUE (testsupport::allFinite (left.data(), left.size()));
}
