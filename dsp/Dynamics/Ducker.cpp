#include "Dynamics/Ducker.h"

#include "BlockSize.h"
#include "Math/Accelerate/SignalProcessing.h"
#include "Math/Accelerate/VectorKernels.h"

#include <algorithm>
#include <cmath>

namespace
{
// Squares of the key in whole units of 2^-22. Keys beyond 16 (24 dB above
// full scale) count as 16.
constexpr float kUnitsPerSquare = 4194304.0f;
constexpr float kLargestUnits = 1073741824.0f;
constexpr double kUnits = kUnitsPerSquare;

// A ramp's gain `frame` frames after its start, within lo..hi.
inline float rampGain (float start, float step, float lo, float hi, int frame) noexcept
{
    return std::min (std::max (start + static_cast<float> (frame) * step, lo), hi);
}

unsigned long framesOf (double ms, double sampleRate) noexcept
{
    return static_cast<unsigned long> (std::max (1.0, std::round (ms * 0.001 * sampleRate)));
}
} // namespace

Ducker::Ducker()
    : peakMeter (std::make_unique<PeakMeter> (64, 1024)),
      gainBuffer (kMaxFramesPerBlock, 0.0f)
{
}

void Ducker::init (int numChannels, double newSampleRate)
{
    ProcessBlock::init (numChannels, newSampleRate);
    peakMeter->init (numChannels, newSampleRate);
    windowFrames = framesOf (kWindowMs, newSampleRate);
    decisionFrames = framesOf (kDecisionMs, newSampleRate);
    const auto n = static_cast<std::size_t> (std::max (numChannels, 0));
    channelGains.assign (n, 0.0f);
    // New storage, not the old one's capacity: a lower rate holds less.
    channelStates = std::vector<Channel> (n);
    for (auto& ch : channelStates)
        ch.squares = std::vector<std::int32_t> (windowFrames, 0);
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
    set (Settings {});
}

void Ducker::clear() noexcept
{
    std::fill (gainBuffer.begin(), gainBuffer.end(), 0.0f);
    std::fill (channelGains.begin(), channelGains.end(), 0.0f);
    for (auto& ch : channelStates)
    {
        std::fill (ch.squares.begin(), ch.squares.end(), 0);
        ch.next = 0;
        ch.energy = 0;
        ch.start = ch.step = ch.lo = ch.hi = 0.0f;
        ch.age = ch.untilDecision = 0;
    }
}

float Ducker::Channel::gain() const noexcept
{
    return rampGain (start, step, lo, hi, static_cast<int> (age));
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
        return std::sqrt (static_cast<double> (ch.energy) / (kUnits * static_cast<double> (windowFrames)));
    if (mode == LevelByPeak)
        return std::sqrt (static_cast<double> (*std::max_element (ch.squares.begin(), ch.squares.end())) / kUnits);
    return 0.0;
}

void Ducker::set (const Settings& settings) noexcept
{
    held = settings;
    attackCoefficient = coefficient (settings.attackMs);
    releaseCoefficient = coefficient (settings.releaseMs);
}

void Ducker::decide (Channel& ch) noexcept
{
    // The step comes from the distance, as a time constant would have it;
    // the ramp stops on its target, so a time shorter than a decision's
    // stretch reaches it and stays, never passes it.
    const float current = ch.gain();
    const float target = targetGain (level (ch), held);
    const float distance = target - current;
    ch.start = current;
    ch.step = static_cast<float> (distance * (distance < 0.0f ? attackCoefficient : releaseCoefficient));
    ch.lo = std::min (current, target);
    ch.hi = std::max (current, target);
    ch.age = 0;
    ch.untilDecision = decisionFrames;
}

void Ducker::follow (std::size_t channel, const float* key, float* gains, unsigned long n) noexcept
{
    Channel& ch = channelStates[channel];
    for (unsigned long done = 0; done < n;)
    {
        if (ch.untilDecision == 0)
        {
            decide (ch);
            channelGains[channel] = ch.start;
        }
        // Pieces end at decisions and where the ring does.
        const unsigned long m = std::min ({ n - done, ch.untilDecision, windowFrames - ch.next });
        // The ramp's gains from its age on, within lo..hi, as rampGain gives them.
        SignalProcessing::ramp (ch.start, ch.step, static_cast<int> (ch.age), gains + done, m);
        SignalProcessing::clip (gains + done, ch.lo, ch.hi, gains + done, m);
        // The squares of the key (finite) in units take the place of the ring's.
        ch.energy += VectorKernels::exchangeSquares (key + done, ch.squares.data() + ch.next, kUnitsPerSquare, kLargestUnits, m);
        ch.next = ch.next + m == windowFrames ? 0 : ch.next + m;
        ch.age += m;
        ch.untilDecision -= m;
        done += m;
    }
}
