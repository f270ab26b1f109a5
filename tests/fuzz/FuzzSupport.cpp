#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzsupport
{
namespace
{
std::string& homeFolder()
{
    static std::string folder;
    return folder;
}

void removeHome()
{
    std::error_code ignored;
    if (! homeFolder().empty())
        std::filesystem::remove_all (homeFolder(), ignored);
}
} // namespace

void initialise()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    homeFolder() = "/tmp/vantrel-fuzz-XXXXXX";
    if (mkdtemp (homeFolder().data()) == nullptr || setenv ("HOME", homeFolder().c_str(), 1) != 0)
    {
        std::perror ("temporary HOME");
        std::abort();
    }
    unsetenv ("XDG_CONFIG_HOME");
    unsetenv ("XDG_DOCUMENTS_DIR");
    std::atexit (removeHome);

    // Kept for the life of the process and never destroyed: the processor's
    // listeners and timers need the message manager, and the framework's own
    // statics are gone by the time a static of ours would shut it down.
    static auto* framework = new juce::ScopedJuceInitialiser_GUI;
    juce::ignoreUnused (framework);
}

VantrelProcessor& processor()
{
    initialise();
    // Never destroyed, like the framework it needs.
    static VantrelProcessor* const instance = [] {
        auto p = VantrelProcessor::create();
        p->setRateAndBufferSizeDetails (48000.0, 256);
        p->prepareToPlay (48000.0, 256);
        return p.release();
    }();
    return *instance;
}

juce::File userFolder()
{
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
        .getChildFile ("KARVON")
        .getChildFile ("KARVON Vantrel");
}

void require (bool condition, const char* what)
{
    if (! condition)
    {
        std::fprintf (stderr, "finding: %s\n", what);
        std::abort();
    }
}

void requireKernelValuesInRange (EffectProcessor& processor)
{
    auto& kernel = processor.getKernel();
    for (const auto& parameter : *kernel.parameters)
    {
        if (parameter->isOutput)
            continue;
        const float value = kernel.getParameter (static_cast<unsigned long> (parameter->index));
        require (std::isfinite (value) && value >= parameter->min && value <= parameter->max,
                 "a kernel parameter outside its range");
    }
}
} // namespace fuzzsupport
