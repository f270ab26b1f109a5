#include "FilterDSPKernel.h"
#include "Math/NoteScale.h"
#include "VantrelParameterList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace
{
// A kernel over the effect's parameter list that records switch updates.
class RecordingKernel : public FilterDSPKernel
{
public:
    RecordingKernel() : FilterDSPKernel (std::make_unique<VantrelParameterList>()) {}

    void updateParameter (unsigned long index, float value) override
    {
        updates.emplace_back (index, value);
    }

    // One block of ramps, as the effect's process does first.
    void render (unsigned long frames) { parameters->checkOutBuffers (frames, parameterBuffers.get()); }

    std::vector<std::pair<unsigned long, float>> updates;
};

using P = VantrelParameterList;
} // namespace

TEST (DSPKernel, RampLengthAndNyquistFollowTheSampleRate)
{
    RecordingKernel k;
    EXPECT_EQ (0u, k.rampLength);
    const std::pair<double, std::uint64_t> rates[] { { 44100, 881 }, { 48000, 959 }, { 96000, 1919 }, { 22050, 440 } };
    for (const auto& [rate, length] : rates)
    {
        k.init (2, rate);
        EXPECT_EQ (length, k.rampLength) << rate;
        EXPECT_EQ (float (rate) * 0.5f, k.nyquist);
        EXPECT_EQ (1.0f / k.nyquist, k.oneOverNyquist);
        EXPECT_EQ (rate, k.sampleRate);
    }
    k.init (1, 44100.3);
    EXPECT_EQ (double (44100.3f), k.sampleRate) << "the rate is kept in single precision";
    EXPECT_EQ (1, k.channels);
}

TEST (DSPKernel, FirstInitSeedsDefaultsAndOutputSlotsOnce)
{
    RecordingKernel k;
    k.setParameter (P::DryWet, 80.0f);
    k.setParameter (P::PitchA, 7.0f);
    EXPECT_EQ (80.0f, k.getParameter (P::DryWet)) << "before init a request rests on its target";
    EXPECT_EQ (nullptr, k.outputValue (P::DuckingPeakMeter));

    k.init (2, 44100);
    EXPECT_EQ (50.0f, k.getParameter (P::DryWet));
    EXPECT_EQ (0.0f, k.getParameter (P::PitchA));
    EXPECT_NEAR (400.0f, k.getParameter (P::InputFilterFrequency), 0.05f);
    ASSERT_NE (nullptr, k.outputValue (P::DuckingPeakMeter));
    EXPECT_EQ (1u, k.outputValues.size());
    EXPECT_EQ (0.0f, (*k.outputValue (P::DuckingPeakMeter))[0].load());

    // Defaults start at rest: the very first block already holds them.
    k.render (256);
    EXPECT_EQ (50.0f, k.parameterBuffers->operator[] (P::DryWet)[0]);
    EXPECT_EQ (5.0f, (*k.parameterBuffers)[P::ReverbLength][255]);
    EXPECT_NEAR (NoteScale::note (400.0f), (*k.parameterBuffers)[P::InputFilterFrequency][0], 1e-4f);

    // A later init keeps values and slots.
    k.setParameter (P::DryWet, 20.0f);
    (*k.outputValue (P::DuckingPeakMeter))[0] = 0.5f;
    const auto updatesBefore = k.updates.size();
    k.init (2, 48000);
    EXPECT_EQ (959u, k.rampLength);
    EXPECT_EQ (20.0f, k.getParameter (P::DryWet));
    EXPECT_EQ (0.5f, (*k.outputValue (P::DuckingPeakMeter))[0].load());
    EXPECT_EQ (updatesBefore, k.updates.size()) << "no re-seeding";
}

TEST (DSPKernel, FrequencyRampsOnTheNoteScale)
{
    EXPECT_NEAR (69.0f, NoteScale::note (440.0f), 1e-4f);
    EXPECT_NEAR (440.0f, NoteScale::freq (69.0f), 1e-3f);
    EXPECT_NEAR (8.175799f, NoteScale::freq (0.0f), 1e-6f);
    EXPECT_EQ (-1500.0f, NoteScale::note (0.0f));
    EXPECT_EQ (-1500.0f, NoteScale::note (-5.0f));
    EXPECT_EQ (0.0f, NoteScale::freq (-1500.0f));
    EXPECT_EQ (3.282408e38f, NoteScale::freq (1499.5f));

    RecordingKernel k;
    k.init (2, 44100);
    k.setParameter (P::InputFilterFrequency, 400.0f);
    k.setParameter (P::InputFilterFrequency, 1000.0f);
    k.setParameter (P::InputFilterFrequency, 400.0f);
    k.render (512);
    k.render (512);
    const float* notes = (*k.parameterBuffers)[P::InputFilterFrequency];
    EXPECT_NEAR (67.35f, notes[511], 0.01f);
    EXPECT_NEAR (400.0f, k.getParameter (P::InputFilterFrequency), 0.01f);

    // Out-of-range requests clamp on the note scale.
    k.setParameter (P::InputFilterFrequency, 0.0f);
    EXPECT_NEAR (20.0f, k.getParameter (P::InputFilterFrequency), 1e-3f);
    k.setParameter (P::InputFilterFrequency, -3.0f);
    EXPECT_NEAR (20.0f, k.getParameter (P::InputFilterFrequency), 1e-3f);
    k.setParameter (P::InputFilterFrequency, 1e9f);
    EXPECT_NEAR (20000.0f, k.getParameter (P::InputFilterFrequency), 1.0f);

    // The colour ramps linearly in Hz: its buffer holds Hz.
    k.setParameter (P::ReverbColor, 1000.0f);
    k.render (1024);
    EXPECT_EQ (1000.0f, (*k.parameterBuffers)[P::ReverbColor][1023]);

    std::vector<float> in { 69.0f, -1600.0f, 1500.0f, 60.0f }, out (4);
    NoteScale::freq (in.data(), out.data(), 4);
    EXPECT_NEAR (440.0f, out[0], 1e-3f);
    EXPECT_EQ (0.0f, out[1]);
    EXPECT_EQ (3.282408e38f, out[2]);
    EXPECT_NEAR (NoteScale::freq (60.0f), out[3], 1e-4f);
}

TEST (DSPKernel, SwitchesClampTheirValueButPassTheRawOne)
{
    RecordingKernel k;
    k.init (2, 44100);
    k.updates.clear();
    k.setParameter (P::PitchA, 30.0f);
    EXPECT_EQ (24.0f, k.getParameter (P::PitchA));
    ASSERT_EQ (1u, k.updates.size());
    EXPECT_EQ (P::PitchA, k.updates[0].first);
    EXPECT_EQ (30.0f, k.updates[0].second);
    k.setParameter (P::InputFilterType, -1.0f);
    EXPECT_EQ (0.0f, k.getParameter (P::InputFilterType));
}

TEST (DSPKernel, RampsClampAndLastAtLeastTheRampLength)
{
    RecordingKernel k;
    k.init (2, 44100);
    k.setParameter (P::InputGain, 50.0f);
    EXPECT_EQ (12.0f, k.getParameter (P::InputGain));
    k.render (16);
    EXPECT_EQ (12.0f, (*k.parameterBuffers)[P::InputGain][0]) << "before the first block: where the stream starts";
    k.process (16, 0, 0);
    k.startRamp (P::InputGain, -100.0f, 10);
    k.render (16);
    EXPECT_EQ (-30.0f, k.parameters->at (P::InputGain).ramper->goal);
    EXPECT_EQ (881u - 16u, k.parameters->at (P::InputGain).ramper->remaining) << "a shorter duration becomes the ramp length";
    k.startRamp (P::InputGain, 0.0f, 2000);
    k.render (16);
    EXPECT_EQ (2000u - 16u, k.parameters->at (P::InputGain).ramper->remaining);

    // A NaN request is refused; infinities clamp.
    k.setParameter (P::RoomSize, NAN);
    EXPECT_EQ (50.0f, k.getParameter (P::RoomSize));
    k.setParameter (P::RoomSize, INFINITY);
    EXPECT_EQ (100.0f, k.getParameter (P::RoomSize));

    EXPECT_THROW (k.setParameter (25, 1.0f), std::out_of_range);
    EXPECT_THROW (k.getParameter (99), std::out_of_range);
    k.setParameter (P::DuckingPeakMeter, 3.0f); // an output: nobody sets it
    EXPECT_EQ (0.0f, k.getParameter (P::DuckingPeakMeter));
}

TEST (DSPKernel, ValueListsAndIntegerRamps)
{
    RecordingKernel k;
    Parameter& p = k.parameters->at (P::RoomSize);
    p.valueList = { 10.0f, 20.0f, 30.0f };
    p.min = 0.0f;
    p.max = 2.0f;
    k.init (2, 44100);
    k.process (1024, 0, 0);
    k.setParameter (P::RoomSize, 1.4f);
    EXPECT_EQ (1.4f, k.getParameter (P::RoomSize));
    k.render (1024);
    EXPECT_EQ (20.0f, (*k.parameterBuffers)[P::RoomSize][1023]);
    k.setParameter (P::RoomSize, 7.0f);
    k.render (1024);
    EXPECT_EQ (30.0f, (*k.parameterBuffers)[P::RoomSize][1023]) << "index clamped to max";
    p.max = 5.0f; // an index past the list is refused rather than read
    k.setParameter (P::RoomSize, 4.0f);
    k.render (1024);
    EXPECT_EQ (30.0f, (*k.parameterBuffers)[P::RoomSize][1023]);

    Parameter& count = k.parameters->at (P::DuckingAttack);
    count.type = ParameterUnitIndexed;
    k.setParameter (P::DuckingAttack, 20.6f);
    EXPECT_FLOAT_EQ (20.6f, k.getParameter (P::DuckingAttack)) << "the request, before rounding";
    k.render (1024);
    EXPECT_EQ (21.0f, (*k.parameterBuffers)[P::DuckingAttack][1023]);
}

TEST (FilterDSPKernel, SetBuffersCopiesTheBusLists)
{
    RecordingKernel k;
    BufferList in, out;
    float left[4] {}, right[4] {};
    in[0] = left;
    in[1] = right;
    std::vector<BufferList*> inputs { &in }, outputs { &out, &in };
    k.setBuffers (inputs, outputs);
    inputs.clear();
    ASSERT_EQ (1u, k.inputBuffers.size());
    EXPECT_EQ (right, (*k.inputBuffers[0])[1]);
    EXPECT_EQ (2u, k.outputBuffers.size());
    std::vector<BufferList*> many (FilterDSPKernel::maxBuses + 3, &in);
    k.setBuffers (many, {});
    EXPECT_EQ (FilterDSPKernel::maxBuses, k.inputBuffers.size());
    EXPECT_TRUE (k.outputBuffers.empty());
}

// The editor's meter looks its slot up on the message thread while the host
// may be preparing the kernel for the first time on another: the lookup sees
// no slot or the finished one, never the map half-filled.
TEST (DSPKernelThreads, OutputSlotsAreLookedUpSafelyWhileTheFirstInitMakesThem)
{
    for (int round = 0; round < 20; ++round)
    {
        RecordingKernel k;
        std::atomic<bool> go { false };
        DSPKernel::OutputSlot* seen = nullptr;
        std::thread reader ([&] {
            while (! go.load())
            {
            }
            for (int i = 0; i < 2000 && seen == nullptr; ++i)
                seen = k.outputValue (P::DuckingPeakMeter);
        });
        go = true;
        k.init (2, 48000);
        reader.join();
        EXPECT_TRUE (seen == nullptr || seen == k.outputValue (P::DuckingPeakMeter));
        ASSERT_NE (k.outputValue (P::DuckingPeakMeter), nullptr);
    }
}
