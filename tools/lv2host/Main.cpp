// vantrel-lv2host: what an LV2 host learns of a plug-in's parameters (patch
// properties) from its notify output, through lilv, in the orders hosts use:
//
//   vantrel-lv2host [--set ID=VALUE]... [--watch-display] URI
//
// (`vantrel-lv2host render ...` renders a file through a plug-in and times
// it instead: see RenderCommand.h.)
//
// Prints one line per patch:Set the plug-in reports, "<step> <ID> <value>",
// and "<step> count <n>" after each step. ID is the property URI without the
// plug-in URI and ':'. Steps:
//   first-run               a new instance, its first block
//   quiet-run               its second block, nothing sent to it
//   after-set               a block carrying patch:Set for every --set
//   get-all                 a block carrying patch:Get without a property
//   get-one                 a block carrying patch:Get for the first --set ID
//   restored-before-run     a second instance given the first one's saved
//                           state before its first block
//   restored-while-running  a third instance given that state after a block
// With --watch-display, a last line "display connections <n>" counts the
// connections to X display :0 made meanwhile ("display unwatched" when an X
// server runs as :0); run it without DISPLAY.
// Exit status 0, or 1 when the plug-in cannot be found or instantiated.
#include "DisplayWatch.h"
#include "Lv2Instance.h"
#include "RenderCommand.h"
#include "Setting.h"

#include <iostream>
#include <memory>

namespace
{
void print (const char* step, const lv2host::Lv2Instance::Reports& reports, const std::string& prefix)
{
    for (const auto& [uri, value] : reports)
    {
        const auto id = uri.rfind (prefix, 0) == 0 ? uri.substr (prefix.size()) : uri;
        std::cout << step << " " << id << " " << value << "\n";
    }
    std::cout << step << " count " << reports.size() << "\n";
}

int usage()
{
    std::cerr << "usage: vantrel-lv2host [--set ID=VALUE]... [--watch-display] URI\n"
                 "       vantrel-lv2host render [OPTIONS] INPUT URI\n";
    return 2;
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc > 1 && std::string (argv[1]) == "render")
        return lv2host::renderCommand (argc - 1, argv + 1);

    std::vector<lv2host::Setting> settings;
    std::string uri;
    bool watchDisplay = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg (argv[i]);
        if (arg == "--set" && i + 1 < argc)
        {
            const auto setting = lv2host::Setting::parse (argv[++i]);
            if (! setting)
                return usage(); // no '=' or not a number: say how to call, do not throw
            settings.push_back (*setting);
        }
        else if (arg == "--watch-display")
            watchDisplay = true;
        else if (uri.empty() && arg.rfind ("--", 0) != 0)
            uri = arg;
        else
            return usage();
    }
    if (uri.empty())
        return usage();

    std::unique_ptr<lv2host::DisplayWatch> display;
    if (watchDisplay)
        display = std::make_unique<lv2host::DisplayWatch>();

    lv2host::Lv2World world;
    const LilvPlugin* plugin = world.findPlugin (uri);
    if (plugin == nullptr)
    {
        std::cerr << "vantrel-lv2host: no plug-in " << uri << " on the LV2 path\n";
        return 1;
    }
    const auto prefix = uri + ":";

    LilvState* saved = nullptr;
    {
        lv2host::Lv2Instance first (world, plugin);
        if (! first.isValid())
        {
            std::cerr << "vantrel-lv2host: cannot instantiate " << uri << "\n";
            return 1;
        }
        print ("first-run", first.run(), prefix);
        print ("quiet-run", first.run(), prefix);

        for (const auto& setting : settings)
            first.queueSet (prefix + setting.name, setting.value);
        print ("after-set", first.run(), prefix);

        first.queueGet();
        print ("get-all", first.run(), prefix);

        if (! settings.empty())
        {
            first.queueGet (prefix + settings.front().name);
            print ("get-one", first.run(), prefix);
        }
        saved = first.saveState();
    }

    {
        lv2host::Lv2Instance second (world, plugin);
        second.restoreState (saved);
        print ("restored-before-run", second.run(), prefix);
    }
    {
        lv2host::Lv2Instance third (world, plugin);
        third.run();
        third.restoreState (saved);
        print ("restored-while-running", third.run(), prefix);
    }

    lilv_state_free (saved);
    if (display != nullptr)
    {
        if (display->isActive())
            std::cout << "display connections " << display->connections() << "\n";
        else
            std::cout << "display unwatched\n";
    }
    return 0;
}
