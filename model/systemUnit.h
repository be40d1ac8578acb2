// TRAIDSystem: the console's model of the RAID subsystem behind one connection to the client
// library. It owns every live device object and rebuilds them all after any change.
#ifndef QVL_SYSTEMUNIT_H
#define QVL_SYSTEMUNIT_H

#include <cstdint>
#include <functional>
#include <string>

#include "channelUnit.h"
#include "controllerUnit.h"
#include "deviceUnit.h"
#include "objectTable.h"
#include "qvlrecords.h"

class TRAIDSystem {
public:
    // Reads the capabilities and enumerates at once. `pictures` (not owned, may be none)
    // draws the objects' pictures and must outlive the system.
    explicit TRAIDSystem(uint32_t handle, const TPictureComposer *pictures = nullptr);
    TRAIDSystem(const TRAIDSystem &) = delete;
    TRAIDSystem &operator=(const TRAIDSystem &) = delete;
    // Disconnects, destroys every object and deletes the temporary file.
    ~TRAIDSystem();

    void Connect(const std::string &displayName, const std::string &hostName);
    int Reload();
    int Rescan();
    // True when the device was removed; the text for the user is left in ResultMessage.
    bool Unplug(DeviceId id);
    int NotifyErrorClosed();
    int Disconnect();
    TDevice *FindDevice(DeviceId id) const;

    int ControllerCount() const { return Controllers.Count(); }
    int ChannelCount() const { return Channels.Count(); }
    int DeviceCount() const { return Devices.Count(); }

    uint32_t Handle;
    const TPictureComposer *Pictures; // not owned
    DriverCapabilities Capabilities{};
    int MaxControllers = 4;
    bool HotSwapSupported = false;
    std::string DisplayName;
    std::string HostName;
    std::string OsText;
    std::string TempFileName;
    qvl::Bitmap SystemBitmap;
    // Sized once by the constructor (MaxControllers, 8 x MaxControllers, 16 x MaxControllers).
    TObjectTable<TController> Controllers;
    TObjectTable<TChannel> Channels;
    TObjectTable<TDevice> Devices;
    std::string ResultMessage;

    // Set by the main window: rebuilds its current page from the new objects after a reload.
    std::function<void()> RefreshCurrentPage;

private:
    void Enumerate();
    void EnumerateControllers();
    void EnumerateChannels();
    void EnumerateDevices();
    void ClearTables();
    std::string DeviceName(DeviceId id) const;
};

// How the client library answers its version query: the console and qvlctl use only a library
// of this version in local mode.
enum class LibraryCheck { Usable, NoAnswer, OtherVersion, OtherMode };
LibraryCheck CheckClientLibrary();

#endif
