#include "SyncWorker.h"

#include <cstring>

namespace lv2host
{
void SyncWorker::attach (LilvInstance* instance)
{
    plugin = lilv_instance_get_handle (instance);
    interface = static_cast<const LV2_Worker_Interface*> (lilv_instance_get_extension_data (instance, LV2_WORKER__interface));
}

LV2_Worker_Status SyncWorker::schedule (LV2_Worker_Schedule_Handle handle, uint32_t size, const void* data)
{
    auto* self = static_cast<SyncWorker*> (handle);
    if (self->interface == nullptr || self->interface->work == nullptr)
        return LV2_WORKER_ERR_UNKNOWN;
    return self->interface->work (self->plugin, respond, self, size, data);
}

LV2_Worker_Status SyncWorker::respond (LV2_Worker_Respond_Handle handle, uint32_t size, const void* data)
{
    auto* self = static_cast<SyncWorker*> (handle);
    if (self->responseBytes + sizeof (size) + size > self->responses.size())
        return LV2_WORKER_ERR_NO_SPACE;
    std::memcpy (self->responses.data() + self->responseBytes, &size, sizeof (size));
    std::memcpy (self->responses.data() + self->responseBytes + sizeof (size), data, size);
    self->responseBytes += sizeof (size) + size;
    return LV2_WORKER_SUCCESS;
}

void SyncWorker::deliver()
{
    if (interface == nullptr)
        return;
    for (size_t offset = 0; offset < responseBytes;)
    {
        uint32_t size = 0;
        std::memcpy (&size, responses.data() + offset, sizeof (size));
        if (interface->work_response != nullptr)
            interface->work_response (plugin, size, responses.data() + offset + sizeof (size));
        offset += sizeof (size) + size;
    }
    responseBytes = 0;
    if (interface->end_run != nullptr)
        interface->end_run (plugin);
}
} // namespace lv2host
