/* qvlclient.dll: the client library through which the console reaches the RAID subsystem.
 *
 * Every function is cdecl, takes and returns 32-bit values, and (except cs_qvl_get_lib_info)
 * takes the connection handle first. Local mode never reads the handle; 0 is fine.
 * Results: QVL_OK (0) = success, QVL_FAILED (-1) = failure or not supported in local mode;
 * counts and versions are returned as the number; results of the device library pass through
 * unchanged. No exception leaves an export: an internal fault reads as QVL_FAILED.
 * The caller owns every record passed; the library fills it and keeps no pointer. */
#ifndef QVL_CLIENT_H
#define QVL_CLIENT_H

#include "qvlrecords.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QVLAPI __cdecl

#define QVL_OK 0
#define QVL_FAILED (-1)

/* cs_qvl_get_lib_info: copies the library's 8-byte version record (LibInfo) to `info`.
 * Returns 0. A null `info` is not checked: the copy faults. */
int32_t QVLAPI cs_qvl_get_lib_info(LibInfo *info);

/* cs_qvl_connect_system: local mode keeps no connection. Writes nothing; returns 0 for any
 * handle. */
int32_t QVLAPI cs_qvl_connect_system(uint32_t h);

/* cs_qvl_disconnect_system: as cs_qvl_connect_system: writes nothing, returns 0. */
int32_t QVLAPI cs_qvl_disconnect_system(uint32_t h);

/* cs_qvl_get_server_info: describes this machine's operating system in the 204-byte
 * ServerInfo: the OS name into the 64 bytes at byte 8 and, on the NT family, the build text
 * into the 68 bytes at byte 136; every other byte stays as passed. Returns 0, also when the version cannot
 * be read or `info` is null (nothing is written then). */
int32_t QVLAPI cs_qvl_get_server_info(uint32_t h, ServerInfo *info);

/* cs_qvl_reboot_server: restarts the machine. Writes nothing. Returns 0 when the restart was
 * started, -1 when the system refused it. */
int32_t QVLAPI cs_qvl_reboot_server(uint32_t h);

/* cs_qvl_enum_event: reads line `index` (from 0; a negative index reads line 0) of the event
 * log (qvl.log in the Windows directory) back into the 560-byte EventEntry. Returns 0; -1 for
 * a null `entry`, a file error (a missing log included) or an over-long line;
 * QVL_NO_SUCH_LINE when the log has no such line (also for an empty log, and for a last line
 * without its line feed): the end of an enumeration from 0 upwards. */
int32_t QVLAPI cs_qvl_enum_event(uint32_t h, EventEntry *entry, int32_t index);
#define QVL_NO_SUCH_LINE ((int32_t)0xc0000005u)

/* cs_qvl_get_log_event: takes the next driver event and turns it into the 560-byte
 * EventEntry. Returns 0; -1 when no event waits, or when it cannot be
 * turned into text or `entry` is null (the event is taken all the same and the entry is then
 * untouched or undefined). */
int32_t QVLAPI cs_qvl_get_log_event(uint32_t h, EventEntry *entry);

/* cs_qvl_save_log_event: stamps bytes 4-7 of the entry with the local time (a PackedTime)
 * and appends it as one line to the event log. Returns 0 when the line was appended; -1 when
 * `entry` is null (then nothing happens) or the log cannot be written (the entry is stamped
 * all the same, and no part of the line is left in the log). */
int32_t QVLAPI cs_qvl_save_log_event(uint32_t h, EventEntry *entry);

/* cs_qvl_clear_event_log: deletes the event log. Returns 0 when it is gone afterwards, -1
 * otherwise. */
int32_t QVLAPI cs_qvl_clear_event_log(uint32_t h);

/* Device operations. Each passes its arguments but the handle, unchanged and in order, to the
 * device library (qvldev) and returns its result unchanged: the library adds no check of its
 * own, so a null pointer goes to the device library, which decides (the simulated one
 * answers -1 and writes nothing). */

/* cs_qvl_get_version: writes nothing; returns the driver interface version. */
int32_t QVLAPI cs_qvl_get_version(uint32_t h);

/* cs_qvl_get_driver_capabilities: fills the 44-byte DriverCapabilities, whose `size` the
 * caller sets first. Returns 0 when filled. */
int32_t QVLAPI cs_qvl_get_driver_capabilities(uint32_t h, DriverCapabilities *caps);

/* cs_qvl_get_controller_count: writes nothing; returns the number of controllers. */
int32_t QVLAPI cs_qvl_get_controller_count(uint32_t h);

/* cs_qvl_get_controller_info: fills the 76-byte ControllerRecord of controller `controller`
 * (from 0). Returns 0 when filled. */
int32_t QVLAPI cs_qvl_get_controller_info(uint32_t h, uint32_t controller, ControllerRecord *rec);

/* cs_qvl_get_channel_info: fills the 16-byte ChannelRecord of channel `channel` of controller
 * `controller` (both from 0). Returns 0 when filled. */
int32_t QVLAPI cs_qvl_get_channel_info(uint32_t h, uint32_t controller, uint32_t channel, ChannelRecord *rec);

/* cs_qvl_get_logical_devices: writes the identifiers of the top-level logical devices, 4 bytes
 * each, at most `capacity` of them. Returns the number written. */
int32_t QVLAPI cs_qvl_get_logical_devices(uint32_t h, DeviceId *list, uint32_t capacity);

/* cs_qvl_get_device_info: fills the DeviceInfo (QVL_DEVICE_INFO_SIZE bytes; the device library
 * writes at most QVL_DEVICE_INFO_BUFFER) of device `device`. Returns 0 when filled; any other
 * result: no information for that identifier. */
int32_t QVLAPI cs_qvl_get_device_info(uint32_t h, DeviceId device, DeviceInfo *info);

/* cs_qvl_create_array: passes one value; writes nothing; returns the device library's result. */
int32_t QVLAPI cs_qvl_create_array(uint32_t h, uint32_t params);

/* cs_qvl_delete_array: deletes array `array`; writes nothing; returns the device library's
 * result. */
int32_t QVLAPI cs_qvl_delete_array(uint32_t h, DeviceId array, uint32_t flags);

/* cs_qvl_add_disk_to_array: passes two values; writes nothing; returns the device library's
 * result. */
int32_t QVLAPI cs_qvl_add_disk_to_array(uint32_t h, uint32_t a, uint32_t b);

/* cs_qvl_add_spare_disk: passes one value; writes nothing; returns the device library's result. */
int32_t QVLAPI cs_qvl_add_spare_disk(uint32_t h, uint32_t a);

/* cs_qvl_remove_spare_disk: passes one value; writes nothing; returns the device library's
 * result. */
int32_t QVLAPI cs_qvl_remove_spare_disk(uint32_t h, uint32_t a);

/* cs_qvl_set_array_state: passes two values; writes nothing; returns the device library's
 * result. */
int32_t QVLAPI cs_qvl_set_array_state(uint32_t h, uint32_t a, uint32_t b);

/* cs_qvl_set_array_info: passes two values; writes nothing; returns the device library's
 * result. */
int32_t QVLAPI cs_qvl_set_array_info(uint32_t h, uint32_t a, uint32_t b);

/* cs_qvl_set_device_info: hands `settings` (read, not written) to the device library for
 * device `device`; device 0 with 8 zero bytes acknowledges an error event. Returns the device
 * library's result. */
int32_t QVLAPI cs_qvl_set_device_info(uint32_t h, DeviceId device, void *settings);

/* cs_qvl_rescan_devices: asks the driver to look for newly attached disks; writes nothing;
 * returns the device library's result. */
int32_t QVLAPI cs_qvl_rescan_devices(uint32_t h);

/* cs_qvl_query_remove: asks whether the `count` devices of `list` (read only) may be removed.
 * Returns 0 when all may; k > 0 when entry k - 1 blocks. */
int32_t QVLAPI cs_qvl_query_remove(uint32_t h, uint32_t count, DeviceId *list);

/* cs_qvl_remove_devices: removes the `count` devices of `list` (read only). Returns 0 when
 * removed; k > 0 when entry k - 1 could not be removed. */
int32_t QVLAPI cs_qvl_remove_devices(uint32_t h, uint32_t count, DeviceId *list);

/* Not supported in local mode. Each of the following returns -1 and touches no argument, so
 * any pointer, null included, is safe. */

/* cs_qvl_get_server_param: server parameters. */
int32_t QVLAPI cs_qvl_get_server_param(uint32_t h, uint32_t a);
/* cs_qvl_set_server_param: server parameters. */
int32_t QVLAPI cs_qvl_set_server_param(uint32_t h, uint32_t a);
/* cs_qvl_get_current_user: users. */
int32_t QVLAPI cs_qvl_get_current_user(uint32_t h, uint32_t a);
/* cs_qvl_enum_user: users. */
int32_t QVLAPI cs_qvl_enum_user(uint32_t h, uint32_t a, uint32_t b);
/* cs_qvl_set_user: users. */
int32_t QVLAPI cs_qvl_set_user(uint32_t h, uint32_t a, uint32_t b);
/* cs_qvl_enable_event_notify: remote event notification. */
int32_t QVLAPI cs_qvl_enable_event_notify(uint32_t h, uint32_t a);
/* cs_qvl_get_smtp_server: mail. */
int32_t QVLAPI cs_qvl_get_smtp_server(uint32_t h, uint32_t a);
/* cs_qvl_set_smtp_server: mail. */
int32_t QVLAPI cs_qvl_set_smtp_server(uint32_t h, uint32_t a);
/* cs_qvl_enum_mail_recipient: mail. */
int32_t QVLAPI cs_qvl_enum_mail_recipient(uint32_t h, uint32_t a, uint32_t b);
/* cs_qvl_set_mail_recipients: mail. */
int32_t QVLAPI cs_qvl_set_mail_recipients(uint32_t h, uint32_t a, uint32_t b);
/* cs_qvl_test_mail: mail. */
int32_t QVLAPI cs_qvl_test_mail(uint32_t h, uint32_t a);
/* cs_qvl_enum_tasks: scheduled tasks. */
int32_t QVLAPI cs_qvl_enum_tasks(uint32_t h, uint32_t a, uint32_t b);
/* cs_qvl_set_task: scheduled tasks. */
int32_t QVLAPI cs_qvl_set_task(uint32_t h, uint32_t a, uint32_t b);
/* cs_qvl_get_bay_info: drive-rack sensors; the BayInfo is left as passed. */
int32_t QVLAPI cs_qvl_get_bay_info(uint32_t h, DeviceId device, BayInfo *bay);
/* cs_qvl_set_bay_info: drive-rack settings. */
int32_t QVLAPI cs_qvl_set_bay_info(uint32_t h, uint32_t a, uint32_t b);
/* cs_qvl_lock_device: device locking. */
int32_t QVLAPI cs_qvl_lock_device(uint32_t h, uint32_t a, uint32_t b, uint32_t c);
/* cs_qvl_unlock_device: device locking. */
int32_t QVLAPI cs_qvl_unlock_device(uint32_t h, uint32_t a);
/* cs_qvl_ide_pass_through: raw ATA commands. */
int32_t QVLAPI cs_qvl_ide_pass_through(uint32_t h, uint32_t a);
/* cs_qvl_add_dedicated_spare: dedicated spares. */
int32_t QVLAPI cs_qvl_add_dedicated_spare(uint32_t h, uint32_t a, uint32_t b);

#ifdef __cplusplus
}
#endif

#endif
