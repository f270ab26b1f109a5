#pragma once

#include <cmath>

// One grain of a granular engine as the view draws it, filled from ten floats
// in this order.
struct Grain
{
    Grain() = default;
    explicit Grain (const float* values)
        : start (values[0]),
          length (values[1]),
          pan (values[2]),
          voice (voiceOf (values[3])),
          pitch (values[4]),
          gain (values[5]),
          progress (values[6]),
          isReversed (values[7] != 0.0f),
          taper (values[8]),
          spare (values[9])
    {
    }

    // The voice number as an integer; a value with no integer meaning (NaN,
    // infinity, beyond int) is voice 0 instead of an undefined conversion.
    static int voiceOf (float value)
    {
        const float whole = std::trunc (value);
        return std::isfinite (whole) && std::abs (whole) < 1.0e9f ? static_cast<int> (whole) : 0;
    }

    float start = 0.0f;     // depth of the stroke's start
    float length = 0.0f;    // depth extent; also widens the taper
    float pan = 0.0f;       // horizontal position
    int voice = 0;          // colour index, 0..3
    float pitch = 0.0f;     // height
    float gain = 0.0f;      // thickness
    float progress = 0.0f;  // 0..1: drawn extent and envelope
    bool isReversed = false; // runs towards the viewer
    float taper = 0.0f;     // widens the fades
    float spare = 0.0f;     // not drawn
};
