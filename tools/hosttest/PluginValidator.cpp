#include "PluginValidator.h"

#include "AllocationInterceptor.h"
#include "SignalScan.h"

#include <atomic>
#include <thread>

namespace hosttest
{
namespace
{
using Layout = juce::AudioProcessor::BusesLayout;

Layout makeLayout (const juce::AudioChannelSet& input, const juce::AudioChannelSet& output)
{
    Layout layout;
    layout.inputBuses.add (input);
    layout.outputBuses.add (output);
    return layout;
}

// Level of the test noise (uniform white): about -11 dBFS RMS, peaks at -6 dBFS.
constexpr float noiseLevel = 0.5f;

// Output quieter than this on noise input means the plug-in let nothing through.
constexpr double audibleDecibels = -60.0;

} // namespace

PluginValidator::PluginValidator (HostedPlugin& p, juce::int64 seed)
    : plugin (p), random (seed)
{
    midi.ensureSize (1024);
}

const std::vector<PluginValidator::Check>& PluginValidator::checks()
{
    static const std::vector<Check> list {
        { "open-close", "open, prepare, render and close 100 times", &PluginValidator::openClose },
        { "rates-blocks", "44.1, 48 and 96 kHz by blocks of 64 to 1024 frames: output finite, no subnormals", &PluginValidator::ratesAndBlockSizes },
        { "automation", "automation storm: 32-frame blocks, up to ten random parameter changes each", &PluginValidator::automationStorm },
        { "prepare-twice", "prepare twice without release, then render", &PluginValidator::prepareTwice },
        { "oversized-blocks", "blocks larger than the prepared size", &PluginValidator::oversizedBlocks },
        { "state", "state round trip byte-exact; parameters equal after restore into fresh instances", &PluginValidator::stateRoundTrip },
        { "text", "value to text to value for every parameter", &PluginValidator::parameterText },
        { "threads", "parameter writes from a second thread while audio renders", &PluginValidator::parameterThreads },
        { "allocation", "no heap allocation inside the render call", &PluginValidator::noAllocation },
        { "layouts", "mono and stereo accepted, other layouts refused", &PluginValidator::busLayouts },
        { "host-order", "the first prepare changes no value; a project reopened by activating, restoring, then "
                        "sending the host's copies of the values sounds as saved", &PluginValidator::hostCallOrders },
        { "host-values", "random in-between values, save, other values, restore: the host reads back what it saved",
          &PluginValidator::hostValuesAfterRestore },
        { "host-view", "a new instance's values and declared defaults are what it plays; restored values as the host "
                       "reads them at once and after a block", &PluginValidator::hostViewOfNewInstance },
    };
    return list;
}

//==============================================================================
PluginValidator::Instance PluginValidator::create (double sampleRate, int blockSize, CheckResult& result)
{
    juce::String error;
    auto instance = plugin.create (sampleRate, blockSize, error);

    if (instance == nullptr)
        result.fail ("could not create an instance: " + error);

    return instance;
}

PluginValidator::Instance PluginValidator::open (double sampleRate, int blockSize, CheckResult& result)
{
    auto instance = create (sampleRate, blockSize, result);

    if (instance != nullptr)
        prepare (*instance, sampleRate, blockSize);

    return instance;
}

void PluginValidator::prepare (juce::AudioPluginInstance& instance, double sampleRate, int blockSize)
{
    instance.setRateAndBufferSizeDetails (sampleRate, blockSize);
    instance.prepareToPlay (sampleRate, blockSize);
}

int PluginValidator::channelsOf (const juce::AudioPluginInstance& instance)
{
    return std::max (instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels());
}

void PluginValidator::fillNoise (juce::AudioBuffer<float>& buffer, int channels, int frames)
{
    for (int c = 0; c < channels; ++c)
    {
        float* data = buffer.getWritePointer (c);
        for (int i = 0; i < frames; ++i)
            data[i] = noiseLevel * (2.0f * random.nextFloat() - 1.0f);
    }
}

void PluginValidator::render (juce::AudioPluginInstance& instance, juce::AudioBuffer<float>& buffer, int frames)
{
    // A view of the instance's channels and the first `frames` frames; it
    // refers to the buffer's memory.
    jassert (buffer.getNumChannels() >= channelsOf (instance));
    juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), channelsOf (instance), frames);
    midi.clear();
    instance.processBlock (view, midi);
}

void PluginValidator::renderNoise (juce::AudioPluginInstance& instance, juce::AudioBuffer<float>& buffer, int blocks)
{
    for (int i = 0; i < blocks; ++i)
    {
        fillNoise (buffer, channelsOf (instance), 512);
        render (instance, buffer, 512);
    }
}

void PluginValidator::renderAndHandOver (juce::AudioPluginInstance& instance, juce::AudioBuffer<float>& buffer, int blocks,
                                         int milliseconds)
{
    renderNoise (instance, buffer, blocks);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

std::vector<juce::AudioProcessorParameter*> PluginValidator::automatable (juce::AudioPluginInstance& instance) const
{
    // The bypass switch a wrapper adds is left alone: a bypassed plug-in would
    // make every later measurement meaningless.
    std::vector<juce::AudioProcessorParameter*> list;
    auto* bypass = instance.getBypassParameter();

    for (auto* parameter : instance.getParameters())
        if (parameter != bypass && parameter->isAutomatable())
            list.push_back (parameter);

    return list;
}

int PluginValidator::stepsOf (const juce::AudioProcessorParameter& parameter)
{
    // Formats report stepped parameters differently (VST3 through a step count
    // without the discrete flag); a few hundred steps at most means a switch,
    // a choice or an integer.
    const int steps = parameter.getNumSteps();
    return (parameter.isDiscrete() || parameter.isBoolean() || steps <= 1000) && steps > 1 && steps <= 1000 ? steps : 0;
}

float PluginValidator::legalValue (const juce::AudioProcessorParameter& parameter, float normalised)
{
    if (const int steps = stepsOf (parameter))
        return (float) juce::roundToInt (normalised * (float) (steps - 1)) / (float) (steps - 1);

    return normalised;
}

void PluginValidator::randomiseParameters (juce::AudioPluginInstance& instance, int count)
{
    const auto list = automatable (instance);

    if (list.empty())
        return;

    for (int i = 0; i < count; ++i)
    {
        auto* parameter = list[(size_t) random.nextInt ((int) list.size())];
        parameter->setValue (legalValue (*parameter, random.nextFloat()));
    }
}

juce::String PluginValidator::textOf (const juce::AudioProcessorParameter& parameter)
{
    return parameter.getText (parameter.getValue(), 1024);
}

bool PluginValidator::sameValue (float a, float b)
{
    return std::abs (a - b) <= 1.0e-6f;
}

juce::MemoryBlock PluginValidator::stateOf (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock block;
    instance.getStateInformation (block);
    return block;
}

std::vector<std::vector<float>> PluginValidator::settledValues (int sets, CheckResult& result)
{
    // A plug-in may round what a host sends to its own steps (an integer
    // parameter shown as continuous, a 0.01 grid), and a host only learns the
    // rounded value when the plug-in reports a change. Values that went through
    // the plug-in once (set, saved, restored into a fresh instance) are the
    // plug-in's own: set again, they come back exactly.
    std::vector<std::vector<float>> values;
    juce::AudioBuffer<float> buffer (8, 512);

    for (int set = 0; set < sets; ++set)
    {
        auto scratch = open (48000.0, 512, result);
        if (scratch == nullptr)
            return {};

        const int channels = channelsOf (*scratch);
        for (auto* parameter : automatable (*scratch))
            parameter->setValue (legalValue (*parameter, random.nextFloat()));
        for (int i = 0; i < 2; ++i)
        {
            fillNoise (buffer, channels, 512);
            render (*scratch, buffer, 512);
        }

        const auto state = stateOf (*scratch);
        auto settled = create (48000.0, 512, result);
        if (settled == nullptr)
            return {};
        settled->setStateInformation (state.getData(), (int) state.getSize());
        prepare (*settled, 48000.0, 512);
        for (int i = 0; i < 2; ++i)
        {
            fillNoise (buffer, channels, 512);
            render (*settled, buffer, 512);
        }

        std::vector<float> row;
        for (auto* parameter : automatable (*settled))
            row.push_back (parameter->getValue());
        values.push_back (std::move (row));
    }

    return values;
}

//==============================================================================
CheckResult PluginValidator::openClose()
{
    CheckResult result;
    juce::AudioBuffer<float> buffer (8, 512);

    for (int i = 0; i < 100 && result.passed; ++i)
    {
        auto instance = open (48000.0, 512, result);
        if (instance == nullptr)
            break;

        fillNoise (buffer, channelsOf (*instance), 512);
        render (*instance, buffer, 512);
        instance->releaseResources();
        instance.reset();
    }

    if (result.passed)
        result.note ("100 instances opened, rendered and closed");
    return result;
}

CheckResult PluginValidator::ratesAndBlockSizes()
{
    CheckResult result;
    auto instance = open (44100.0, 64, result);
    if (instance == nullptr)
        return result;

    const int channels = channelsOf (*instance);
    juce::AudioBuffer<float> buffer (channels, 1024);

    for (double rate : { 44100.0, 48000.0, 96000.0 })
    {
        for (int block : { 64, 128, 256, 512, 1024 })
        {
            instance->releaseResources();
            prepare (*instance, rate, block);

            // Half a second of noise, then half a second of silence: the decaying
            // tail is where subnormal numbers appear.
            SignalScan noise, tail;
            const int half = (int) (rate * 0.5);

            for (int done = 0; done < 2 * half; done += block)
            {
                const bool loud = done < half;
                if (loud)
                    fillNoise (buffer, channels, block);
                else
                    buffer.clear();

                render (*instance, buffer, block);
                (loud ? noise : tail).add (buffer, instance->getTotalNumOutputChannels(), block);
            }

            const auto where = juce::String (rate / 1000.0, 1) + " kHz, block " + juce::String (block);

            if (! noise.clean() || ! tail.clean())
                result.fail (where + ": noise " + noise.describe() + "; tail " + tail.describe());
            else if (noise.rmsDecibels() < audibleDecibels)
                result.fail (where + ": silent output on noise (" + noise.describe() + ")");
        }
    }

    if (result.passed)
        result.note ("15 rate and block combinations clean");
    return result;
}

CheckResult PluginValidator::automationStorm()
{
    CheckResult result;
    constexpr int block = 32;
    auto instance = open (48000.0, block, result);
    if (instance == nullptr)
        return result;

    const int channels = channelsOf (*instance);
    juce::AudioBuffer<float> buffer (channels, block);
    SignalScan scan;
    int changes = 0;

    // Ten seconds of audio.
    for (int i = 0; i < 15000; ++i)
    {
        const int count = random.nextInt (11);
        randomiseParameters (*instance, count);
        changes += count;

        fillNoise (buffer, channels, block);
        render (*instance, buffer, block);
        scan.add (buffer, instance->getTotalNumOutputChannels(), block);
    }

    if (! scan.clean())
        result.fail (scan.describe());
    else
        result.note (juce::String (changes) + " changes in 15000 blocks; " + scan.describe());
    return result;
}

CheckResult PluginValidator::prepareTwice()
{
    CheckResult result;
    auto instance = open (48000.0, 512, result);
    if (instance == nullptr)
        return result;

    // The same settings again, then new ones, all without releaseResources.
    prepare (*instance, 48000.0, 512);
    prepare (*instance, 44100.0, 256);
    prepare (*instance, 48000.0, 512);

    const int channels = channelsOf (*instance);
    juce::AudioBuffer<float> buffer (channels, 512);
    SignalScan scan;

    for (int i = 0; i < 94; ++i)
    {
        fillNoise (buffer, channels, 512);
        render (*instance, buffer, 512);
        scan.add (buffer, instance->getTotalNumOutputChannels(), 512);
    }

    if (! scan.clean() || scan.rmsDecibels() < audibleDecibels)
        result.fail (scan.describe());
    else
        result.note (scan.describe());
    return result;
}

CheckResult PluginValidator::oversizedBlocks()
{
    CheckResult result;
    // A VST3 host may not exceed the maximum block size it set up (and JUCE's
    // VST3 client copies each block into scratch buffers of exactly that size),
    // so there the largest block is announced and the blocks exceed only the
    // processor's own 4096-frame kernel limit. LV2 and JUCE's own processor
    // contract allow blocks above the announced size.
    const int prepared = plugin.isLV2() ? 256 : 16384;
    auto instance = open (48000.0, prepared, result);
    if (instance == nullptr)
        return result;

    const int channels = channelsOf (*instance);
    juce::AudioBuffer<float> buffer (channels, 16384);

    for (int frames : { 257, 512, 1000, 4096, 4097, 10000, 16384, 100 })
    {
        SignalScan scan;
        fillNoise (buffer, channels, frames);
        render (*instance, buffer, frames);
        scan.add (buffer, instance->getTotalNumOutputChannels(), frames);

        if (! scan.clean() || scan.rmsDecibels() < audibleDecibels)
            result.fail ("block of " + juce::String (frames) + " frames: " + scan.describe());
    }

    if (result.passed)
        result.note ("blocks of 100 to 16384 frames after preparing for " + juce::String (prepared));
    return result;
}

CheckResult PluginValidator::stateRoundTrip()
{
    CheckResult result;
    auto original = open (48000.0, 512, result);
    if (original == nullptr)
        return result;

    const int channels = channelsOf (*original);
    juce::AudioBuffer<float> buffer (channels, 512);
    auto renderSome = [&] (juce::AudioPluginInstance& instance) { renderNoise (instance, buffer, 4); };

    const auto values = settledValues (1, result);
    if (values.empty())
        return result;

    renderSome (*original);
    const auto originalParameters = automatable (*original);
    for (size_t i = 0; i < originalParameters.size() && i < values[0].size(); ++i)
        originalParameters[i]->setValue (values[0][i]);
    renderSome (*original);

    for (size_t i = 0; i < originalParameters.size() && i < values[0].size(); ++i)
        if (! sameValue (originalParameters[i]->getValue(), values[0][i]))
            result.fail (originalParameters[i]->getName (64) + " does not keep a value it reported itself");

    const auto saved = stateOf (*original);
    if (saved.getSize() == 0)
    {
        result.fail ("empty state");
        return result;
    }
    if (stateOf (*original) != saved)
        result.fail ("two saves of an unchanged instance differ");

    // Restored into itself, an instance keeps its state exactly.
    original->setStateInformation (saved.getData(), (int) saved.getSize());
    renderSome (*original);
    if (stateOf (*original) != saved)
        result.fail ("restoring its own state changed an instance's state");

    // A host reopening a project restores before preparing; a host copying an
    // instance restores into a running one. Both must end in the same state.
    juce::String error;
    auto restoredFirst = plugin.create (48000.0, 512, error);
    auto preparedFirst = open (48000.0, 512, result);
    if (restoredFirst == nullptr || preparedFirst == nullptr)
    {
        result.fail ("could not create fresh instances " + error);
        return result;
    }

    restoredFirst->setStateInformation (saved.getData(), (int) saved.getSize());
    prepare (*restoredFirst, 48000.0, 512);
    renderSome (*restoredFirst);

    renderSome (*preparedFirst);
    preparedFirst->setStateInformation (saved.getData(), (int) saved.getSize());
    renderSome (*preparedFirst);

    for (auto* copy : { restoredFirst.get(), preparedFirst.get() })
    {
        const juce::String which = copy == restoredFirst.get() ? "restored before prepare" : "restored while running";

        if (stateOf (*copy) != saved)
            result.fail (which + ": state differs from the saved one (" + juce::String (stateOf (*copy).getSize()) + " vs "
                         + juce::String (saved.getSize()) + " bytes)");

        const auto parameters = automatable (*copy);
        if (parameters.size() != originalParameters.size())
        {
            result.fail (which + ": parameter count differs");
            continue;
        }

        for (size_t i = 0; i < parameters.size(); ++i)
            if (! sameValue (parameters[i]->getValue(), originalParameters[i]->getValue()))
                result.fail (which + ": " + parameters[i]->getName (64) + " is " + textOf (*parameters[i]) + ", saved "
                             + textOf (*originalParameters[i]));
    }

    if (result.passed)
        result.note (juce::String (saved.getSize()) + " bytes, " + juce::String ((int) originalParameters.size()) + " parameters");
    return result;
}

CheckResult PluginValidator::parameterText()
{
    CheckResult result;
    auto instance = open (48000.0, 512, result);
    if (instance == nullptr)
        return result;

    int checked = 0;

    // The format's own bypass switch is the host format's business, not the
    // plug-in's: it is left out.
    for (auto* parameter : automatable (*instance))
    {
        const bool stepped = stepsOf (*parameter) > 0;

        for (float value : { 0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 0.9f, 1.0f, parameter->getDefaultValue() })
        {
            const float legal = legalValue (*parameter, value);
            const auto text = parameter->getText (legal, 1024);
            const float back = parameter->getValueForText (text);
            const auto again = parameter->getText (back, 1024);
            const float backAgain = parameter->getValueForText (again);
            // A text shows a value to its display precision: reading it back
            // lands within that precision of the value (exactly on a step for
            // stepped parameters; a host may see an integer as continuous, in
            // which case the value read back shows the same text), and a
            // second round trip stays there.
            const float tolerance = stepped ? 1.0e-6f : 2.0e-3f;
            ++checked;

            if (text.isEmpty())
                result.fail (parameter->getName (64) + ": empty text for " + juce::String (legal));
            else if (! (std::abs (back - legal) <= tolerance || (! stepped && again == text)) || std::abs (backAgain - back) > tolerance)
                result.fail (parameter->getName (64) + ": " + juce::String (legal) + " -> \"" + text + "\" -> "
                             + juce::String (back) + " -> \"" + again + "\"");
        }
    }

    if (result.passed)
        result.note (juce::String (checked) + " values of " + juce::String ((int) automatable (*instance).size()) + " parameters");
    return result;
}

CheckResult PluginValidator::parameterThreads()
{
    CheckResult result;
    constexpr int block = 128;
    auto instance = open (48000.0, block, result);
    if (instance == nullptr)
        return result;

    const auto parameters = automatable (*instance);
    if (parameters.empty())
    {
        result.note ("no parameters");
        return result;
    }

    // The writer uses values the plug-in keeps exactly, so that the last one
    // written can be compared exactly afterwards.
    const auto values = settledValues (6, result);
    if (values.empty())
        return result;

    const int channels = channelsOf (*instance);
    juce::AudioBuffer<float> buffer (channels, block);
    SignalScan scan;

    // A plug-in may report its values in its first blocks (an LV2 plug-in
    // tells the host every value in its first run). JUCE's LV2 hosting takes
    // such a report as the host's own value and drops a write the host made
    // while that block ran, so a write racing the first block would be lost
    // in the host, not in the plug-in. The writer starts once audio runs.
    for (int i = 0; i < 2; ++i)
    {
        fillNoise (buffer, channels, block);
        render (*instance, buffer, block);
    }

    std::vector<float> lastWritten (parameters.size(), -1.0f);
    std::atomic<bool> stop { false };
    std::atomic<int> writes { 0 };
    const auto writerSeed = random.nextInt64();

    std::thread writer ([&]
    {
        juce::Random writerRandom (writerSeed);
        while (! stop.load (std::memory_order_relaxed))
        {
            const auto index = (size_t) writerRandom.nextInt ((int) parameters.size());
            const float value = values[(size_t) writerRandom.nextInt ((int) values.size())][index];
            parameters[index]->setValue (value);
            lastWritten[index] = value;
            writes.fetch_add (1, std::memory_order_relaxed);
            std::this_thread::yield();
        }
    });

    // Two seconds of audio, rendered as fast as possible against the writer;
    // longer while a busy machine has let the writer run only a little (a
    // quick render can be over before the writer got its first time slice).
    for (int i = 0; i < 750 || (writes.load (std::memory_order_relaxed) < 500 && i < 75000); ++i)
    {
        fillNoise (buffer, channels, block);
        render (*instance, buffer, block);
        scan.add (buffer, instance->getTotalNumOutputChannels(), block);
    }

    stop = true;
    writer.join();

    // Let the last writes reach the processor, then check nothing was lost:
    // the instance and a copy restored from its state hold the last values.
    for (int i = 0; i < 8; ++i)
    {
        fillNoise (buffer, channels, block);
        render (*instance, buffer, block);
    }

    if (! scan.clean())
        result.fail (scan.describe());

    const auto saved = stateOf (*instance);
    juce::String error;
    auto copy = plugin.create (48000.0, block, error);
    if (copy == nullptr)
    {
        result.fail ("could not create a fresh instance: " + error);
        return result;
    }
    copy->setStateInformation (saved.getData(), (int) saved.getSize());
    prepare (*copy, 48000.0, block);
    for (int i = 0; i < 8; ++i)
    {
        fillNoise (buffer, channels, block);
        render (*copy, buffer, block);
    }
    const auto copied = automatable (*copy);

    for (size_t i = 0; i < parameters.size() && i < copied.size(); ++i)
    {
        if (lastWritten[i] < 0.0f)
            continue;

        const auto expected = parameters[i]->getText (lastWritten[i], 1024);
        if (! sameValue (parameters[i]->getValue(), lastWritten[i]))
            result.fail (parameters[i]->getName (64) + " shows " + textOf (*parameters[i]) + " after writing " + expected);
        if (! sameValue (copied[i]->getValue(), lastWritten[i]))
            result.fail (parameters[i]->getName (64) + " saved as " + textOf (*copied[i]) + " after writing " + expected);
    }

    if (result.passed)
        result.note (juce::String (writes.load()) + " writes during the render; " + scan.describe());
    return result;
}

CheckResult PluginValidator::noAllocation()
{
    CheckResult result;

    if (! ScopedAllocationCount::isAvailable())
    {
        result.note ("skipped: the sanitizer runtime owns the allocator in this build");
        return result;
    }

    for (int block : { 512, 64 })
    {
        auto instance = open (48000.0, block, result);
        if (instance == nullptr)
            return result;

        const int channels = channelsOf (*instance);
        juce::AudioBuffer<float> buffer (channels, block);
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), channels, block);

        // Warm-up: first blocks may legitimately settle lazily initialised state
        // in the host's own wrapper; the plug-in has had prepareToPlay for that.
        for (int i = 0; i < 16; ++i)
        {
            fillNoise (buffer, channels, block);
            midi.clear();
            instance->processBlock (view, midi);
        }

        std::size_t allocations = 0;
        int dirtyBlocks = 0;

        for (int i = 0; i < 2000; ++i)
        {
            // Parameter changes are made outside the measured call; they are
            // applied inside it, which is what must not allocate.
            randomiseParameters (*instance, random.nextInt (4));
            fillNoise (buffer, channels, block);
            midi.clear();

            std::size_t counted = 0;
            {
                ScopedAllocationCount count;
                instance->processBlock (view, midi);
                counted = count.count();
            }

            allocations += counted;
            dirtyBlocks += counted > 0 ? 1 : 0;
        }

        if (allocations > 0)
            result.fail (juce::String (allocations) + " allocations in " + juce::String (dirtyBlocks) + " of 2000 blocks of "
                         + juce::String (block) + " frames");
    }

    if (result.passed)
        result.note ("2000 blocks of 512 and of 64 frames with automation, no allocation");
    return result;
}

CheckResult PluginValidator::busLayouts()
{
    CheckResult result;
    auto instance = create (48000.0, 512, result);
    if (instance == nullptr)
        return result;

    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    if (! instance->checkBusesLayoutSupported (makeLayout (stereo, stereo)))
        result.fail ("stereo refused");

    // An LV2 plug-in has a fixed set of ports: its bundle offers stereo only,
    // and the mono variant is reached through the other formats.
    const bool monoOffered = ! plugin.isLV2();
    if (monoOffered && ! instance->checkBusesLayoutSupported (makeLayout (mono, mono)))
        result.fail ("mono refused");

    std::vector<std::pair<juce::String, Layout>> refused {
        { "mono in, stereo out", makeLayout (mono, stereo) },
        { "stereo in, mono out", makeLayout (stereo, mono) },
        { "5.1", makeLayout (juce::AudioChannelSet::create5point1(), juce::AudioChannelSet::create5point1()) },
        { "quadraphonic", makeLayout (juce::AudioChannelSet::quadraphonic(), juce::AudioChannelSet::quadraphonic()) },
    };
    // A VST3 host switches a bus off by deactivating it, which a plug-in
    // cannot refuse (it then receives silence); elsewhere a missing input is
    // a layout, and refused.
    if (plugin.isLV2())
        refused.push_back ({ "no input, stereo out", makeLayout (juce::AudioChannelSet::disabled(), stereo) });

    for (const auto& [name, layout] : refused)
        if (instance->checkBusesLayoutSupported (layout))
            result.fail (name + " accepted");

    // Render in every accepted layout.
    std::vector<Layout> accepted { makeLayout (stereo, stereo) };
    if (monoOffered)
        accepted.insert (accepted.begin(), makeLayout (mono, mono));

    for (const auto& layout : accepted)
    {
        const auto name = layout.getMainOutputChannelSet().getDescription();
        if (! instance->setBusesLayout (layout))
        {
            result.fail ("could not apply " + name);
            continue;
        }

        prepare (*instance, 48000.0, 512);
        const int channels = channelsOf (*instance);
        if (instance->getTotalNumOutputChannels() != layout.getMainOutputChannels())
            result.fail (name + ": " + juce::String (instance->getTotalNumOutputChannels()) + " output channels");

        juce::AudioBuffer<float> buffer (channels, 512);
        SignalScan scan;
        for (int i = 0; i < 94; ++i)
        {
            fillNoise (buffer, channels, 512);
            render (*instance, buffer, 512);
            scan.add (buffer, instance->getTotalNumOutputChannels(), 512);
        }
        instance->releaseResources();

        if (! scan.clean() || scan.rmsDecibels() < audibleDecibels)
            result.fail (name + ": " + scan.describe());
    }

    if (result.passed)
        result.note ((monoOffered ? "mono and stereo render; " : "stereo renders (the LV2 bundle offers no mono ports); ")
                     + juce::String ((int) refused.size()) + " other layouts refused");
    return result;
}
} // namespace hosttest
