#include "Dynamics/Ducker.h"

#include "BlockSize.h"

#include <algorithm>
#include <cmath>

Ducker::Ducker()
    : peakMeter (std::make_unique<PeakMeter> (64, 1024)),
      gainBuffer (kMaxFramesPerBlock, 0.0f)
{
}

void Ducker::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    peakMeter->init (numChannels, newSampleRate);
    const auto n = static_cast<std::size_t> (std::max (numChannels, 0));
    channelGains.assign (n, 0.0f);
    channelStates.assign (n, Channel {});
    for (auto& ch : channelStates)
        ch.key.assign (kWindow, 0.0f);
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
    held = Settings {};
}

void Ducker::clear() noexcept
{
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
    std::fill (channelGains.begin(), channelGains.end(), 0.0f);
    for (auto& ch : channelStates)
    {
        std::fill (ch.key.begin(), ch.key.end(), 0.0f);
        ch.next = 0;
        ch.energy = ch.louder = 0.0;
        ch.start = ch.step = 0.0f;
        ch.age = 0;
    }
}

float Ducker::Channel::gain() const noexcept
{
    return std::clamp (start + static_cast<float> (age) * step, 0.0f, 1.0f);
}

float Ducker::targetGain (double level, const Settings& s) noexcept
{
    const double t = s.threshold;
    return static_cast<float> (std::min (1.0, std::max ((level - t) / s.ratio + t, 0.001) / std::max (level, 0.001)));
}

double Ducker::coefficient (float timeMs) const noexcept
{
    return timeMs == 0.0f ? 1.0 : 1.0 / (std::max (static_cast<double> (timeMs), 0.01) * sampleRate * 0.001);
}

double Ducker::level (const Channel& ch) const noexcept
{
    if (mode == LevelByRms)
        return std::sqrt (std::max (ch.energy, 0.0) / static_cast<double> (kWindow));
    if (mode == LevelByPeak)
    {
        float peak = 0.0f;
        for (const float x : ch.key)
            peak = std::max (peak, std::fabs (x));
        return peak;
    }
    return 0.0;
}

void Ducker::decide (const Settings& settings) noexcept
{
    held = settings;
    for (std::size_t c = 0; c < channelStates.size(); ++c)
    {
        Channel& ch = channelStates[c];
        const double l = level (ch);
        const float current = ch.gain();
        const float distance = targetGain (l, settings) - current;
        ch.start = current;
        ch.step = static_cast<float> (distance * coefficient (distance < 0.0f ? settings.attackMs : settings.releaseMs));
        ch.age = 0;
        channelGains[c] = current;
        // Up to the threshold the target is 1: only a key louder than both
        // this level and the threshold can ask for less.
        const double t = settings.threshold;
        ch.louder = mode == LevelByRms ? std::max (ch.energy, t * t * static_cast<double> (kWindow)) : std::max (l, t);
    }
}

void Ducker::attack (Channel& ch, double l) noexcept
{
    // The ramp in force goes on unless this one falls faster.
    const float current = ch.gain();
    const auto step = static_cast<float> ((targetGain (l, held) - current) * coefficient (held.attackMs));
    if (step >= ch.step)
        return;
    ch.start = current;
    ch.step = step;
    ch.age = 0;
}

template <std::uint32_t Mode>
void Ducker::followKey (Channel& ch, const float* key, float* gains, unsigned long n) noexcept
{
    static_assert ((kWindow & (kWindow - 1)) == 0);
    for (unsigned long i = 0; i < n; ++i)
    {
        const float x = key[i];
        float& oldest = ch.key[ch.next];
        if constexpr (Mode == LevelByRms)
        {
            // Squares of floats are exact in double: the sum only rounds.
            ch.energy += static_cast<double> (x) * x - static_cast<double> (oldest) * oldest;
            if (ch.energy > ch.louder)
            {
                ch.louder = ch.energy;
                attack (ch, std::sqrt (ch.energy / static_cast<double> (kWindow)));
            }
        }
        else if constexpr (Mode == LevelByPeak)
        {
            // The window's peak can rise only by the frame that enters it.
            const double magnitude = std::fabs (x);
            if (magnitude > ch.louder)
            {
                ch.louder = magnitude;
                attack (ch, magnitude);
            }
        }
        oldest = x;
        ch.next = (ch.next + 1) & (kWindow - 1);
        gains[i] = ch.gain();
        ++ch.age;
    }
}

void Ducker::follow (std::size_t channel, const float* key, float* gains, unsigned long n) noexcept
{
    Channel& ch = channelStates[channel];
    if (mode == LevelByRms)
        followKey<LevelByRms> (ch, key, gains, n);
    else if (mode == LevelByPeak)
        followKey<LevelByPeak> (ch, key, gains, n);
    else
        followKey<~0u> (ch, key, gains, n);
}
