#include "ProcessBlock/Filters/BiquadFilter.h"

#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"

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

void BiquadFilter::recalculate (float frequency, float resonance, float gain) noexcept
{
    coefficients.calculateParams (frequency, resonance, gain, filterType);
    lastFrequency = frequency;
    lastResonance = resonance;
    lastGain = gain;
    lastType = filterType;
    coefficientsValid = true;
}

void BiquadFilter::processStereo (float* first, float* second, unsigned long frames, BiquadFilterParameters parameters) noexcept
{
    if (frames == 0 || first == second || ! singlePiece (frames, 0, parameters) || ! singlePiece (frames, 1, parameters))
    {
        process (first, frames, 0, parameters);
        process (second, frames, 1, parameters);
        return;
    }
    float frequency, resonance, gain;
    firstValues (parameters, frequency, resonance, gain);
    updateCoefficients (frequency, resonance, gain);
    const float c[5] = { coefficients.b0, coefficients.b1, coefficients.b2, coefficients.a1, coefficients.a2 };
    const float* sets[2] = { c, c };
    const float* in[2] = { first, second };
    float* out[2] = { first, second };
    BiquadHistory* histories[2] = { history (0), history (1) };
    SignalProcessing::biquadTwo (in, sets, out, frames, histories);
    histories[0]->finishCall (frames);
    histories[1]->finishCall (frames);
}

void BiquadFilter::processFour (BiquadFilter* const* filters, const float* const* in, float* const* out,
                                unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters) noexcept
{
    processLanes (filters, in, out, frames, channel, parameters, 4);
}

void BiquadFilter::processEight (BiquadFilter* const* filters, const float* const* in, float* const* out,
                                 unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters) noexcept
{
    processLanes (filters, in, out, frames, channel, parameters, 8);
}

void BiquadFilter::processLanes (BiquadFilter* const* filters, const float* const* in, float* const* out,
                                 unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters,
                                 int count) noexcept
{
    bool together = frames > 0;
    for (int j = 0; j < count && together; ++j)
        together = filters[j]->singlePiece (frames, channel, parameters[j]);
    if (! together)
    {
        for (int j = 0; j < count; ++j)
        {
            if (out[j] != in[j])
                std::copy (in[j], in[j] + frames, out[j]);
            filters[j]->process (out[j], frames, channel, parameters[j]);
        }
        return;
    }

    float c[8][5];
    const float* sets[8] {};
    BiquadHistory* histories[8] {};
    for (int j = 0; j < count; ++j)
    {
        BiquadFilter& f = *filters[j];
        float frequency, resonance, gain;
        firstValues (parameters[j], frequency, resonance, gain);
        f.updateCoefficients (frequency, resonance, gain);
        const BiquadCoefficients& k = f.coefficients;
        c[j][0] = k.b0, c[j][1] = k.b1, c[j][2] = k.b2, c[j][3] = k.a1, c[j][4] = k.a2;
        sets[j] = c[j];
        histories[j] = f.history (channel);
    }
    VectorKernels::biquads ({ in, out, sets, histories, count }, frames);
    for (int j = 0; j < count; ++j)
        histories[j]->finishCall (frames);
}

void BiquadFilter::processFilter (float* buffer, unsigned long n, unsigned long channel, float frequency, float resonance, float gain) noexcept
{
    updateCoefficients (frequency, resonance, gain);
    // A channel the filter was not initialised for is left untouched.
    if (channel >= static_cast<unsigned long> (channels))
        return;
    const float c[5] = { coefficients.b0, coefficients.b1, coefficients.b2, coefficients.a1, coefficients.a2 };
    for (int s = 0; s < stages; ++s)
    {
        BiquadHistory* state = states[static_cast<std::size_t> (s) * static_cast<std::size_t> (channels) + channel].get();
        SignalProcessing::biquad (buffer, c, buffer, n, state);
        state->finishCall (n);
    }
}
