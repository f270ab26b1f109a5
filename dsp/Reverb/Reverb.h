#pragma once

#include "Delay/DelayLineDamped.h"
#include "Reverb/DelayGroup.h"
#include "Reverb/EarlyReflections.h"

#include <array>
#include <vector>

// A four-line feedback delay network with damped lines, fed by an early
// reflection stage. The owner drives it per block: read every line
// (processReadDelayLine), mix, write every line (processWriteDelayLine).
class Reverb : public DelayGroup<DelayLineDamped>
{
public:
    Reverb (float lateMaxDelayMs, const std::array<float, kLineCount>& lateTimesMs,
            float earlyMaxDelayMs, const std::array<float, kLineCount>& earlyTimesMs);

    // Silences the late lines and the early reflections.
    void clear() noexcept override;

    // out = line's damped output at its timeMsBuffer, scaled by feedbackGain.
    // colour is the damping cutoff in Hz and dampingAmount the damping in
    // percent, both per sample.
    void processReadDelayLine (unsigned long line, float* out, unsigned long n, const float* colour,
                               const float* dampingAmount) noexcept;
    // processReadDelayLine for the four lines, into out[0..3], with their
    // damping filters running side by side.
    void processReadDelayLines (float* const* out, unsigned long n, const float* colour, const float* dampingAmount) noexcept;
    // processReadDelayLines of two networks whose lines are written alike
    // (the same sizes and write positions) and whose line times are equal:
    // the same samples as the two calls, each pair of lines read together at
    // a's times and the eight damping filters run in one pass.
    static void processReadDelayLinesPair (Reverb& a, float* const* outA, const float* colourA, const float* dampingA,
                                           Reverb& b, float* const* outB, const float* colourB, const float* dampingB,
                                           unsigned long n) noexcept;
    // Takes other's write positions, line by line (late and early). Only for
    // a silent network (right after clear), where the positions make no
    // difference to what it plays: from then on, written in step with
    // other, the two can be read together.
    void alignWritePositions (const Reverb& other) noexcept;
    // Stores n samples of input in the line.
    virtual void processWriteDelayLine (unsigned long line, const float* input, unsigned long n) noexcept;

    bool earlyReflectionsOn = true;
    float outputGain = 0.259f;
    EarlyReflections earlyReflections;

    std::vector<float> earlyInL, earlyInR, feedbackGain;
    float currentFeedback = 0.0f;
    std::vector<float> earlyOutL, earlyOutR;
    std::array<std::vector<float>, kLineCount> lineOut, sum, mix;
    std::vector<float> roomScale;

private:
    // The damping controls, converted once into the first line's buffers.
    DelayLineDamped::SharedControls convertControls (const float* colour, const float* dampingAmount, unsigned long n) noexcept;
    // Every line of both networks reads at one rate and interpolation.
    bool linesAlike (const Reverb& other) const noexcept;
    // The four lines' delayed signals, before damping.
    void readLines (float* const* out, unsigned long n) noexcept;
};
