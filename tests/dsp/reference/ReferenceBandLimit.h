#pragma once

#include <array>

// The band limit before a shifter's store: an elliptic pair of sections
// whose band ends at 0.8 Nyquist / ratio (or any other pair of sections in
// series, as the shifter's output band), run as one fourth-order recursion
// whose states are taken every fourth sample from where it started (each
// section in transposed direct form, its states the two that carry to the
// next sample). Within four samples every output is the sum of the block's
// inputs so far and of the states at its start, each weighted by what one
// unit of it gives at that sample, in a fixed order.
class ReferenceBandLimit
{
public:
    // Sections for `ratio`, starting as if they had been passing DC on the
    // last two inputs (newer first).
    void start (float ratio, float newer, float older);
    // Sections for a new ratio that carry on from the last inputs and
    // outputs, as sections of the old ratio would have.
    void redesign (float ratio);
    float tick (float x);
    // Silence, the sections kept.
    void clear();

    using Section = std::array<float, 5>; // b0, b1, b2, a1, a2
    // Any two sections in series (the shifter's output band), from silence.
    void startSections (const Section& first, const Section& second);

private:
    Section first {}, second {};
    // weights[0..3][k]: of input j at output k; [4..7][k]: of state i.
    // next[0..7][i]: the same for the states after the four samples.
    float weights[8][4] {}, next[8][4] {};
    float state[4] {};
    float held[4] {};
    int count = 0;
    float lastIn[2] {}, lastOut[2] {};

    void design (float ratio);
    void weigh();
    void statesFrom (double x1, double x2, double u1, double u2, double y1, double y2);
};
