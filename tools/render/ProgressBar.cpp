#include "ProgressBar.h"

namespace render
{
ProgressBar::ProgressBar (std::FILE* s)
    : stream (s), started (juce::Time::getMillisecondCounterHiRes())
{
}

juce::String ProgressBar::format (const OfflineRenderer::Progress& p)
{
    // The bar covers the input and, once its length is known, the tail.
    const bool tailKnown = p.tailFrames >= 0;
    const auto total = p.inputFrames + (tailKnown ? p.tailFrames : 0);
    const auto done = p.inputFramesDone + (tailKnown ? p.tailFramesDone : 0);
    const double fraction = total > 0 ? juce::jlimit (0.0, 1.0, (double) done / (double) total) : 1.0;

    constexpr int width = 30;
    const int filled = (int) (fraction * width);
    juce::String bar = "[" + juce::String::repeatedString ("#", filled) + juce::String::repeatedString ("-", width - filled) + "] "
                     + juce::String ((int) (fraction * 100.0)).paddedLeft (' ', 3) + "%";

    if (! tailKnown && p.inputFramesDone >= p.inputFrames && p.sampleRate > 0.0)
        bar << "  tail " << juce::String ((double) p.tailFramesDone / p.sampleRate, 1) << " s";

    return bar;
}

void ProgressBar::update (const OfflineRenderer::Progress& progress)
{
    const auto now = juce::Time::getMillisecondCounterHiRes();
    if (now - started < 1000.0 || now - lastDrawn < 100.0)
        return;

    lastDrawn = now;
    shown = true;
    std::fprintf (stream, "\r%s", format (progress).toRawUTF8());
    std::fflush (stream);
}

void ProgressBar::finish()
{
    if (shown)
        std::fprintf (stream, "\n");
    shown = false;
}
} // namespace render
