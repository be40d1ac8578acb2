#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "appDir.h"
#include "support/importPatch.h"
#include "modelTest.h"
#include "qvlclient.h"
#include "systemUnit.h"

namespace {

using Calls = std::vector<std::string>;

// Controller 0 fails; controller 1 takes position 0 and keeps its driver index 1.
const char *const Mixed = "capabilities max_controllers=4 features=0x08\n"
                          "controller chip=1 irq=5 channels=2 fail=-1\n"
                          "controller chip=2 irq=6 channels=3\n"
                          "controller chip=3 irq=7 channels=1\n"
                          "channel controller=1 index=1 fail=-1\n"
                          "disk id=0x41 controller=0 channel=0 position=0 model=\"On the failed controller\"\n"
                          "disk id=0x42 controller=1 channel=0 position=1 fail=-1\n"
                          "disk id=0x43 controller=1 channel=2 position=0 model=\"Second\"\n"
                          "disk id=0x44 controller=2 channel=0 position=0 model=\"Third\"\n";

const Calls MixedEnumeration = {
    "get_controller_count()",
    "get_controller_info(0)",
    "get_controller_info(1)",
    "get_channel_info(1,0)",
    "get_channel_info(1,1)",
    "get_channel_info(1,2)",
    "get_controller_info(2)",
    "get_channel_info(2,0)",
    // channels, by each controller's driver index
    "get_channel_info(1,0)",
    "get_channel_info(1,1)",
    "get_channel_info(1,2)",
    "get_channel_info(2,0)",
    // devices: channel by channel, master before slave, empty positions not asked for
    "get_device_info(42)",
    "get_device_info(43)",
    "get_device_info(44)",
};

TEST(TRAIDSystem, EnumerationOrderAndClosedUpTables)
{
    LoadScenario(Mixed);
    TRAIDSystem system(0);
    Calls want = {"get_driver_capabilities()"};
    want.insert(want.end(), MixedEnumeration.begin(), MixedEnumeration.end());
    EXPECT_EQ(DriverCalls(), want);

    EXPECT_TRUE(system.HotSwapSupported);
    ASSERT_EQ(system.ControllerCount(), 2);
    EXPECT_EQ(system.Controllers[0]->Id, 1u);
    EXPECT_EQ(system.Controllers[1]->Id, 2u);
    EXPECT_EQ(system.Controllers[2], nullptr);
    ASSERT_EQ(system.ChannelCount(), 3);
    EXPECT_EQ(system.Controllers[0]->ChildCount(), 2);
    EXPECT_EQ(system.Controllers[0]->Child(1), system.Channels[1]);
    EXPECT_EQ(system.Channels[0]->Parent, system.Controllers[0]);
    EXPECT_EQ(system.Channels[2]->Parent, system.Controllers[1]);
    ASSERT_EQ(system.DeviceCount(), 2);
    EXPECT_EQ(system.Devices[0]->Name, "Second");
    EXPECT_EQ(system.Devices[1]->Name, "Third");
    EXPECT_EQ(system.Channels[0]->ChildCount(), 0);
    EXPECT_EQ(system.Channels[1]->Child(0), system.Devices[0]);
    EXPECT_EQ(system.Devices[1]->Parent, system.Channels[2]);
    EXPECT_EQ(system.FindDevice(0x43), system.Devices[0]);
    EXPECT_EQ(system.FindDevice(0x42), nullptr);
}

// Every channel under a controller is that controller's own: its port and its disks.
TEST(TRAIDSystem, ChannelsAfterAFailedControllerAreNotAnothersChannels)
{
    LoadScenario("controller chip=1 irq=5 channels=2 fail=-1\n"
                 "controller chip=1 irq=5 channels=2\ncontroller chip=1 irq=5 channels=2\n"
                 "channel controller=0 index=0 io=0x1000\nchannel controller=0 index=1 io=0x1010\n"
                 "channel controller=1 index=0 io=0x1100\nchannel controller=1 index=1 io=0x1110\n"
                 "channel controller=2 index=0 io=0x1200\nchannel controller=2 index=1 io=0x1210\n"
                 "disk id=0x50 controller=0 channel=1 position=0\n"
                 "disk id=0x51 controller=1 channel=1 position=0\n"
                 "disk id=0x52 controller=2 channel=0 position=1\n"
                 "disk id=0x53 controller=2 channel=1 position=0\n");
    TRAIDSystem system(0);
    ASSERT_EQ(system.ChannelCount(), 4);
    for (int c = 0; c < system.ChannelCount(); ++c) {
        const TChannel *channel = system.Channels[c];
        const auto *controller = static_cast<const TController *>(channel->Parent);
        SCOPED_TRACE("channel " + std::to_string(c));
        char port[16];
        std::snprintf(port, sizeof port, "1%u%u0h", controller->Id, static_cast<unsigned>(c % 2));
        EXPECT_EQ(channel->Info.IoPortStr, port);
    }
    ASSERT_EQ(system.DeviceCount(), 3);
    for (int d = 0; d < system.DeviceCount(); ++d) {
        const TDevice *device = system.Devices[d];
        SCOPED_TRACE(device->Id);
        const auto *controller = static_cast<const TController *>(device->Parent->Parent);
        EXPECT_EQ(static_cast<int>(controller->Id), device->Info.Controller);
        EXPECT_EQ(static_cast<const TChannel *>(device->Parent)->ChannelIndex, device->Info.Channel);
    }
    EXPECT_EQ(system.FindDevice(0x50), nullptr) << "its controller is not shown";
}

// Empty positions carry 0 or 0xFFFFFFFF; a driver that answers for them must not make a disk.
// The fakes reach the library through its exports, not through the patched imports.
template <typename F> F Export(const char *name)
{
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("qvlclient.dll"), name)));
}
int g_emptyQueries = 0;
int32_t __cdecl AnswersEveryIdentifier(uint32_t h, DeviceId id, DeviceInfo *info)
{
    if (id == 0 || id == 0xFFFFFFFFu) {
        ++g_emptyQueries;
        std::memset(info, 0, sizeof *info);
        info->kind = QVL_KIND_DISK;
        info->u.disk.deviceType = QVL_DEVTYPE_HDD;
        return 0;
    }
    static const auto real = Export<decltype(&cs_qvl_get_device_info)>("cs_qvl_get_device_info");
    return real(h, id, info);
}
int32_t __cdecl ZeroForEmptyMasters(uint32_t h, uint32_t controller, uint32_t channel, ChannelRecord *rec)
{
    static const auto real = Export<decltype(&cs_qvl_get_channel_info)>("cs_qvl_get_channel_info");
    int32_t r = real(h, controller, channel, rec);
    if (r == 0 && rec->master == 0xFFFFFFFFu)
        rec->master = 0;
    return r;
}

TEST(TRAIDSystem, EmptyPositionsAreNeverAskedForOrShown)
{
    LoadScenario("controller chip=1 irq=5 channels=2\n"
                 "disk id=0x61 controller=0 channel=0 position=0\n"
                 "disk id=0x62 controller=0 channel=1 position=1\n");
    qvltest::ImportPatch device(nullptr, "qvlclient.dll", "cs_qvl_get_device_info",
                                reinterpret_cast<void *>(AnswersEveryIdentifier));
    qvltest::ImportPatch channel(nullptr, "qvlclient.dll", "cs_qvl_get_channel_info",
                                 reinterpret_cast<void *>(ZeroForEmptyMasters));
    ASSERT_TRUE(device.ok() && channel.ok());
    g_emptyQueries = 0;
    TRAIDSystem system(0);
    EXPECT_EQ(g_emptyQueries, 0);
    ASSERT_EQ(system.DeviceCount(), 2);
    EXPECT_EQ(system.Devices[0]->Id, 0x61u);
    EXPECT_EQ(system.Devices[1]->Id, 0x62u);
    EXPECT_EQ(system.Channels[1]->ChildCount(), 1);
}

TEST(TRAIDSystem, ReloadRepeatsEnumerationAndRefreshesThePage)
{
    LoadScenario(Mixed);
    TRAIDSystem system(0);
    int refreshed = 0;
    system.RefreshCurrentPage = [&] { ++refreshed; };
    qvlsim_clear_calls();
    EXPECT_EQ(system.Reload(), 0);
    EXPECT_EQ(DriverCalls(), MixedEnumeration);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(system.DeviceCount(), 2);

    qvlsim_clear_calls();
    system.Rescan();
    Calls want = {"rescan_devices()"};
    want.insert(want.end(), MixedEnumeration.begin(), MixedEnumeration.end());
    EXPECT_EQ(DriverCalls(), want);
    EXPECT_EQ(refreshed, 2);
}

TEST(TRAIDSystem, TableCapacities)
{
    const struct {
        const char *label;
        const char *scenario;
        bool failCapabilities;
        int max, controllers;
        bool hotSwap;
    } cases[] = {
        {"more controllers than the driver handles",
         "capabilities max_controllers=2 features=0x08\n"
         "controller chip=1 irq=5 channels=1\ncontroller chip=1 irq=5 channels=1\n"
         "controller chip=1 irq=5 channels=1\n",
         false, 2, 2, true},
        {"capabilities fail", "capabilities max_controllers=2 features=0x08\ncontroller chip=1 irq=5 channels=1\n",
         true, 4, 1, false},
        {"no hot swap bit", "capabilities max_controllers=6 features=0x05\n", false, 6, 0, false},
        {"no controllers at all", "capabilities max_controllers=0 features=0x08\n", false, 0, 0, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        LoadScenario(c.scenario);
        if (c.failCapabilities)
            qvlsim_inject(QVLSIM_OP_GET_DRIVER_CAPABILITIES, -1, 1);
        TRAIDSystem system(0);
        EXPECT_EQ(system.MaxControllers, c.max);
        EXPECT_EQ(system.HotSwapSupported, c.hotSwap);
        EXPECT_EQ(system.Controllers.Capacity(), c.max);
        EXPECT_EQ(system.Channels.Capacity(), 8 * c.max);
        EXPECT_EQ(system.Devices.Capacity(), 16 * c.max);
        EXPECT_EQ(system.ControllerCount(), c.controllers);
        const auto calls = DriverCalls();
        EXPECT_EQ(CountCalls(calls, "get_controller_info"), c.controllers);
    }
}

TEST(TRAIDSystem, CapacitiesStayAcrossReload)
{
    LoadScenario("capabilities max_controllers=1\ncontroller chip=1 irq=5 channels=1\n");
    TRAIDSystem system(0);
    LoadScenario("capabilities max_controllers=8\ncontroller chip=1 irq=5 channels=1\n"
                 "controller chip=1 irq=5 channels=1\n");
    system.Reload();
    EXPECT_EQ(system.Controllers.Capacity(), 1);
    EXPECT_EQ(system.ControllerCount(), 1);
    EXPECT_EQ(system.Devices.Capacity(), 16);
}

TEST(TRAIDSystem, EightChannelsOnEveryControllerKeepAllTheirDisks)
{
    std::string scenario = "capabilities max_controllers=4 features=0x08\n";
    for (int c = 0; c < 4; ++c) {
        scenario += "controller chip=1 irq=5 channels=8\n";
        for (int h = 0; h < 8; ++h) {
            char disk[80];
            std::snprintf(disk, sizeof disk, "disk id=0x%d controller=%d channel=%d position=%d\n", 1000 + 10 * c + h,
                          c, h, h % 2);
            scenario += disk;
        }
    }
    LoadScenario(scenario);
    TRAIDSystem system(0);
    EXPECT_EQ(system.Channels.Capacity(), 32);
    EXPECT_EQ(system.ChannelCount(), 32);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(system.Controllers[c]->ChildCount(), 8);
    ASSERT_EQ(system.DeviceCount(), 32);
    EXPECT_NE(system.FindDevice(0x1037), nullptr) << "the last disk of the last controller";
}

TEST(TRAIDSystem, UnplugResults)
{
    const std::string busy = "Device 'Rack Disk' can't be removed from the system. It is possible in use.";
    const std::string one = "One device can't be removed from the system. It is possible in use.";
    const struct {
        const char *label;
        int32_t query, remove; // 99: not injected
        bool result;
        std::string message;
        bool removeCalled;
    } cases[] = {
        {"query names the device", 1, 99, false, busy, false},
        {"query names a position beyond the list", 2, 99, false, one, false},
        {"query fails", -1, 99, false, one, false},
        {"query gives a large position", 0x7FFFFFFF, 99, false, one, false},
        {"remove names the device", 0, 1, false, busy, true},
        {"remove names a position beyond the list", 0, 2, false, one, true},
        {"remove fails", 0, -5, false, one, true},
        {"both succeed", 0, 0, true, "The 'Rack Disk' device can now be safely removed from the system. ", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        LoadScenario("controller chip=1 irq=5 channels=1\n"
                     "disk id=0x71 controller=0 channel=0 position=0 model=\"Rack Disk\" rack=1\n");
        TRAIDSystem system(0);
        int refreshed = 0;
        system.RefreshCurrentPage = [&] { ++refreshed; };
        qvlsim_inject(QVLSIM_OP_QUERY_REMOVE, c.query, 1);
        if (c.remove != 99)
            qvlsim_inject(QVLSIM_OP_REMOVE_DEVICES, c.remove, 1);
        qvlsim_clear_calls();
        EXPECT_EQ(system.Unplug(0x71), c.result);
        EXPECT_EQ(system.ResultMessage, c.message);
        EXPECT_EQ(refreshed, c.result ? 1 : 0);
        const auto calls = DriverCalls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[0], "query_remove(1)");
        EXPECT_EQ(CountCalls(calls, "remove_devices"), c.removeCalled ? 1 : 0);
        EXPECT_EQ(CountCalls(calls, "get_controller_count"), c.result ? 1 : 0);
    }
}

TEST(TRAIDSystem, UnplugForReal)
{
    LoadScenario("controller chip=1 irq=5 channels=1\n"
                 "disk id=0x71 controller=0 channel=0 position=0 model=\"Rack Disk\" rack=1\n"
                 "disk id=0x72 controller=0 channel=0 position=1 model=\"Busy Disk\" busy=1\n");
    TRAIDSystem system(0);
    EXPECT_FALSE(system.Unplug(0x72));
    EXPECT_EQ(system.ResultMessage, "Device 'Busy Disk' can't be removed from the system. It is possible in use.");
    EXPECT_EQ(system.DeviceCount(), 2);
    EXPECT_TRUE(system.Unplug(0x71));
    EXPECT_EQ(system.DeviceCount(), 1);
    EXPECT_EQ(system.FindDevice(0x71), nullptr);
    // A device the tables do not hold is named by its identifier.
    qvlsim_inject(QVLSIM_OP_QUERY_REMOVE, 0, 1);
    qvlsim_inject(QVLSIM_OP_REMOVE_DEVICES, 0, 1);
    EXPECT_TRUE(system.Unplug(0xABC));
    EXPECT_EQ(system.ResultMessage, "The 'ABCh' device can now be safely removed from the system. ");
    qvlsim_inject(QVLSIM_OP_QUERY_REMOVE, 1, 1);
    EXPECT_FALSE(system.Unplug(0xABC));
    EXPECT_EQ(system.ResultMessage, "One device can't be removed from the system. It is possible in use.");
}

TEST(TRAIDSystem, ConnectAndTemporaryFile)
{
    LoadScenario("controller chip=1 irq=5 channels=1\n");
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    AppDir = temp;
    if (AppDir.back() != '\\')
        AppDir += '\\';
    const std::string file = AppDir + "10001.tmp";
    {
        auto system = std::make_unique<TRAIDSystem>(0);
        system->Connect("", "10.0.0.1");
        EXPECT_EQ(system->DisplayName, "10.0.0.1");
        EXPECT_EQ(system->HostName, "10.0.0.1");
        EXPECT_EQ(system->TempFileName, file);
        EXPECT_LE(system->OsText.size(), 63u);
        system->Connect("Local host", "Local host");
        EXPECT_EQ(system->DisplayName, "Local host");
        EXPECT_EQ(system->TempFileName, AppDir + "Local host.tmp");
        system->Connect("Shown", "a.b.c");
        EXPECT_EQ(system->DisplayName, "Shown");
        EXPECT_EQ(system->TempFileName, AppDir + "abc.tmp");

        const std::string made = AppDir + "abc.tmp";
        HANDLE h = CreateFileA(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        ASSERT_NE(GetFileAttributesA(made.c_str()), INVALID_FILE_ATTRIBUTES);
        system.reset();
        EXPECT_EQ(GetFileAttributesA(made.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    AppDir.clear();
}

TEST(TRAIDSystem, NotifyErrorClosedAndSystemPicture)
{
    LoadScenario("controller chip=1 irq=5 channels=1\n");
    TRAIDSystem system(0, &PlainPictures);
    qvlsim_clear_calls();
    system.NotifyErrorClosed();
    EXPECT_EQ(DriverCalls(), Calls{"set_device_info(0)"});
    ASSERT_TRUE(system.SystemBitmap);
    EXPECT_EQ(qvl::PictureSize(system.SystemBitmap.get()).cx, 24);
}

TEST(DeviceObjects, CopiesAndChildTables)
{
    LoadScenario("controller chip=2 irq=9 channels=2 product=\"P\" manufacturer=\"M\"\n"
                 "channel controller=0 index=0 io=0x1F0\n"
                 "disk id=0x81 controller=0 channel=0 position=0 model=\"Disk\" rack=1 bootable=1\n"
                 "disk id=0x82 controller=0 channel=0 position=1 type=cdrom\n");
    TRAIDSystem system(0, &PlainPictures);
    ASSERT_EQ(system.ControllerCount(), 1);
    ASSERT_EQ(system.DeviceCount(), 2);

    const TController &live = *system.Controllers[0];
    TController controller(live);
    EXPECT_TRUE(controller.IsCopy);
    EXPECT_EQ(controller.System, nullptr);
    EXPECT_EQ(controller.Kind, 5);
    EXPECT_EQ(controller.Name, "Controller 1");
    EXPECT_EQ(controller.Info.Product, "P");
    EXPECT_EQ(controller.Info.ChipName, live.Info.ChipName);
    EXPECT_EQ(controller.Info.ChipCode, 0);               // not copied
    EXPECT_EQ(controller.Info.Channels[0].IoPortStr, ""); // not copied
    EXPECT_EQ(controller.ChildCount(), 0);
    ASSERT_TRUE(controller.Picture);
    EXPECT_NE(controller.Picture.get(), live.Picture.get());

    TChannel channel(*system.Channels[0]);
    EXPECT_EQ(channel.Parent, nullptr);
    EXPECT_EQ(channel.Info.IoPortStr, "1F0h");
    EXPECT_EQ(channel.Info.DeviceCount, 2);
    EXPECT_EQ(channel.ChildCount(), 0);

    TDevice device(*system.Devices[0]);
    EXPECT_TRUE(device.InRack);
    EXPECT_EQ(device.Info.StatusStr, "Available,Bootable");
    EXPECT_EQ(device.Info.LocationStr, "Controller 1, Channel 1, Master");
    EXPECT_EQ(device.Parent, nullptr);
    ASSERT_TRUE(device.Picture);
    EXPECT_NE(device.Picture.get(), system.Devices[0]->Picture.get());

    // Child tables refuse a 17th channel, a third device and no object at all.
    std::vector<std::unique_ptr<TChannel>> channels;
    for (int i = 0; i < 17; ++i) {
        channels.push_back(std::make_unique<TChannel>(channel));
        EXPECT_EQ(controller.AddChild(channels.back().get()), i < 16 ? i : -1);
    }
    EXPECT_EQ(controller.ChildCount(), 16);
    EXPECT_EQ(channels[16]->Parent, nullptr);
    EXPECT_EQ(controller.AddChild(nullptr), -1);
    EXPECT_EQ(controller.Child(16), nullptr);

    TDevice a(device), b(device), c(device);
    EXPECT_EQ(channel.AddChild(&a), 0);
    EXPECT_EQ(channel.AddChild(&b), 1);
    EXPECT_EQ(channel.AddChild(&c), -1);
    EXPECT_EQ(channel.AddChild(nullptr), -1);
    EXPECT_EQ(channel.ChildCount(), 2);
    EXPECT_EQ(c.Parent, nullptr);
    EXPECT_EQ(channel.Child(2), nullptr);
}

TEST(DeviceObjects, FailedReadsLeaveObjectsInvalid)
{
    LoadScenario("controller chip=1 irq=5 channels=1\nchannel controller=0 index=0 fail=-1\n");
    EXPECT_FALSE(TController(nullptr, 0, 1).Valid);
    TChannel channel(nullptr, 0, 0, 0);
    EXPECT_FALSE(channel.Valid);
    EXPECT_EQ(channel.Refresh(), 1);
    EXPECT_EQ(channel.Id, 0u);
    EXPECT_EQ(TChannel(nullptr, 0, 0, 3).Id, 33u);
    EXPECT_FALSE(TDevice(nullptr, 0, 0xFFFFFFFFu).Valid);
}

} // namespace
