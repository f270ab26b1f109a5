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
    const float* in[2] = { buffers[0], buffers[1] };
    processLanes (first, second, in, buffers, frames, channel, firstParameters, secondParameters, 2,
                  buffers[0] != buffers[1]);
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
    processLanes (filters, nullptr, in, out, frames, channel, parameters, nullptr, 4, true);
}

void BiquadFilter::processEight (BiquadFilter* const* filters, const float* const* in, float* const* out,
                                 unsigned long frames, unsigned long channel, const BiquadFilterParameters* parameters) noexcept
{
    processLanes (filters, nullptr, in, out, frames, channel, parameters, nullptr, 8, true);
}

void BiquadFilter::processLanes (BiquadFilter* const* first, BiquadFilter* const* second, const float* const* in,
                                 float* const* out, unsigned long frames, unsigned long channel,
                                 const BiquadFilterParameters* firstParameters,
                                 const BiquadFilterParameters* secondParameters, int count, bool together) noexcept
{
    together = together && frames > 0;
    for (int j = 0; j < count && together; ++j)
        together = first[j]->singlePiece (frames, channel, firstParameters[j])
                   && (second == nullptr || second[j]->singlePiece (frames, channel, secondParameters[j]));
    if (! together)
    {
        for (int j = 0; j < count; ++j)
        {
            if (out[j] != in[j])
                std::copy (in[j], in[j] + frames, out[j]);
            if (second != nullptr)
                processSeries (*first[j], *second[j], out[j], frames, channel, firstParameters[j], secondParameters[j]);
            else
                first[j]->process (out[j], frames, channel, firstParameters[j]);
        }
        return;
    }

    const int stages = second != nullptr ? 2 : 1;
    float c[2][8][5];
    const float* sets[2][8] {};
    BiquadHistory* histories[2][8] {};
    for (int st = 0; st < stages; ++st)
        for (int j = 0; j < count; ++j)
        {
            BiquadFilter& f = *(st == 0 ? first : second)[j];
            float frequency, resonance, gain;
            firstValues ((st == 0 ? firstParameters : secondParameters)[j], frequency, resonance, gain);
            f.updateCoefficients (frequency, resonance, gain);
            const BiquadCoefficients& k = f.coefficients;
            c[st][j][0] = k.b0, c[st][j][1] = k.b1, c[st][j][2] = k.b2, c[st][j][3] = k.a1, c[st][j][4] = k.a2;
            sets[st][j] = c[st][j];
            histories[st][j] = f.history (channel);
        }
    VectorKernels::biquads ({ in, out, { sets[0], sets[1] }, { histories[0], histories[1] }, count, stages }, frames);
    for (int st = 0; st < stages; ++st)
        for (int j = 0; j < count; ++j)
            histories[st][j]->finishCall (frames);
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
