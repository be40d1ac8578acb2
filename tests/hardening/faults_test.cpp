// Driver operations that fail, one at a time and together, from start-up on or from the first
// reload on: the console keeps running through start-up, Rescan Devices, Unplug and an event
// poll, and shows exactly what it should. Runs the whole console in process on the demo system.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "hardening.h"
#include "program.h"
#include "support/simSystem.h"
#include "uiDriver.h"

using qvltest::UiDriver;

namespace {

const std::string kNoController = "No controller detected.";
const std::string kNoHotSwap = "The device driver doesn't support how-swap. Please update the driver.";
const std::string kUnplugged = "The 'QVD-6120 ATA DISK' device can now be safely removed from the system. ";
const std::string kCannotRemove = "One device can't be removed from the system. It is possible in use.";
const std::string kRackDiskInUse =
    "Device 'QVD-6120 ATA DISK' can't be removed from the system. It is possible in use.";
const std::string kDiskFailed = "Disk at Controller1-Channel1-Device1 failed.";
constexpr DeviceId kRackDisk = 0x115;
constexpr int kDemoNodes = 18; // root, 2 controllers, 6 channels, 9 devices

struct Box {
    std::string caption, text;
    bool operator==(const Box &) const = default;
};
std::ostream &operator<<(std::ostream &os, const Box &b) { return os << b.caption << ": " << b.text; }

// What one run went through, phase by phase.
struct Outcome {
    std::vector<Box> startBoxes, unplugBoxes, eventBoxes;
    int nodesAtStart = -1, nodesAfterRescan = -1, nodesAfterUnplug = -1, nodesAfterEvent = -1;
    bool unplugChosen = false;
    bool timedOut = false;
    int exitCode = -1;
};

struct Injection {
    QvlSimOperation op;
    int32_t result;
};

// Start-up, Rescan Devices, Unplug of the rack disk, then an error event for disk 0x101.
// `atStart` injections hold from the first call on; `afterStart` ones from the first reload on.
Outcome Drive(const std::vector<Injection> &atStart, const std::vector<Injection> &afterStart)
{
    EXPECT_EQ(qvlsim_reset(), 0);
    qvlsim_inject_clear();
    for (const Injection &i : atStart)
        qvlsim_inject(i.op, i.result, 0);
    Outcome run;
    int phase = 0;
    size_t mark = 0;
    DWORD phaseStart = 0;
    auto boxesSince = [&](UiDriver &d) {
        std::vector<Box> out;
        for (size_t i = mark; i < d.seen.size(); ++i)
            out.push_back(Box{d.seen[i].caption, d.seen[i].text});
        return out;
    };
    auto next = [&](UiDriver &d) {
        mark = d.seen.size();
        phaseStart = d.Elapsed();
        ++phase;
    };
    UiDriver ui([&](UiDriver &d) {
        d.PressAll(); // every box is answered at once; the record keeps what it said
        if (!d.OpenBoxes().empty())
            return;
        switch (phase) {
        case 0: // start-up done: the window is up and its boxes are answered
            if (!MainForm || !IsWindowVisible(MainForm->hwnd()) || !hardening::Page())
                return;
            MainForm->ServerMan->PollTimer.SetEnabled(false); // polls only in the event phase
            run.startBoxes = boxesSince(d);
            run.nodesAtStart = hardening::TreeCount();
            for (const Injection &i : afterStart)
                qvlsim_inject(i.op, i.result, 0);
            EXPECT_TRUE(hardening::ChooseItem(TfrmDeviceMan::ItemRescan)) << "Rescan Devices stays available";
            next(d);
            break;
        case 1: // the posted rescan has run before this tick
            run.nodesAfterRescan = hardening::TreeCount();
            EXPECT_TRUE(boxesSince(d).empty()) << "a rescan says nothing";
            if (HTREEITEM node = hardening::FindDeviceNode(kRackDisk)) {
                TreeView_SelectItem(hardening::Tree(), node);
                run.unplugChosen = hardening::ChooseItem(TfrmDeviceMan::ItemUnplug);
            }
            next(d);
            break;
        case 2:
            if (run.unplugChosen && d.seen.size() == mark && d.Elapsed() - phaseStart < 2000)
                return; // its box comes
            run.unplugBoxes = boxesSince(d);
            run.nodesAfterUnplug = hardening::TreeCount();
            qvlsim_queue_event(1, 0x101, nullptr, 0);
            MainForm->ServerMan->PollTimer.SetEnabled(true);
            qvltest::FastPolling(40);
            next(d);
            break;
        case 3:
            if (d.seen.size() == mark && d.Elapsed() - phaseStart < 600)
                return;
            run.eventBoxes = boxesSince(d);
            run.nodesAfterEvent = hardening::TreeCount();
            next(d);
            d.Exit();
            break;
        default:
            break;
        }
    });
    run.exitCode = qvltest::RunConsoleHere(nullptr, &TfrmDeviceMan::CreatePage);
    run.timedOut = ui.TimedOut();
    qvlsim_inject_clear();
    return run;
}

// What a run shows when the given operations fail with -1 from start-up on (`atStart`) or
// only from the first reload on.
struct Expected {
    std::vector<Box> startBoxes;
    int nodes; // after start-up (atStart) or after the rescan (later)
    std::vector<Box> unplugBoxes;
    int nodesAfterUnplug;
    std::vector<Box> eventBoxes;
};

Expected Baseline()
{
    return Expected{{}, kDemoNodes, {{"Information", kUnplugged}}, kDemoNodes - 1, {{"Error", kDiskFailed}}};
}

Expected ExpectedFor(QvlSimOperation op, bool atStart)
{
    Expected e = Baseline();
    switch (op) {
    case QVLSIM_OP_GET_DRIVER_CAPABILITIES:
        if (atStart) {
            // Defaults: 4 controllers fit, but no hot-swap: Unplug stays disabled.
            e.startBoxes = {{"Error", kNoHotSwap}};
            e.unplugBoxes = {};
            e.nodesAfterUnplug = kDemoNodes;
        }
        break;
    case QVLSIM_OP_GET_CONTROLLER_COUNT:
    case QVLSIM_OP_GET_CONTROLLER_INFO:
        if (atStart)
            e.startBoxes = {{"Error", kNoController}};
        e.nodes = e.nodesAfterUnplug = 1; // the system's root alone
        e.unplugBoxes = {};
        break;
    case QVLSIM_OP_GET_CHANNEL_INFO:
        e.nodes = e.nodesAfterUnplug = 3; // root and two controllers
        e.unplugBoxes = {};
        break;
    case QVLSIM_OP_GET_DEVICE_INFO:
        e.nodes = e.nodesAfterUnplug = 9; // no devices
        e.unplugBoxes = {};
        e.eventBoxes = {{"Error", "Disk at  failed."}}; // the location cannot be read
        break;
    case QVLSIM_OP_QUERY_REMOVE:
    case QVLSIM_OP_REMOVE_DEVICES:
        e.unplugBoxes = {{"Warning", kCannotRemove}};
        e.nodesAfterUnplug = kDemoNodes;
        break;
    case QVLSIM_OP_GET_EVENT:
        e.eventBoxes = {};
        break;
    default:
        break; // unused by the console, or its result ignored (rescan, error acknowledgement)
    }
    return e;
}

void Check(const Outcome &run, const Expected &e, bool atStart)
{
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.timedOut) << "the console kept answering";
    EXPECT_EQ(run.startBoxes, e.startBoxes);
    EXPECT_EQ(run.nodesAtStart, atStart ? e.nodes : kDemoNodes);
    EXPECT_EQ(run.nodesAfterRescan, e.nodes);
    EXPECT_EQ(run.unplugBoxes, e.unplugBoxes);
    EXPECT_EQ(run.nodesAfterUnplug, e.nodesAfterUnplug);
    EXPECT_EQ(run.eventBoxes, e.eventBoxes);
    EXPECT_EQ(run.nodesAfterEvent, e.nodesAfterUnplug);
}

class Faults : public testing::TestWithParam<bool> {};

TEST_P(Faults, EachDriverOperationFailingAlone)
{
    const bool atStart = GetParam();
    for (uint32_t op = 0; op < QVLSIM_OP_COUNT; ++op) {
        SCOPED_TRACE(std::string(qvlsim_operation_name(op)) + (atStart ? " from start-up" : " from the first reload"));
        const std::vector<Injection> inj{{static_cast<QvlSimOperation>(op), -1}};
        const Outcome run = atStart ? Drive(inj, {}) : Drive({}, inj);
        Check(run, ExpectedFor(static_cast<QvlSimOperation>(op), atStart), atStart);
    }
}

TEST_P(Faults, EveryDriverOperationFailingAtOnce)
{
    const bool atStart = GetParam();
    std::vector<Injection> all;
    for (uint32_t op = 0; op < QVLSIM_OP_COUNT; ++op)
        all.push_back({static_cast<QvlSimOperation>(op), -1});
    const Outcome run = atStart ? Drive(all, {}) : Drive({}, all);
    Expected e{{}, 1, {}, 1, {}};
    if (atStart)
        e.startBoxes = {{"Error", kNoController}, {"Error", kNoHotSwap}};
    Check(run, e, atStart);
}

INSTANTIATE_TEST_SUITE_P(Hardening, Faults, testing::Bool(),
                         [](const auto &p) { return p.param ? "FromStartUp" : "FromFirstReload"; });

TEST(FaultCombinations, ResultCodesOtherThanMinusOne)
{
    const struct {
        const char *name;
        std::vector<Injection> atStart;
        Expected expected;
    } cases[] = {
        {"query names the disk",
         {{QVLSIM_OP_QUERY_REMOVE, 1}},
         {{}, kDemoNodes, {{"Warning", kRackDiskInUse}}, kDemoNodes, {{"Error", kDiskFailed}}}},
        {"removal names a position beyond the list",
         {{QVLSIM_OP_REMOVE_DEVICES, 2}},
         {{}, kDemoNodes, {{"Warning", kCannotRemove}}, kDemoNodes, {{"Error", kDiskFailed}}}},
        {"query refuses with a negative position",
         {{QVLSIM_OP_QUERY_REMOVE, -7}},
         {{}, kDemoNodes, {{"Warning", kCannotRemove}}, kDemoNodes, {{"Error", kDiskFailed}}}},
        {"capabilities fail with a positive code",
         {{QVLSIM_OP_GET_DRIVER_CAPABILITIES, 1}},
         {{{"Error", kNoHotSwap}}, kDemoNodes, {}, kDemoNodes, {{"Error", kDiskFailed}}}},
        // More controllers than the system holds: the two that exist fill it.
        {"a huge controller count",
         {{QVLSIM_OP_GET_CONTROLLER_COUNT, 0x7FFFFFFF}},
         {{}, kDemoNodes, {{"Information", kUnplugged}}, kDemoNodes - 1, {{"Error", kDiskFailed}}}},
        {"a negative controller count",
         {{QVLSIM_OP_GET_CONTROLLER_COUNT, INT32_MIN}},
         {{{"Error", kNoController}}, 1, {}, 1, {{"Error", kDiskFailed}}}},
        {"no event waits",
         {{QVLSIM_OP_GET_EVENT, 1}},
         {{}, kDemoNodes, {{"Information", kUnplugged}}, kDemoNodes - 1, {}}},
        {"capabilities and controllers",
         {{QVLSIM_OP_GET_DRIVER_CAPABILITIES, -1}, {QVLSIM_OP_GET_CONTROLLER_INFO, -1}},
         {{{"Error", kNoController}, {"Error", kNoHotSwap}}, 1, {}, 1, {{"Error", kDiskFailed}}}},
        {"devices, removal and acknowledgement",
         {{QVLSIM_OP_GET_DEVICE_INFO, -1},
          {QVLSIM_OP_QUERY_REMOVE, -1},
          {QVLSIM_OP_SET_DEVICE_INFO, -1},
          {QVLSIM_OP_RESCAN_DEVICES, -1}},
         {{}, 9, {}, 9, {{"Error", "Disk at  failed."}}}},
        {"rescan and removal",
         {{QVLSIM_OP_RESCAN_DEVICES, -1}, {QVLSIM_OP_REMOVE_DEVICES, 1}},
         {{}, kDemoNodes, {{"Warning", kRackDiskInUse}}, kDemoNodes, {{"Error", kDiskFailed}}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Check(Drive(c.atStart, {}), c.expected, true);
    }
}

} // namespace
