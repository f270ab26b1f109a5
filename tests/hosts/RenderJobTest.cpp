#include "OfflineRenderer.h"
#include "RenderJob.h"
#include "VantrelProcessor.h"

#include "SignalAnalysis.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace
{
constexpr double rate = 48000.0;

struct RenderJobTest : ::testing::Test
{
    juce::File folder;

    void SetUp() override
    {
        // Inside this process's own temporary HOME (see the test main): tests
        // run as parallel processes and must not share a folder.
        folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("render-job");
        ASSERT_TRUE (! folder.exists() && folder.createDirectory());
    }
    void TearDown() override { folder.deleteRecursively(); }

    juce::File file (const juce::String& name) const { return folder.getChildFile (name); }

    static juce::AudioBuffer<float> noise (int channels, int frames, float level, juce::int64 seed)
    {
        juce::Random random (seed);
        juce::AudioBuffer<float> buffer (channels, frames);
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < frames; ++i)
                buffer.setSample (c, i, level * (2.0f * random.nextFloat() - 1.0f));
        return buffer;
    }

    static void writeWav (const juce::File& target, const juce::AudioBuffer<float>& audio, double sampleRate, int bits = 24)
    {
        target.deleteFile();
        auto stream = std::make_unique<juce::FileOutputStream> (target);
        ASSERT_TRUE (stream->openedOk());
        std::unique_ptr<juce::AudioFormatWriter> writer (
            juce::WavAudioFormat().createWriterFor (stream.get(), sampleRate, (unsigned int) audio.getNumChannels(), bits, {}, 0));
        ASSERT_NE (writer, nullptr);
        stream.release();
        ASSERT_TRUE (writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()));
    }

    struct Wav
    {
        juce::AudioBuffer<float> audio;
        double sampleRate = 0.0;
        int bits = 0;
        bool isFloat = false;
    };

    static Wav readWav (const juce::File& source)
    {
        Wav wav;
        std::unique_ptr<juce::AudioFormatReader> reader (juce::WavAudioFormat().createReaderFor (source.createInputStream().release(), true));
        if (reader == nullptr)
            return wav;
        wav.sampleRate = reader->sampleRate;
        wav.bits = (int) reader->bitsPerSample;
        wav.isFloat = reader->usesFloatingPointData;
        wav.audio.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&wav.audio, 0, (int) reader->lengthInSamples, 0, true, true);
        return wav;
    }

    // Runs a job quietly; what it prints goes to `messages`.
    int run (render::RenderOptions options, juce::String& error, juce::String* messages = nullptr)
    {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int code = render::runRenderJob (options, error, out, err);
        if (messages != nullptr)
        {
            std::fflush (out);
            std::rewind (out);
            char line[4096];
            while (std::fgets (line, sizeof (line), out) != nullptr)
                *messages << line;
        }
        std::fclose (out);
        std::fclose (err);
        return code;
    }

    render::RenderOptions options (const juce::File& input, const juce::File& output) const
    {
        render::RenderOptions o;
        o.input = input;
        o.output = output;
        o.quiet = true;
        return o;
    }

    static std::map<juce::String, double> parametersOf (const juce::File& state, juce::String& presetName)
    {
        std::map<juce::String, double> values;
        juce::MemoryBlock data;
        state.loadFileAsData (data);
        const auto xml = juce::AudioProcessor::getXmlFromBinary (data.getData(), (int) data.getSize());
        if (xml == nullptr)
            return values;
        presetName = xml->getStringAttribute ("PresetName");
        for (auto* param : xml->getChildWithTagNameIterator ("PARAM"))
            values[param->getStringAttribute ("id")] = param->getDoubleAttribute ("value");
        return values;
    }

    static std::map<juce::String, double> factoryPresetValues (const juce::String& name)
    {
        std::map<juce::String, double> values;
        auto processor = VantrelProcessor::create();
        for (auto* preset : processor->getPresetList (EffectProcessor::factoryList))
            if (preset->name == name)
                for (const auto& param : preset->state)
                    values[param.getProperty ("id").toString()] = (double) param.getProperty ("value");
        return values;
    }
};
} // namespace

TEST_F (RenderJobTest, OutputIsTheProcessorDrivenInHostBlocks)
{
    // 33600 frames in blocks of 500: the last input block is shorter; then a
    // fixed quarter-second tail.
    const auto input = noise (2, 33600, 0.3f, 7);
    writeWav (file ("in.wav"), input, rate);

    auto o = options (file ("in.wav"), file ("out.wav"));
    o.blockSize = 500;
    o.tailSeconds = 0.25;
    o.sets = { { "DryWet", 80.0 }, { "PitchA", 7.0 } };
    juce::String error;
    ASSERT_EQ (run (o, error), render::exitOk) << error;

    // The same by hand, as a host would drive the processor.
    const auto source = readWav (file ("in.wav")).audio; // the 24-bit input as read back
    auto processor = VantrelProcessor::create();
    processor->setNonRealtime (true);
    processor->setRateAndBufferSizeDetails (rate, 500);
    processor->prepareToPlay (rate, 500);
    for (const auto& [id, value] : o.sets)
    {
        auto* parameter = processor->parameterTree.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 ((float) value));
    }
    const int total = 33600 + 12000;
    juce::AudioBuffer<float> expected (2, total);
    expected.clear();
    expected.copyFrom (0, 0, source, 0, 0, 33600);
    expected.copyFrom (1, 0, source, 1, 0, 33600);
    juce::MidiBuffer midi;
    for (int start = 0; start < total; start += 500)
    {
        const int frames = std::min (500, (start < 33600 ? 33600 : total) - start);
        juce::AudioBuffer<float> view (expected.getArrayOfWritePointers(), 2, start, frames);
        processor->processBlock (view, midi);
        if (start < 33600 && start + frames == 33600)
            start -= 500 - frames; // the tail starts in a new block
    }

    const auto rendered = readWav (file ("out.wav"));
    EXPECT_TRUE (rendered.isFloat);
    EXPECT_EQ (rendered.bits, 32);
    EXPECT_EQ (rendered.sampleRate, rate);
    ASSERT_EQ (rendered.audio.getNumChannels(), 2);
    ASSERT_EQ (rendered.audio.getNumSamples(), total);
    int differing = 0;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < total; ++i)
            differing += rendered.audio.getSample (c, i) != expected.getSample (c, i) ? 1 : 0;
    EXPECT_EQ (differing, 0);
}

TEST_F (RenderJobTest, MonoFileRendersMonoAtItsOwnRate)
{
    writeWav (file ("mono.wav"), noise (1, 22050, 0.3f, 3), 44100.0);
    auto o = options (file ("mono.wav"), file ("out.wav"));
    o.tailSeconds = 0.5;
    juce::String error;
    ASSERT_EQ (run (o, error), render::exitOk) << error;

    const auto rendered = readWav (file ("out.wav"));
    EXPECT_EQ (rendered.sampleRate, 44100.0);
    ASSERT_EQ (rendered.audio.getNumChannels(), 1);
    ASSERT_EQ (rendered.audio.getNumSamples(), 22050 + 22050);
    const float* data = rendered.audio.getReadPointer (0);
    EXPECT_TRUE (testsupport::allFinite (data, 44100));
    EXPECT_GT (testsupport::toDecibels (testsupport::rms (data, 22050)), -40.0);
    // The reverb rings on into the tail.
    EXPECT_GT (testsupport::toDecibels (testsupport::rms (data + 22050, 22050)), -70.0);
}

TEST_F (RenderJobTest, AutomaticTailStopsWhereTheOutputFallsBelowMinus90dB)
{
    writeWav (file ("burst.wav"), noise (2, 24000, 0.3f, 11), rate);
    auto o = options (file ("burst.wav"), file ("out.wav"));
    juce::String error;
    ASSERT_EQ (run (o, error), render::exitOk) << error;

    const auto rendered = readWav (file ("out.wav"));
    const int length = rendered.audio.getNumSamples();
    ASSERT_GT (length, 24000 + (int) rate); // the default preset rings for seconds
    EXPECT_LE (length, 24000 + (int) (60.0 * rate));

    // The file ends on its last sample at or above -90 dBFS.
    const float threshold = render::OfflineRenderer::silenceThreshold;
    float last = 0.0f;
    for (int c = 0; c < 2; ++c)
        last = std::max (last, std::abs (rendered.audio.getSample (c, length - 1)));
    EXPECT_GE (last, threshold);

    // Silence in, nothing to ring: no tail at all.
    juce::AudioBuffer<float> silence (2, 4800);
    silence.clear();
    writeWav (file ("silence.wav"), silence, rate);
    ASSERT_EQ (run (options (file ("silence.wav"), file ("quiet.wav")), error), render::exitOk) << error;
    EXPECT_EQ (readWav (file ("quiet.wav")).audio.getNumSamples(), 4800);
}

TEST_F (RenderJobTest, LongReverbGetsALongTailButNeverMoreThanAMinute)
{
    writeWav (file ("burst.wav"), noise (2, 12000, 0.5f, 5), rate);
    auto o = options (file ("burst.wav"), file ("out.wav"));
    o.sets = { { "ReverbLength", 30.0 }, { "DryWet", 100.0 } };
    juce::String error;
    ASSERT_EQ (run (o, error), render::exitOk) << error;

    const int tail = readWav (file ("out.wav")).audio.getNumSamples() - 12000;
    EXPECT_GT (tail, (int) (10.0 * rate));
    EXPECT_LE (tail, (int) (60.0 * rate));
}

TEST_F (RenderJobTest, StateThenPresetThenSettingsInThatOrder)
{
    writeWav (file ("in.wav"), noise (2, 4800, 0.3f, 1), rate);
    const auto abyss = factoryPresetValues ("ABYSS");
    const auto smooth = factoryPresetValues ("SMOOTH VANTREL");
    ASSERT_EQ (abyss.size(), 24u);
    ASSERT_NE (abyss.at ("DryWet"), 33.0);
    juce::String error, name;

    // A preset (any case), then a setting over it.
    auto o = options (file ("in.wav"), file ("a.wav"));
    o.presetName = "abyss";
    o.sets = { { "DryWet", 33.0 } };
    o.stateOut = file ("a.state");
    ASSERT_EQ (run (o, error), render::exitOk) << error;
    auto values = parametersOf (file ("a.state"), name);
    EXPECT_EQ (name, "ABYSS");
    EXPECT_EQ (values.at ("DryWet"), 33.0);
    for (const auto& [id, value] : abyss)
    {
        if (id != "DryWet")
        {
            EXPECT_NEAR (values.at (id), value, 1.0e-3) << id;
        }
    }

    // The state alone comes back unchanged.
    o = options (file ("in.wav"), file ("b.wav"));
    o.stateIn = file ("a.state");
    o.stateOut = file ("b.state");
    ASSERT_EQ (run (o, error), render::exitOk) << error;
    EXPECT_EQ (parametersOf (file ("b.state"), name), values);
    EXPECT_EQ (name, "ABYSS");

    // A setting after a state changes only itself.
    o.sets = { { "PitchA", 5.0 } };
    o.stateOut = file ("c.state");
    ASSERT_EQ (run (o, error), render::exitOk) << error;
    auto changed = parametersOf (file ("c.state"), name);
    EXPECT_EQ (changed.at ("PitchA"), 5.0);
    EXPECT_EQ (changed.at ("DryWet"), 33.0);

    // A preset after a state replaces its values, also when the state names
    // that very preset as current.
    o.sets.clear();
    o.presetName = "Abyss";
    o.stateOut = file ("d.state");
    ASSERT_EQ (run (o, error), render::exitOk) << error;
    EXPECT_EQ (parametersOf (file ("d.state"), name).at ("DryWet"), abyss.at ("DryWet"));

    o.presetName = "Smooth Vantrel";
    o.stateOut = file ("e.state");
    ASSERT_EQ (run (o, error), render::exitOk) << error;
    values = parametersOf (file ("e.state"), name);
    EXPECT_EQ (name, "SMOOTH VANTREL");
    EXPECT_EQ (values.at ("PitchA"), smooth.at ("PitchA"));
    EXPECT_EQ (values.at ("DryWet"), smooth.at ("DryWet"));
}

TEST_F (RenderJobTest, OutOfRangeSettingIsClampedToTheParameterRange)
{
    writeWav (file ("in.wav"), noise (2, 4800, 0.3f, 1), rate);
    auto o = options (file ("in.wav"), file ("out.wav"));
    o.sets = { { "DryWet", 150.0 }, { "PitchB", -99.0 } };
    o.stateOut = file ("out.state");
    juce::String error, name;
    ASSERT_EQ (run (o, error), render::exitOk) << error;
    const auto values = parametersOf (file ("out.state"), name);
    EXPECT_EQ (values.at ("DryWet"), 100.0);
    EXPECT_EQ (values.at ("PitchB"), -24.0);
}

TEST_F (RenderJobTest, MistakesAreNamedAndWriteNothing)
{
    writeWav (file ("in.wav"), noise (2, 4800, 0.3f, 1), rate);
    writeWav (file ("quad.wav"), noise (3, 4800, 0.3f, 1), rate);
    file ("garbage.wav").replaceWithText ("RIFF, but not really a wave file");
    file ("garbage.state").replaceWithText ("<Parameters/>");
    juce::MemoryBlock otherTree; // wrapped as a state, but not the plug-in's
    juce::AudioProcessor::copyXmlToBinary (juce::XmlElement ("plist"), otherTree);
    file ("other.state").replaceWithData (otherTree.getData(), otherTree.getSize());
    {
        // A state block nested 100,000 deep: refused, not a crash.
        juce::MemoryBlock deep;
        juce::MemoryOutputStream out (deep, false);
        const auto text = "<Parameters>" + juce::String::repeatedString ("<PARAM>", 100000) + "</Parameters>";
        out.writeInt (0x21324356);
        out.writeInt (static_cast<int> (text.getNumBytesAsUTF8()) + 1);
        out << text;
        out.writeByte (0);
        out.flush();
        file ("deep.state").replaceWithData (deep.getData(), deep.getSize());
    }

    struct Case
    {
        const char* what;
        std::function<void (render::RenderOptions&)> change;
        const char* mentions;
        int code;
    };
    const Case cases[] = {
        { "unknown preset", [] (auto& o) { o.presetName = "No Such Preset"; }, "unknown preset 'No Such Preset'", render::exitUsageError },
        { "unknown parameter", [] (auto& o) { o.sets = { { "Loudness", 1.0 } }; }, "unknown parameter 'Loudness'", render::exitUsageError },
        { "missing input", [this] (auto& o) { o.input = file ("missing.wav"); }, "no such file", render::exitFileError },
        { "unreadable input", [this] (auto& o) { o.input = file ("garbage.wav"); }, "cannot read input", render::exitFileError },
        { "three channels", [this] (auto& o) { o.input = file ("quad.wav"); }, "has 3 channels", render::exitFileError },
        { "output folder missing", [this] (auto& o) { o.output = file ("nowhere/out.wav"); }, "folder does not exist", render::exitFileError },
        { "output is a folder", [this] (auto& o) { o.output = folder; }, "it is a folder", render::exitFileError },
        { "state not a state", [this] (auto& o) { o.stateIn = file ("garbage.state"); }, "is not a KARVON Vantrel state", render::exitFileError },
        { "state of another tree", [this] (auto& o) { o.stateIn = file ("other.state"); }, "is not a KARVON Vantrel state", render::exitFileError },
        { "state nested without end", [this] (auto& o) { o.stateIn = file ("deep.state"); }, "is not a KARVON Vantrel state", render::exitFileError },
        { "state missing", [this] (auto& o) { o.stateIn = file ("none.state"); }, "cannot read state file", render::exitFileError },
        { "state out folder missing", [this] (auto& o) { o.stateOut = file ("nowhere/x.state"); }, "folder does not exist", render::exitFileError },
    };

    const auto existing = file ("out.wav");
    for (const auto& c : cases)
    {
        existing.replaceWithText ("an earlier render");
        const auto before = folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*").size();

        auto o = options (file ("in.wav"), existing);
        c.change (o);
        juce::String error;
        EXPECT_EQ (run (o, error), c.code) << c.what;
        EXPECT_TRUE (error.contains (c.mentions)) << c.what << ": " << error;
        EXPECT_FALSE (error.containsChar ('\n')) << c.what;
        EXPECT_EQ (existing.loadFileAsString(), "an earlier render") << c.what;
        EXPECT_EQ (folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*").size(), before) << c.what << ": a file was left behind";
    }
}

TEST_F (RenderJobTest, ListsFactoryThenUserPresets)
{
    const auto userFolder = VantrelProcessor::create()->getUserPresetFolder();
    ASSERT_TRUE (userFolder.createDirectory());
    ASSERT_TRUE (userFolder.getChildFile ("My Sound.vnprs")
                     .replaceWithText ("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                       "<key>DryWet</key><real>80</real></dict></plist>"));

    render::RenderOptions o;
    o.listPresets = true;
    juce::String error, listing;
    ASSERT_EQ (run (o, error, &listing), render::exitOk) << error;
    const auto lines = juce::StringArray::fromLines (listing.trimEnd());
    ASSERT_GE (lines.size(), 33);
    EXPECT_EQ (lines[0], "factory\tDEFAULT");
    EXPECT_TRUE (lines.contains ("factory\tSMOOTH VANTREL"));
    EXPECT_EQ (lines[lines.size() - 1], "user\tMY SOUND");
    userFolder.getChildFile ("My Sound.vnprs").deleteFile();
}
