// The 45 exports that go through the dispatch table: each calls its slot with its own
// arguments, unchanged and in order, and returns the slot's result unchanged.
#include "dispatch.h"

using qvl::g_lib;

extern "C" int32_t QVLAPI cs_qvl_connect_system(uint32_t h)
{
    return g_lib.table.connect_system(h);
}

extern "C" int32_t QVLAPI cs_qvl_disconnect_system(uint32_t h)
{
    return g_lib.table.disconnect_system(h);
}

extern "C" int32_t QVLAPI cs_qvl_get_server_info(uint32_t h, ServerInfo *info)
{
    return g_lib.table.get_server_info(h, info);
}

extern "C" int32_t QVLAPI cs_qvl_get_server_param(uint32_t h, uint32_t a)
{
    return g_lib.table.get_server_param(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_set_server_param(uint32_t h, uint32_t a)
{
    return g_lib.table.set_server_param(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_reboot_server(uint32_t h)
{
    return g_lib.table.reboot_server(h);
}

extern "C" int32_t QVLAPI cs_qvl_get_current_user(uint32_t h, uint32_t a)
{
    return g_lib.table.get_current_user(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_enum_user(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.enum_user(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_set_user(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.set_user(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_enable_event_notify(uint32_t h, uint32_t a)
{
    return g_lib.table.enable_event_notify(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_enum_event(uint32_t h, EventEntry *entry, int32_t index)
{
    return g_lib.table.enum_event(h, entry, index);
}

extern "C" int32_t QVLAPI cs_qvl_get_log_event(uint32_t h, EventEntry *entry)
{
    return g_lib.table.get_log_event(h, entry);
}

extern "C" int32_t QVLAPI cs_qvl_save_log_event(uint32_t h, EventEntry *entry)
{
    return g_lib.table.save_log_event(h, entry);
}

extern "C" int32_t QVLAPI cs_qvl_clear_event_log(uint32_t h)
{
    return g_lib.table.clear_event_log(h);
}

extern "C" int32_t QVLAPI cs_qvl_get_smtp_server(uint32_t h, uint32_t a)
{
    return g_lib.table.get_smtp_server(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_set_smtp_server(uint32_t h, uint32_t a)
{
    return g_lib.table.set_smtp_server(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_enum_mail_recipient(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.enum_mail_recipient(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_set_mail_recipients(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.set_mail_recipients(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_test_mail(uint32_t h, uint32_t a)
{
    return g_lib.table.test_mail(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_enum_tasks(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.enum_tasks(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_set_task(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.set_task(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_get_version(uint32_t h)
{
    return g_lib.table.get_version(h);
}

extern "C" int32_t QVLAPI cs_qvl_get_driver_capabilities(uint32_t h, DriverCapabilities *caps)
{
    return g_lib.table.get_driver_capabilities(h, caps);
}

extern "C" int32_t QVLAPI cs_qvl_get_controller_count(uint32_t h)
{
    return g_lib.table.get_controller_count(h);
}

extern "C" int32_t QVLAPI cs_qvl_get_controller_info(uint32_t h, uint32_t controller, ControllerRecord *rec)
{
    return g_lib.table.get_controller_info(h, controller, rec);
}

extern "C" int32_t QVLAPI cs_qvl_get_channel_info(uint32_t h, uint32_t controller, uint32_t channel, ChannelRecord *rec)
{
    return g_lib.table.get_channel_info(h, controller, channel, rec);
}

extern "C" int32_t QVLAPI cs_qvl_get_logical_devices(uint32_t h, DeviceId *list, uint32_t capacity)
{
    return g_lib.table.get_logical_devices(h, list, capacity);
}

extern "C" int32_t QVLAPI cs_qvl_get_device_info(uint32_t h, DeviceId device, DeviceInfo *info)
{
    return g_lib.table.get_device_info(h, device, info);
}

extern "C" int32_t QVLAPI cs_qvl_create_array(uint32_t h, uint32_t params)
{
    return g_lib.table.create_array(h, params);
}

extern "C" int32_t QVLAPI cs_qvl_delete_array(uint32_t h, DeviceId array, uint32_t flags)
{
    return g_lib.table.delete_array(h, array, flags);
}

extern "C" int32_t QVLAPI cs_qvl_add_disk_to_array(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.add_disk_to_array(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_add_spare_disk(uint32_t h, uint32_t a)
{
    return g_lib.table.add_spare_disk(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_remove_spare_disk(uint32_t h, uint32_t a)
{
    return g_lib.table.remove_spare_disk(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_set_array_state(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.set_array_state(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_set_array_info(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.set_array_info(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_set_device_info(uint32_t h, DeviceId device, void *settings)
{
    return g_lib.table.set_device_info(h, device, settings);
}

extern "C" int32_t QVLAPI cs_qvl_rescan_devices(uint32_t h)
{
    return g_lib.table.rescan_devices(h);
}

extern "C" int32_t QVLAPI cs_qvl_get_bay_info(uint32_t h, DeviceId device, BayInfo *bay)
{
    return g_lib.table.get_bay_info(h, device, bay);
}

extern "C" int32_t QVLAPI cs_qvl_set_bay_info(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.set_bay_info(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_lock_device(uint32_t h, uint32_t a, uint32_t b, uint32_t c)
{
    return g_lib.table.lock_device(h, a, b, c);
}

extern "C" int32_t QVLAPI cs_qvl_unlock_device(uint32_t h, uint32_t a)
{
    return g_lib.table.unlock_device(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_ide_pass_through(uint32_t h, uint32_t a)
{
    return g_lib.table.ide_pass_through(h, a);
}

extern "C" int32_t QVLAPI cs_qvl_add_dedicated_spare(uint32_t h, uint32_t a, uint32_t b)
{
    return g_lib.table.add_dedicated_spare(h, a, b);
}

extern "C" int32_t QVLAPI cs_qvl_remove_devices(uint32_t h, uint32_t count, DeviceId *list)
{
    return g_lib.table.remove_devices(h, count, list);
}

extern "C" int32_t QVLAPI cs_qvl_query_remove(uint32_t h, uint32_t count, DeviceId *list)
{
    return g_lib.table.query_remove(h, count, list);
}
