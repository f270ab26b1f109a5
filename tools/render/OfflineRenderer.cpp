#include "OfflineRenderer.h"

#include <cmath>

namespace render
{
OfflineRenderer::OfflineRenderer (juce::AudioProcessor& p, int block)
    : processor (p), blockSize (block)
{
}

void OfflineRenderer::process (int frames)
{
    // A view of the first `frames` frames, rendered in place like a host does.
    juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), frames);
    midi.clear();
    processor.processBlock (view, midi);
}

void OfflineRenderer::measure (int frames, Report& report) const
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
    {
        const float* data = buffer.getReadPointer (c);
        for (int i = 0; i < frames; ++i)
        {
            if (! std::isfinite (data[i]))
                ++report.nonFinite;
            else
                report.peak = std::max (report.peak, std::abs (data[i]));
        }
    }
}

juce::Result OfflineRenderer::render (juce::AudioFormatReader& reader,
                                     juce::AudioFormatWriter& writer,
                                     std::optional<double> tailSeconds,
                                     const std::function<void (const Progress&)>& progress,
                                     Report& report)
{
    const int channels = (int) reader.numChannels;
    const double rate = reader.sampleRate;
    buffer.setSize (channels, blockSize);

    Progress state;
    state.inputFrames = reader.lengthInSamples;
    state.sampleRate = rate;
    report = {};

    auto writeFrames = [&] (const juce::AudioBuffer<float>& source, int start, int frames)
    {
        return frames <= 0 || writer.writeFromAudioSampleBuffer (source, start, frames);
    };
    const auto writeFailed = juce::Result::fail ("cannot write the output (disk full?)");

    // The input.
    for (juce::int64 position = 0; position < reader.lengthInSamples; position += blockSize)
    {
        const int frames = (int) std::min<juce::int64> (blockSize, reader.lengthInSamples - position);
        if (! reader.read (&buffer, 0, frames, position, true, true))
            return juce::Result::fail ("cannot read the input after frame " + juce::String (position));

        process (frames);
        measure (frames, report);
        if (! writeFrames (buffer, 0, frames))
            return writeFailed;

        report.inputFrames += frames;
        state.inputFramesDone = report.inputFrames;
        if (progress)
            progress (state);
    }

    // A tail of a fixed length.
    if (tailSeconds)
    {
        state.tailFrames = (juce::int64) std::llround (*tailSeconds * rate);
        for (juce::int64 done = 0; done < state.tailFrames; done += blockSize)
        {
            const int frames = (int) std::min<juce::int64> (blockSize, state.tailFrames - done);
            buffer.clear();
            process (frames);
            measure (frames, report);
            if (! writeFrames (buffer, 0, frames))
                return writeFailed;

            report.tailFrames += frames;
            state.tailFramesDone = report.tailFrames;
            if (progress)
                progress (state);
        }
        return juce::Result::ok();
    }

    // The automatic tail: quiet frames are held back and written only when a
    // louder frame follows them, so the file ends at the last frame at or above
    // the threshold.
    const auto window = (juce::int64) std::ceil (quietWindowSeconds * rate);
    const auto limit = (juce::int64) std::llround (maximumAutomaticTailSeconds * rate);
    juce::AudioBuffer<float> held (channels, (int) window + blockSize);
    int heldFrames = 0;
    juce::int64 rendered = 0;

    while (heldFrames < window && rendered < limit)
    {
        const int frames = (int) std::min<juce::int64> (blockSize, limit - rendered);
        buffer.clear();
        process (frames);
        measure (frames, report);
        rendered += frames;

        int lastLoud = -1;
        for (int c = 0; c < channels; ++c)
        {
            const float* data = buffer.getReadPointer (c);
            for (int i = frames - 1; i > lastLoud; --i)
                if (! (std::abs (data[i]) < silenceThreshold)) // NaN counts as loud
                {
                    lastLoud = i;
                    break;
                }
        }

        if (lastLoud >= 0)
        {
            if (! writeFrames (held, 0, heldFrames) || ! writeFrames (buffer, 0, lastLoud + 1))
                return writeFailed;
            report.tailFrames += heldFrames + lastLoud + 1;
            heldFrames = 0;
        }

        for (int c = 0; c < channels; ++c)
            held.copyFrom (c, heldFrames, buffer, c, lastLoud + 1, frames - lastLoud - 1);
        heldFrames += frames - lastLoud - 1;

        state.tailFramesDone = rendered;
        if (progress)
            progress (state);
    }

    if (heldFrames < window && rendered >= limit)
    {
        // Still audible at the limit: keep everything rendered.
        report.tailReachedLimit = true;
        if (! writeFrames (held, 0, heldFrames))
            return writeFailed;
        report.tailFrames += heldFrames;
    }

    return juce::Result::ok();
}
} // namespace render
