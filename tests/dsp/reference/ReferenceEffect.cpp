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

// From a to b by the weight w of b; a part wholly in or out is exact.
float fade (float a, float b, float w)
{
    return w == 1.0f ? b : w == 0.0f ? a : a + w * (b - a);
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
      fadeLength (ReferenceTiming::kGrid * std::max (1L, static_cast<long> (std::ceil (sampleRate * 0.005 / static_cast<double> (ReferenceTiming::kGrid))))),
      lengthFadeLength (ReferenceTiming::kGrid * std::max (1L, static_cast<long> (std::ceil (sampleRate * 0.02 / static_cast<double> (ReferenceTiming::kGrid))))),
      settings (s),
      oscillator (sampleRate),
      reverbA (sampleRate),
      reverbB (sampleRate)
{
    for (unsigned long i = 0; i < ReferenceSettings::kCount; ++i)
        ramps[i].jump (settings.target (i));
    for (auto& f : lengthFades)
        f.limit = static_cast<float> (f.speed * 1000.0 / sampleRate) / f.msPerUnit;
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
        if (c.frame == start)
        {
            settings.set (c.index, c.value);
            if (ReferenceSettings::isSwitch (c.index))
                continue;
            float limit = 1e30f;
            for (const auto& f : lengthFades)
                if (f.index == c.index)
                    limit = f.limit;
            ramps[c.index].start (settings.target (c.index), rampLength, limit);
        }

    // The modes are taken when no crossfade runs; a change starts one.
    if (fadeRunning > 0 && fadePosition >= fadeRunning)
        fadeRunning = 0;
    if (fadeRunning == 0)
    {
        const int a = settings.mode (false);
        const int b = settings.mode (true);
        if (modesTaken && (a != toA || b != toB))
        {
            fromA = toA;
            fromB = toB;
            fadeRunning = fadeLength;
            fadePosition = 0;
        }
        else
        {
            fromA = a;
            fromB = b;
        }
        toA = a;
        toB = b;
        modesTaken = true;
    }
    for (unsigned long i = 0; i < ReferenceSettings::kCount; ++i)
        ramps[i].render (chunk[i].data(), ReferenceTiming::kGrid);
    for (auto& f : lengthFades)
        takeLength (f);

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
    // The second reverb runs only while both voices repeat (in either
    // routing).
    const bool second = (fromA == kRepeat && fromB == kRepeat) || (toA == kRepeat && toB == kRepeat);
    reverbA.beginChunk (at (P::ReverbLength, 0), colour, at (P::RoomSize, 0), ReferenceTiming::kGrid);
    if (second)
        reverbB.beginChunk (at (P::ReverbLength, 0), colour, at (P::RoomSize, 0), ReferenceTiming::kGrid);

    scaleA = returnScale (s.semitones (false), s.fineSemitones (false));
    scaleB = returnScale (s.semitones (true), s.fineSemitones (true));
}

void ReferenceEffect::takeLength (LengthFade& f)
{
    auto& v = chunk[f.index];
    if (f.running && f.position >= lengthFadeLength)
        f.running = false;
    if (! f.valid)
    {
        f.valid = true;
        f.last = v[0];
    }
    if (! (std::fabs (v[0] - f.last) <= f.limit))
        f.waiting = true;
    if (f.waiting && ! f.running)
    {
        f.running = true;
        f.waiting = false;
        f.position = 0;
        f.from = f.last;
    }
    if (f.waiting)
        v.fill (f.last);
    f.last = v.back();
    for (long k = 0; k < ReferenceTiming::kGrid; ++k)
    {
        const auto i = static_cast<std::size_t> (k);
        const long reached = f.position + k + 1;
        f.oldWeight[i] = 0.0f;
        f.newWeight[i] = 1.0f;
        f.gain[i] = 1.0f;
        if (! f.running || reached >= lengthFadeLength)
            continue;
        const float r = static_cast<float> (reached) / static_cast<float> (lengthFadeLength);
        f.oldWeight[i] = std::cos (r * 1.57079633f);
        f.newWeight[i] = std::sin (r * 1.57079633f);
        f.gain[i] = std::fabs (std::cos (r * 3.14159265f));
        // A shifter's window switches where its taps are silent.
        if ((f.index == P::DelayTimeA || f.index == P::DelayTimeB) && 2 * reached < lengthFadeLength)
            v[i] = f.from;
    }
}

float ReferenceEffect::fadeWeight (long k) const
{
    // Half a cosine.
    const long reached = fadePosition + k + 1;
    if (fadeRunning == 0 || reached >= fadeRunning)
        return 1.0f;
    return 0.5f - 0.5f * std::cos (3.14159265f * static_cast<float> (reached) / static_cast<float> (fadeRunning));
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
        fadePosition += frames;
        for (auto& f : lengthFades)
            if (f.running)
                f.position += frames;
    }
    return output;
}

void ReferenceEffect::tick (const Signal& input, Signal& output, std::size_t t, long k)
{
    // Each part is heard by its weight in the two routings.
    const float r = fadeWeight (k);
    const auto weight = [r] (bool was, bool is) { return (was ? 1.0f - r : 0.0f) + (is ? r : 0.0f); };
    const bool bothFrom = fromA == kRepeat && fromB == kRepeat;
    const bool bothTo = toA == kRepeat && toB == kRepeat;
    const bool second = bothFrom || bothTo;
    const float both = weight (bothFrom, bothTo);
    const std::array<int, 2> from { fromA, fromB }, to { toA, toB };
    const auto uses = [&] (std::size_t v, int mode) { return from[v] == mode || to[v] == mode; };
    const auto modeWeight = [&] (std::size_t v, int mode) { return weight (from[v] == mode, to[v] == mode); };

    const float windowA = at (P::DelayTimeA, k);
    const float windowB = at (P::DelayTimeB, k);
    const float amountA = at (P::PitchShifterAmountA, k);
    const float amountB = at (P::PitchShifterAmountB, k);
    const float returnGainA = amountA * scaleA;
    const float returnGainB = amountB * scaleB;
    const float gainFactor = ReferenceMaths::exp (at (P::InputGain, k) * 0.115129255f); // 10^(dB / 20)
    const float preDelaySamples = (at (P::PreDelay, k) * 0.001f) * static_cast<float> (sampleRate);
    const auto i = static_cast<std::size_t> (k);
    const LengthFade& preDelayFade = lengthFades[0];
    const LengthFade& roomFade = lengthFades[1];
    const float gainA = lengthFades[2].gain[i];
    const float gainB = lengthFades[3].gain[i];

    const auto modulation = oscillator.tick (at (P::ModulationAmount, k));

    // In mono the reverbs' right inputs stay silent.
    std::array<float, 2> dry {}, reverbIn {}, reverbInB {};
    for (std::size_t c = 0; c < channels.size(); ++c)
    {
        auto& ch = channels[c];
        dry[c] = finite (input[c][t]);
        const float x = ch.inputFilter.tick (dry[c] * gainFactor);

        std::array<float, 2> pre { x, x };
        ReferenceVoice* voices[2] = { &ch.voiceA, &ch.voiceB };
        const float amounts[2] = { amountA, amountB };
        const float windows[2] = { windowA, windowB };
        const float windowGains[2] = { gainA, gainB };
        for (std::size_t v = 0; v < 2; ++v)
        {
            if (uses (v, kBefore))
                pre[v] = fade (x, voices[v]->shiftAndMix (false, x, x, amounts[v], windows[v], windowGains[v]),
                               modeWeight (v, kBefore));
            else
                voices[v]->restShifter (false, x);
        }
        float in = (pre[0] + pre[1]) * 0.5f;

        // The repeats come back one grid chunk after the voices made them:
        // voice A's into the first reverb, voice B's into the second where
        // both repeat, else into the first.
        const float backA = ch.returnA.read (ReferenceTiming::kGrid - 1, 0.0f);
        const float backB = ch.returnB.read (ReferenceTiming::kGrid - 1, 0.0f);
        if (uses (1, kRepeat))
        {
            if (second)
                reverbInB[c] = backB * returnGainB + in;
            in = in + backB * returnGainB * (modeWeight (1, kRepeat) - both);
        }
        else if (second)
        {
            reverbInB[c] = in;
        }
        // A reverb or delay that starts or stops hears its input fade.
        reverbInB[c] = reverbInB[c] * both;
        if (uses (0, kRepeat))
            in = in + backA * returnGainA * modeWeight (0, kRepeat);

        ch.preDelay.push (in);
        reverbIn[c] = ReferenceTiming::read (ch.preDelay, preDelaySamples, ReferenceTiming::kAfterWrite);
        if (preDelayFade.running)
            reverbIn[c] = reverbIn[c] * preDelayFade.newWeight[i]
                          + ReferenceTiming::read (ch.preDelay, (preDelayFade.from * 0.001f) * static_cast<float> (sampleRate),
                                                   ReferenceTiming::kAfterWrite)
                                * preDelayFade.oldWeight[i];
    }

    const float room = at (P::RoomSize, k);
    const ReferenceReverb::RoomFade roomFrom { roomFade.from, roomFade.oldWeight[i], roomFade.newWeight[i] };
    const ReferenceReverb::RoomFade* fadeRoom = roomFade.running ? &roomFrom : nullptr;
    auto [left, right] = reverbA.tick (reverbIn[0], reverbIn[1], room, modulation, fadeRoom);
    std::array<float, 2> reverbOut { left, right };
    std::array<float, 2> reverbOutB {};
    if (second)
    {
        const auto [l, rr] = reverbB.tick (reverbInB[0], reverbInB[1], room, modulation, fadeRoom);
        reverbOutB = { l, rr };
    }
    else
    {
        reverbB.rest();
    }

    const float mix = std::clamp (at (P::DryWet, k) * 0.01f, 0.0f, 1.0f);
    const float wetGain = std::clamp (mix * 2.0f, 0.0f, 1.0f);
    const float dryGain = std::clamp (mix * -2.0f + 2.0f, 0.0f, 1.0f);
    for (std::size_t c = 0; c < channels.size(); ++c)
    {
        auto& ch = channels[c];
        const float ra = reverbOut[c];
        const float rb = reverbOutB[c];
        // The wet signal and voice B's repeating delay's input move between
        // the first reverb and both by the weight of both repeating; a voice
        // shifts after the reverb only where both do not repeat, on the
        // first reverb's output.
        const float ro = second ? fade (ra, (ra + rb) * 0.75f, both) : ra;
        const std::array<float, 2> received { ra, second ? fade (ra, rb, both) : ra };
        ReferenceVoice* voices[2] = { &ch.voiceA, &ch.voiceB };
        ReferenceLine* returns[2] = { &ch.returnA, &ch.returnB };
        const float amounts[2] = { amountA, amountB };
        const float windows[2] = { windowA, windowB };
        const float windowGains[2] = { gainA, gainB };
        std::array<float, 2> post { ro, ro };
        for (std::size_t v = 0; v < 2; ++v)
        {
            if (uses (v, kAfter))
                post[v] = fade (ro, voices[v]->shiftAndMix (true, ra, ro, amounts[v], windows[v], windowGains[v]),
                                modeWeight (v, kAfter));
            else
                voices[v]->restShifter (true, ra);
            if (uses (v, kRepeat))
            {
                returns[v]->push (voices[v]->repeat (received[v] * modeWeight (v, kRepeat), windows[v], windowGains[v]));
            }
            else
            {
                voices[v]->restRepeat (received[v]);
                returns[v]->push (0.0f);
            }
        }

        const float wet = ((post[0] + post[1]) * 0.5f) * ch.ducker.tick (dry[c]);
        output[c][t] = dry[c] * dryGain + wet * wetGain;
    }
}
