#pragma once

#include <cstdint>

// Unit code of a parameter: drives ramping in the kernel and value texts in
// the user interface.
enum ParameterUnit : std::uint32_t
{
    ParameterUnitGeneric = 0,      // plain number
    ParameterUnitIndexed = 1,      // integer: choice or count; ramps to whole numbers
    ParameterUnitBoolean = 2,      // on/off switch
    ParameterUnitPercent = 3,
    ParameterUnitSeconds = 4,
    ParameterUnitMilliseconds = 5,
    ParameterUnitDegrees = 6,
    ParameterUnitRate = 7,         // modulation rate: Hz, or shown as a period
    ParameterUnitHertz = 8,        // ramps on the note scale unless FlagLinearRamp
    ParameterUnitSemitones = 9,
    ParameterUnitDecibels = 10,
    ParameterUnitDegreesSign = 11,
    ParameterUnitCustom12 = 12,
    ParameterUnitCustom13 = 13
};

// Bits of Parameter::flags.
enum ParameterFlag : std::uint32_t
{
    // Takes effect at once through the kernel's updateParameter; no ramper.
    FlagNotRamped = 2,
    // A frequency that ramps linearly in Hz instead of on the note scale.
    FlagLinearRamp = 4,
    // Display only: show a rate in Hz rather than as a period.
    FlagRateInHz = 0x10
};
