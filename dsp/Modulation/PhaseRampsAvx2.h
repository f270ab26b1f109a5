#pragma once

// The phase loops of the pitch shifter's windows and of the oscillator,
// eight samples at a time with AVX2. Internal to those blocks, which call
// them only on CPUs that have AVX2; each computes exactly what the blocks'
// own loops compute per sample (see there), for samples 0 .. (n rounded down
// to a multiple of 8) - 1, and returns how many samples it did. `last`
// receives the unfolded phase of the last sample done.
namespace PhaseRampsAvx2
{
bool available() noexcept;

// The window phases count samples from `first` (the block's place in the
// shifter's chunk): sample i has the phase of index first + i.
unsigned long windowPhases (float phase, float inc, const float* window, float shortest, float halfTurn, float* pA,
                            float* pB, float* dA, float* dB, unsigned long n, unsigned long first, float& last) noexcept;

unsigned long oscillatorPhases (float phase, float step, const float* phaseOffset, bool sineArgument, float twoPi,
                                float minusHalfPi, float* out, unsigned long n, float& last) noexcept;
} // namespace PhaseRampsAvx2
