// vantrel-render: renders audio files through the effect offline, with the
// same processor, presets and state as the plug-ins.
#include "RenderJob.h"

#include <juce_events/juce_events.h>

int main (int argc, char* argv[])
{
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    if (arguments.contains ("--help") || arguments.contains ("-h"))
    {
        std::fputs (render::RenderOptions::usage().toRawUTF8(), stdout);
        return render::exitOk;
    }

    juce::String error;
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
