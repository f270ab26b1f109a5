#include "Reverb/SimpleReverb.h"

#include "Kernel/ScopedFlushDenormals.h"
#include "Math/Accelerate/SignalProcessing.h"
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

// Samples that are not finite would circulate in the network for ever; they
// enter as silence instead.
void copyFinite (const float* source, float* destination, unsigned long n) noexcept
{
    for (unsigned long i = 0; i < n; ++i)
        destination[i] = std::isfinite (source[i]) ? source[i] : 0.0f;
}
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
    initialised = true;
}

void SimpleReverb::clear() noexcept
{
    core.clear();
}

void SimpleReverb::updateFeedbackGain (unsigned long n) noexcept
{
    const float* length = lengthSource != nullptr ? lengthSource : defaultLength.data();
    const float longestLineSeconds = core.lines[3].timeMs * 0.001f;
    const float reverbTime = length[0];
    float g = std::pow (kDecay60dB, 1.0f / (reverbTime / longestLineSeconds)) * kMatrixNorm;
    // Only a broken time (negative or NaN) leaves this range; a gain above
    // the norm would make the network grow without bound.
    if (! (g >= 0.0f && g <= kMatrixNorm))
        g = 0.0f;

    float* gain = core.feedbackGain.data();
    if (g == core.currentFeedback)
    {
        SP::fill (gain, g, n);
        return;
    }
    // Ramp across the block so that a new time never steps the loop gain.
    const float step = (g - core.currentFeedback) / static_cast<float> (n);
    SP::ramp (core.currentFeedback, step, gain, n);
    core.currentFeedback = gain[n - 1] + step;
}

void SimpleReverb::process (float** buffers, unsigned long n) noexcept
{
    // A decaying tail must reach silence without passing through denormals.
    const ScopedFlushDenormals noDenormals;
    n = std::min (n, kMaxFramesPerBlock);
    if (n == 0 || buffers == nullptr)
        return;

    const int used = std::clamp (channels, 0, 2);
    if (! initialised)
    {
        for (int c = 0; c < used; ++c)
            SP::clear (buffers[c], n);
        return;
    }

    float* l = left.data();
    float* r = right.data();
    if (used >= 1)
        copyFinite (buffers[0], l, n);
    else
        SP::clear (l, n);
    // Mono: the right side hears silence, never its own last output.
    if (used >= 2)
        copyFinite (buffers[1], r, n);
    else
        SP::clear (r, n);

    updateFeedbackGain (n);

    auto& net = core;
    if (net.earlyReflectionsOn)
    {
        Memory::copy (l, net.earlyInL.data(), n);
        Memory::copy (r, net.earlyInR.data(), n);
        net.earlyReflections.process (net.earlyInL.data(), net.earlyInR.data(), net.earlyOutL.data(),
                                      net.earlyOutR.data(), n);
    }
    else
    {
        Memory::copy (l, net.earlyOutL.data(), n);
        Memory::copy (r, net.earlyOutR.data(), n);
    }

    const float* colour = colourSource != nullptr ? colourSource : defaultColour.data();
    std::array<float*, 4> out {};
    for (std::size_t i = 0; i < 4; ++i)
        out[i] = net.lineOut[i].data();
    net.processReadDelayLines (out.data(), n, colour, dampingAmount.data());

    // The early stage enters the network at lines 0 and 1.
    SP::add (out[0], net.earlyOutL.data(), out[0], n);
    SP::add (out[1], net.earlyOutR.data(), out[1], n);

    float* s0 = net.sum[0].data();
    float* s1 = net.sum[1].data();
    float* s2 = net.sum[2].data();
    float* s3 = net.sum[3].data();
    SP::add (out[0], out[1], s0, n);
    SP::sub (out[0], out[1], s1, n);
    SP::add (out[2], out[3], s2, n);
    SP::sub (out[2], out[3], s3, n);

    for (float* o : out)
        SP::mul_s (o, net.outputGain, o, n);
    SP::add (out[0], out[2], l, n);
    SP::add (out[1], out[3], r, n);

    // Second stage of the Hadamard matrix, then back into the lines.
    SP::add (s0, s2, net.mix[0].data(), n);
    SP::add (s1, s3, net.mix[1].data(), n);
    SP::sub (s0, s2, net.mix[2].data(), n);
    SP::sub (s1, s3, net.mix[3].data(), n);
    for (std::size_t i = 0; i < 4; ++i)
        net.processWriteDelayLine (i, net.mix[i].data(), n);

    if (used >= 1)
        SP::mul_s (l, kOutputScale, buffers[0], n);
    if (used >= 2)
        SP::mul_s (r, kOutputScale, buffers[1], n);
}
