// The library frame: version record, the not-supported answers, and the device operations
// that pass through to the driver untouched.
#include <winsock2.h>
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>

#include "qvlclient.h"
#include "support/simSystem.h"

using qvltest::DriverCalls;
using qvltest::Raw;

namespace {

TEST(LibInfo, ReportsLoadedLocalModeAndThePlatform)
{
    std::array<uint8_t, 12> buf;
    buf.fill(0xAA);
    ASSERT_EQ(cs_qvl_get_lib_info(reinterpret_cast<LibInfo *>(buf.data())), 0);
    LibInfo info;
    std::memcpy(&info, buf.data(), sizeof info);
    EXPECT_EQ(info.version, 0x1000000u);
    EXPECT_EQ(info.mode, 1);
    OSVERSIONINFOA os{};
    os.dwOSVersionInfoSize = sizeof os;
    ASSERT_TRUE(GetVersionExA(&os));
    EXPECT_EQ(info.platform, os.dwPlatformId);
    EXPECT_EQ(buf[6], 0);
    EXPECT_EQ(buf[7], 0);
    for (size_t i = 8; i < buf.size(); ++i)
        EXPECT_EQ(buf[i], 0xAA) << "byte " << i << " is beyond the record";
}

TEST(Connection, ConnectAndDisconnectSucceedForAnyHandle)
{
    for (uint32_t h : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(cs_qvl_connect_system(h), 0);
        EXPECT_EQ(cs_qvl_disconnect_system(h), 0);
    }
}

// Each unserved export, called with (handle, a, b, c): the values are either zero (null) or
// the addresses of patterned buffers, which must come back untouched.
struct Unserved {
    const char *name;
    std::function<int32_t(uint32_t, uint32_t, uint32_t, uint32_t)> call;
};

const Unserved kUnserved[] = {
    {"get_server_param", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_get_server_param(h, a); }},
    {"set_server_param", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_set_server_param(h, a); }},
    {"get_current_user", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_get_current_user(h, a); }},
    {"enum_user", [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_enum_user(h, a, b); }},
    {"set_user", [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_set_user(h, a, b); }},
    {"enable_event_notify",
     [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_enable_event_notify(h, a); }},
    {"get_smtp_server", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_get_smtp_server(h, a); }},
    {"set_smtp_server", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_set_smtp_server(h, a); }},
    {"enum_mail_recipient",
     [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_enum_mail_recipient(h, a, b); }},
    {"set_mail_recipients",
     [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_set_mail_recipients(h, a, b); }},
    {"test_mail", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_test_mail(h, a); }},
    {"enum_tasks", [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_enum_tasks(h, a, b); }},
    {"set_task", [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_set_task(h, a, b); }},
    {"get_bay_info",
     [](uint32_t h, uint32_t a, uint32_t b, uint32_t) {
         return cs_qvl_get_bay_info(h, a, reinterpret_cast<BayInfo *>(static_cast<uintptr_t>(b)));
     }},
    {"set_bay_info", [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_set_bay_info(h, a, b); }},
    {"lock_device", [](uint32_t h, uint32_t a, uint32_t b, uint32_t c) { return cs_qvl_lock_device(h, a, b, c); }},
    {"unlock_device", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_unlock_device(h, a); }},
    {"ide_pass_through", [](uint32_t h, uint32_t a, uint32_t, uint32_t) { return cs_qvl_ide_pass_through(h, a); }},
    {"add_dedicated_spare",
     [](uint32_t h, uint32_t a, uint32_t b, uint32_t) { return cs_qvl_add_dedicated_spare(h, a, b); }},
};

TEST(NotSupported, EveryUnservedExportAnswersMinusOneAndWritesNothing)
{
    for (const Unserved &u : kUnserved) {
        SCOPED_TRACE(u.name);
        EXPECT_EQ(u.call(0, 0, 0, 0), -1) << "null arguments";
        std::array<std::array<uint8_t, 64>, 3> bufs;
        for (auto &b : bufs)
            b.fill(0xCC);
        qvlsim_clear_calls();
        EXPECT_EQ(u.call(0xFFFFFFFF, Raw(bufs[0].data()), Raw(bufs[1].data()), Raw(bufs[2].data())), -1);
        for (auto &b : bufs)
            EXPECT_THAT(b, testing::Each(0xCC));
        EXPECT_TRUE(DriverCalls().empty()) << "the driver must not be asked";
    }
}

// A pass-through export, the driver operation it must reach, and the 32-bit values that the
// driver must see (the export's arguments without the handle).
struct PassThrough {
    const char *name;
    QvlSimOperation op;
    std::function<int32_t(uint32_t h)> call;
    std::vector<uint32_t> args;
};

class PassThroughTest : public testing::Test {
protected:
    DriverCapabilities caps{};
    ControllerRecord controller{};
    ChannelRecord channel{};
    DeviceId list[4] = {0x1001, 0, 0, 0};
    DeviceInfo info{};
    uint8_t settings[8]{};

    std::vector<PassThrough> Cases()
    {
        return {
            {"get_version", QVLSIM_OP_GET_VERSION, [](uint32_t h) { return cs_qvl_get_version(h); }, {}},
            {"get_driver_capabilities",
             QVLSIM_OP_GET_DRIVER_CAPABILITIES,
             [this](uint32_t h) { return cs_qvl_get_driver_capabilities(h, &caps); },
             {Raw(&caps)}},
            {"get_controller_count",
             QVLSIM_OP_GET_CONTROLLER_COUNT,
             [](uint32_t h) { return cs_qvl_get_controller_count(h); },
             {}},
            {"get_controller_info",
             QVLSIM_OP_GET_CONTROLLER_INFO,
             [this](uint32_t h) { return cs_qvl_get_controller_info(h, 7, &controller); },
             {7, Raw(&controller)}},
            {"get_channel_info",
             QVLSIM_OP_GET_CHANNEL_INFO,
             [this](uint32_t h) { return cs_qvl_get_channel_info(h, 1, 3, &channel); },
             {1, 3, Raw(&channel)}},
            {"get_logical_devices",
             QVLSIM_OP_GET_LOGICAL_DEVICES,
             [this](uint32_t h) { return cs_qvl_get_logical_devices(h, list, 4); },
             {Raw(list), 4}},
            {"get_device_info",
             QVLSIM_OP_GET_DEVICE_INFO,
             [this](uint32_t h) { return cs_qvl_get_device_info(h, 0x1234, &info); },
             {0x1234, Raw(&info)}},
            {"create_array", QVLSIM_OP_CREATE_ARRAY, [](uint32_t h) { return cs_qvl_create_array(h, 0xA1); }, {0xA1}},
            {"delete_array",
             QVLSIM_OP_DELETE_ARRAY,
             [](uint32_t h) { return cs_qvl_delete_array(h, 0xB2, 0xB3); },
             {0xB2, 0xB3}},
            {"add_disk_to_array",
             QVLSIM_OP_ADD_DISK_TO_ARRAY,
             [](uint32_t h) { return cs_qvl_add_disk_to_array(h, 0xC1, 0xC2); },
             {0xC1, 0xC2}},
            {"add_spare_disk",
             QVLSIM_OP_ADD_SPARE_DISK,
             [](uint32_t h) { return cs_qvl_add_spare_disk(h, 0xD1); },
             {0xD1}},
            {"remove_spare_disk",
             QVLSIM_OP_REMOVE_SPARE_DISK,
             [](uint32_t h) { return cs_qvl_remove_spare_disk(h, 0xD2); },
             {0xD2}},
            {"set_array_state",
             QVLSIM_OP_SET_ARRAY_STATE,
             [](uint32_t h) { return cs_qvl_set_array_state(h, 0xE1, 0xE2); },
             {0xE1, 0xE2}},
            {"set_array_info",
             QVLSIM_OP_SET_ARRAY_INFO,
             [](uint32_t h) { return cs_qvl_set_array_info(h, 0xF1, 0xF2); },
             {0xF1, 0xF2}},
            {"set_device_info",
             QVLSIM_OP_SET_DEVICE_INFO,
             [this](uint32_t h) { return cs_qvl_set_device_info(h, 0, settings); },
             {0, Raw(settings)}},
            {"rescan_devices", QVLSIM_OP_RESCAN_DEVICES, [](uint32_t h) { return cs_qvl_rescan_devices(h); }, {}},
            {"query_remove",
             QVLSIM_OP_QUERY_REMOVE,
             [this](uint32_t h) { return cs_qvl_query_remove(h, 1, list); },
             {1, Raw(list)}},
            {"remove_devices",
             QVLSIM_OP_REMOVE_DEVICES,
             [this](uint32_t h) { return cs_qvl_remove_devices(h, 1, list); },
             {1, Raw(list)}},
        };
    }

    void SetUp() override
    {
        ASSERT_EQ(qvlsim_reset(), 0);
        qvlsim_inject_clear();
    }
    void TearDown() override { qvlsim_inject_clear(); }

    // Calls the export and checks that the driver saw exactly one call, with our values.
    void ExpectOneDriverCall(const PassThrough &c, uint32_t handle, int32_t expected, bool checkResult)
    {
        qvlsim_clear_calls();
        int32_t result = c.call(handle);
        auto calls = DriverCalls();
        ASSERT_EQ(calls.size(), 1u) << "one export, one driver call";
        EXPECT_EQ(calls[0].operation, static_cast<uint32_t>(c.op));
        ASSERT_EQ(calls[0].argc, c.args.size());
        for (size_t i = 0; i < c.args.size(); ++i)
            EXPECT_EQ(calls[0].args[i], c.args[i]) << "argument " << i;
        EXPECT_EQ(result, calls[0].result) << "the driver's result comes back unchanged";
        if (checkResult) {
            EXPECT_EQ(result, expected);
        }
    }
};

TEST_F(PassThroughTest, ArgumentsReachTheDriverUnchangedAndInOrder)
{
    for (const PassThrough &c : Cases())
        for (uint32_t handle : {0u, 0xDEADBEEFu}) {
            SCOPED_TRACE(std::string(c.name) + " handle " + std::to_string(handle));
            ExpectOneDriverCall(c, handle, 0, false);
        }
}

TEST_F(PassThroughTest, DriverResultsComeBackUnchangedNegativesAndCountsIncluded)
{
    for (const PassThrough &c : Cases())
        for (int32_t code : {-1, -12345, 1, 2, 77, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)}) {
            SCOPED_TRACE(std::string(c.name) + " code " + std::to_string(code));
            ASSERT_EQ(qvlsim_inject(c.op, code, 0), 0);
            ExpectOneDriverCall(c, 0, code, true);
            qvlsim_inject_clear();
        }
}

TEST_F(PassThroughTest, WithoutControllersOnlyTheCountIsAsked)
{
    qvltest::LoadScenario("capabilities max_controllers=4\n");
    qvlsim_clear_calls();
    EXPECT_EQ(cs_qvl_get_controller_count(0), 0);
    auto calls = DriverCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].operation, static_cast<uint32_t>(QVLSIM_OP_GET_CONTROLLER_COUNT));
}

TEST_F(PassThroughTest, RecordsArriveFilledFromTheDriver)
{
    // The demo system through the library, with handle 0: the records the console reads.
    caps.size = sizeof caps;
    ASSERT_EQ(cs_qvl_get_driver_capabilities(0, &caps), 0);
    EXPECT_NE(caps.features & QVL_FEATURE_HOT_SWAP, 0);
    int32_t controllers = cs_qvl_get_controller_count(0);
    ASSERT_GT(controllers, 0);
    ASSERT_EQ(cs_qvl_get_controller_info(0, 0, &controller), 0);
    ASSERT_GT(controller.channelCount, 0);
    ASSERT_EQ(cs_qvl_get_channel_info(0, 0, 0, &channel), 0);
    ASSERT_TRUE(qvl_valid_id(channel.master));
    ASSERT_EQ(cs_qvl_get_device_info(0, channel.master, &info), 0);
    EXPECT_EQ(info.kind, QVL_KIND_DISK);
    EXPECT_EQ(info.u.disk.controller, 0);
    EXPECT_EQ(info.u.disk.channel, 0);
    EXPECT_EQ(info.u.disk.position, 0);
    EXPECT_NE(cs_qvl_get_controller_info(0, static_cast<uint32_t>(controllers), &controller), 0);
}

// A host that uses sockets, and loads and frees the library (a copy of it, since this program
// keeps the original loaded), keeps its Winsock.
TEST(LibraryUnload, LeavesTheHostsWinsockWorking)
{
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    char original[MAX_PATH], temp[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(GetModuleHandleA("qvlclient.dll"), original, sizeof original), 0u);
    ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
    const std::string copy = std::string(temp) + "qvlclient_unload.dll";
    ASSERT_TRUE(CopyFileA(original, copy.c_str(), FALSE));
    HMODULE lib = LoadLibraryA(copy.c_str());
    ASSERT_NE(lib, nullptr);
    FreeLibrary(lib);
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    EXPECT_NE(s, INVALID_SOCKET) << "Winsock error " << WSAGetLastError();
    if (s != INVALID_SOCKET)
        closesocket(s);
    // The host's own session is still there to end (10093 once the library has ended it).
    EXPECT_EQ(WSACleanup(), 0) << "Winsock error " << WSAGetLastError();
    DeleteFileA(copy.c_str());
}

} // namespace
