/* The 19 operations of qvldev.dll, once, in the driver's order. qvldev.h declares them from
 * this list, the simulated driver numbers and names them after it (QVLSIM_OP_<NAME>, the names
 * qvlsim inject takes), and qvlclient passes them through. Each entry:
 * X(name, NAME, parameters): the function int32_t qvl_<name> parameters, cdecl.
 * Plain C, as qvldev.h; every operation returns a signed 32-bit result. */
#ifndef QVL_DEV_OPERATIONS_H
#define QVL_DEV_OPERATIONS_H

#define QVLDEV_OPERATIONS(X)                                                                                           \
    X(get_version, GET_VERSION, (void))                                                                                \
    /* 0 when filled; caps->size is set by the caller. */                                                              \
    X(get_driver_capabilities, GET_DRIVER_CAPABILITIES, (DriverCapabilities * caps))                                   \
    X(get_controller_count, GET_CONTROLLER_COUNT, (void))                                                              \
    X(get_controller_info, GET_CONTROLLER_INFO, (uint32_t controller, ControllerRecord * rec))                         \
    X(get_channel_info, GET_CHANNEL_INFO, (uint32_t controller, uint32_t channel, ChannelRecord * rec))                \
    /* Number of top-level logical device identifiers written, at most capacity. */                                    \
    X(get_logical_devices, GET_LOGICAL_DEVICES, (DeviceId * list, uint32_t capacity))                                  \
    /* 0 when filled; writes at most 174 bytes. Any other result: no such device. */                                   \
    X(get_device_info, GET_DEVICE_INFO, (DeviceId device, DeviceInfo * info))                                          \
    X(create_array, CREATE_ARRAY, (uint32_t params))                                                                   \
    X(delete_array, DELETE_ARRAY, (DeviceId array, uint32_t flags))                                                    \
    X(add_disk_to_array, ADD_DISK_TO_ARRAY, (uint32_t a, uint32_t b))                                                  \
    X(add_spare_disk, ADD_SPARE_DISK, (uint32_t a))                                                                    \
    X(remove_spare_disk, REMOVE_SPARE_DISK, (uint32_t a))                                                              \
    X(set_array_state, SET_ARRAY_STATE, (uint32_t a, uint32_t b))                                                      \
    X(set_array_info, SET_ARRAY_INFO, (uint32_t a, uint32_t b))                                                        \
    X(set_device_info, SET_DEVICE_INFO, (DeviceId device, void *settings))                                             \
    X(rescan_devices, RESCAN_DEVICES, (void))                                                                          \
    /* 0 = all removable / removed; otherwise 1 + the index of the identifier that blocks. */                          \
    X(query_remove, QUERY_REMOVE, (uint32_t count, DeviceId * list))                                                   \
    X(remove_devices, REMOVE_DEVICES, (uint32_t count, DeviceId * list))                                               \
    /* 0 when an event was written into the 44-byte record; other = no event waiting. */                               \
    X(get_event, GET_EVENT, (DeviceEvent * event))

#endif
