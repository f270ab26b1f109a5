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

void BiquadFilter::recalculate (float frequency, float resonance, float gain) noexcept
{
    coefficients.calculateParams (frequency, resonance, gain, filterType);
    lastFrequency = frequency;
    lastResonance = resonance;
    lastGain = gain;
    lastType = filterType;
    coefficientsValid = true;
}

void BiquadFilter::processSeries (BiquadFilter& first, BiquadFilter& second, float* buffer, unsigned long frames,
                                  unsigned long channel, BiquadFilterParameters firstParameters,
                                  BiquadFilterParameters secondParameters) noexcept
{
    if (frames == 0 || ! first.singlePiece (frames, channel, firstParameters)
        || ! second.singlePiece (frames, channel, secondParameters))
    {
        first.process (buffer, frames, channel, firstParameters);
        second.process (buffer, frames, channel, secondParameters);
        return;
    }

    float frequency, resonance, gain;
    firstValues (firstParameters, frequency, resonance, gain);
    first.updateCoefficients (frequency, resonance, gain);
    firstValues (secondParameters, frequency, resonance, gain);
    second.updateCoefficients (frequency, resonance, gain);

    const auto& a = first.coefficients;
    const auto& b = second.coefficients;
    const float firstCoefficients[5] = { a.b0, a.b1, a.b2, a.a1, a.a2 };
    const float secondCoefficients[5] = { b.b0, b.b1, b.b2, b.a1, b.a2 };
    BiquadHistory* firstState = first.history (channel);
    BiquadHistory* secondState = second.history (channel);
    SignalProcessing::biquadSeries (buffer, firstCoefficients, secondCoefficients, buffer, frames, firstState, secondState);
    firstState->finishCall (frames);
    secondState->finishCall (frames);
}

void BiquadFilter::processSeriesTwo (BiquadFilter* const* first, BiquadFilter* const* second, float* const* buffers,
                                     unsigned long frames, unsigned long channel,
                                     const BiquadFilterParameters* firstParameters,
                                     const BiquadFilterParameters* secondParameters) noexcept
{
    bool together = frames > 0 && buffers[0] != buffers[1];
    for (int j = 0; j < 2 && together; ++j)
        together = first[j]->singlePiece (frames, channel, firstParameters[j])
                   && second[j]->singlePiece (frames, channel, secondParameters[j]);
    if (! together)
    {
        for (int j = 0; j < 2; ++j)
            processSeries (*first[j], *second[j], buffers[j], frames, channel, firstParameters[j], secondParameters[j]);
        return;
    }

    float c[4][5];
    const float* firstSets[2];
    const float* secondSets[2];
    BiquadHistory* firstStates[2];
    BiquadHistory* secondStates[2];
    for (int j = 0; j < 2; ++j)
    {
        float frequency, resonance, gain;
        firstValues (firstParameters[j], frequency, resonance, gain);
        first[j]->updateCoefficients (frequency, resonance, gain);
        firstValues (secondParameters[j], frequency, resonance, gain);
        second[j]->updateCoefficients (frequency, resonance, gain);
        const BiquadCoefficients& a = first[j]->coefficients;
        const BiquadCoefficients& b = second[j]->coefficients;
        float* ca = c[2 * j];
        float* cb = c[2 * j + 1];
        ca[0] = a.b0, ca[1] = a.b1, ca[2] = a.b2, ca[3] = a.a1, ca[4] = a.a2;
        cb[0] = b.b0, cb[1] = b.b1, cb[2] = b.b2, cb[3] = b.a1, cb[4] = b.a2;
        firstSets[j] = ca;
        secondSets[j] = cb;
        firstStates[j] = first[j]->history (channel);
        secondStates[j] = second[j]->history (channel);
    }
    const float* in[2] = { buffers[0], buffers[1] };
    SignalProcessing::biquadSeriesTwo (in, firstSets, secondSets, buffers, frames, firstStates, secondStates);
    for (int j = 0; j < 2; ++j)
    {
        firstStates[j]->finishCall (frames);
        secondStates[j]->finishCall (frames);
    }
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
    processGroups (filters, in, out, frames, channel, parameters, 1);
}

void BiquadFilter::processEight (BiquadFilter* const* filters, const float* const* in, float* const* out,
                                 unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters) noexcept
{
    processGroups (filters, in, out, frames, channel, parameters, 2);
}

void BiquadFilter::processGroups (BiquadFilter* const* filters, const float* const* in, float* const* out,
                                  unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters,
                                  int groups) noexcept
{
    const int count = 4 * groups;
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
    const float* coefficientSets[8] {};
    BiquadHistory* histories[8] {};
    for (int j = 0; j < count; ++j)
    {
        BiquadFilter& f = *filters[j];
        float frequency, resonance, gain;
        firstValues (parameters[j], frequency, resonance, gain);
        f.updateCoefficients (frequency, resonance, gain);
        c[j][0] = f.coefficients.b0;
        c[j][1] = f.coefficients.b1;
        c[j][2] = f.coefficients.b2;
        c[j][3] = f.coefficients.a1;
        c[j][4] = f.coefficients.a2;
        coefficientSets[j] = c[j];
        histories[j] = f.history (channel);
    }
    if (groups == 2)
        SignalProcessing::biquadEight (in, coefficientSets, out, frames, histories);
    else
        SignalProcessing::biquadFour (in, coefficientSets, out, frames, histories);
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
