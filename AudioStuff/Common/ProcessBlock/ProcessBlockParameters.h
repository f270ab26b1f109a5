#pragma once

// Parameter records of the framework's blocks. Each parameter pairs a scalar
// with an optional buffer of per-sample values; a null buffer means "use the
// scalar for the whole block".

struct GainParameters
{
    float gain = 0.0f; // dB
    float* gainBuffer = nullptr;
};

struct BiquadFilterParameters
{
    float frequency = 0.0f; // Hz
    float* frequencyBuffer = nullptr;
    float resonance = 0.0f; // dB
    float* resonanceBuffer = nullptr;
    float gain = 0.0f; // dB
    float* gainBuffer = nullptr;
};

// For blocks that read no parameter.
struct ProcessBlockParameters
{
};
