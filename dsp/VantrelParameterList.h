#pragma once

#include "Parameters/ParameterList.h"

#include <vector>

// The effect's 25 parameters. Indices are fixed: the kernel reads buffers by
// index, and the identifiers are the keys of host state and preset files.
class VantrelParameterList : public ParameterList
{
public:
    enum Index : unsigned long
    {
        DryWet = 0,
        InputGain,
        InputFilterResonance,
        InputFilterFrequency,
        InputFilterType,
        PitchShifterModeA,
        PitchShifterAmountA,
        PitchA,
        FineA,
        DelayTimeA,
        PitchShifterModeB,
        PitchShifterAmountB,
        PitchB,
        FineB,
        DelayTimeB,
        PreDelay,
        ReverbLength,
        ReverbColor,
        RoomSize,
        ModulationRate,
        ModulationAmount,
        DuckingThreshold,
        DuckingAttack,
        DuckingRelease,
        DuckingPeakMeter,
        NumParameters
    };

    VantrelParameterList();

    std::vector<unsigned long> getFavourites() override;

    // Names of the voices' modes and of the input filter's types, by value:
    // the editor's buttons carry them and hosts show them. Empty for a value
    // that has no name.
    static const char* shifterModeName (int mode);
    static const char* filterTypeName (int type);
};
