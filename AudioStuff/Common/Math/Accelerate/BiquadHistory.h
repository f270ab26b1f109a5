#pragma once

#include "Math/Accelerate/BiquadState.h"

// The two previous inputs and outputs of one second-order section, carried
// from one processed piece to the next. x1/y1 are the most recent samples.
class BiquadHistory final : public BiquadState
{
public:
    void clear() noexcept override;
    void clearBadStateValue() noexcept override;

    float x1 = 0.0f;
    float x2 = 0.0f;
    float y1 = 0.0f;
    float y2 = 0.0f;
};
