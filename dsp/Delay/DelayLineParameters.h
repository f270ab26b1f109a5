#pragma once

// Parameters of DelayLine::process: each scalar may be replaced by a buffer of
// per-sample values.
struct DelayLineParameters
{
    float time = 0.0f;              // ms
    float* timeBuffer = nullptr;    // per-sample ms, or null
    float feedback = 0.0f;
    float* feedbackBuffer = nullptr;
    bool write = true;              // store the (fed-back) input in the line
    bool readFromDelay = false;     // without feedback, pass on the delayed signal rather than the input
};
