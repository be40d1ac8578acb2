#include "systemUnit.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "appDir.h"
#include "qvlclient.h"

namespace {

// Room for every channel a controller record can describe (8 each), so that no disk the driver
// reports is hidden from an administrator about to pull one.
constexpr int ChannelsPerController = 8;
constexpr int DefaultMaxControllers = 4;

const char *const CannotRemoveOne = "One device can't be removed from the system. It is possible in use.";

} // namespace

TRAIDSystem::TRAIDSystem(uint32_t handle, const TPictureComposer *pictures) : Handle(handle), Pictures(pictures)
{
    if (Pictures)
        SystemBitmap = Pictures->SystemPicture();
    MaxControllers = DefaultMaxControllers;
    HotSwapSupported = false;
    std::memset(&Capabilities, 0, sizeof Capabilities);
    Capabilities.size = sizeof Capabilities;
    if (cs_qvl_get_driver_capabilities(Handle, &Capabilities) == 0) {
        MaxControllers = Capabilities.maxControllers;
        HotSwapSupported = (Capabilities.features & QVL_FEATURE_HOT_SWAP) != 0;
    }
    Controllers = TObjectTable<TController>(MaxControllers);
    Channels = TObjectTable<TChannel>(ChannelsPerController * MaxControllers);
    Devices = TObjectTable<TDevice>(16 * MaxControllers);
    Enumerate();
}

TRAIDSystem::~TRAIDSystem()
{
    Disconnect();
    ClearTables();
    if (!TempFileName.empty())
        DeleteFileA(TempFileName.c_str());
}

void TRAIDSystem::Enumerate()
{
    EnumerateControllers();
    EnumerateChannels();
    EnumerateDevices();
}

void TRAIDSystem::EnumerateControllers()
{
    const int count = std::min(cs_qvl_get_controller_count(Handle), static_cast<int32_t>(MaxControllers));
    for (int i = 0; i < count; ++i) {
        auto controller = std::make_unique<TController>(this, Handle, i);
        if (controller->Valid)
            Controllers.Add(std::move(controller));
    }
}

void TRAIDSystem::EnumerateChannels()
{
    // Channels are asked for by the controller's driver index: its table position differs once
    // an earlier controller could not be read.
    for (int p = 0; p < Controllers.Count(); ++p) {
        TController *controller = Controllers[p];
        const int index = static_cast<int>(controller->Id);
        for (int j = 0; j < controller->Info.ChannelCount && !Channels.Full(); ++j) {
            auto channel = std::make_unique<TChannel>(this, Handle, index, j);
            if (!channel->Valid)
                continue;
            controller->AddChild(Channels.Add(std::move(channel)));
        }
    }
}

void TRAIDSystem::EnumerateDevices()
{
    for (int c = 0; c < Channels.Count(); ++c) {
        TChannel *channel = Channels[c];
        for (DeviceId id : {channel->Info.Master, channel->Info.Slave}) {
            if (!IsValidId(id))
                continue; // an empty position: never asked for, whatever the driver would answer
            // A device whose read fails is dropped.
            auto device = std::make_unique<TDevice>(this, Handle, id);
            if (device->Valid && !Devices.Full())
                channel->AddChild(Devices.Add(std::move(device)));
        }
    }
}

void TRAIDSystem::ClearTables()
{
    Controllers.Clear();
    Channels.Clear();
    Devices.Clear();
}

void TRAIDSystem::Connect(const std::string &displayName, const std::string &hostName)
{
    DisplayName = displayName.empty() ? hostName : displayName;
    HostName = hostName.substr(0, 64);
    std::string file = HostName;
    file.erase(std::remove(file.begin(), file.end(), '.'), file.end());
    TempFileName = AppDir + file + ".tmp";

    ServerInfo info;
    std::memset(&info, 0, sizeof info);
    if (cs_qvl_get_server_info(Handle, &info) == 0)
        OsText = FieldText(info.osName, sizeof info.osName - 1); // byte 71 always ends it
}

int TRAIDSystem::Reload()
{
    ClearTables();
    Enumerate();
    if (RefreshCurrentPage)
        RefreshCurrentPage();
    return 0;
}

int TRAIDSystem::Rescan()
{
    cs_qvl_rescan_devices(Handle);
    return Reload();
}

TDevice *TRAIDSystem::FindDevice(DeviceId id) const
{
    for (int i = 0; i < Devices.Count(); ++i)
        if (Devices[i]->Id == id)
            return Devices[i];
    return nullptr;
}

std::string TRAIDSystem::DeviceName(DeviceId id) const
{
    // A device the tables no longer hold is named by its identifier.
    const TDevice *device = FindDevice(id);
    return device ? device->Name : HexText(id);
}

bool TRAIDSystem::Unplug(DeviceId id)
{
    DeviceId list[1] = {id};
    auto refuse = [&](int32_t r) {
        // r counts from 1 into the list; the list has one entry.
        const TDevice *device = r == 1 ? FindDevice(list[0]) : nullptr;
        ResultMessage = device
                            ? "Device '" + device->Name + "' can't be removed from the system. It is possible in use."
                            : CannotRemoveOne;
        return false;
    };
    if (int32_t r = cs_qvl_query_remove(Handle, 1, list); r != 0)
        return refuse(r);
    if (int32_t r = cs_qvl_remove_devices(Handle, 1, list); r != 0)
        return refuse(r);
    ResultMessage = "The '" + DeviceName(id) + "' device can now be safely removed from the system. ";
    Reload();
    return true;
}

int TRAIDSystem::NotifyErrorClosed()
{
    uint8_t settings[8] = {};
    return cs_qvl_set_device_info(Handle, 0, settings);
}

int TRAIDSystem::Disconnect() { return cs_qvl_disconnect_system(Handle); }

LibraryCheck CheckClientLibrary()
{
    LibInfo info{};
    if (cs_qvl_get_lib_info(&info) != 0)
        return LibraryCheck::NoAnswer;
    if (info.version != QVL_LIB_VERSION)
        return LibraryCheck::OtherVersion;
    return info.mode == QVL_MODE_LOCAL ? LibraryCheck::Usable : LibraryCheck::OtherMode;
}
