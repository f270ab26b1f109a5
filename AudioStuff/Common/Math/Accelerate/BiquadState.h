#pragma once

// The signal memory of one second-order section.
class BiquadState
{
public:
    virtual ~BiquadState() = default;
    // Forget the history: the section restarts from silence.
    virtual void clear() noexcept = 0;
    // Zero every stored value that is denormal-small, huge, infinite or NaN, so
    // that a filter never stays stuck on a bad value.
    virtual void clearBadStateValue() noexcept = 0;
};
