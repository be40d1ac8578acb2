// The dispatch table of local mode: every operation runs on this machine.
#include "dispatch.h"
#include "localOps.h"

namespace qvl {
namespace {

// The one not-supported answer, shared by every slot that local mode does not serve
// (users, mail, tasks, server parameters, notification, bays, locking, pass-through,
// dedicated spares). It touches no argument.
template <typename... A> int32_t __cdecl NotSupported(uint32_t, A...) { return -1; }

template <typename... A> void Unserved(Op<A...> &slot) { slot = &NotSupported<A...>; }

// Local mode has no connection state.
int32_t __cdecl NoConnection(uint32_t) { return 0; }

} // namespace

void FillLocalTable(DispatchTable &t)
{
    t.connect_system = NoConnection;
    t.disconnect_system = NoConnection;
    t.get_server_info = local::GetServerInfo;
    Unserved(t.get_server_param);
    Unserved(t.set_server_param);
    t.reboot_server = local::RebootServer;
    Unserved(t.get_current_user);
    Unserved(t.enum_user);
    Unserved(t.set_user);
    Unserved(t.enable_event_notify);
    t.enum_event = local::EnumEvent;
    t.get_log_event = local::GetLogEvent;
    t.save_log_event = local::SaveLogEvent;
    t.clear_event_log = local::ClearEventLog;
    Unserved(t.get_smtp_server);
    Unserved(t.set_smtp_server);
    Unserved(t.enum_mail_recipient);
    Unserved(t.set_mail_recipients);
    Unserved(t.test_mail);
    Unserved(t.enum_tasks);
    Unserved(t.set_task);
    t.get_version = local::GetVersion;
    t.get_driver_capabilities = local::GetDriverCapabilities;
    t.get_controller_count = local::GetControllerCount;
    t.get_controller_info = local::GetControllerInfo;
    t.get_channel_info = local::GetChannelInfo;
    t.get_logical_devices = local::GetLogicalDevices;
    t.get_device_info = local::GetDeviceInfo;
    t.create_array = local::CreateArray;
    t.delete_array = local::DeleteArray;
    t.add_disk_to_array = local::AddDiskToArray;
    t.add_spare_disk = local::AddSpareDisk;
    t.remove_spare_disk = local::RemoveSpareDisk;
    t.set_array_state = local::SetArrayState;
    t.set_array_info = local::SetArrayInfo;
    t.set_device_info = local::SetDeviceInfo;
    t.rescan_devices = local::RescanDevices;
    Unserved(t.get_bay_info);
    Unserved(t.set_bay_info);
    Unserved(t.lock_device);
    Unserved(t.unlock_device);
    Unserved(t.ide_pass_through);
    Unserved(t.add_dedicated_spare);
    t.remove_devices = local::RemoveDevices;
    t.query_remove = local::QueryRemove;
}

} // namespace qvl
