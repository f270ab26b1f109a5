#pragma once

#include <array>

// How long the effect's output can go on after its input falls silent, for
// one set of settings: what a host needs to render past the end of a region,
// or before it stops calling a plug-in whose input is silent.
//
// The estimate follows the signal paths that outlast the input:
// - the reverb, which falls by 60 dB in ReverbLength seconds; the estimate
//   allows 90 dB of fall, which covers a full-scale input with headroom for
//   the input gain;
// - a voice in feedback mode, whose pitched delay returns the reverb's output
//   to its input: the loop lengthens the reverb's decay (by 1 / (1 - G) for a
//   loop gain G, fitted from measured decays: it grows with the amount and
//   falls with the interval, which shifts the returned sound out of the band
//   the voice passes), and the delay's own repeats add a few seconds even to
//   a short reverb;
// - the pre-delay, and a voice shifting before or after the reverb, which
//   delays the signal by up to its window.
// A loop that sustains itself (a near-unison voice fed back at full amount
// into a long reverb) would ring for minutes: every estimate is capped at
// kMaximumSeconds, the longest tail worth rendering.
class TailLength
{
public:
    static constexpr double kMaximumSeconds = 60.0;

    struct Voice
    {
        int mode = 0;             // 0 before the reverb, 1 feedback, 2 after
        float interval = 0.0f;    // semitones, pitch plus fine
        float amountPercent = 0.0f;
        float windowMs = 500.0f;
    };

    struct Settings
    {
        float reverbLengthSeconds = 5.0f;
        float preDelayMs = 0.0f;
        std::array<Voice, 2> voices {};
    };

    // Seconds, in [0, kMaximumSeconds]. Settings out of their ranges are
    // taken at the nearest limit; a NaN counts as the longest.
    static double seconds (const Settings& settings) noexcept;

    // The loop gain of one voice in feedback mode, in [0, 1).
    static double loopGain (const Voice& voice) noexcept;
};
