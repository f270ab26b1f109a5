#pragma once

#include "VantrelProcessor.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Shared by the fuzz targets: a private HOME (so no run reads or writes the
// user's presets), the framework set up once, and one processor.
namespace fuzzsupport
{
// Once per process, before any input: HOME is pointed at a fresh temporary
// folder (removed at exit) and the framework is initialised.
void initialise();

// The processor every input of a target goes through, made on first use.
VantrelProcessor& processor();

// The user preset folder inside the private HOME.
juce::File userFolder();

// Aborts with `what` (a finding) when `condition` is false.
void require (bool condition, const char* what);

// Every kernel parameter is a finite number within its range.
void requireKernelValuesInRange (EffectProcessor& processor);
} // namespace fuzzsupport
