// A state file that anyone may write: corrupted counts and indexes never make an operation read
// or write outside the shared block. An invalid state is made afresh, and show says why.
#include <windows.h>

#include <cstddef>
#include <random>

#include "simFixture.h"
#include "simState.h"

namespace {

using qvlsim::SimState;

// The shared block itself, as another process (or a stray write into the file) would see it.
class StateView {
public:
    StateView()
    {
        char instance[64] = "default";
        GetEnvironmentVariableA("QVLDEV_INSTANCE", instance, sizeof instance);
        mapping_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, (std::string("qvldev-") + instance + "-state").c_str());
        if (mapping_)
            view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SimState));
    }
    ~StateView()
    {
        if (view_)
            UnmapViewOfFile(view_);
        if (mapping_)
            CloseHandle(mapping_);
    }
    StateView(const StateView &) = delete;
    StateView &operator=(const StateView &) = delete;
    SimState *get() const { return static_cast<SimState *>(view_); }
    uint8_t *bytes() const { return static_cast<uint8_t *>(view_); }

private:
    HANDLE mapping_ = nullptr;
    void *view_ = nullptr;
};

// Every operation and control once, with arguments that reach into the tables.
void CallEverything()
{
    DriverCapabilities caps;
    qvl_get_driver_capabilities(&caps);
    ControllerRecord controller;
    ChannelRecord channel;
    for (uint32_t c = 0; c < 3; ++c) {
        qvl_get_controller_info(c, &controller);
        for (uint32_t h = 0; h < 3; ++h)
            qvl_get_channel_info(c, h, &channel);
    }
    std::vector<uint8_t> info(QVL_DEVICE_INFO_BUFFER);
    for (DeviceId id : {0x101u, 0x115u, 0x201u, 0x210u, 0x999u})
        qvl_get_device_info(id, reinterpret_cast<DeviceInfo *>(info.data()));
    DeviceId list[64];
    qvl_get_logical_devices(list, 64);
    DeviceId one[] = {0x115u};
    qvl_query_remove(1, one);
    qvl_rescan_devices();
    DeviceEvent event;
    for (int i = 0; i < 3; ++i)
        qvl_get_event(&event);
    qvlsim_queue_event(1, 0x101, nullptr, 0);
    qvlsim_pending_events();
    char text[256];
    qvlsim_state_error(text, sizeof text);
    std::vector<QvlSimCall> calls(QVLSIM_CALL_RECORD);
    qvlsim_calls(calls.data(), static_cast<uint32_t>(calls.size()));
    qvlsim_show(nullptr, 0);
}

class CorruptState : public SimTest {};

TEST_F(CorruptState, CountsAndIndexesOutsideTheTablesAreMadeAfresh)
{
    struct Case {
        const char *label;
        void (*corrupt)(SimState &);
        const char *reason; // part of show's note
    };
    const Case cases[] = {
        {"controllers past the table", [](SimState &s) { s.controllerCount = 0x7FFFFFFF; }, "controllers, past"},
        {"channels past the table", [](SimState &s) { s.controllers[1].channelCount = 200; }, "channels, past"},
        {"disks past the table", [](SimState &s) { s.diskCount = 100000; }, "disks, past"},
        {"a disk on controller 99", [](SimState &s) { s.disks[0].controller = 99; }, "out of range"},
        {"a disk at position 7", [](SimState &s) { s.disks[2].position = 7; }, "out of range"},
        {"arrays past the table", [](SimState &s) { s.arrayCount = 257; }, "arrays, past"},
        {"members past the table", [](SimState &s) { s.arrays[0].memberCount = 200; }, "members, past"},
        {"event head out of range", [](SimState &s) { s.eventHead = 5000; }, "event queue"},
        {"event count past the queue", [](SimState &s) { s.eventCount = 1025; }, "event queue"},
        {"raw devices past the table", [](SimState &s) { s.rawDeviceCount = 999; }, "raw devices"},
        {"call record index out of range", [](SimState &s) { s.callNext = 0xFFFFFFF0u; }, "call record"},
        {"call count past the record", [](SimState &s) { s.callCount = 0x10000; }, "call record"},
        {"type list past the table", [](SimState &s) { s.typeCount = 300; }, "type list"},
        {"reason text without an end", [](SimState &s) { std::memset(s.error, 'x', sizeof s.error); }, "reason text"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(qvlsim_reset(), 0);
        {
            StateView view;
            ASSERT_NE(view.get(), nullptr);
            c.corrupt(*view.get());
        }
        CallEverything();
        const std::string text = show();
        EXPECT_NE(text.find("# the stored state was invalid ("), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_NE(text.find("disk id=0x115 "), std::string::npos) << "a fresh demo system";
        ASSERT_EQ(qvlsim_reset(), 0);
        EXPECT_EQ(show().find("# the stored state was invalid"), std::string::npos) << "a reset clears the note";
    }
}

// Loops are states a scenario may make: they are kept and answered, without a hang.
TEST_F(CorruptState, ParentAndMemberLoopsAreKeptAndAnswered)
{
    load("controller chip=1 irq=10 channels=1\n"
         "disk id=0x11 controller=0 channel=0 position=0 type=hdd capacity=10 parent=0x21\n"
         "array id=0x21 level=1 members=0x22 parent=0x22\n"
         "array id=0x22 level=1 members=0x21 parent=0x21\n");
    {
        StateView view;
        ASSERT_NE(view.get(), nullptr);
        view.get()->arrays[0].members[1] = 0x21; // an array among its own members
        view.get()->arrays[0].memberCount = 2;
    }
    CallEverything();
    const std::string text = show();
    EXPECT_EQ(text.find("# the stored state was invalid"), std::string::npos) << text;
    EXPECT_NE(text.find("members=0x22,0x21"), std::string::npos) << text;
}

// Random bytes at random places of the file, 200 rounds from a fixed seed: every call returns.
TEST_F(CorruptState, RandomBytesNeverCrashAnOperation)
{
    std::mt19937 rng(20261209);
    int remade = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        {
            StateView view;
            ASSERT_NE(view.get(), nullptr);
            const int writes = 1 + static_cast<int>(rng() % 8);
            for (int w = 0; w < writes; ++w) {
                // Half the writes aim at the counts and the tables' first records, where a
                // stray value does harm; the rest anywhere in the block.
                const size_t at = rng() % 2 ? rng() % offsetof(SimState, events) : rng() % sizeof(SimState);
                const size_t length = 1 + rng() % 16;
                for (size_t i = 0; i < length && at + i < sizeof(SimState); ++i)
                    view.bytes()[at + i] = static_cast<uint8_t>(rng());
            }
        }
        CallEverything();
        remade += show().find("# the stored state was invalid") != std::string::npos;
        if (round % 20 == 19) {
            ASSERT_EQ(qvlsim_reset(), 0);
        }
    }
    EXPECT_GT(remade, 0) << "some rounds must have hit a count";
}

} // namespace
