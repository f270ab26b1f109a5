#pragma once

#include "Lv2World.h"
#include "SyncWorker.h"

#include <lv2/atom/forge.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lv2host
{
// One running instance of an LV2 plug-in: every port connected, control
// inputs on their defaults, audio in silence unless the caller fills the
// inputs, messages to the plug-in's control input and the patch:Set messages
// it writes to its notify output collected after each run.
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

    // Runs one block and leaves the notify output unread: a render's loop.
    // The first run activates the instance, unless activate() did before.
    void process();
    void activate();

    // False when the plug-in has no control input with this symbol.
    bool setControl (const std::string& symbol, float value);

    // The audio ports' buffers of one block each, inputs and outputs in port
    // order, as process() reads and writes them.
    const std::vector<float*>& inputs() const noexcept { return audioInputs; }
    const std::vector<float*>& outputs() const noexcept { return audioOutputs; }

    // The plug-in's state, as a host saves it with a project, and restoring it.
    LilvState* saveState();
    void restoreState (const LilvState* state);

private:
    void beginInputSequence();
    void connectPorts();

    Lv2World& world;
    const LilvPlugin* plugin;
    SyncWorker worker;
    std::vector<const LV2_Feature*> features; // the world's and the worker
    LilvInstance* instance = nullptr;
    std::vector<std::vector<float>> audio;
    std::vector<float*> audioInputs, audioOutputs;
    std::vector<float> controls;
    std::vector<std::vector<uint64_t>> atomBuffers; // 64-bit aligned
    int controlInput = -1;
    int notifyOutput = -1;
    LV2_URID chunkType;
    LV2_Atom_Forge forge {};
    LV2_Atom_Forge_Frame sequenceFrame {};
    bool activated = false;
};
} // namespace lv2host
