#include "Reverb/SimpleReverb.h"

#include "Math/Accelerate/ScopedFlushDenormals.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"
#include "Math/Memory.h"

#include <algorithm>
#include <array>
#include <cmath>

using SP = SignalProcessing;

namespace
{
constexpr float kDampingPercent = 70.0f;
constexpr float kOutputScale = 0.7f;
// 0.5 normalises the unnormalised 4x4 Hadamard matrix, so the loop loses
// exactly 60 dB per reverb time along the longest line.
constexpr float kMatrixNorm = 0.5f;
constexpr float kDecay60dB = 0.001f;
constexpr float kDefaultLengthSeconds = 5.0f;
constexpr float kDefaultColourHz = 6000.0f;
} // namespace

SimpleReverb::SimpleReverb()
    : dampingAmount (kMaxFramesPerBlock, kDampingPercent),
      left (kMaxFramesPerBlock, 0.0f),
      right (kMaxFramesPerBlock, 0.0f),
      defaultLength (kMaxFramesPerBlock, kDefaultLengthSeconds),
      defaultColour (kMaxFramesPerBlock, kDefaultColourHz)
{
}

void SimpleReverb::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    core.init (numChannels, newSampleRate);
    ownPosition = 0;
    initialised = true;
}

void SimpleReverb::clear() noexcept
{
    // As after init: silent lines, the loop gain rising from 0 over the next
    // chunk.
    core.clear();
    core.currentFeedback = 0.0f;
    ownPosition = 0;
}

float SimpleReverb::targetFeedbackGain() noexcept
{
    const float* length = lengthSource != nullptr ? lengthSource : defaultLength.data();
    const float longestLineSeconds = core.lines[3].timeMs * 0.001f;
    const float reverbTime = length[0];
    // Time and room size hold most of the time: the last gain is kept for them.
    if (! (gainValid && reverbTime == lastReverbTime && longestLineSeconds == lastLineSeconds))
    {
        float g = std::pow (kDecay60dB, 1.0f / (reverbTime / longestLineSeconds)) * kMatrixNorm;
        // Only a broken time (negative or NaN) leaves this range; a gain above
        // the norm would make the network grow without bound.
        if (! (g >= 0.0f && g <= kMatrixNorm))
            g = 0.0f;
        lastGain = g;
        lastReverbTime = reverbTime;
        lastLineSeconds = longestLineSeconds;
        gainValid = true;
    }
    return lastGain;
}

void SimpleReverb::updateFeedbackGain (unsigned long n, unsigned long chunkPosition) noexcept
{
    chunkPosition %= kChunkLength;
    float* gain = core.feedbackGain.data();
    for (unsigned long done = 0; done < n;)
    {
        // The target is taken at each chunk's start, from the time and room
        // size there, and the gain ramps to it across the whole chunk, so
        // that a new time never steps the loop gain and the ramp does not
        // depend on how calls cut the chunk.
        if (chunkPosition == 0)
        {
            const float g = targetFeedbackGain();
            chunkStart = core.currentFeedback;
            chunkStep = g == core.currentFeedback ? 0.0f : (g - core.currentFeedback) / static_cast<float> (kChunkLength);
            if (chunkStep == 0.0f)
                core.currentFeedback = g;
        }
        const unsigned long piece = std::min (n - done, kChunkLength - chunkPosition);
        if (chunkStep == 0.0f)
        {
            SP::fill (gain + done, core.currentFeedback, piece);
        }
        else
        {
            // Each value from its place in the chunk.
            for (unsigned long i = 0; i < piece; ++i)
                gain[done + i] = chunkStart + static_cast<float> (static_cast<int> (chunkPosition + i)) * chunkStep;
        }
        chunkPosition += piece;
        done += piece;
        if (chunkPosition == kChunkLength)
        {
            if (chunkStep != 0.0f)
                core.currentFeedback = gain[done - 1] + chunkStep;
            chunkPosition = 0;
        }
    }
}

void SimpleReverb::mixNetwork (float* const* lineOut, const float* earlyL, const float* earlyR, float gain, float scale,
                               float* outL, float* outR, unsigned long n) noexcept
{
    const VectorKernels::NetworkMix mix { { lineOut[0], lineOut[1], lineOut[2], lineOut[3] }, { earlyL, earlyR }, gain, scale,
                                          { outL, outR },
                                          { core.mix[0].data(), core.mix[1].data(), core.mix[2].data(), core.mix[3].data() } };
    VectorKernels::networkMix (mix, n);
}

void SimpleReverb::process (float** buffers, unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    process (buffers, n, ownPosition);
    ownPosition = (ownPosition + n) % kChunkLength;
}

void SimpleReverb::process (float** buffers, unsigned long n, unsigned long gridPosition) noexcept
{
    // A decaying tail must reach silence without passing through denormals.
    const ScopedFlushDenormals noDenormals;
    n = std::min (n, kMaxFramesPerBlock);
    if (! takeInputs (buffers, n, gridPosition))
        return;

    auto& net = core;
    if (net.earlyReflectionsOn)
    {
        // The early stage only reads its inputs: it takes the channel copies.
        net.earlyReflections.process (left.data(), right.data(), net.earlyOutL.data(), net.earlyOutR.data(), n);
    }
    else
    {
        Memory::copy (left.data(), net.earlyOutL.data(), n);
        Memory::copy (right.data(), net.earlyOutR.data(), n);
    }

    const auto out = lineOutputs();
    net.processReadDelayLines (out.data(), n, colour(), dampingAmount.data());
    mixAndStore (buffers, n);
}

void SimpleReverb::processPair (SimpleReverb& a, float** buffersA, SimpleReverb& b, float** buffersB, unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    // Each counts its own calls: only two that are at the same place go together.
    if (a.ownPosition != b.ownPosition || &a == &b)
    {
        a.process (buffersA, n);
        b.process (buffersB, n);
        return;
    }
    const unsigned long position = a.ownPosition;
    processPair (a, buffersA, b, buffersB, n, position);
    a.ownPosition = b.ownPosition = (position + n) % kChunkLength;
}

void SimpleReverb::processPair (SimpleReverb& a, float** buffersA, SimpleReverb& b, float** buffersB, unsigned long n,
                                unsigned long gridPosition) noexcept
{
    const ScopedFlushDenormals noDenormals;
    n = std::min (n, kMaxFramesPerBlock);
    if (! (a.core.earlyReflectionsOn && b.core.earlyReflectionsOn && a.initialised && b.initialised && n > 0
           && buffersA != nullptr && buffersB != nullptr))
    {
        a.process (buffersA, n, gridPosition);
        b.process (buffersB, n, gridPosition);
        return;
    }
    a.takeInputs (buffersA, n, gridPosition);
    b.takeInputs (buffersB, n, gridPosition);

    // The steps of process for both networks, each step of the two together.
    auto& netA = a.core;
    auto& netB = b.core;
    EarlyReflections::processPair (netA.earlyReflections, a.left.data(), a.right.data(), netA.earlyOutL.data(),
                                   netA.earlyOutR.data(), netB.earlyReflections, b.left.data(), b.right.data(),
                                   netB.earlyOutL.data(), netB.earlyOutR.data(), n);
    const auto outA = a.lineOutputs();
    const auto outB = b.lineOutputs();
    Reverb::processReadDelayLinesPair (netA, outA.data(), a.colour(), a.dampingAmount.data(), netB, outB.data(), b.colour(),
                                       b.dampingAmount.data(), n);
    a.mixAndStore (buffersA, n);
    b.mixAndStore (buffersB, n);
}

void SimpleReverb::rest (unsigned long n) noexcept
{
    n = std::min (n, kMaxFramesPerBlock);
    if (! resting)
    {
        for (auto& r : core.lines)
            r.line->clearFilter();
        resting = true;
        silentThrough = false;
    }
    if (silentThrough)
        return;
    silentThrough = true;
    const auto silence = [this, n] (auto& records) noexcept {
        for (auto& r : records)
        {
            DelayWrite& w = r.line->writer (0);
            w.writeSilence (n);
            silentThrough = silentThrough && w.silentRun >= w.size;
        }
    };
    silence (core.lines);
    silence (core.earlyReflections.lines);
}

bool SimpleReverb::takeInputs (float** buffers, unsigned long n, unsigned long position) noexcept
{
    if (n == 0 || buffers == nullptr)
        return false;

    resting = false;
    const int used = std::clamp (channels, 0, 2);
    if (! initialised)
    {
        for (int c = 0; c < used; ++c)
            SP::clear (buffers[c], n);
        return false;
    }

    float* l = left.data();
    float* r = right.data();
    // Samples that are not finite would circulate in the network for ever;
    // they enter as silence instead.
    if (used >= 1)
        SP::finite (buffers[0], l, n);
    else
        SP::clear (l, n);
    // Mono: the right side hears silence, never its own last output.
    if (used >= 2)
        SP::finite (buffers[1], r, n);
    else
        SP::clear (r, n);

    updateFeedbackGain (n, position);
    return true;
}

const float* SimpleReverb::colour() const noexcept
{
    return colourSource != nullptr ? colourSource : defaultColour.data();
}

std::array<float*, 4> SimpleReverb::lineOutputs() noexcept
{
    std::array<float*, 4> out {};
    for (std::size_t i = 0; i < 4; ++i)
        out[i] = core.lineOut[i].data();
    return out;
}

void SimpleReverb::mixAndStore (float** buffers, unsigned long n) noexcept
{
    // The early stage enters the network at lines 0 and 1; the Hadamard
    // matrix feeds the lines back and the scaled line outputs make the
    // stereo output. One pass, per sample in this order:
    //   o0 = line0 + earlyL, o1 = line1 + earlyR, o2 = line2, o3 = line3,
    //   s0 = o0 + o1, s1 = o0 - o1, s2 = o2 + o3, s3 = o2 - o3,
    //   left = o0 g + o2 g, right = o1 g + o3 g (g the output gain),
    //   mix0 = s0 + s2, mix1 = s1 + s3, mix2 = s0 - s2, mix3 = s1 - s3,
    // and the channels' output left 0.7 and right 0.7 written at once (the
    // channel copies are not read again: the next call fills them anew).
    auto& net = core;
    const int used = std::clamp (channels, 0, 2);
    const auto out = lineOutputs();
    mixNetwork (out.data(), net.earlyOutL.data(), net.earlyOutR.data(), net.outputGain, kOutputScale,
                used >= 1 ? buffers[0] : left.data(), used >= 2 ? buffers[1] : right.data(), n);

    for (std::size_t i = 0; i < 4; ++i)
        net.processWriteDelayLine (i, net.mix[i].data(), n);
}
