#pragma once

#include <array>

// The reverb's modulator: four sines a quarter cycle apart, scaled by the
// squared amount. The phase ramp restarts from its carried phase at every
// grid point, where the rate is read.
class ReferenceOscillator
{
public:
    static constexpr int kOutputs = 4;

    explicit ReferenceOscillator (double sampleRate);

    // At a grid point: the rate (Hz) for the chunk that starts here.
    void beginChunk (float rateHz);
    // The four outputs of the next sample of the chunk.
    std::array<float, kOutputs> tick (float amountPercent);

private:
    double sampleRate;
    std::array<float, kOutputs> phases {};
    std::array<float, kOutputs> lastUnfolded {};
    float step = 0.0f;
    int index = 0;
    bool started = false;
};
