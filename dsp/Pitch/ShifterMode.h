#pragma once

// Where a pitch voice sits in the signal flow: the values of its mode
// parameter, as host state and preset files store them.
namespace ShifterMode
{
constexpr int Before = 0;   // shifts the input on its way into the reverb
constexpr int Feedback = 1; // a repeating, shifting delay around the reverb
constexpr int After = 2;    // shifts the reverb's output
constexpr int Count = 3;
} // namespace ShifterMode
