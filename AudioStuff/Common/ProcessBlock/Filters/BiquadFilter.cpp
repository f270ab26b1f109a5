#include "ProcessBlock/Filters/BiquadFilter.h"

#include "Math/Accelerate/SignalProcessing.h"

#include <algorithm>

BiquadFilter::BiquadFilter()
{
    init (channels, sampleRate);
}

void BiquadFilter::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    coefficients.sampleRate = static_cast<float> (newSampleRate);
    states.clear();
    const int count = std::max (0, stages) * std::max (0, numChannels);
    states.reserve (static_cast<std::size_t> (count));
    for (int i = 0; i < count; ++i)
        states.push_back (SignalProcessing::biquad_createState());
    // The coefficients belong to the old rate: compute them afresh on the next
    // piece even if frequency, resonance and gain stay the same.
    coefficientsValid = false;
}

void BiquadFilter::clear() noexcept
{
    for (auto& state : states)
        state->clear();
}

void BiquadFilter::setType (BiquadFilterType type) noexcept
{
    if (type == filterType)
        return;
    filterType = type;
    clear();
}

void BiquadFilter::process (float* buffer, unsigned long frames, unsigned long channel, BiquadFilterParameters p) noexcept
{
    // Control values are read at the first sample of each piece; without both
    // moving frequency and resonance the block is one piece.
    const bool moving = p.frequencyBuffer != nullptr && p.resonanceBuffer != nullptr;
    const unsigned long pieceLength = moving ? std::max (1ul, std::min (subBlockSize, frames)) : frames;
    for (unsigned long k = 0; k < frames; k += pieceLength)
    {
        const unsigned long n = std::min (pieceLength, frames - k);
        const float frequency = p.frequencyBuffer != nullptr ? p.frequencyBuffer[k] : p.frequency;
        const float resonance = p.resonanceBuffer != nullptr ? p.resonanceBuffer[k] : p.resonance;
        const float gain = p.gainBuffer != nullptr ? p.gainBuffer[k] : p.gain;
        processFilter (buffer + k, n, channel, frequency, resonance, gain);
    }
}

void BiquadFilter::process (float* buffer, unsigned long frames, unsigned long channel,
                            float* frequencyBuffer, float* resonanceBuffer, float* gainBuffer) noexcept
{
    process (buffer, frames, channel, BiquadFilterParameters { 0.0f, frequencyBuffer, 0.0f, resonanceBuffer, 0.0f, gainBuffer });
}

void BiquadFilter::processFilter (float* buffer, unsigned long n, unsigned long channel, float frequency, float resonance, float gain) noexcept
{
    if (! coefficientsValid || frequency != lastFrequency || resonance != lastResonance || gain != lastGain || filterType != lastType)
    {
        coefficients.calculateParams (frequency, resonance, gain, filterType);
        lastFrequency = frequency;
        lastResonance = resonance;
        lastGain = gain;
        lastType = filterType;
        coefficientsValid = true;
    }
    // A channel the filter was not initialised for is left untouched.
    if (channel >= static_cast<unsigned long> (channels))
        return;
    const float c[5] = { coefficients.b0, coefficients.b1, coefficients.b2, coefficients.a1, coefficients.a2 };
    for (int s = 0; s < stages; ++s)
    {
        BiquadHistory* state = states[static_cast<std::size_t> (s) * static_cast<std::size_t> (channels) + channel].get();
        SignalProcessing::biquad (buffer, c, buffer, n, state);
        state->clearBadStateValue();
    }
}
