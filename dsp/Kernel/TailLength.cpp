#include "Kernel/TailLength.h"

#include "Pitch/ShifterMode.h"

#include <algorithm>
#include <cmath>

namespace
{
// Decay the estimate allows, in multiples of the reverb's 60 dB time.
constexpr double kFallPerLength = 90.0 / 60.0;
// Early reflections, the reverb's line lengths and the sub-block hand-overs.
constexpr double kFixedSeconds = 0.3;
// The feedback delay's own repeats: this much at zero amount, plus this much
// more per unit of amount.
constexpr double kRepeatsSeconds = 2.0;
constexpr double kRepeatsPerAmount = 2.5;
// No loop is treated as closer to sustaining itself than this (the cap takes
// over well before).
constexpr double kHighestLoopGain = 0.95;

// Loop gain of a voice at full amount, by interval (semitones): measured
// decays, rounded up.
struct GainAtInterval
{
    double semitones;
    double gain;
};
constexpr GainAtInterval kGainByInterval[] = { { 0.0, 0.92 }, { 1.0, 0.72 }, { 5.0, 0.56 }, { 12.0, 0.38 }, { 24.0, 0.20 } };

// NaN goes to `nanValue`, everything else into [low, high].
double limited (float value, double low, double high, double nanValue) noexcept
{
    return std::isnan (value) ? nanValue : std::clamp (static_cast<double> (value), low, high);
}

double gainAtFullAmount (double semitones) noexcept
{
    const auto& table = kGainByInterval;
    for (std::size_t i = 1; i < std::size (table); ++i)
        if (semitones <= table[i].semitones)
        {
            const double t = (semitones - table[i - 1].semitones) / (table[i].semitones - table[i - 1].semitones);
            return table[i - 1].gain + t * (table[i].gain - table[i - 1].gain);
        }
    return std::end (table)[-1].gain;
}
} // namespace

double TailLength::loopGain (const Voice& voice) noexcept
{
    const double interval = std::fabs (limited (voice.interval, -24.5, 24.5, 0.0));
    const double amount = limited (voice.amountPercent, 0.0, 100.0, 100.0) / 100.0;
    // No interval returns nothing to the reverb (the kernel's return scale is 0).
    if (voice.mode != ShifterMode::Feedback || interval == 0.0 || amount == 0.0)
        return 0.0;
    return std::min (kHighestLoopGain, std::pow (amount, 1.3) * gainAtFullAmount (interval));
}

double TailLength::seconds (const Settings& settings) noexcept
{
    const double length = limited (settings.reverbLengthSeconds, 0.0, 30.0, 30.0);
    double seconds = kFixedSeconds + limited (settings.preDelayMs, 0.0, 200.0, 200.0) / 1000.0;

    // Two voices in feedback mode each run their own reverb: the stronger
    // loop sets the decay, the other adds a little.
    std::array<double, 2> gains {};
    double feedbackAmount = -1.0;
    for (std::size_t v = 0; v < settings.voices.size(); ++v)
    {
        const Voice& voice = settings.voices[v];
        const double amount = limited (voice.amountPercent, 0.0, 100.0, 100.0) / 100.0;
        gains[v] = loopGain (voice);
        if (gains[v] > 0.0)
            feedbackAmount = std::max (feedbackAmount, amount);
        else if (voice.mode != ShifterMode::Feedback && amount > 0.0)
            seconds += limited (voice.windowMs, 0.0, 1000.0, 1000.0) / 1000.0;
    }
    const double loop = std::min (kHighestLoopGain, std::max (gains[0], gains[1]) + 0.1 * std::min (gains[0], gains[1]));
    seconds += kFallPerLength * length / (1.0 - loop);
    if (feedbackAmount >= 0.0)
        seconds += kRepeatsSeconds + kRepeatsPerAmount * feedbackAmount;

    return std::min (seconds, kMaximumSeconds);
}
