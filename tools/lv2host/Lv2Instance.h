#pragma once

#include "Lv2World.h"

#include <lv2/atom/forge.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lv2host
{
// One running instance of an LV2 plug-in whose parameters are patch
// properties: every port connected, audio in silence, messages to the
// plug-in's control input and the patch:Set messages it writes to its notify
// output collected after each run.
class Lv2Instance
{
public:
    // property URI -> value, in the order the plug-in reported them
    using Reports = std::vector<std::pair<std::string, float>>;

    Lv2Instance (Lv2World& world, const LilvPlugin* plugin);
    ~Lv2Instance();
    Lv2Instance (const Lv2Instance&) = delete;
    Lv2Instance& operator= (const Lv2Instance&) = delete;

    bool isValid() const noexcept { return instance != nullptr; }

    // Messages for the next run.
    void queueSet (const std::string& propertyUri, float value);
    void queueGet (const std::string& propertyUri = {}); // empty: every property

    // Runs one block with the queued messages and returns what the plug-in
    // reported on its notify output in that block.
    Reports run();

    // The plug-in's state, as a host saves it with a project, and restoring it.
    LilvState* saveState();
    void restoreState (const LilvState* state);

private:
    void beginInputSequence();
    void connectPorts();

    Lv2World& world;
    const LilvPlugin* plugin;
    LilvInstance* instance = nullptr;
    std::vector<std::vector<float>> audio;
    std::vector<float> controls;
    std::vector<std::vector<uint64_t>> atomBuffers; // 64-bit aligned
    int controlInput = -1;
    int notifyOutput = -1;
    LV2_Atom_Forge forge {};
    LV2_Atom_Forge_Frame sequenceFrame {};
    bool activated = false;
};
} // namespace lv2host
