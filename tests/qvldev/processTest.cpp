// One system shared by processes: qvlsim.exe, started as a child, changes what the driver
// calls of this process see, and the other way round.
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "simFixture.h"
#include "support/childProcess.h"

namespace {

using qvltest::Child;
using qvltest::Handle;

// Runs qvlsim.exe with the arguments; the child inherits our environment (QVLDEV_INSTANCE).
Child qvlsim(const std::string &args) { return qvltest::RunBeside("qvlsim.exe", args); }

} // namespace

TEST_F(SimTest, ChildPlugIsSeenHereAfterChildRescan)
{
    Child plug = qvlsim("plug controller=1 channel=3 position=1 capacity=4242 \"model=QVD NEW DISK\"");
    ASSERT_EQ(plug.exitCode, 0u) << plug.err;
    DeviceId id = static_cast<DeviceId>(std::strtoul(plug.out.c_str(), nullptr, 16));
    ASSERT_TRUE(qvl_valid_id(id)) << plug.out;
    EXPECT_EQ(channel(1, 3).slave, QVL_NO_DEVICE);

    qvlsim_clear_calls();
    Child rescan = qvlsim("rescan");
    ASSERT_EQ(rescan.exitCode, 0u) << rescan.err;
    EXPECT_EQ(channel(1, 3).slave, id);
    DeviceInfo d = record(id);
    EXPECT_EQ(d.capacity, 4242u);
    EXPECT_EQ(std::string(d.u.disk.model, 14), "QVD NEW DISK  ");

    // Without model= the disk still has a name for the console's boxes.
    Child bare = qvlsim("plug controller=1 channel=1 position=1");
    ASSERT_EQ(bare.exitCode, 0u) << bare.err;
    ASSERT_EQ(qvlsim("rescan").exitCode, 0u);
    DeviceInfo named = record(static_cast<DeviceId>(std::strtoul(bare.out.c_str(), nullptr, 16)));
    EXPECT_EQ(std::string(named.u.disk.model, sizeof named.u.disk.model),
              "QVD-4080 ATA DISK" + std::string(sizeof named.u.disk.model - 17, ' '));
    auto c = calls();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c[0].operation, QVLSIM_OP_RESCAN_DEVICES) << "the child's call is in the shared record";
}

TEST_F(SimTest, ChildSeesWhatThisProcessLoaded)
{
    load("controller chip=2 irq=9 channels=1 product=\"Shared\"\n"
         "disk id=0x44 controller=0 channel=0 position=0 capacity=9\n");
    Child show = qvlsim("show");
    EXPECT_EQ(show.exitCode, 0u) << show.err;
    EXPECT_EQ(show.out, SimTest::show());

    EXPECT_EQ(qvlsim("busy 0x44 on").exitCode, 0u);
    DeviceId list[] = {0x44};
    EXPECT_EQ(qvl_query_remove(1, list), 1);
    EXPECT_EQ(qvlsim("fail 0x44").exitCode, 0u);
    EXPECT_EQ(qvlsim_pending_events(), 1);
    EXPECT_EQ(qvlsim("event 4 0x44 hex:01FF").exitCode, 0u);
    EXPECT_EQ(qvlsim("inject get_version -9 1").exitCode, 0u);
    EXPECT_EQ(qvl_get_version(), -9);
    EXPECT_EQ(qvlsim("pull 0x44").exitCode, 0u);
    EXPECT_TRUE(info(0x44).empty());
    DeviceEvent e{};
    ASSERT_EQ(qvl_get_event(&e), 0);
    ASSERT_EQ(qvl_get_event(&e), 0);
    EXPECT_EQ(e.code, 4);
    EXPECT_EQ(e.payload[0], 0x01);
    EXPECT_EQ(e.payload[1], 0xFF);
}

TEST_F(SimTest, BadCommandsExitWithTwoAndOneLine)
{
    load("controller chip=2 irq=9 channels=1\n");
    const std::string before = SimTest::show();
    struct Case {
        const char *args;
        const char *reason;
    } cases[] = {
        {"", "qvlsim: no command"},
        {"frobnicate", "qvlsim: unknown command 'frobnicate'"},
        {"pull 0x999", "qvlsim: no disk 0x999"},
        {"pull nonsense", "qvlsim: bad identifier 'nonsense'"},
        {"event 1 -", "qvlsim: bad identifier '-'"},
        {"event 1 -+5", "qvlsim: bad identifier '-+5'"},
        {"event - 0x10", "qvlsim: bad event code '-'"},
        {"busy 0x10 maybe", "qvlsim: busy takes on or off"},
        {"event 1 0x10 hex:0", "qvlsim: odd number of hex digits in payload"},
        {"event 1 0x10 123456789012345678901234567890123", "qvlsim: payload longer than 32 bytes"},
        {"inject no_such_call 1", "qvlsim: unknown operation 'no_such_call'"},
        {"plug controller=3 channel=0 position=0", "qvlsim: plug: controller 3 out of range"},
        {"load Z:\\no\\such\\file.scn", "qvlsim: Z:\\no\\such\\file.scn: cannot open"},
        {"load qvldev_test-nul.scn", "qvlsim: qvldev_test-nul.scn:2: NUL byte in a scenario file\n"},
    };
    {
        // Before the NUL, a whole system that loads; after it, a line that would be refused.
        Handle f(CreateFileA("qvldev_test-nul.scn", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const char text[] = "controller chip=1 irq=1 channels=1\n#\0\ndisk nonsense\n";
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(f.get(), text, sizeof text - 1, &written, nullptr));
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args);
        Child r = qvlsim(c.args);
        EXPECT_EQ(r.exitCode, 2u);
        EXPECT_EQ(r.err.substr(0, std::strlen(c.reason)), c.reason);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    }
    DeleteFileA("qvldev_test-nul.scn");
    EXPECT_EQ(SimTest::show(), before);
}

TEST_F(SimTest, BadScenarioInTheEnvironmentLeavesAnEmptySystem)
{
    // A fresh instance of our own, so that the environment is read when its state is made.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string scenario = std::string(temp) + "qvldev_test-bad.scn";
    const std::string state = std::string(temp) + "qvldev-qvldev_test-env.state";
    {
        Handle f(CreateFileA(scenario.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const char text[] = "controller chip=1 irq=1 channels=1\n\ndisk id=1 controller=0 channel=0 position=9\n";
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(f.get(), text, sizeof text - 1, &written, nullptr));
    }
    DeleteFileA(state.c_str());
    char instance[64] = "";
    GetEnvironmentVariableA("QVLDEV_INSTANCE", instance, sizeof instance);
    SetEnvironmentVariableA("QVLDEV_INSTANCE", "qvldev_test-env");
    SetEnvironmentVariableA("QVLDEV_SCENARIO", scenario.c_str());
    Child r = qvlsim("show");
    Child invalid = (SetEnvironmentVariableA("QVLDEV_INSTANCE", "no/such"), qvlsim("show"));
    SetEnvironmentVariableA("QVLDEV_SCENARIO", nullptr);
    SetEnvironmentVariableA("QVLDEV_INSTANCE", instance);
    DeleteFileA(scenario.c_str());
    DeleteFileA(state.c_str());

    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_EQ(r.err, "qvlsim: QVLDEV_SCENARIO refused: " + scenario + ":3: position=9 out of range (max 1)\n");
    EXPECT_EQ(r.out.find("\ncontroller "), std::string::npos) << "no controllers";
    EXPECT_NE(r.out.find("capabilities"), std::string::npos);
    EXPECT_EQ(invalid.exitCode, 2u);
    EXPECT_EQ(invalid.err, "qvlsim: QVLDEV_INSTANCE 'no/such' is not a valid instance name\n");
}
