// The library's one instance of state: the version record, the dispatch table and the file
// paths, all written once while the loader runs the entry point and only read afterwards.
#pragma once

#include <windows.h>

#include "qvlclient.h"

namespace qvl {

template <typename... A> using Op = int32_t(__cdecl *)(uint32_t h, A...);

// One slot per operation, in slot order. Every slot takes exactly its export's arguments.
struct DispatchTable {
    Op<> connect_system;                                    // 0
    Op<> disconnect_system;                                 // 1
    Op<ServerInfo *> get_server_info;                       // 2
    Op<uint32_t> get_server_param;                          // 3
    Op<uint32_t> set_server_param;                          // 4
    Op<> reboot_server;                                     // 5
    Op<uint32_t> get_current_user;                          // 6
    Op<uint32_t, uint32_t> enum_user;                       // 7
    Op<uint32_t, uint32_t> set_user;                        // 8
    Op<uint32_t> enable_event_notify;                       // 9
    Op<EventEntry *, int32_t> enum_event;                   // 10
    Op<EventEntry *> get_log_event;                         // 11
    Op<EventEntry *> save_log_event;                        // 12
    Op<> clear_event_log;                                   // 13
    Op<uint32_t> get_smtp_server;                           // 14
    Op<uint32_t> set_smtp_server;                           // 15
    Op<uint32_t, uint32_t> enum_mail_recipient;             // 16
    Op<uint32_t, uint32_t> set_mail_recipients;             // 17
    Op<uint32_t> test_mail;                                 // 18
    Op<uint32_t, uint32_t> enum_tasks;                      // 19
    Op<uint32_t, uint32_t> set_task;                        // 20
    Op<> get_version;                                       // 21
    Op<DriverCapabilities *> get_driver_capabilities;       // 22
    Op<> get_controller_count;                              // 23
    Op<uint32_t, ControllerRecord *> get_controller_info;   // 24
    Op<uint32_t, uint32_t, ChannelRecord *> get_channel_info; // 25
    Op<DeviceId *, uint32_t> get_logical_devices;           // 26
    Op<DeviceId, DeviceInfo *> get_device_info;             // 27
    Op<uint32_t> create_array;                              // 28
    Op<DeviceId, uint32_t> delete_array;                    // 29
    Op<uint32_t, uint32_t> add_disk_to_array;               // 30
    Op<uint32_t> add_spare_disk;                            // 31
    Op<uint32_t> remove_spare_disk;                         // 32
    Op<uint32_t, uint32_t> set_array_state;                 // 33
    Op<uint32_t, uint32_t> set_array_info;                  // 34
    Op<DeviceId, void *> set_device_info;                   // 35
    Op<> rescan_devices;                                    // 36
    Op<DeviceId, BayInfo *> get_bay_info;                   // 37
    Op<uint32_t, uint32_t> set_bay_info;                    // 38
    Op<uint32_t, uint32_t, uint32_t> lock_device;           // 39
    Op<uint32_t> unlock_device;                             // 40
    Op<uint32_t> ide_pass_through;                          // 41
    Op<uint32_t, uint32_t> add_dedicated_spare;             // 42
    Op<uint32_t, DeviceId *> remove_devices;                // 43
    Op<uint32_t, DeviceId *> query_remove;                  // 44
};
static_assert(sizeof(DispatchTable) == 45 * sizeof(void *), "45 slots, nothing else");

// Files in the Windows directory; only the event log is used, the others are server-side
// settings that local mode never touches.
enum PathIndex { PathLog, PathIni, PathUsers, PathMail, PathTasks, PathCount };

struct LibState {
    LibInfo info;
    DispatchTable table;
    char paths[PathCount][MAX_PATH];
    CRITICAL_SECTION logLock; // serialises appends to the event log
};

extern LibState g_lib;

// Fills the table for local mode (localMode.cpp).
void FillLocalTable(DispatchTable &table);

} // namespace qvl
