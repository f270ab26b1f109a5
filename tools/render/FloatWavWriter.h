#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <vector>

namespace render
{
// Writes 32-bit float WAV files in the form every common reader accepts
// without a complaint: a format chunk that states the size of its (empty)
// extension, as chunks of non-PCM formats must, and a fact chunk with the
// frame count, which such files must carry. JUCE's own WAV writer leaves both
// out for mono and stereo files. (The extensible format is no better: one
// widely used reader warns about an extensible float chunk without a second
// extension size.)
//
// The header is written first with empty sizes and completed by flush() and
// by the destructor. A file that would outgrow the format (4 GB) is refused:
// write() returns false rather than wrap its sizes.
class FloatWavWriter : public juce::AudioFormatWriter
{
public:
    // Takes ownership of `stream` (as JUCE's writers do). Mono or stereo.
    FloatWavWriter (juce::OutputStream* stream, double sampleRate, unsigned int channels);
    ~FloatWavWriter() override;

    bool write (const int** samplesToWrite, int numSamples) override;
    bool flush() override;

    static constexpr int headerBytes = 58;

private:
    bool writeHeader();

    juce::int64 headerStart = 0;
    juce::uint64 framesWritten = 0;
    bool failed = false;
    std::vector<float> interleaved;
};
} // namespace render
