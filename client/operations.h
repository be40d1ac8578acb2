// The 45 operations of the library, once, in slot order: the dispatch table, the exported
// forwarders, local mode's table and the local operations' declarations are made from this
// list. Each entry: X(slot, how local mode serves it, local function, parameters, arguments)
// where "how" is Device (the driver's operation of the same name, passed through:
// localDevice.h), Local (the named function in localOps), NoConnection or Unserved.
#pragma once

#define QVL_OPERATIONS(X)                                                                                              \
    X(connect_system, NoConnection, -, (uint32_t h), (h))                                                              \
    X(disconnect_system, NoConnection, -, (uint32_t h), (h))                                                           \
    X(get_server_info, Local, GetServerInfo, (uint32_t h, ServerInfo * info), (h, info))                               \
    X(get_server_param, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                 \
    X(set_server_param, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                 \
    X(reboot_server, Local, RebootServer, (uint32_t h), (h))                                                           \
    X(get_current_user, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                 \
    X(enum_user, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                         \
    X(set_user, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                          \
    X(enable_event_notify, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                              \
    X(enum_event, Local, EnumEvent, (uint32_t h, EventEntry * entry, int32_t index), (h, entry, index))                \
    X(get_log_event, Local, GetLogEvent, (uint32_t h, EventEntry * entry), (h, entry))                                 \
    X(save_log_event, Local, SaveLogEvent, (uint32_t h, EventEntry * entry), (h, entry))                               \
    X(clear_event_log, Local, ClearEventLog, (uint32_t h), (h))                                                        \
    X(get_smtp_server, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                  \
    X(set_smtp_server, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                  \
    X(enum_mail_recipient, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                               \
    X(set_mail_recipients, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                               \
    X(test_mail, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                        \
    X(enum_tasks, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                        \
    X(set_task, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                          \
    X(get_version, Device, -, (uint32_t h), (h))                                                                       \
    X(get_driver_capabilities, Device, -, (uint32_t h, DriverCapabilities * caps), (h, caps))                          \
    X(get_controller_count, Device, -, (uint32_t h), (h))                                                              \
    X(get_controller_info, Device, -, (uint32_t h, uint32_t controller, ControllerRecord * rec), (h, controller, rec)) \
    X(get_channel_info, Device, -, (uint32_t h, uint32_t controller, uint32_t channel, ChannelRecord * rec),           \
      (h, controller, channel, rec))                                                                                   \
    X(get_logical_devices, Device, -, (uint32_t h, DeviceId * list, uint32_t capacity), (h, list, capacity))           \
    X(get_device_info, Device, -, (uint32_t h, DeviceId device, DeviceInfo * info), (h, device, info))                 \
    X(create_array, Device, -, (uint32_t h, uint32_t params), (h, params))                                             \
    X(delete_array, Device, -, (uint32_t h, DeviceId array, uint32_t flags), (h, array, flags))                        \
    X(add_disk_to_array, Device, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                   \
    X(add_spare_disk, Device, -, (uint32_t h, uint32_t a), (h, a))                                                     \
    X(remove_spare_disk, Device, -, (uint32_t h, uint32_t a), (h, a))                                                  \
    X(set_array_state, Device, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                     \
    X(set_array_info, Device, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                      \
    X(set_device_info, Device, -, (uint32_t h, DeviceId device, void *settings), (h, device, settings))                \
    X(rescan_devices, Device, -, (uint32_t h), (h))                                                                    \
    X(get_bay_info, Unserved, -, (uint32_t h, DeviceId device, BayInfo * bay), (h, device, bay))                       \
    X(set_bay_info, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                                      \
    X(lock_device, Unserved, -, (uint32_t h, uint32_t a, uint32_t b, uint32_t c), (h, a, b, c))                        \
    X(unlock_device, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                    \
    X(ide_pass_through, Unserved, -, (uint32_t h, uint32_t a), (h, a))                                                 \
    X(add_dedicated_spare, Unserved, -, (uint32_t h, uint32_t a, uint32_t b), (h, a, b))                               \
    X(remove_devices, Device, -, (uint32_t h, uint32_t count, DeviceId * list), (h, count, list))                      \
    X(query_remove, Device, -, (uint32_t h, uint32_t count, DeviceId * list), (h, count, list))
