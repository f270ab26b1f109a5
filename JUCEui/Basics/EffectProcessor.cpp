#include "Basics/EffectProcessor.h"

#include "BlockSize.h"
#include "Basics/HostNumber.h"
#include "Basics/ParameterText.h"
#include "Basics/PublishedParameter.h"
#include "Preset/BoundedXml.h"
#include "Preset/PresetFileName.h"
#include "UI/Overlays/LeadingNumber.h"

#include <cmath>

namespace
{
using FloatParameter = PublishedParameter<HostNumberFloatParameter>;
using IntParameter = PublishedParameter<HostNumberIntParameter>;
using SwitchParameter = PublishedParameter<juce::AudioParameterBool>;

// The value a host's text means, in the parameter's units: read as the
// control editor reads it (ParameterText), limited to the range. A host cannot
// be told that a text means nothing: such a text keeps its old reading, the
// number it starts with (0 without one).
double valueOfHostText (const juce::String& text, const Parameter& parameter)
{
    const auto value = ParameterText::read (text, parameter);
    return juce::jlimit (static_cast<double> (parameter.min), static_cast<double> (parameter.max),
                         value ? *value : LeadingNumber::read (text).value_or (0.0));
}
} // namespace

EffectProcessor::EffectProcessor (std::unique_ptr<FilterDSPKernel> dspKernel,
                                  std::string extension,
                                  std::string identifier,
                                  std::string defaultPreset,
                                  std::unique_ptr<PresetParser> presetParser,
                                  const juce::AudioProcessor::BusesProperties& buses)
    : juce::AudioProcessor (buses),
      kernel (std::move (dspKernel)),
      parser (std::move (presetParser)),
      presetExtension (std::move (extension)),
      parameterTree (*this, nullptr, "Parameters", createParameterLayout()),
      presetLists (2),
      productIdentifier (std::move (identifier)),
      defaultPresetName (std::move (defaultPreset))
{
    // Bus records are made once; each block only rewrites their pointers.
    inputBufferRecords.resize (static_cast<size_t> (getBusCount (true)));
    outputBufferRecords.resize (static_cast<size_t> (getBusCount (false)));
    for (auto& record : inputBufferRecords)
        inputBufferLists.push_back (&record);
    for (auto& record : outputBufferRecords)
        outputBufferLists.push_back (&record);

    auto& parameters = *kernel->parameters;
    parameterIDs.resize (parameters.size());
    for (const auto& parameter : parameters)
    {
        if (parameter->isOutput)
            continue;
        const auto index = static_cast<unsigned long> (parameter->index);
        parameterIDs[index] = juce::String::fromUTF8 (parameter->id.c_str());
        parameterTree.addParameterListener (parameterIDs[index], this);
        kernel->setParameter (index, parameter->defaultValue);
    }

    defaultState = parameterTree.copyState().createCopy();

    retrieveFactoryPresets();
    retrieveUserPresets();

    // A new instance starts on the default preset. Applied here, before any
    // host can set a value or restore a state, so that nothing a host does
    // between construction and the first prepare is overwritten, and hosts
    // that read the values before activating see the ones it will render.
    if (! defaultPresetName.empty())
        setPreset (juce::String::fromUTF8 (defaultPresetName.c_str()), true);

    // Hosts are told the values a new instance starts with as the defaults:
    // a host that shows the default until it reads the value, or resets a
    // parameter, then gets the sound the instance makes. The DEFAULT preset
    // and presets that lack a value keep the parameter list's own defaults.
    for (auto* parameter : getParameters())
        if (auto* published = dynamic_cast<DeclaredDefault*> (parameter))
            published->declareDefault (parameter->getValue());

    // The kernel outlives the watcher (see the destructor); the processor's
    // own getTailLengthSeconds is virtual, and a host may be destroying the
    // derived processor on its thread while a check runs.
    tailWatcher = std::make_unique<TailWatcher> (*this, [&source = *kernel] { return source.tailSeconds(); });
}

EffectProcessor::~EffectProcessor()
{
    tailWatcher.reset();
    for (const auto& id : parameterIDs)
        if (id.isNotEmpty())
            parameterTree.removeParameterListener (id, this);
}

double EffectProcessor::getTailLengthSeconds() const
{
    return kernel->tailSeconds();
}

const juce::String EffectProcessor::getName() const
{
    return JucePlugin_Name;
}

juce::AudioProcessorValueTreeState::ParameterLayout EffectProcessor::createParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    for (const auto& parameter : *kernel->parameters)
    {
        const auto& p = *parameter;
        if (p.isOutput)
            continue;

        const auto id = juce::String::fromUTF8 (p.id.c_str());
        const juce::ParameterID parameterID { id, 1 };
        // Hosts read a typed value as the control editor does ("post", "2k"
        // Hz); the kernel's parameters outlive the tree.
        const auto typedAsControls = juce::AudioParameterFloatAttributes().withValueFromStringFunction (
            [&p] (const juce::String& text) { return static_cast<float> (valueOfHostText (text, p)); });

        if (p.type == ParameterUnitIndexed)
        {
            const auto min = static_cast<int> (p.min);
            const auto max = static_cast<int> (p.max);
            juce::AudioParameterIntAttributes attributes;
            if (auto valueText = p.valueText)
            {
                // Hosts show, and read back, the names the editor shows.
                attributes = attributes
                                 .withStringFromValueFunction ([valueText] (int value, int) {
                                     return juce::String::fromUTF8 (valueText (value));
                                 })
                                 .withValueFromStringFunction ([&p] (const juce::String& text) {
                                     return juce::roundToInt (valueOfHostText (text, p));
                                 });
            }
            layout.add (std::make_unique<IntParameter> (parameterID, id, min, max, static_cast<int> (p.defaultValue),
                                                        attributes));
        }
        else if (p.type == ParameterUnitBoolean)
        {
            juce::AudioParameterBoolAttributes attributes;
            if (auto valueText = p.valueText)
            {
                attributes = attributes
                                 .withStringFromValueFunction ([valueText] (bool value, int) {
                                     return juce::String::fromUTF8 (valueText (value ? 1 : 0));
                                 })
                                 .withValueFromStringFunction ([&p] (const juce::String& text) {
                                     return juce::roundToInt (valueOfHostText (text, p)) != 0;
                                 });
            }
            layout.add (std::make_unique<SwitchParameter> (parameterID, id, p.defaultValue != 0.0f, attributes));
        }
        else if (p.fromNormalised != nullptr && p.toNormalised != nullptr)
        {
            auto fromNormalised = p.fromNormalised;
            auto toNormalised = p.toNormalised;
            juce::NormalisableRange<float> range (
                p.min, p.max,
                [fromNormalised] (float start, float end, float x) { return fromNormalised (start, end, x); },
                [toNormalised] (float start, float end, float v) { return toNormalised (start, end, v); });
            range.interval = 0.01f;
            layout.add (std::make_unique<FloatParameter> (
                parameterID, id, range, p.defaultValue,
                typedAsControls.withCategory (juce::AudioProcessorParameter::genericParameter)));
        }
        else
        {
            layout.add (std::make_unique<FloatParameter> (
                parameterID, id, juce::NormalisableRange<float> (p.min, p.max, 0.01f, 1.0f), p.defaultValue,
                typedAsControls));
        }
    }
    return layout;
}

void EffectProcessor::parameterChanged (const juce::String& parameterID, float newValue)
{
    // A host may send anything; a non-finite target would poison the ramps.
    if (! std::isfinite (newValue))
        return;

    for (size_t index = 0; index < parameterIDs.size(); ++index)
        if (parameterIDs[index] == parameterID)
            kernel->setParameter (static_cast<unsigned long> (index), newValue);
}

//==============================================================================
// Rendering

bool EffectProcessor::isBusesLayoutSupported (const BusesLayout& layout) const
{
    const auto output = layout.getMainOutputChannelSet();
    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;
    return layout.getMainInputChannelSet() == output;
}

void EffectProcessor::prepareToPlay (double sampleRate, int)
{
    // The kernel handles one or two channels and needs a real rate.
    if (! (std::isfinite (sampleRate) && sampleRate > 0.0))
    {
        prepared = false;
        return;
    }
    const int outputChannels = getBusCount (false) > 0 ? getChannelCountOfBus (false, 0) : 0;
    const bool firstInit = ! kernel->initialised;
    kernel->init (juce::jlimit (0, 2, outputChannels), sampleRate);
    kernel->setup();
    prepared = true;

    // The kernel's first init seeds every parameter with its default; the tree
    // may already hold other values (a restored project, edits made before
    // playback), and those are what the kernel must render.
    if (firstInit)
        sendTreeValuesToKernel();
}

void EffectProcessor::sendTreeValuesToKernel()
{
    auto& parameters = *kernel->parameters;
    for (size_t index = 0; index < parameterIDs.size(); ++index)
    {
        if (parameterIDs[index].isEmpty())
            continue;
        const auto value = parameterTree.getRawParameterValue (parameterIDs[index])->load();
        kernel->setParameter (static_cast<unsigned long> (index), value);
        if (auto* ramper = parameters[static_cast<unsigned long> (index)]->ramper.get())
            ramper->snapToTarget();
    }
}

void EffectProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;
    const int frames = buffer.getNumSamples();

    if (! prepared)
    {
        buffer.clear();
        return;
    }

    if (auto* playHead = getPlayHead())
    {
        if (const auto position = playHead->getPosition())
        {
            if (const auto bpm = position->getBpm())
                kernel->bpm = *bpm;
            if (const auto signature = position->getTimeSignature())
            {
                kernel->timeSignatureNumerator = static_cast<double> (signature->numerator);
                kernel->timeSignatureDenominator = signature->denominator;
            }
            if (const auto ppq = position->getPpqPosition())
                kernel->ppqPosition = *ppq;
            kernel->isPlaying = position->getIsPlaying();
            if (const auto samples = position->getTimeInSamples())
                kernel->timeInSamples = static_cast<double> (*samples);
            if (const auto loop = position->getLoopPoints())
            {
                kernel->loopStart = loop->ppqStart;
                kernel->loopEnd = loop->ppqEnd;
            }
        }
    }

    const int mainInputChannels = getBusCount (true) > 0 ? getChannelCountOfBus (true, 0) : 0;
    for (int channel = mainInputChannels; channel < getTotalNumOutputChannels(); ++channel)
        if (channel < buffer.getNumChannels())
            buffer.clear (channel, 0, frames);

    // The kernel's scratch buffers hold kMaxFramesPerBlock frames: longer host
    // blocks are rendered in consecutive pieces.
    const int maxPiece = static_cast<int> (kMaxFramesPerBlock);
    for (int start = 0; start < frames; start += maxPiece)
        renderPiece (buffer, start, std::min (maxPiece, frames - start));
}

void EffectProcessor::renderPiece (juce::AudioBuffer<float>& buffer, int start, int frames) noexcept
{
    auto pointBusesAt = [&] (bool isInput, std::vector<BufferList>& records) {
        for (size_t bus = 0; bus < records.size(); ++bus)
        {
            const int busIndex = static_cast<int> (bus);
            const int busChannels = getChannelCountOfBus (isInput, busIndex);
            for (int channel = 0; channel < 2; ++channel)
            {
                // A channel the bus does not have (mono) points nowhere rather
                // than into an earlier block.
                const int index = channel < busChannels ? getChannelIndexInProcessBlockBuffer (isInput, busIndex, channel) : -1;
                records[bus][static_cast<size_t> (channel)] =
                    index >= 0 && index < buffer.getNumChannels() ? buffer.getWritePointer (index) + start : nullptr;
            }
        }
    };
    pointBusesAt (true, inputBufferRecords);
    pointBusesAt (false, outputBufferRecords);

    kernel->setBuffers (inputBufferLists, outputBufferLists);
    kernel->process (static_cast<unsigned long> (frames), 0, 0);
}

//==============================================================================
// Host state

namespace
{
// Beside "PresetName": which list the preset belongs to, so that a project
// comes back on the preset it used when the user's and the factory's lists
// both hold its name. States without it find the user's preset first.
const juce::Identifier presetTypeProperty { "PresetType" };
const juce::String userType { "USER" };
const juce::String factoryType { "FACTORY" };
} // namespace

void EffectProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // No current preset is an empty name, which no preset can have: a project
    // saved with edits after a delete must not reopen as a real preset.
    auto state = parameterTree.copyState();
    state.setProperty ("PresetName", currentPreset != nullptr ? currentPreset->name : juce::String(), nullptr);
    if (currentPreset != nullptr)
        state.setProperty (presetTypeProperty, currentPreset->isUser ? userType : factoryType, nullptr);
    else
        state.removeProperty (presetTypeProperty, nullptr);
    addHostValues (state);
    if (auto xml = state.createXml())
        copyXmlToBinary (*xml, destData);
}

void EffectProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;
    const auto xml = BoundedXml::parseStateBlock (data, sizeInBytes);
    if (xml == nullptr || ! xml->hasTagName (parameterTree.state.getType().toString()))
        return;

    // The saved values are the truth: the named preset is only selected, so
    // edits made after choosing it survive the reload.
    const auto restored = withFiniteValues (juce::ValueTree::fromXml (*xml));
    parameterTree.replaceState (restored);
    restoreHostValues (restored);
    restoredPresetName = xml->getStringAttribute ("PresetName");
    const auto type = xml->getStringAttribute (presetTypeProperty);
    selectWithoutApplying (restoredPresetName, type == userType ? userList : type == factoryType ? factoryList : anyList);
    restoredPresetFound = currentPreset != nullptr;
    stateRestoredPending = true;
}

namespace
{
const juce::Identifier hostValueProperty { "hostValue" };
} // namespace

void EffectProcessor::addHostValues (juce::ValueTree& state)
{
    // A switch keeps the number the host wrote (0.95 reads as on, and the host
    // reads 0.95 back), which its value in the state (1) cannot give again:
    // such numbers are saved beside the value.
    for (auto child : state)
        if (auto* parameter = parameterTree.getParameter (child.getProperty ("id").toString()))
        {
            const float hostValue = parameter->getValue();
            if (parameter->convertTo0to1 (static_cast<float> (child.getProperty ("value"))) != hostValue)
                child.setProperty (hostValueProperty, hostValue, nullptr);
        }
}

void EffectProcessor::restoreHostValues (const juce::ValueTree& restored)
{
    // The tree only moves a parameter whose value in its own units changed:
    // a switch the host left at 0.78 stays there when 0.95 is restored (both
    // are on). Each parameter is given the exact number that was saved, or the
    // one its restored value maps to.
    for (auto* parameter : getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
        if (ranged == nullptr)
            continue;
        const auto child = restored.getChildWithProperty ("id", ranged->paramID);
        if (! child.isValid() || ! child.hasProperty ("value"))
            continue;

        // As the tree reads it: clamped into the range.
        const auto& range = ranged->getNormalisableRange();
        const auto value = juce::jlimit (static_cast<double> (range.start), static_cast<double> (range.end),
                                         static_cast<double> (child.getProperty ("value")));
        float target = ranged->convertTo0to1 (static_cast<float> (value));
        if (child.hasProperty (hostValueProperty))
        {
            // Taken only when it is a number in range that means the saved
            // value, so an edited state cannot say one thing and do another.
            double saved = -1.0;
            PresetParser::parseFiniteNumber (child.getProperty (hostValueProperty).toString(), saved);
            if (saved >= 0.0 && saved <= 1.0
                && ranged->convertFrom0to1 (static_cast<float> (saved)) == ranged->convertFrom0to1 (target))
                target = static_cast<float> (saved);
        }
        if (std::isfinite (target) && ranged->getValue() != target)
            ranged->setValueNotifyingHost (juce::jlimit (0.0f, 1.0f, target));
    }
}

juce::ValueTree EffectProcessor::withFiniteValues (juce::ValueTree restored) const
{
    // A value that is not a finite number keeps the parameter where it is.
    static const juce::Identifier idProperty { "id" };
    static const juce::Identifier valueProperty { "value" };

    for (auto child : restored)
    {
        if (! child.hasProperty (valueProperty))
            continue;
        const auto& value = child.getProperty (valueProperty);
        double number = 0.0;
        const bool finite = value.isString() ? PresetParser::parseFiniteNumber (value.toString(), number)
                                             : (value.isDouble() || value.isInt() || value.isInt64() || value.isBool())
                                                   && std::isfinite (static_cast<double> (value));
        if (finite)
            continue;

        if (auto* current = parameterTree.getRawParameterValue (child.getProperty (idProperty).toString()))
            child.setProperty (valueProperty, current->load(), nullptr);
        else
            child.removeProperty (valueProperty, nullptr);
    }
    return restored;
}

//==============================================================================
// Preset lists

std::vector<Preset*> EffectProcessor::getPresetList (int list) const
{
    std::vector<Preset*> result;
    if (list < 0 || list >= static_cast<int> (presetLists.size()))
        return result;
    for (const auto& preset : presetLists[static_cast<size_t> (list)])
        result.push_back (preset.get());
    return result;
}

std::pair<int, int> EffectProcessor::findPreset (const juce::String& name, int list) const
{
    // An empty name stands for "no preset" and never finds one.
    const auto key = PresetFileName::upperCase (name);
    if (key.isEmpty())
        return { -1, -1 };
    for (size_t searched = 0; searched < presetLists.size(); ++searched)
    {
        if (list != anyList && static_cast<int> (searched) != list)
            continue;
        const auto& presets = presetLists[searched];
        for (size_t index = 0; index < presets.size(); ++index)
            if (presets[index]->name == key)
                return { static_cast<int> (searched), static_cast<int> (index) };
    }
    return { -1, -1 };
}

bool EffectProcessor::setPreset (juce::String name, bool apply)
{
    const auto [list, index] = findPreset (name, anyList);
    if (list < 0)
        return false;
    currentPresetList = list;
    if (apply)
        setPreset (index);
    else
        currentPresetIndex = index;
    return true;
}

bool EffectProcessor::setPreset (int index)
{
    const auto& presets = presetLists[static_cast<size_t> (currentPresetList)];
    if (index < 0 || index >= static_cast<int> (presets.size()))
        return false;

    auto* preset = presets[static_cast<size_t> (index)].get();
    if (preset == currentPreset)
        return false;

    currentPresetIndex = index;
    parameterTree.replaceState (preset->state.createCopy());
    currentPreset = preset;
    return true;
}

bool EffectProcessor::differsFromPreset (const Preset& preset) const
{
    static const juce::Identifier idProperty { "id" };
    static const juce::Identifier valueProperty { "value" };
    // Compared normalised, both sides after the parameter's own snapping, so
    // that a value stored with a few more digits than the parameter keeps, or
    // a host's number between two steps, is not a difference.
    constexpr float tolerance = 1.0e-6f;

    for (const auto& child : preset.state)
    {
        auto* host = parameterTree.getParameter (child.getProperty (idProperty).toString());
        if (host == nullptr || ! child.hasProperty (valueProperty))
            continue;
        const auto stored = static_cast<float> (static_cast<double> (child.getProperty (valueProperty)));
        if (! std::isfinite (stored))
            continue;
        const float held = host->convertTo0to1 (host->convertFrom0to1 (host->getValue()));
        if (std::abs (held - host->convertTo0to1 (stored)) > tolerance)
            return true;
    }
    return false;
}

bool EffectProcessor::hasNamesake (const Preset& preset) const
{
    return findPreset (preset.name, preset.isUser ? factoryList : userList).first >= 0;
}

bool EffectProcessor::reapplyCurrentPreset()
{
    if (currentPreset == nullptr || ! differsFromPreset (*currentPreset))
        return false;
    parameterTree.replaceState (currentPreset->state.createCopy());
    return true;
}

void EffectProcessor::selectWithoutApplying (const juce::String& name, int list)
{
    currentPreset = nullptr;
    const auto [found, index] = findPreset (name, list);
    if (found < 0)
        return;
    currentPresetList = found;
    currentPresetIndex = index;
    currentPreset = presetLists[static_cast<size_t> (found)][static_cast<size_t> (index)].get();
}
