#pragma once

#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>

namespace lv2host
{
// The lilv world, the URID map and the features a host hands to every
// instance, the way a small LV2 host sets them up (as jalv does): every run
// has the same block length, announced as minimum, maximum and nominal.
class Lv2World
{
public:
    static constexpr uint32_t atomBufferBytes = 65536;

    explicit Lv2World (double sampleRate = 48000.0, int blockLength = 256);
    ~Lv2World();
    Lv2World (const Lv2World&) = delete;
    Lv2World& operator= (const Lv2World&) = delete;

    // Null when the plug-in is not on the LV2 path.
    const LilvPlugin* findPlugin (const std::string& uri) const;

    LilvWorld* world() const noexcept { return lilvWorld; }
    LV2_URID map (const char* uri);
    const char* unmap (LV2_URID urid) const;
    LV2_URID_Map* mapFeature() noexcept { return &mapData; }
    const LV2_Feature* const* features() const noexcept { return featureList.data(); }
    double sampleRate() const noexcept { return rateValue; }
    int blockLength() const noexcept { return blockValue; }

private:
    static LV2_URID mapCallback (LV2_URID_Map_Handle handle, const char* uri);
    static const char* unmapCallback (LV2_URID_Unmap_Handle handle, LV2_URID urid);

    LilvWorld* lilvWorld = nullptr;
    // A deque: the strings unmap hands out stay where they are as more are mapped.
    std::deque<std::string> uris;
    LV2_URID_Map mapData { this, mapCallback };
    LV2_URID_Unmap unmapData { this, unmapCallback };
    int32_t blockValue;
    int32_t sequenceBytes = static_cast<int32_t> (atomBufferBytes);
    float rateValue;
    std::array<LV2_Options_Option, 6> options {};
    std::array<LV2_Feature, 5> featureStorage {};
    std::array<const LV2_Feature*, 6> featureList {};
};
} // namespace lv2host
