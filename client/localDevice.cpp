// Device operations of local mode: straight through to qvldev. No check, no lock, no cache,
// no translation of results.
#include "localOps.h"
#include "qvldev.h"

namespace qvl::local {

int32_t __cdecl GetVersion(uint32_t) { return qvl_get_version(); }
int32_t __cdecl GetDriverCapabilities(uint32_t, DriverCapabilities *caps)
{
    return qvl_get_driver_capabilities(caps);
}
int32_t __cdecl GetControllerCount(uint32_t) { return qvl_get_controller_count(); }
int32_t __cdecl GetControllerInfo(uint32_t, uint32_t controller, ControllerRecord *rec)
{
    return qvl_get_controller_info(controller, rec);
}
int32_t __cdecl GetChannelInfo(uint32_t, uint32_t controller, uint32_t channel, ChannelRecord *rec)
{
    return qvl_get_channel_info(controller, channel, rec);
}
int32_t __cdecl GetLogicalDevices(uint32_t, DeviceId *list, uint32_t capacity)
{
    return qvl_get_logical_devices(list, capacity);
}
int32_t __cdecl GetDeviceInfo(uint32_t, DeviceId device, DeviceInfo *info)
{
    return qvl_get_device_info(device, info);
}
int32_t __cdecl CreateArray(uint32_t, uint32_t params) { return qvl_create_array(params); }
int32_t __cdecl DeleteArray(uint32_t, DeviceId array, uint32_t flags)
{
    return qvl_delete_array(array, flags);
}
int32_t __cdecl AddDiskToArray(uint32_t, uint32_t a, uint32_t b) { return qvl_add_disk_to_array(a, b); }
int32_t __cdecl AddSpareDisk(uint32_t, uint32_t a) { return qvl_add_spare_disk(a); }
int32_t __cdecl RemoveSpareDisk(uint32_t, uint32_t a) { return qvl_remove_spare_disk(a); }
int32_t __cdecl SetArrayState(uint32_t, uint32_t a, uint32_t b) { return qvl_set_array_state(a, b); }
int32_t __cdecl SetArrayInfo(uint32_t, uint32_t a, uint32_t b) { return qvl_set_array_info(a, b); }
int32_t __cdecl SetDeviceInfo(uint32_t, DeviceId device, void *settings)
{
    return qvl_set_device_info(device, settings);
}
int32_t __cdecl RescanDevices(uint32_t) { return qvl_rescan_devices(); }
int32_t __cdecl QueryRemove(uint32_t, uint32_t count, DeviceId *list)
{
    return qvl_query_remove(count, list);
}
int32_t __cdecl RemoveDevices(uint32_t, uint32_t count, DeviceId *list)
{
    return qvl_remove_devices(count, list);
}

} // namespace qvl::local
