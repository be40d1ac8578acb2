/* qvldev.dll: the device-interface library of the RAID driver, as qvlclient calls it.
 * All operations are cdecl with 32-bit arguments and a signed 32-bit result. */
#ifndef QVL_DEV_H
#define QVL_DEV_H

#include "qvlrecords.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QVLDEVAPI __cdecl

int32_t QVLDEVAPI qvl_get_version(void);
/* 0 when filled; caps->size is set by the caller. */
int32_t QVLDEVAPI qvl_get_driver_capabilities(DriverCapabilities *caps);
int32_t QVLDEVAPI qvl_get_controller_count(void);
int32_t QVLDEVAPI qvl_get_controller_info(uint32_t controller, ControllerRecord *rec);
int32_t QVLDEVAPI qvl_get_channel_info(uint32_t controller, uint32_t channel, ChannelRecord *rec);
/* Number of top-level logical device identifiers written, at most capacity. */
int32_t QVLDEVAPI qvl_get_logical_devices(DeviceId *list, uint32_t capacity);
/* 0 when filled; writes at most 174 bytes. Any other result: no such device. */
int32_t QVLDEVAPI qvl_get_device_info(DeviceId device, DeviceInfo *info);
int32_t QVLDEVAPI qvl_create_array(uint32_t params);
int32_t QVLDEVAPI qvl_delete_array(DeviceId array, uint32_t flags);
int32_t QVLDEVAPI qvl_add_disk_to_array(uint32_t a, uint32_t b);
int32_t QVLDEVAPI qvl_add_spare_disk(uint32_t a);
int32_t QVLDEVAPI qvl_remove_spare_disk(uint32_t a);
int32_t QVLDEVAPI qvl_set_array_state(uint32_t a, uint32_t b);
int32_t QVLDEVAPI qvl_set_array_info(uint32_t a, uint32_t b);
int32_t QVLDEVAPI qvl_set_device_info(DeviceId device, void *settings);
int32_t QVLDEVAPI qvl_rescan_devices(void);
/* 0 = all removable / removed; otherwise 1 + the index of the identifier that blocks. */
int32_t QVLDEVAPI qvl_query_remove(uint32_t count, DeviceId *list);
int32_t QVLDEVAPI qvl_remove_devices(uint32_t count, DeviceId *list);
/* 0 when an event was written into the 44-byte record; other = no event waiting. */
int32_t QVLDEVAPI qvl_get_event(DeviceEvent *event);

#ifdef __cplusplus
}
#endif

#endif
