#include "ProcessorFixture.h"

#include "AllocationCounter.h"
#include "ReferenceEffect.h"
#include "SignalAnalysis.h"

#include <cmath>

using namespace plugintest;

namespace
{
using Set = juce::AudioChannelSet;

juce::AudioProcessor::BusesLayout layoutOf (const Set& input, const Set& output)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (input);
    layout.outputBuses.add (output);
    return layout;
}

void fillSine (juce::AudioBuffer<float>& buffer, double frequency, double sampleRate, float amplitude, int offset = 0)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (c, i, amplitude * static_cast<float> (std::sin (2.0 * juce::MathConstants<double>::pi * frequency * (i + offset) / sampleRate)));
}

class FixedPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! available)
            return {};
        return info;
    }
    PositionInfo info;
    bool available = true;
};
} // namespace

TEST_F (ProcessorTest, AcceptsMonoAndStereoLayoutsOnly)
{
    EXPECT_TRUE (processor->checkBusesLayoutSupported (layoutOf (Set::mono(), Set::mono())));
    EXPECT_TRUE (processor->checkBusesLayoutSupported (layoutOf (Set::stereo(), Set::stereo())));
    EXPECT_FALSE (processor->checkBusesLayoutSupported (layoutOf (Set::mono(), Set::stereo())));
    EXPECT_FALSE (processor->checkBusesLayoutSupported (layoutOf (Set::stereo(), Set::mono())));
    EXPECT_FALSE (processor->checkBusesLayoutSupported (layoutOf (Set::create5point1(), Set::create5point1())));
    EXPECT_FALSE (processor->checkBusesLayoutSupported (layoutOf (Set::disabled(), Set::stereo())));
    EXPECT_FALSE (processor->checkBusesLayoutSupported (layoutOf (Set::quadraphonic(), Set::quadraphonic())));
    EXPECT_FALSE (processor->setBusesLayout (layoutOf (Set::mono(), Set::stereo())));
}

TEST_F (ProcessorTest, RendersStereoAndMonoInPlace)
{
    for (const int channels : { 2, 1 })
    {
        SCOPED_TRACE (channels);
        processor = VantrelProcessor::create();
        prepare (48000.0, channels, 512);
        EXPECT_EQ (processor->getKernel().channels, channels);

        juce::AudioBuffer<float> buffer (channels, 512);
        juce::MidiBuffer midi;
        std::vector<float> output;
        for (int block = 0; block < 200; ++block)
        {
            fillSine (buffer, 440.0, 48000.0, 0.25f, block * 512);
            processor->processBlock (buffer, midi);
            output.insert (output.end(), buffer.getReadPointer (channels - 1), buffer.getReadPointer (channels - 1) + 512);
        }
        ASSERT_TRUE (testsupport::allFinite (output.data(), output.size()));
        // The last second holds the dry tone mixed with the reverb.
        const auto* last = output.data() + output.size() - 48000;
        EXPECT_GT (testsupport::rms (last, 48000), 0.05);
        EXPECT_GT (testsupport::toneMagnitude (last, 48000, 440.0, 48000.0), 0.05);
    }
}

TEST_F (ProcessorTest, LongHostBlocksRenderAsConsecutivePiecesOfTheKernelsBlockSize)
{
    auto render = [] (std::vector<int> blockSizes) {
        auto p = VantrelProcessor::create();
        p->setRateAndBufferSizeDetails (44100.0, 10000);
        p->prepareToPlay (44100.0, 10000);
        juce::AudioBuffer<float> whole (2, 20000);
        fillSine (whole, 220.0, 44100.0, 0.3f);
        juce::MidiBuffer midi;
        for (int start = 0, k = 0; start < whole.getNumSamples(); ++k)
        {
            const int n = std::min (blockSizes[static_cast<size_t> (k) % blockSizes.size()], whole.getNumSamples() - start);
            juce::AudioBuffer<float> piece (whole.getArrayOfWritePointers(), 2, start, n);
            p->processBlock (piece, midi);
            start += n;
        }
        return whole;
    };
    // A 10000-frame host block is rendered as 4096 + 4096 + 1808 frames.
    const auto longBlocks = render ({ 10000 });
    const auto pieces = render ({ 4096, 4096, 1808 });
    ASSERT_TRUE (testsupport::allFinite (longBlocks.getReadPointer (0), 20000));
    EXPECT_GT (testsupport::rms (longBlocks.getReadPointer (0) + 10000, 10000), 0.05);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 20000; ++i)
            ASSERT_EQ (longBlocks.getSample (c, i), pieces.getSample (c, i)) << "channel " << c << " frame " << i;
}

TEST_F (ProcessorTest, PassesTheHostTransportToTheKernelAndKeepsItWhenAbsent)
{
    prepare();
    FixedPlayHead head;
    head.info.setBpm (96.0);
    head.info.setTimeSignature (juce::AudioPlayHead::TimeSignature { 7, 8 });
    head.info.setPpqPosition (12.5);
    head.info.setIsPlaying (true);
    head.info.setTimeInSamples (int64_t { 123456 });
    head.info.setLoopPoints (juce::AudioPlayHead::LoopPoints { 4.0, 8.0 });
    processor->setPlayHead (&head);

    juce::AudioBuffer<float> buffer (2, 256);
    buffer.clear();
    juce::MidiBuffer midi;
    processor->processBlock (buffer, midi);

    auto& kernel = processor->getKernel();
    EXPECT_EQ (kernel.bpm, 96.0);
    EXPECT_EQ (kernel.timeSignatureNumerator, 7.0);
    EXPECT_EQ (kernel.timeSignatureDenominator, 8);
    EXPECT_EQ (kernel.ppqPosition, 12.5);
    EXPECT_TRUE (kernel.isPlaying);
    EXPECT_EQ (kernel.timeInSamples, 123456.0);
    EXPECT_EQ (kernel.loopStart, 4.0);
    EXPECT_EQ (kernel.loopEnd, 8.0);

    head.available = false;
    processor->processBlock (buffer, midi);
    processor->setPlayHead (nullptr);
    processor->processBlock (buffer, midi);
    EXPECT_EQ (kernel.bpm, 96.0);
    EXPECT_EQ (kernel.ppqPosition, 12.5);
}

TEST_F (ProcessorTest, RenderingWithAutomationNeitherAllocatesNorProducesNonFiniteSamples)
{
    prepare (44100.0, 2, 512);
    juce::AudioBuffer<float> buffer (2, 8192);
    juce::MidiBuffer midi;
    const juce::String automated[] = { "DryWet", "PitchA", "PitchShifterModeB", "InputFilterType", "ReverbColor", "RoomSize", "InputFilterFrequency" };

    std::size_t allocations = 0;
    bool finite = true;
    for (int block = 0; block < 100; ++block)
    {
        const int n = block % 3 == 0 ? 8192 : 480; // also longer than the kernel's blocks
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, 0, n);
        fillSine (view, 330.0, 44100.0, 0.5f, block * 480);
        if (block == 50)
            view.setSample (0, 7, std::numeric_limits<float>::quiet_NaN());

        testsupport::ScopedAllocationCounter counter;
        for (size_t k = 0; k < std::size (automated); ++k)
        {
            auto* parameter = processor->parameterTree.getParameter (automated[k]);
            const float value = static_cast<float> ((block * 7 + static_cast<int> (k) * 3) % 11) / 10.0f;
            parameter->setValue (value);
            parameter->sendValueChangedMessageToListeners (value);
        }
        processor->processBlock (view, midi);
        allocations += counter.allocations();

        // A broken input sample may pass through the dry path at its own
        // position, but must not leave anything behind in the effect.
        if (block == 50)
            view.setSample (0, 7, 0.0f);
        finite = finite && testsupport::allFinite (view.getReadPointer (0), static_cast<size_t> (n))
                 && testsupport::allFinite (view.getReadPointer (1), static_cast<size_t> (n));
    }
    EXPECT_EQ (allocations, 0u);
    EXPECT_TRUE (finite);
}

TEST_F (ProcessorTest, ASecondPrepareReinitialisesTheKernelAndARenderBeforeAnyPrepareIsSilent)
{
    juce::AudioBuffer<float> buffer (2, 128);
    fillSine (buffer, 1000.0, 48000.0, 0.5f);
    juce::MidiBuffer midi;
    processor->processBlock (buffer, midi);
    EXPECT_EQ (buffer.getMagnitude (0, 128), 0.0f);

    prepare (44100.0);
    EXPECT_EQ (processor->getKernel().rampLength, 881u);
    prepare (96000.0);
    EXPECT_EQ (processor->getKernel().rampLength, 1919u);
    EXPECT_EQ (processor->getKernel().sampleRate, 96000.0);

    // A sample rate the kernel cannot work at is not handed to it.
    processor->prepareToPlay (0.0, 512);
    fillSine (buffer, 1000.0, 48000.0, 0.5f);
    processor->processBlock (buffer, midi);
    EXPECT_EQ (buffer.getMagnitude (0, 128), 0.0f);
    EXPECT_EQ (processor->getKernel().sampleRate, 96000.0);
}

// Values set after the first prepare but before the first block (a renderer's
// settings, a restored state) are where the stream starts: no trace of the
// default preset the instance was built on. Two voices set alike then run in
// step, as the plain model of the effect (which knows no preset) does.
TEST_F (ProcessorTest, SettingsBeforeTheFirstBlockSoundAsIfHeldFromTheStart)
{
    constexpr double rate = 48000.0;
    constexpr int block = 480;
    prepare (rate, 2, block);
    const std::pair<const char*, float> settings[] = {
        { "PitchShifterModeA", 0.0f }, { "PitchShifterModeB", 0.0f }, { "PitchA", -12.0f }, { "PitchB", -12.0f },
        { "DelayTimeA", 100.0f }, { "DelayTimeB", 100.0f }, { "PitchShifterAmountA", 100.0f },
        { "PitchShifterAmountB", 100.0f }, { "DryWet", 100.0f }, { "DuckingThreshold", 0.0f },
    };
    for (const auto& [id, value] : settings)
        automate (*processor, id, value);

    ReferenceSettings model;
    for (unsigned long i = 0; i < VantrelParameterList::DuckingPeakMeter; ++i)
        model.set (i, hostValue (*processor, juce::String (processor->getKernel().parameters->at (i).id)));
    ReferenceEffect::Signal in { std::vector<float> (48000), std::vector<float> (48000) };
    for (std::size_t i = 0; i < in[0].size(); ++i)
        in[0][i] = in[1][i] = 0.5f * static_cast<float> (std::sin (2.0 * juce::MathConstants<double>::pi * 440.0 * static_cast<double> (i) / rate));
    const auto expected = ReferenceEffect (rate, model).render (in);

    juce::AudioBuffer<float> buffer (2, block);
    juce::MidiBuffer midi;
    double difference = 0.0, level = 0.0;
    for (std::size_t start = 0; start < in[0].size(); start += block)
    {
        for (int c = 0; c < 2; ++c)
            std::copy_n (in[static_cast<std::size_t> (c)].data() + start, block, buffer.getWritePointer (c));
        processor->processBlock (buffer, midi);
        for (std::size_t c = 0; c < 2; ++c)
            for (std::size_t i = 0; i < static_cast<std::size_t> (block); ++i)
            {
                const double e = expected[c][start + i];
                difference += (buffer.getSample (static_cast<int> (c), static_cast<int> (i)) - e) * (buffer.getSample (static_cast<int> (c), static_cast<int> (i)) - e);
                level += e * e;
            }
    }
    // The pair gives one voice's level: a tone an octave down, not cancelled.
    EXPECT_GT (level / 96000.0, 0.01);
    EXPECT_LT (10.0 * std::log10 ((difference + 1e-30) / level), -100.0);
}
