#include "Lv2Instance.h"

#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>

#include <cmath>

namespace lv2host
{
namespace
{
bool portIs (Lv2World& world, const LilvPlugin* plugin, const LilvPort* port, const char* classUri)
{
    LilvNode* node = lilv_new_uri (world.world(), classUri);
    const bool result = lilv_port_is_a (plugin, port, node);
    lilv_node_free (node);
    return result;
}
} // namespace

Lv2Instance::Lv2Instance (Lv2World& w, const LilvPlugin* p)
    : world (w), plugin (p), chunkType (w.map (LV2_ATOM__Chunk))
{
    for (auto* feature = world.features(); *feature != nullptr; ++feature)
        features.push_back (*feature);
    features.push_back (worker.feature());
    features.push_back (nullptr);
    instance = lilv_plugin_instantiate (plugin, world.sampleRate(), features.data());
    if (instance == nullptr)
        return;
    worker.attach (instance);
    lv2_atom_forge_init (&forge, world.mapFeature());
    connectPorts();
    beginInputSequence();
}

Lv2Instance::~Lv2Instance()
{
    if (instance == nullptr)
        return;
    if (activated)
        lilv_instance_deactivate (instance);
    lilv_instance_free (instance);
}

void Lv2Instance::connectPorts()
{
    const auto portCount = lilv_plugin_get_num_ports (plugin);
    controls.assign (portCount, 0.0f);
    atomBuffers.resize (portCount);
    audio.resize (portCount);

    for (uint32_t index = 0; index < portCount; ++index)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index (plugin, index);
        const bool input = portIs (world, plugin, port, LV2_CORE__InputPort);
        void* data = nullptr;

        if (portIs (world, plugin, port, LV2_CORE__AudioPort))
        {
            audio[index].assign (static_cast<size_t> (world.blockLength()), 0.0f);
            data = audio[index].data();
            (input ? audioInputs : audioOutputs).push_back (audio[index].data());
        }
        else if (portIs (world, plugin, port, LV2_ATOM__AtomPort))
        {
            atomBuffers[index].assign (Lv2World::atomBufferBytes / sizeof (uint64_t), 0);
            data = atomBuffers[index].data();
            if (input && controlInput < 0)
                controlInput = static_cast<int> (index);
            else if (! input && notifyOutput < 0)
                notifyOutput = static_cast<int> (index);
        }
        else if (portIs (world, plugin, port, LV2_CORE__ControlPort))
        {
            LilvNode* defaultValue = nullptr;
            lilv_port_get_range (plugin, port, &defaultValue, nullptr, nullptr);
            controls[index] = defaultValue != nullptr ? lilv_node_as_float (defaultValue) : 0.0f;
            lilv_node_free (defaultValue);
            data = &controls[index];
        }
        lilv_instance_connect_port (instance, index, data);
    }
}

void Lv2Instance::beginInputSequence()
{
    if (controlInput < 0)
        return;
    auto& buffer = atomBuffers[static_cast<size_t> (controlInput)];
    lv2_atom_forge_set_buffer (&forge, reinterpret_cast<uint8_t*> (buffer.data()), buffer.size() * sizeof (uint64_t));
    lv2_atom_forge_sequence_head (&forge, &sequenceFrame, 0);
}

void Lv2Instance::queueSet (const std::string& propertyUri, float value)
{
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_frame_time (&forge, 0);
    lv2_atom_forge_object (&forge, &frame, 0, world.map (LV2_PATCH__Set));
    lv2_atom_forge_key (&forge, world.map (LV2_PATCH__property));
    lv2_atom_forge_urid (&forge, world.map (propertyUri.c_str()));
    lv2_atom_forge_key (&forge, world.map (LV2_PATCH__value));
    lv2_atom_forge_float (&forge, value);
    lv2_atom_forge_pop (&forge, &frame);
}

void Lv2Instance::queueGet (const std::string& propertyUri)
{
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_frame_time (&forge, 0);
    lv2_atom_forge_object (&forge, &frame, 0, world.map (LV2_PATCH__Get));
    if (! propertyUri.empty())
    {
        lv2_atom_forge_key (&forge, world.map (LV2_PATCH__property));
        lv2_atom_forge_urid (&forge, world.map (propertyUri.c_str()));
    }
    lv2_atom_forge_pop (&forge, &frame);
}

bool Lv2Instance::setControl (const std::string& symbol, float value)
{
    LilvNode* node = lilv_new_string (world.world(), symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol (plugin, node);
    lilv_node_free (node);
    if (port == nullptr || ! portIs (world, plugin, port, LV2_CORE__ControlPort)
        || ! portIs (world, plugin, port, LV2_CORE__InputPort))
        return false;
    controls[lilv_port_get_index (plugin, port)] = value;
    return true;
}

void Lv2Instance::activate()
{
    if (! activated)
        lilv_instance_activate (instance);
    activated = true;
}

void Lv2Instance::process()
{
    activate();
    if (controlInput >= 0)
        lv2_atom_forge_pop (&forge, &sequenceFrame);

    // The notify buffer is handed over empty, its capacity in atom.size.
    LV2_Atom_Sequence* notify = nullptr;
    if (notifyOutput >= 0)
    {
        auto& buffer = atomBuffers[static_cast<size_t> (notifyOutput)];
        notify = reinterpret_cast<LV2_Atom_Sequence*> (buffer.data());
        notify->atom.type = chunkType;
        notify->atom.size = static_cast<uint32_t> (buffer.size() * sizeof (uint64_t) - sizeof (LV2_Atom));
    }

    lilv_instance_run (instance, static_cast<uint32_t> (world.blockLength()));
    worker.deliver();
    beginInputSequence();
}

Lv2Instance::Reports Lv2Instance::run()
{
    process();

    Reports reports;
    const auto* notify = notifyOutput >= 0
                           ? reinterpret_cast<const LV2_Atom_Sequence*> (atomBuffers[static_cast<size_t> (notifyOutput)].data())
                           : nullptr;
    if (notify == nullptr || notify->atom.type != world.map (LV2_ATOM__Sequence))
        return reports;

    LV2_ATOM_SEQUENCE_FOREACH (notify, event)
    {
        if (event->body.type != world.map (LV2_ATOM__Object))
            continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*> (&event->body);
        if (object->body.otype != world.map (LV2_PATCH__Set))
            continue;

        const LV2_Atom* property = nullptr;
        const LV2_Atom* value = nullptr;
        lv2_atom_object_get (object, world.map (LV2_PATCH__property), &property, world.map (LV2_PATCH__value), &value, 0);
        if (property == nullptr || property->type != world.map (LV2_ATOM__URID) || value == nullptr)
            continue;

        float number = NAN;
        if (value->type == world.map (LV2_ATOM__Float))
            number = reinterpret_cast<const LV2_Atom_Float*> (value)->body;
        else if (value->type == world.map (LV2_ATOM__Double))
            number = static_cast<float> (reinterpret_cast<const LV2_Atom_Double*> (value)->body);
        else if (value->type == world.map (LV2_ATOM__Int) || value->type == world.map (LV2_ATOM__Bool))
            number = static_cast<float> (reinterpret_cast<const LV2_Atom_Int*> (value)->body);

        const char* uri = world.unmap (reinterpret_cast<const LV2_Atom_URID*> (property)->body);
        reports.emplace_back (uri != nullptr ? uri : "?", number);
    }
    return reports;
}

LilvState* Lv2Instance::saveState()
{
    return lilv_state_new_from_instance (plugin, instance, world.mapFeature(), nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, world.features());
}

void Lv2Instance::restoreState (const LilvState* state)
{
    lilv_state_restore (state, instance, nullptr, nullptr, 0, world.features());
}
} // namespace lv2host
