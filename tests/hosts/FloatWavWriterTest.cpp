#include "FloatWavWriter.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace
{

// Writes `audio` in blocks of `blockSize` frames into memory.
juce::MemoryBlock writeInBlocks (const juce::AudioBuffer<float>& audio, double rate, int blockSize)
{
    juce::MemoryBlock bytes;
    {
        render::FloatWavWriter writer (new juce::MemoryOutputStream (bytes, false), rate,
                                       static_cast<unsigned int> (audio.getNumChannels()));
        for (int start = 0; start < audio.getNumSamples(); start += blockSize)
            EXPECT_TRUE (writer.writeFromAudioSampleBuffer (audio, start, std::min (blockSize, audio.getNumSamples() - start)));
    }
    return bytes;
}

juce::uint32 word (const juce::MemoryBlock& bytes, size_t at)
{
    return juce::ByteOrder::littleEndianInt (static_cast<const char*> (bytes.getData()) + at);
}

juce::uint16 half (const juce::MemoryBlock& bytes, size_t at)
{
    return juce::ByteOrder::littleEndianShort (static_cast<const char*> (bytes.getData()) + at);
}

juce::AudioBuffer<float> ramp (int channels, int frames)
{
    juce::AudioBuffer<float> audio (channels, frames);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < frames; ++i)
            audio.setSample (c, i, (c == 0 ? 1.0f : -1.0f) * static_cast<float> (i) / static_cast<float> (frames) + 1.0e-7f);
    return audio;
}
} // namespace

TEST (FloatWavWriter, HeaderStatesTheFloatFormatItsExtensionSizeAndTheFrameCount)
{
    for (const int channels : { 1, 2 })
    {
        const auto bytes = writeInBlocks (ramp (channels, 1001), 44100.0, 256);
        const auto dataBytes = 1001u * 4u * static_cast<unsigned> (channels);
        ASSERT_EQ (bytes.getSize(), render::FloatWavWriter::headerBytes + dataBytes);
        EXPECT_EQ (juce::String (static_cast<const char*> (bytes.getData()), 4), "RIFF");
        EXPECT_EQ (word (bytes, 4), bytes.getSize() - 8);
        EXPECT_EQ (juce::String (static_cast<const char*> (bytes.getData()) + 8, 8), "WAVEfmt ");
        EXPECT_EQ (word (bytes, 16), 18u);                 // the format chunk holds cbSize
        EXPECT_EQ (half (bytes, 20), 3u);                  // IEEE float
        EXPECT_EQ (half (bytes, 22), channels);
        EXPECT_EQ (word (bytes, 24), 44100u);
        EXPECT_EQ (word (bytes, 28), 44100u * 4u * static_cast<unsigned> (channels));
        EXPECT_EQ (half (bytes, 32), 4 * channels);
        EXPECT_EQ (half (bytes, 34), 32u);
        EXPECT_EQ (half (bytes, 36), 0u);                  // cbSize: no extension
        EXPECT_EQ (juce::String (static_cast<const char*> (bytes.getData()) + 38, 4), "fact");
        EXPECT_EQ (word (bytes, 42), 4u);
        EXPECT_EQ (word (bytes, 46), 1001u);               // frames
        EXPECT_EQ (juce::String (static_cast<const char*> (bytes.getData()) + 50, 4), "data");
        EXPECT_EQ (word (bytes, 54), dataBytes);
    }
}

TEST (FloatWavWriter, ReadsBackBitForBitInBlocksOfAnyLength)
{
    for (const int channels : { 1, 2 })
    {
        const auto audio = ramp (channels, 3000);
        for (const int block : { 1, 7, 512, 5000 })
        {
            const auto bytes = writeInBlocks (audio, 96000.0, block);
            std::unique_ptr<juce::AudioFormatReader> reader (
                juce::WavAudioFormat().createReaderFor (new juce::MemoryInputStream (bytes, false), true));
            ASSERT_NE (reader, nullptr);
            EXPECT_TRUE (reader->usesFloatingPointData);
            EXPECT_EQ (reader->bitsPerSample, 32u);
            EXPECT_EQ (reader->sampleRate, 96000.0);
            ASSERT_EQ (reader->lengthInSamples, 3000);
            juce::AudioBuffer<float> back (channels, 3000);
            reader->read (&back, 0, 3000, 0, true, channels > 1);
            for (int c = 0; c < channels; ++c)
                for (int i = 0; i < 3000; ++i)
                    ASSERT_EQ (back.getSample (c, i), audio.getSample (c, i)) << channels << " " << block << " " << i;
        }
    }
}

TEST (FloatWavWriter, AnEmptyFileIsComplete)
{
    const auto bytes = writeInBlocks (juce::AudioBuffer<float> (2, 0), 48000.0, 512);
    ASSERT_EQ (bytes.getSize(), static_cast<size_t> (render::FloatWavWriter::headerBytes));
    EXPECT_EQ (word (bytes, 46), 0u);
    EXPECT_EQ (word (bytes, 54), 0u);
}

TEST (FloatWavWriter, RefusesToGrowBeyondWhatItsSizesCanState)
{
    juce::MemoryBlock bytes;
    render::FloatWavWriter writer (new juce::MemoryOutputStream (bytes, false), 48000.0, 2);
    float sample = 0.5f;
    const float* channels[2] = { &sample, &sample };
    // 2^31 stereo frames would be 16 GB: refused before anything is read.
    EXPECT_FALSE (writer.write (reinterpret_cast<const int**> (channels), INT_MAX));
    // What fits is still written.
    EXPECT_TRUE (writer.write (reinterpret_cast<const int**> (channels), 1));
    EXPECT_TRUE (writer.flush());
    EXPECT_EQ (word (bytes, 46), 1u);
}
