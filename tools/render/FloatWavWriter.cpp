#include "FloatWavWriter.h"

#include <limits>

namespace render
{
namespace
{
juce::uint32 chunkName (const char* name)
{
    return juce::ByteOrder::littleEndianInt (name);
}

constexpr juce::uint16 waveFormatIeeeFloat = 3;
constexpr juce::uint64 largestData = std::numeric_limits<juce::uint32>::max() - FloatWavWriter::headerBytes;
} // namespace

FloatWavWriter::FloatWavWriter (juce::OutputStream* stream, double rate, unsigned int channels)
    : juce::AudioFormatWriter (stream, "WAV file", rate, channels, 32)
{
    usesFloatingPointData = true;
    headerStart = output->getPosition();
    failed = ! writeHeader();
}

FloatWavWriter::~FloatWavWriter() { flush(); }

bool FloatWavWriter::writeHeader()
{
    const auto dataBytes = static_cast<juce::uint32> (framesWritten * numChannels * sizeof (float));
    const auto blockAlign = static_cast<juce::uint16> (numChannels * sizeof (float));
    const auto rate = static_cast<juce::uint32> (sampleRate);

    bool ok = output->writeInt (static_cast<int> (chunkName ("RIFF")));
    ok = ok && output->writeInt (static_cast<int> (headerBytes - 8 + dataBytes));
    ok = ok && output->writeInt (static_cast<int> (chunkName ("WAVE")));

    ok = ok && output->writeInt (static_cast<int> (chunkName ("fmt ")));
    ok = ok && output->writeInt (18);
    ok = ok && output->writeShort (static_cast<short> (waveFormatIeeeFloat));
    ok = ok && output->writeShort (static_cast<short> (numChannels));
    ok = ok && output->writeInt (static_cast<int> (rate));
    ok = ok && output->writeInt (static_cast<int> (rate * blockAlign));
    ok = ok && output->writeShort (static_cast<short> (blockAlign));
    ok = ok && output->writeShort (32);
    ok = ok && output->writeShort (0); // cbSize: no extension follows

    ok = ok && output->writeInt (static_cast<int> (chunkName ("fact")));
    ok = ok && output->writeInt (4);
    ok = ok && output->writeInt (static_cast<int> (static_cast<juce::uint32> (framesWritten)));

    ok = ok && output->writeInt (static_cast<int> (chunkName ("data")));
    ok = ok && output->writeInt (static_cast<int> (dataBytes));
    return ok;
}

bool FloatWavWriter::write (const int** samplesToWrite, int numSamples)
{
    if (failed || numSamples < 0 || (numChannels != 1 && numChannels != 2))
        return false;
    const auto frames = static_cast<juce::uint64> (numSamples);
    if ((framesWritten + frames) * numChannels * sizeof (float) > largestData)
        return false;

    // The float samples arrive through the int pointers of the base class.
    interleaved.resize (static_cast<size_t> (numSamples) * numChannels);
    for (unsigned int c = 0; c < numChannels; ++c)
    {
        const auto* channel = reinterpret_cast<const float*> (samplesToWrite[c]);
        for (int i = 0; i < numSamples; ++i)
            interleaved[static_cast<size_t> (i) * numChannels + c] = channel != nullptr ? channel[i] : 0.0f;
    }
    for (auto& sample : interleaved)
        sample = juce::ByteOrder::swapIfBigEndian (sample);

    if (! output->write (interleaved.data(), interleaved.size() * sizeof (float)))
        return false;
    framesWritten += frames;
    return true;
}

bool FloatWavWriter::flush()
{
    if (failed || output == nullptr)
        return false;
    const auto end = output->getPosition();
    const bool ok = output->setPosition (headerStart) && writeHeader() && output->setPosition (end);
    output->flush();
    return ok;
}
} // namespace render
