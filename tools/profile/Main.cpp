// vantrel-profile: what one instance costs outside the audio benchmarks.
//
//   vantrel-profile editor [--play] [--seconds S]
//       opens the editor in a window (a display is needed: Xvfb will do) and
//       keeps it open S seconds (default 15), idle or, with --play, while a
//       thread named "vantrel audio" renders 512-frame blocks at 48 kHz in
//       real time. scripts/bench-editor.sh reads the CPU time from /proc.
//
//   vantrel-profile memory [--rate R] [--instances N]
//       prepares N instances (default 8) at R Hz (default 48000) one after the
//       other and prints, per instance, the heap that construction and the
//       prepare call allocated and the growth of the resident memory.
#include "MemoryProbe.h"
#include "ProfileApplication.h"
#include "VantrelProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int blockSize = 512;

double numberAfter (int argc, char** argv, const std::string& flag, double fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (flag == argv[i])
            return std::atof (argv[i + 1]);
    return fallback;
}

bool has (int argc, char** argv, const std::string& flag)
{
    for (int i = 1; i < argc; ++i)
        if (flag == argv[i])
            return true;
    return false;
}

int runEditor (int argc, char** argv)
{
    profile::ProfileApplication::configure (numberAfter (argc, argv, "--seconds", 15.0), has (argc, argv, "--play"));
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* {
        return new profile::ProfileApplication();
    };
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}

int runMemory (int argc, char** argv)
{
    const double rate = numberAfter (argc, argv, "--rate", 48000.0);
    const int count = static_cast<int> (numberAfter (argc, argv, "--instances", 8.0));
    if (rate <= 0.0 || count < 1)
        return 2;
    juce::ScopedJuceInitialiser_GUI gui;
    // The first instance also loads what every instance shares (fonts, JUCE's
    // singletons, the factory presets): it is shown but not averaged.
    std::vector<std::unique_ptr<VantrelProcessor>> instances;
    std::printf ("rate %.0f Hz\ninstance\tconstruction bytes\tprepare bytes\tresident growth bytes\n", rate);
    std::size_t laterResident = 0, laterHeap = 0;
    for (int i = 0; i < count; ++i)
    {
        const auto before = profile::MemoryProbe::now();
        auto processor = VantrelProcessor::create();
        const auto built = profile::MemoryProbe::now();
        processor->setRateAndBufferSizeDetails (rate, blockSize);
        processor->prepareToPlay (rate, blockSize);
        const auto prepared = profile::MemoryProbe::now();
        instances.push_back (std::move (processor));
        const auto residentGrowth = prepared.residentBytes - before.residentBytes;
        std::printf ("%d\t%zu\t%zu\t%zu\n", i + 1, built.heapBytes - before.heapBytes,
                     prepared.heapBytes - built.heapBytes, residentGrowth);
        if (i > 0)
        {
            laterResident += residentGrowth;
            laterHeap += prepared.heapBytes - before.heapBytes;
        }
    }
    if (count > 1)
        std::printf ("per extra instance: heap %.2f MB, resident %.2f MB\n",
                     static_cast<double> (laterHeap) / (count - 1) / 1.0e6,
                     static_cast<double> (laterResident) / (count - 1) / 1.0e6);
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "editor")
        return runEditor (argc, argv);
    if (mode == "memory")
        return runMemory (argc, argv);
    std::fprintf (stderr, "usage: vantrel-profile editor [--play] [--seconds S]\n"
                          "       vantrel-profile memory [--rate R] [--instances N]\n");
    return 2;
}
