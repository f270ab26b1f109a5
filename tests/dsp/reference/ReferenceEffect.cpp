#include "ReferenceEffect.h"

#include "ReferenceMaths.h"
#include "ReferenceTiming.h"

#include <algorithm>
#include <cmath>

namespace
{
using P = VantrelParameterList;
constexpr int kBefore = 0;
constexpr int kRepeat = 1;
constexpr int kAfter = 2;

// The kernel's ramp length: 20 ms (0.02 in single precision) of the rate.
std::uint64_t rampSamples (double rate)
{
    return static_cast<std::uint64_t> (std::floor (rate * static_cast<double> (0.02f)));
}

float finite (float x)
{
    return std::isfinite (x) ? x : 0.0f;
}

// A repeating voice returns a share of its amount that rises steeply with
// the interval; an unshifted one returns nothing.
float returnScale (int semitones, float fine)
{
    return std::pow (std::fabs (static_cast<float> (semitones) + fine) / 24.0f, 0.05f) / 100.0f;
}
} // namespace

ReferenceEffect::Channel::Channel (double rate)
    : voiceA (rate),
      voiceB (rate),
      returnA (ReferenceTiming::kGrid),
      returnB (ReferenceTiming::kGrid),
      preDelay (static_cast<std::size_t> (rate * 0.5)),
      ducker (rate)
{
}

ReferenceEffect::ReferenceEffect (double rate, const ReferenceSettings& s, int channelCount)
    : sampleRate (static_cast<double> (static_cast<float> (rate))),
      rampLength (rampSamples (sampleRate)),
      settings (s),
      oscillator (sampleRate),
      reverbA (sampleRate),
      reverbB (sampleRate)
{
    for (unsigned long i = 0; i < ReferenceSettings::kCount; ++i)
        ramps[i].jump (settings.target (i));
    for (int c = 0; c < std::clamp (channelCount, 1, 2); ++c)
        channels.emplace_back (sampleRate);
}

void ReferenceEffect::change (std::size_t frame, unsigned long index, float value)
{
    changes.push_back ({ frame, index, value });
}

void ReferenceEffect::beginChunk (std::size_t start)
{
    for (const auto& c : changes)
        if (c.frame == start && ! ReferenceSettings::isSwitch (c.index))
        {
            settings.set (c.index, c.value);
            ramps[c.index].start (settings.target (c.index), rampLength);
        }
    for (unsigned long i = 0; i < ReferenceSettings::kCount; ++i)
        ramps[i].render (chunk[i].data(), ReferenceTiming::kGrid);

    const auto& s = settings;
    const float rate = static_cast<float> (sampleRate);
    // The input filter's cutoff comes back from the note scale to Hz, below
    // Nyquist; the reverbs' damping cutoff likewise.
    const float cutoff = std::clamp (ReferenceMaths::exp (at (P::InputFilterFrequency, 0) * 0.057762265f) * 8.1757994f, 20.0f,
                                     static_cast<float> (sampleRate / 2.1));
    colour = std::clamp (at (P::ReverbColor, 0), 800.0f, static_cast<float> (sampleRate / 2.01));
    const auto type = static_cast<ReferenceBiquad::Type> (s.inputFilterType());
    for (auto& ch : channels)
    {
        ch.inputFilter.design (type, cutoff, at (P::InputFilterResonance, 0), 0.0f, rate);
        ch.voiceA.beginChunk (s.semitones (false), s.fineSemitones (false), at (P::DelayTimeA, 0));
        ch.voiceB.beginChunk (s.semitones (true), s.fineSemitones (true), at (P::DelayTimeB, 0));
        ch.ducker.beginChunk (at (P::DuckingThreshold, 0), at (P::DuckingAttack, 0), at (P::DuckingRelease, 0));
    }
    oscillator.beginChunk (at (P::ModulationRate, 0));
    reverbA.beginChunk (at (P::ReverbLength, 0), colour, at (P::RoomSize, 0), ReferenceTiming::kGrid);
    // The second reverb runs only while both voices repeat.
    if (s.mode (false) == kRepeat && s.mode (true) == kRepeat)
        reverbB.beginChunk (at (P::ReverbLength, 0), colour, at (P::RoomSize, 0), ReferenceTiming::kGrid);

    scaleA = s.mode (false) == kRepeat ? returnScale (s.semitones (false), s.fineSemitones (false)) : 1.0f;
    scaleB = s.mode (true) == kRepeat ? returnScale (s.semitones (true), s.fineSemitones (true)) : 1.0f;
}

ReferenceEffect::Signal ReferenceEffect::render (const Signal& input)
{
    const std::size_t length = input[0].size();
    Signal output { std::vector<float> (length), std::vector<float> (length) };
    for (std::size_t start = 0; start < length; start += ReferenceTiming::kGrid)
    {
        const auto frames = static_cast<long> (std::min<std::size_t> (ReferenceTiming::kGrid, length - start));
        beginChunk (start);
        for (long k = 0; k < frames; ++k)
            tick (input, output, start + static_cast<std::size_t> (k), k);
    }
    return output;
}

void ReferenceEffect::tick (const Signal& input, Signal& output, std::size_t t, long k)
{
    const auto& s = settings;
    const int modeA = s.mode (false);
    const int modeB = s.mode (true);
    const bool bothRepeat = modeA == kRepeat && modeB == kRepeat;
    const float windowA = at (P::DelayTimeA, k);
    const float windowB = at (P::DelayTimeB, k);
    const float amountA = at (P::PitchShifterAmountA, k) * scaleA;
    const float amountB = at (P::PitchShifterAmountB, k) * scaleB;
    const float gainFactor = ReferenceMaths::exp (at (P::InputGain, k) * 0.115129255f); // 10^(dB / 20)
    const float preDelaySamples = (at (P::PreDelay, k) * 0.001f) * static_cast<float> (sampleRate);

    const auto modulation = oscillator.tick (at (P::ModulationAmount, k));

    // In mono the reverbs' right inputs stay silent.
    std::array<float, 2> dry {}, reverbIn {}, reverbInB {};
    for (std::size_t c = 0; c < channels.size(); ++c)
    {
        auto& ch = channels[c];
        dry[c] = finite (input[c][t]);
        const float x = ch.inputFilter.tick (dry[c] * gainFactor);

        const float a = modeA == kBefore ? ch.voiceA.shiftAndMix (x, x, amountA, windowA) : x;
        const float b = modeB == kBefore ? ch.voiceB.shiftAndMix (x, x, amountB, windowB) : x;
        float in = (a + b) * 0.5f;

        // The repeats come back one grid chunk after the voices made them.
        const float backA = ch.returnA.read (ReferenceTiming::kGrid - 1, 0.0f);
        const float backB = ch.returnB.read (ReferenceTiming::kGrid - 1, 0.0f);
        if (bothRepeat)
        {
            reverbInB[c] = backB * amountB + in;
            in = backA * amountA + in;
        }
        else
        {
            if (modeA == kRepeat)
                in = backA * amountA + in;
            if (modeB == kRepeat)
                in = backB * amountB + in;
        }

        ch.preDelay.push (in);
        reverbIn[c] = ReferenceTiming::read (ch.preDelay, preDelaySamples, ReferenceTiming::kAfterWrite);
    }

    const float room = at (P::RoomSize, k);
    auto [left, right] = reverbA.tick (reverbIn[0], reverbIn[1], room, modulation);
    std::array<float, 2> reverbOut { left, right };
    std::array<float, 2> reverbOutB {};
    if (bothRepeat)
    {
        const auto [l, r] = reverbB.tick (reverbInB[0], reverbInB[1], room, modulation);
        reverbOutB = { l, r };
    }

    const float mix = std::clamp (at (P::DryWet, k) * 0.01f, 0.0f, 1.0f);
    const float wetGain = std::clamp (mix * 2.0f, 0.0f, 1.0f);
    const float dryGain = std::clamp (mix * -2.0f + 2.0f, 0.0f, 1.0f);
    for (std::size_t c = 0; c < channels.size(); ++c)
    {
        auto& ch = channels[c];
        float ro = reverbOut[c];
        float a = ro;
        float b = ro;
        if (bothRepeat)
        {
            b = reverbOutB[c];
            ro = (ro + reverbOutB[c]) * 0.75f;
        }

        if (modeA == kAfter)
            a = ch.voiceA.shiftAndMix (a, ro, amountA, windowA);
        if (modeA == kRepeat)
        {
            ch.returnA.push (ch.voiceA.repeat (a, windowA));
            a = ro;
        }
        else
        {
            ch.returnA.push (0.0f);
        }
        if (modeB == kAfter)
            b = ch.voiceB.shiftAndMix (b, ro, amountB, windowB);
        if (modeB == kRepeat)
        {
            ch.returnB.push (ch.voiceB.repeat (b, windowB));
            b = ro;
        }
        else
        {
            ch.returnB.push (0.0f);
        }

        const float wet = ((a + b) * 0.5f) * ch.ducker.tick (dry[c]);
        output[c][t] = dry[c] * dryGain + wet * wetGain;
    }
}
