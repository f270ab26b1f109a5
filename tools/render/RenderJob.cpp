#include "RenderJob.h"

#include "OfflineRenderer.h"
#include "ProgressBar.h"
#include "Preset/BoundedXml.h"
#include "FloatWavWriter.h"
#include "VantrelProcessor.h"

#include <cmath>

namespace render
{
namespace
{
struct Failure
{
    int code;
    juce::String message;
};

juce::String quoted (const juce::File& file)
{
    return "'" + file.getFullPathName() + "'";
}

std::unique_ptr<juce::AudioFormatReader> openInput (const juce::File& file, juce::AudioFormatManager& formats)
{
    if (! file.existsAsFile())
        throw Failure { exitFileError, "cannot read input " + quoted (file) + ": no such file" };

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    if (reader == nullptr)
        throw Failure { exitFileError, "cannot read input " + quoted (file) + ": not a readable WAV, AIFF or FLAC file" };

    if (reader->numChannels < 1 || reader->numChannels > 2)
        throw Failure { exitFileError, "input " + quoted (file) + " has " + juce::String (reader->numChannels)
                                           + " channels; only mono and stereo are supported" };

    if (! (std::isfinite (reader->sampleRate) && reader->sampleRate >= 1000.0 && reader->sampleRate <= 1536000.0))
        throw Failure { exitFileError, "input " + quoted (file) + " has an unusable sample rate of " + juce::String (reader->sampleRate) };

    if (reader->lengthInSamples < 0)
        throw Failure { exitFileError, "cannot read input " + quoted (file) + ": unknown length" };

    return reader;
}

juce::MemoryBlock readState (const juce::File& file)
{
    juce::MemoryBlock data;
    if (! file.existsAsFile() || ! file.loadFileAsData (data))
        throw Failure { exitFileError, "cannot read state file " + quoted (file) };

    // The host state is the framework's binary wrapping of an XML tree rooted
    // at "Parameters"; anything else would be silently ignored by the plug-in.
    const auto xml = BoundedXml::parseStateBlock (data.getData(), (int) data.getSize());
    if (xml == nullptr || ! xml->hasTagName ("Parameters"))
        throw Failure { exitFileError, "state file " + quoted (file) + " is not a KARVON Vantrel state" };

    return data;
}

// A file written next to its target and moved over it only when complete.
std::unique_ptr<juce::TemporaryFile> prepareOutput (const juce::File& target, const juce::String& what)
{
    if (target.isDirectory())
        throw Failure { exitFileError, "cannot write " + what + " " + quoted (target) + ": it is a folder" };
    if (! target.getParentDirectory().isDirectory())
        throw Failure { exitFileError, "cannot write " + what + " " + quoted (target) + ": folder does not exist" };

    auto temporary = std::make_unique<juce::TemporaryFile> (target, juce::TemporaryFile::useHiddenFile);
    juce::FileOutputStream probe (temporary->getFile());
    if (probe.failedToOpen())
        throw Failure { exitFileError, "cannot write " + what + " " + quoted (target) + ": " + probe.getStatus().getErrorMessage() };

    return temporary;
}

void listPresets (EffectProcessor& processor, std::FILE* out)
{
    for (int list : { EffectProcessor::factoryList, EffectProcessor::userList })
        for (auto* preset : processor.getPresetList (list))
            std::fprintf (out, "%s\t%s\n", list == EffectProcessor::userList ? "user" : "factory", preset->name.toRawUTF8());
}

void applyPreset (EffectProcessor& processor, const juce::String& name)
{
    // Asked for by name, the preset's values are applied even when the state
    // just restored already named it as current.
    processor.currentPreset = nullptr;
    if (! processor.setPreset (name, true))
        throw Failure { exitUsageError, "unknown preset '" + name + "' (see --list-presets)" };
}

void applySet (EffectProcessor& processor, const juce::String& identifier, double value, bool quiet, std::FILE* err)
{
    auto* parameter = processor.parameterTree.getParameter (identifier);
    if (parameter == nullptr)
    {
        juce::StringArray known;
        for (auto* p : processor.getParameters())
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
                known.add (ranged->getParameterID());
        throw Failure { exitUsageError, "unknown parameter '" + identifier + "' (parameters: " + known.joinIntoString (", ") + ")" };
    }

    const auto& range = parameter->getNormalisableRange();
    const auto clamped = juce::jlimit ((double) range.start, (double) range.end, value);
    if (clamped != value && ! quiet)
        std::fprintf (err, "vantrel-render: %s=%g is outside %g..%g; using %g\n", identifier.toRawUTF8(), value,
                      (double) range.start, (double) range.end, clamped);

    parameter->setValueNotifyingHost (parameter->convertTo0to1 ((float) clamped));
}
} // namespace

int runRenderJob (const RenderOptions& options, juce::String& error, std::FILE* out, std::FILE* err)
{
    try
    {
        if (options.listPresets)
        {
            auto processor = VantrelProcessor::create();
            listPresets (*processor, out);
            return exitOk;
        }

        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        auto reader = openInput (options.input, formats);
        const int channels = (int) reader->numChannels;
        const double rate = reader->sampleRate;

        juce::MemoryBlock stateIn;
        if (options.stateIn != juce::File())
            stateIn = readState (options.stateIn);

        // The processor as a host drives it: a new instance (on the default
        // preset), layout, the first prepare, then state, preset and settings.
        auto processor = VantrelProcessor::create();
        const auto set = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        if (! processor->setBusesLayout (layout))
            throw Failure { exitFileError, "the processor refused a " + set.getDescription() + " layout" };

        processor->setNonRealtime (true);
        processor->setRateAndBufferSizeDetails (rate, options.blockSize);
        processor->prepareToPlay (rate, options.blockSize);

        if (stateIn.getSize() > 0)
            processor->setStateInformation (stateIn.getData(), (int) stateIn.getSize());
        if (options.presetName.isNotEmpty())
            applyPreset (*processor, options.presetName);
        for (const auto& [identifier, value] : options.sets)
            applySet (*processor, identifier, value, options.quiet, err);

        auto output = prepareOutput (options.output, "output");
        std::unique_ptr<juce::TemporaryFile> stateOut;
        if (options.stateOut != juce::File())
            stateOut = prepareOutput (options.stateOut, "state file");

        std::unique_ptr<juce::AudioFormatWriter> writer;
        {
            auto stream = std::make_unique<juce::FileOutputStream> (output->getFile());
            if (stream->failedToOpen())
                throw Failure { exitFileError, "cannot write output " + quoted (options.output) };
            // The header states the rate and the bytes per second in 32 bits.
            if (! (rate >= 1.0 && rate * 8.0 <= 4294967295.0))
                throw Failure { exitFileError, "cannot write a WAV file at " + juce::String (rate) + " Hz" };
            writer = std::make_unique<FloatWavWriter> (stream.release(), rate, (unsigned int) channels);
        }

        OfflineRenderer renderer (*processor, options.blockSize);
        ProgressBar bar (err);
        OfflineRenderer::Report report;
        const auto result = renderer.render (*reader, *writer, options.tailSeconds,
                                             [&] (const OfflineRenderer::Progress& p) { if (! options.quiet) bar.update (p); },
                                             report);
        bar.finish();
        if (result.failed())
            throw Failure { exitFileError, result.getErrorMessage() + " " + quoted (options.output) };

        if (! writer->flush())
            throw Failure { exitFileError, "cannot write output " + quoted (options.output) };
        writer.reset();

        if (stateOut != nullptr)
        {
            juce::MemoryBlock state;
            processor->getStateInformation (state);
            if (! stateOut->getFile().replaceWithData (state.getData(), state.getSize()))
                throw Failure { exitFileError, "cannot write state file " + quoted (options.stateOut) };
        }

        if (! output->overwriteTargetFileWithTemporary())
            throw Failure { exitFileError, "cannot write output " + quoted (options.output) };
        if (stateOut != nullptr && ! stateOut->overwriteTargetFileWithTemporary())
            throw Failure { exitFileError, "cannot write state file " + quoted (options.stateOut) };

        if (! options.quiet)
        {
            std::fprintf (err, "vantrel-render: %s: %.2f s input + %.2f s tail%s, %d channel%s at %g Hz, peak %.1f dBFS\n",
                          options.output.getFullPathName().toRawUTF8(), (double) report.inputFrames / rate,
                          (double) report.tailFrames / rate, report.tailReachedLimit ? " (still audible at its limit)" : "",
                          channels, channels == 1 ? "" : "s", rate, juce::Decibels::gainToDecibels (report.peak, -200.0f));
            if (report.nonFinite > 0)
                std::fprintf (err, "vantrel-render: warning: %lld non-finite output samples\n", (long long) report.nonFinite);
        }
        return exitOk;
    }
    catch (const Failure& failure)
    {
        error = failure.message;
        std::fprintf (err, "vantrel-render: %s\n", failure.message.toRawUTF8());
        return failure.code;
    }
}
} // namespace render
