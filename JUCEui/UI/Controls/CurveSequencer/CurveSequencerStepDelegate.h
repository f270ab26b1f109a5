#pragma once

// Told by a curve-sequencer step when its level changed, so that the step
// before it can draw its curve towards the new level.
class CurveSequencerStepDelegate
{
public:
    virtual ~CurveSequencerStepDelegate() = default;
    virtual void onValueSet (int index, float value) = 0;
};
