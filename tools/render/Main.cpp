// vantrel-render: renders audio files through the effect offline, with the
// same processor, presets and state as the plug-ins.
#include "RenderJob.h"

#include <juce_events/juce_events.h>

int main (int argc, char* argv[])
{
    juce::String error;
    const auto given = render::RenderOptions::argumentsFrom (argc, argv, error);
    if (! given)
    {
        std::fprintf (stderr, "vantrel-render: %s (see --help)\n", error.toRawUTF8());
        return render::exitUsageError;
    }
    const auto& arguments = *given;

    if (arguments.contains ("--help") || arguments.contains ("-h"))
    {
        std::fputs (render::RenderOptions::usage().toRawUTF8(), stdout);
        return render::exitOk;
    }

    const auto options = render::RenderOptions::parse (arguments, error);
    if (! options)
    {
        std::fprintf (stderr, "vantrel-render: %s (see --help)\n", error.toRawUTF8());
        return render::exitUsageError;
    }

    // The processor's parameter tree uses timers and messages of the framework.
    juce::ScopedJuceInitialiser_GUI framework;
    return render::runRenderJob (*options, error);
}
