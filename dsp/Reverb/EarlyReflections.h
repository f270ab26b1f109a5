#pragma once

#include "Delay/DelayLine.h"
#include "Reverb/DelayGroup.h"

#include <vector>

// The reverb's early stage: three delays in a sum/difference ladder between
// the left and right inputs, then a fourth delay on the right. Its two
// outputs feed the late network.
class EarlyReflections : public DelayGroup<DelayLine>
{
public:
    EarlyReflections (float maxDelayMs, const std::array<float, kLineCount>& initialTimesMs);

    // Mono lines (the stage works on channel 0 of each) at linear reads, and
    // the work buffers.
    void init (int numChannels, double newSampleRate) override;

    // Each line's timeMsBuffer gives its delay for the block. outLeft and
    // outRight must not alias the inputs; n at most kMaxFramesPerBlock.
    void process (const float* left, const float* right, float* outLeft, float* outRight, unsigned long n) noexcept;

    // process on two stages whose lines are written alike (the same sizes and
    // write positions), with b's line times equal to a's: the same samples
    // as a.process and b.process, each pair of lines read together at a's
    // times. Stages that differ are processed one after the other.
    static void processPair (EarlyReflections& a, const float* leftA, const float* rightA, float* outLeftA,
                             float* outRightA, EarlyReflections& b, const float* leftB, const float* rightB,
                             float* outLeftB, float* outRightB, unsigned long n) noexcept;

    std::vector<float> x;
    std::vector<float> tap;

private:
    // The longest call processPair takes in one piece, as every line's
    // delayInto would (set by init; 0 before: process then takes the call).
    unsigned long longestPair = 0;
};
