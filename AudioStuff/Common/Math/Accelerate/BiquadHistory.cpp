#include "Math/Accelerate/BiquadHistory.h"

void BiquadHistory::clear() noexcept
{
    x1 = x2 = y1 = y2 = 0.0f;
    framesRun = 0;
}
