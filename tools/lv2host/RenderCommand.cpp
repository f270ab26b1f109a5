#include "RenderCommand.h"

#include "AudioFile.h"
#include "Lv2Instance.h"
#include "Setting.h"

#include <lv2/patch/patch.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>

namespace lv2host
{
namespace
{
struct RenderOptions
{
    int block = 512;
    std::vector<Setting> parameters, controls;
    std::string output, input, uri;
};

int usage()
{
    std::cerr << "usage: vantrel-lv2host render [--block N] [--set ID=VALUE]... [--control SYMBOL=VALUE]...\n"
                 "                              [--output OUT.wav] INPUT URI\n";
    return 2;
}

bool parse (int argc, char* argv[], RenderOptions& options)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg (argv[i]);
        const bool hasValue = i + 1 < argc;
        if ((arg == "--set" || arg == "--control") && hasValue)
        {
            const auto setting = Setting::parse (argv[++i]);
            if (! setting)
                return false;
            (arg == "--set" ? options.parameters : options.controls).push_back (*setting);
        }
        else if (arg == "--block" && hasValue)
        {
            char* end = nullptr;
            const long block = std::strtol (argv[++i], &end, 10);
            if (*end != '\0' || block < 1 || block > 65536)
                return false;
            options.block = static_cast<int> (block);
        }
        else if (arg == "--output" && hasValue)
            options.output = argv[++i];
        else if (arg.rfind ("--", 0) == 0)
            return false;
        else
            positional.push_back (arg);
    }
    if (positional.size() != 2)
        return false;
    options.input = positional[0];
    options.uri = positional[1];
    return true;
}

double seconds (clockid_t clock)
{
    timespec now {};
    clock_gettime (clock, &now);
    return static_cast<double> (now.tv_sec) + static_cast<double> (now.tv_nsec) * 1e-9;
}

// A patch parameter must be one the plug-in declares writable: a misspelt
// name would otherwise measure the default sound without a word.
bool isWritable (Lv2World& world, const LilvPlugin* plugin, const std::string& propertyUri)
{
    LilvNode* writable = lilv_new_uri (world.world(), LV2_PATCH__writable);
    LilvNode* property = lilv_new_uri (world.world(), propertyUri.c_str());
    LilvNodes* declared = lilv_plugin_get_value (plugin, writable);
    const bool found = declared != nullptr && lilv_nodes_contains (declared, property);
    lilv_nodes_free (declared);
    lilv_node_free (property);
    lilv_node_free (writable);
    return found;
}
} // namespace

int renderCommand (int argc, char* argv[])
{
    RenderOptions options;
    if (! parse (argc, argv, options))
        return usage();

    AudioFile input;
    if (! input.read (options.input))
        return 1;
    if (input.frames() == 0)
    {
        std::cerr << "vantrel-lv2host: " << options.input << " holds no audio\n";
        return 1;
    }

    Lv2World world (input.sampleRate, options.block);
    const LilvPlugin* plugin = world.findPlugin (options.uri);
    if (plugin == nullptr)
    {
        std::cerr << "vantrel-lv2host: no plug-in " << options.uri << " on the LV2 path\n";
        return 1;
    }
    Lv2Instance instance (world, plugin);
    if (! instance.isValid())
    {
        std::cerr << "vantrel-lv2host: cannot instantiate " << options.uri << "\n";
        return 1;
    }
    for (const auto& control : options.controls)
        if (! instance.setControl (control.name, control.value))
        {
            std::cerr << "vantrel-lv2host: " << options.uri << " has no control input '" << control.name << "'\n";
            return 1;
        }
    for (const auto& parameter : options.parameters)
    {
        const auto uri = parameter.name.find (':') != std::string::npos ? parameter.name : options.uri + ":" + parameter.name;
        if (! isWritable (world, plugin, uri))
        {
            std::cerr << "vantrel-lv2host: " << uri << " is not a parameter the plug-in declares writable\n";
            return 1;
        }
        instance.queueSet (uri, parameter.value);
    }
    instance.activate();

    const auto& ins = instance.inputs();
    const auto& outs = instance.outputs();
    const size_t frames = input.frames();
    const auto block = static_cast<size_t> (options.block);
    AudioFile output;
    output.sampleRate = input.sampleRate;
    output.channels.assign (outs.size(), std::vector<float> (frames));

    const double cpuStart = seconds (CLOCK_THREAD_CPUTIME_ID);
    const double wallStart = seconds (CLOCK_MONOTONIC);
    for (size_t position = 0; position < frames; position += block)
    {
        const size_t length = std::min (block, frames - position);
        for (size_t port = 0; port < ins.size(); ++port)
        {
            const float* source = input.channels[port % input.channels.size()].data() + position;
            std::copy (source, source + length, ins[port]);
            std::fill (ins[port] + length, ins[port] + block, 0.0f);
        }
        instance.process();
        for (size_t port = 0; port < outs.size(); ++port)
            std::copy (outs[port], outs[port] + length, output.channels[port].data() + position);
    }
    const double cpu = seconds (CLOCK_THREAD_CPUTIME_ID) - cpuStart;
    const double wall = seconds (CLOCK_MONOTONIC) - wallStart;

    double sumOfSquares = 0.0, peak = 0.0;
    for (const auto& channel : output.channels)
        for (const float sample : channel)
        {
            sumOfSquares += static_cast<double> (sample) * sample;
            peak = std::max (peak, static_cast<double> (std::fabs (sample)));
        }
    const double samples = static_cast<double> (frames * outs.size());
    const double rms = samples > 0.0 ? std::sqrt (sumOfSquares / samples) : 0.0;
    const double duration = static_cast<double> (frames) / input.sampleRate;

    std::printf ("%s\tblock=%d\tin=%zu\tout=%zu\tcpu_s=%.4f\twall_s=%.4f\tcpu_per_audio_s=%.5f\trt_factor=%.1f"
                 "\tout_rms_db=%.1f\tpeak=%.3f\n",
                 options.uri.c_str(), options.block, ins.size(), outs.size(), cpu, wall, cpu / duration,
                 duration / cpu, 20.0 * std::log10 (rms + 1e-20), peak);
    std::fflush (stdout);
    if (! options.output.empty() && ! output.write (options.output))
        return 1;
    return 0;
}
} // namespace lv2host
