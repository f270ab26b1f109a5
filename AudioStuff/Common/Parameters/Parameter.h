#pragma once

#include "Parameters/ParameterRamper.h"
#include "Parameters/ParameterUnit.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One kernel parameter: its range, unit, flags, display and mapping callbacks,
// and the ramper that smooths it when it moves continuously.
struct Parameter
{
    using MappingFunction = float (*) (float min, float max, float x);
    using ValueTextFunction = const char* (*) (int value);

    int index = 0;
    // Identifier, display name, host parameter key and preset-file key.
    std::string id;
    float min = 0.0f;
    float max = 0.0f;
    float defaultValue = 0.0f;
    std::uint32_t type = ParameterUnitGeneric; // a ParameterUnit
    std::uint32_t flags = 0;                   // ParameterFlag bits
    float scale = 0.0f;
    // Current value of a not-ramped parameter or one with a value list
    // (written by whichever thread sets it, so it is atomic).
    std::atomic<float> value { 0.0f };
    // When not empty, the parameter's value is an index into this list.
    std::vector<float> valueList;
    // Present exactly when FlagNotRamped is clear and the parameter is not an output.
    std::unique_ptr<ParameterRamper> ramper;
    // 0..1 to the range and back; null means linear.
    MappingFunction fromNormalised = nullptr;
    MappingFunction toNormalised = nullptr;
    ValueTextFunction valueText = nullptr;
    // Written by the kernel (a meter); never set by the host nor published.
    bool isOutput = false;

    bool isRamped() const noexcept { return (flags & FlagNotRamped) == 0 && ! isOutput; }
};
