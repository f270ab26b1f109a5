#pragma once

#include "Dynamics/LegacyCompressor.h"
#include "Dynamics/PeakMeter.h"

#include <cstdint>
#include <memory>
#include <vector>

// The wet signal's ducking, keyed by the dry input: per channel, the key's
// level over the last kWindowMs, a gain ramp toward the target that level
// asks for (at the attack's pace downwards, the release's upwards) that stops
// on its target, one block of gains and the meter that shows them.
//
// Every kDecisionMs of stream, counted from init, each channel's ramp is
// decided again from its key's level; the owner sets the times and threshold
// the decisions use (set) and feeds the key frame by frame (follow). Both
// times are durations, so a setting ducks alike at every sample rate.
class Ducker : public LegacyCompressor
{
public:
    static constexpr std::uint32_t LevelByRms = 0;
    static constexpr std::uint32_t LevelByPeak = 1;
    // The key's level is measured over this long: a whole cycle of 50 Hz,
    // so a low note's level does not swell and sag with its cycle (the gain
    // would shake at audio rate), short enough that the first attack of a
    // sound is ducked nearly at once.
    static constexpr double kWindowMs = 20.0;
    // How often a ramp is decided: a loud key is answered within this long.
    static constexpr double kDecisionMs = 1.0;

    // What a decision reads: the threshold as an amplitude, the ratio, and
    // the attack and release times in ms.
    struct Settings
    {
        double threshold = 1.0;
        double ratio = 10.0;
        float attackMs = 0.0f;
        float releaseMs = 0.0f;
    };

    Ducker();

    // Also restarts every channel's gain at 0, so the wet signal fades in,
    // forgets the key and decides at once.
    void init (int numChannels, double newSampleRate) override;
    void clear() noexcept override;

    // The settings of the decisions from here on.
    void set (const Settings& settings) noexcept;
    // The next n frames of a channel's key (finite) in; its n gains (to be
    // squared) out.
    void follow (std::size_t channel, const float* key, float* gains, unsigned long n) noexcept;

    // The gain of a level (an amplitude) under the settings: 1 up to the
    // threshold, above it the level reduced by the ratio, relative to itself.
    static float targetGain (double level, const Settings& settings) noexcept;

    std::uint32_t mode = LevelByRms;
    std::unique_ptr<PeakMeter> peakMeter;
    // Each channel's gain at its last decision.
    std::vector<float> channelGains;
    std::vector<float> gainBuffer;

private:
    struct Channel
    {
        // The squares of the last window of key, a ring, in whole units:
        // their sum is exact in any order, so the level does not depend on
        // how the frames came in.
        std::vector<std::int32_t> squares;
        unsigned long next = 0;  // where the next frame goes
        std::int64_t energy = 0; // the ring's sum
        // The ramp: its first gain, its step per frame, the bounds it stays
        // within (its first gain and its target), frames since it began; and
        // the frames left until the next decision.
        float start = 0.0f, step = 0.0f, lo = 0.0f, hi = 0.0f;
        unsigned long age = 0, untilDecision = 0;

        float gain() const noexcept;
    };

    // A channel's ramp from here on, from the level of its window.
    void decide (Channel& ch) noexcept;
    // The key's level (an amplitude) over the window.
    double level (const Channel& ch) const noexcept;
    double coefficient (float timeMs) const noexcept;

    std::vector<Channel> channelStates;
    unsigned long windowFrames = 1, decisionFrames = 1;
    Settings held;
    // coefficient() of the held attack and release, worked out when they are
    // set rather than at every decision.
    double attackCoefficient = 1.0, releaseCoefficient = 1.0;
};
