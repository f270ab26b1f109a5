#pragma once

#include "RenderOptions.h"

#include <cstdio>

namespace render
{
// Exit codes of vantrel-render.
enum ExitCode
{
    exitOk = 0,
    exitFileError = 1,  // unreadable input, unwritable output, bad state file
    exitUsageError = 2, // wrong command line, unknown preset or parameter
};

// Carries out one vantrel-render command with the effect's processor. Listings
// go to `out`; progress, warnings and the one-line error message (also returned
// in `error`) go to `err`. Nothing is written to OUTPUT or the --state-out file
// unless everything succeeded.
int runRenderJob (const RenderOptions& options, juce::String& error, std::FILE* out = stdout, std::FILE* err = stderr);
} // namespace render
