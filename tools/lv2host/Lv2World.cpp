#include "Lv2World.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>

namespace lv2host
{
Lv2World::Lv2World (double sampleRate, int blockLength)
    : blockValue (static_cast<int32_t> (blockLength)), rateValue (static_cast<float> (sampleRate))
{
    lilvWorld = lilv_world_new();
    lilv_world_load_all (lilvWorld);

    const auto intType = map (LV2_ATOM__Int);
    options[0] = { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__minBlockLength), sizeof (int32_t), intType, &blockValue };
    options[1] = { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), intType, &blockValue };
    options[2] = { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__nominalBlockLength), sizeof (int32_t), intType, &blockValue };
    options[3] = { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__sequenceSize), sizeof (int32_t), intType, &sequenceBytes };
    options[4] = { LV2_OPTIONS_INSTANCE, 0, map (LV2_PARAMETERS__sampleRate), sizeof (float), map (LV2_ATOM__Float), &rateValue };
    options[5] = { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr };

    featureStorage[0] = { LV2_URID__map, &mapData };
    featureStorage[1] = { LV2_URID__unmap, &unmapData };
    featureStorage[2] = { LV2_OPTIONS__options, options.data() };
    featureStorage[3] = { LV2_BUF_SIZE__boundedBlockLength, nullptr };
    featureStorage[4] = { LV2_BUF_SIZE__fixedBlockLength, nullptr };
    for (size_t i = 0; i < featureStorage.size(); ++i)
        featureList[i] = &featureStorage[i];
    featureList[featureStorage.size()] = nullptr;
}

Lv2World::~Lv2World()
{
    lilv_world_free (lilvWorld);
}

const LilvPlugin* Lv2World::findPlugin (const std::string& uri) const
{
    LilvNode* node = lilv_new_uri (lilvWorld, uri.c_str());
    const LilvPlugin* plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (lilvWorld), node);
    lilv_node_free (node);
    return plugin;
}

LV2_URID Lv2World::map (const char* uri)
{
    for (size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri)
            return static_cast<LV2_URID> (i + 1);
    uris.emplace_back (uri);
    return static_cast<LV2_URID> (uris.size());
}

const char* Lv2World::unmap (LV2_URID urid) const
{
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

LV2_URID Lv2World::mapCallback (LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<Lv2World*> (handle)->map (uri);
}

const char* Lv2World::unmapCallback (LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    return static_cast<const Lv2World*> (handle)->unmap (urid);
}
} // namespace lv2host
