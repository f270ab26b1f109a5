#pragma once

#include "OfflineRenderer.h"

#include <cstdio>

namespace render
{
// A one-line progress bar on stderr. It appears only once a render has taken
// longer than a second, and redraws at most ten times a second.
class ProgressBar
{
public:
    explicit ProgressBar (std::FILE* stream = stderr);

    void update (const OfflineRenderer::Progress& progress);
    // Ends the line if the bar was shown.
    void finish();

    // The text of the bar for a given progress (exposed for tests).
    static juce::String format (const OfflineRenderer::Progress& progress);

private:
    std::FILE* stream;
    double started;
    double lastDrawn = 0.0;
    bool shown = false;
};
} // namespace render
