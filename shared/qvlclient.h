/* qvlclient.dll: the client library through which the console reaches the RAID subsystem.
 *
 * Every function is cdecl, takes and returns 32-bit values, and (except cs_qvl_get_lib_info)
 * takes the connection handle first. Local mode never reads the handle; 0 is fine.
 * Results: 0 = success, -1 = failure or not supported in local mode; counts and versions are
 * returned as the number; results of the device library pass through unchanged.
 * The caller owns every record passed; the library fills it and keeps no pointer. */
#ifndef QVL_CLIENT_H
#define QVL_CLIENT_H

#include "qvlrecords.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QVLAPI __cdecl

/* Copies the library's 8-byte version record; returns 0. The pointer is not checked. */
int32_t QVLAPI cs_qvl_get_lib_info(LibInfo *info);

/* Connection: no state exists in local mode; both return 0 for any handle. */
int32_t QVLAPI cs_qvl_connect_system(uint32_t h);
int32_t QVLAPI cs_qvl_disconnect_system(uint32_t h);

/* Writes the OS name at byte 8 and, on the NT family, the build text at byte 136 of the
 * record, leaving every other byte as passed. Always 0. */
int32_t QVLAPI cs_qvl_get_server_info(uint32_t h, ServerInfo *info);
/* Restarts the machine: 0 when the restart was started, -1 when it was refused. */
int32_t QVLAPI cs_qvl_reboot_server(uint32_t h);

/* Event operations.
 * get_log_event: takes the next driver event and turns it into an entry; 0, or -1 when no
 *   event waits or it cannot be turned into text (the entry is then untouched or undefined).
 * save_log_event: stamps bytes 4-7 with the local time and appends the entry to qvl.log in
 *   the Windows directory; always 0.
 * enum_event: reads line `index` (from 0) of the log back; 0, -1 on a file error or an
 *   over-long line, 0xc0000005 when there is no such line.
 * clear_event_log: deletes the log; 0 when it is gone afterwards, -1 otherwise. */
int32_t QVLAPI cs_qvl_enum_event(uint32_t h, EventEntry *entry, int32_t index);
int32_t QVLAPI cs_qvl_get_log_event(uint32_t h, EventEntry *entry);
int32_t QVLAPI cs_qvl_save_log_event(uint32_t h, EventEntry *entry);
int32_t QVLAPI cs_qvl_clear_event_log(uint32_t h);
#define QVL_NO_SUCH_LINE ((int32_t)0xc0000005u)

/* Device operations, passed to the device library with the handle dropped. */
int32_t QVLAPI cs_qvl_get_version(uint32_t h);
int32_t QVLAPI cs_qvl_get_driver_capabilities(uint32_t h, DriverCapabilities *caps);
int32_t QVLAPI cs_qvl_get_controller_count(uint32_t h);
int32_t QVLAPI cs_qvl_get_controller_info(uint32_t h, uint32_t controller, ControllerRecord *rec);
int32_t QVLAPI cs_qvl_get_channel_info(uint32_t h, uint32_t controller, uint32_t channel,
                                       ChannelRecord *rec);
/* Returns the number of top-level logical device identifiers written (at most capacity). */
int32_t QVLAPI cs_qvl_get_logical_devices(uint32_t h, DeviceId *list, uint32_t capacity);
int32_t QVLAPI cs_qvl_get_device_info(uint32_t h, DeviceId device, DeviceInfo *info);
int32_t QVLAPI cs_qvl_create_array(uint32_t h, uint32_t params);
int32_t QVLAPI cs_qvl_delete_array(uint32_t h, DeviceId array, uint32_t flags);
int32_t QVLAPI cs_qvl_add_disk_to_array(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_add_spare_disk(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_remove_spare_disk(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_set_array_state(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_set_array_info(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_set_device_info(uint32_t h, DeviceId device, void *settings);
int32_t QVLAPI cs_qvl_rescan_devices(uint32_t h);
/* 0 = every listed device may be / has been removed; k > 0 = entry k - 1 blocks. */
int32_t QVLAPI cs_qvl_query_remove(uint32_t h, uint32_t count, DeviceId *list);
int32_t QVLAPI cs_qvl_remove_devices(uint32_t h, uint32_t count, DeviceId *list);

/* Not supported in local mode: each returns -1 and touches no argument. */
int32_t QVLAPI cs_qvl_get_server_param(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_set_server_param(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_get_current_user(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_enum_user(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_set_user(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_enable_event_notify(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_get_smtp_server(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_set_smtp_server(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_enum_mail_recipient(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_set_mail_recipients(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_test_mail(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_enum_tasks(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_set_task(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_get_bay_info(uint32_t h, DeviceId device, BayInfo *bay);
int32_t QVLAPI cs_qvl_set_bay_info(uint32_t h, uint32_t a, uint32_t b);
int32_t QVLAPI cs_qvl_lock_device(uint32_t h, uint32_t a, uint32_t b, uint32_t c);
int32_t QVLAPI cs_qvl_unlock_device(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_ide_pass_through(uint32_t h, uint32_t a);
int32_t QVLAPI cs_qvl_add_dedicated_spare(uint32_t h, uint32_t a, uint32_t b);

#ifdef __cplusplus
}
#endif

#endif
