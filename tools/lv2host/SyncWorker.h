#pragma once

#include <lilv/lilv.h>
#include <lv2/worker/worker.h>

#include <array>
#include <cstdint>

namespace lv2host
{
// The worker feature, done at once: the work a plug-in schedules in run() is
// done right there on the same thread (so a render's timing counts it), and
// its responses are handed back after the run, as a host does between blocks.
// Some plug-ins (Dragonfly's reverbs) refuse to start without a worker.
class SyncWorker
{
public:
    SyncWorker() = default;
    SyncWorker (const SyncWorker&) = delete;
    SyncWorker& operator= (const SyncWorker&) = delete;

    const LV2_Feature* feature() const noexcept { return &featureData; }

    // Once the instance exists: finds its worker interface, if it has one.
    void attach (LilvInstance* instance);

    // After each run: the responses, then the end of the run.
    void deliver();

private:
    static LV2_Worker_Status schedule (LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data);
    static LV2_Worker_Status respond (LV2_Worker_Respond_Handle handle, uint32_t size, const void* data);

    LV2_Handle plugin = nullptr;
    const LV2_Worker_Interface* interface = nullptr;
    // Responses, each a 32-bit size then its bytes, until deliver().
    std::array<uint8_t, 65536> responses {};
    size_t responseBytes = 0;
    LV2_Worker_Schedule scheduleData { this, schedule };
    LV2_Feature featureData { LV2_WORKER__schedule, &scheduleData };
};
} // namespace lv2host
