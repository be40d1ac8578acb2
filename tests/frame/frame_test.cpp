// The console's frame as a user meets it: start-up, the hidden start, a second copy, the
// library check, event boxes with the beep alarm, the dialog stack, the notification-area icon
// and Exit. Message boxes are real; the test finds them by caption and presses OK.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "AboutForm.h"
#include "MainUnit.h"
#include "program.h"
#include "support/importPatch.h"
#include "support/simSystem.h"
#include "uiDriver.h"

using qvltest::DriverCalls;
using qvltest::RunConsoleHere;
using qvltest::UiDriver;

namespace {

const char kNoHotSwap[] = "capabilities max_controllers=4 features=0\n";
const std::string kHotSwapError = "The device driver doesn't support how-swap. Please update the driver.";

class Frame : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(qvlsim_reset(), 0);
        ASSERT_EQ(qvlsim_inject_clear(), 0);
    }

    static bool TrayIconExists()
    {
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = MainForm->hwnd();
        data.uID = static_cast<UINT>(
            reinterpret_cast<UINT_PTR>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON))));
        data.uFlags = NIF_TIP;
        lstrcpynA(data.szTip, TrayTip, sizeof data.szTip);
        return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    }

    static int CallsOf(QvlSimOperation op)
    {
        int n = 0;
        for (const QvlSimCall &c : DriverCalls())
            n += c.operation == static_cast<uint32_t>(op);
        return n;
    }
};

TEST_F(Frame, StartUpReportsMissingControllersThenMissingHotSwapBeforeTheWindowShows)
{
    qvltest::LoadScenario(kNoHotSwap);
    UiDriver ui([](UiDriver &d) {
        d.PressAll();
        if (d.seen.size() == 2 && d.OpenBoxes().empty() && MainForm && IsWindowVisible(MainForm->hwnd()))
            d.Exit();
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    ASSERT_FALSE(ui.TimedOut());
    ASSERT_EQ(ui.seen.size(), 2u);
    EXPECT_EQ(ui.seen[0].caption, "Error");
    EXPECT_EQ(ui.seen[0].text, "No controller detected.");
    EXPECT_EQ(ui.seen[1].caption, "Error");
    EXPECT_EQ(ui.seen[1].text, kHotSwapError);
    for (const auto &s : ui.seen) {
        EXPECT_FALSE(s.mainVisible) << s.text << ": shown before the main window";
        EXPECT_EQ(s.openBoxes, 1) << "one after the other";
    }
}

std::vector<std::string> g_boxTexts;
int WINAPI CountingMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    g_boxTexts.push_back(text);
    // The real one: this module's own import is the patched one.
    static const auto real = reinterpret_cast<int(WINAPI *)(HWND, LPCSTR, LPCSTR, UINT)>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxA")));
    return real(owner, text, caption, type);
}

TEST_F(Frame, ExitFromTheIconDuringAStartUpBoxEndsStartUp)
{
    qvltest::LoadScenario(kNoHotSwap);
    g_boxTexts.clear();
    qvltest::ImportPatch patch(nullptr, "user32.dll", "MessageBoxA", reinterpret_cast<void *>(CountingMessageBox));
    ASSERT_TRUE(patch.ok());
    UiDriver ui([](UiDriver &d) {
        if (d.seen.size() == 1 && MainForm && !MainForm->Exiting)
            PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_TRAY_EXIT, 0);
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_FALSE(ui.TimedOut());
    EXPECT_EQ(g_boxTexts, std::vector<std::string>{"No controller detected."}) << "no box after Exit";
    EXPECT_EQ(MainForm, nullptr);
}

TEST_F(Frame, ADriverWithControllersAndHotSwapStartsQuietly)
{
    bool visible = false;
    UiDriver ui([&](UiDriver &d) {
        if (d.Elapsed() > 300) {
            visible = IsWindowVisible(MainForm->hwnd());
            d.Exit();
        }
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_TRUE(ui.seen.empty());
    EXPECT_TRUE(visible);
}

TEST_F(Frame, HiddenStartOnlyWithTheExactWordRAID)
{
    const struct {
        const char *argument;
        bool shown;
    } cases[] = {{"RAID", false}, {"raid", true}, {"RAID2", true}, {"", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.argument);
        bool visible = true, icon = false;
        UiDriver ui([&](UiDriver &d) {
            if (d.Elapsed() > 200) {
                visible = IsWindowVisible(MainForm->hwnd());
                icon = TrayIconExists();
                d.Exit();
            }
        });
        EXPECT_EQ(RunConsoleHere(c.argument), 0);
        EXPECT_EQ(visible, c.shown);
        EXPECT_TRUE(icon) << "the notification-area icon is there either way";
    }
}

TEST_F(Frame, TrayDoubleClickShowsAHiddenConsoleAndCloseOnlyHidesIt)
{
    std::vector<std::string> steps;
    int step = 0;
    UiDriver ui([&](UiDriver &d) {
        HWND w = MainForm->hwnd();
        switch (step++) {
        case 0:
            PostMessageA(w, WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK);
            break;
        case 1:
            steps.push_back(IsWindowVisible(w) ? "shown" : "hidden");
            PostMessageA(w, WM_CLOSE, 0, 0);
            break;
        case 2:
            steps.push_back(IsWindowVisible(w) ? "shown" : "hidden");
            steps.push_back(TrayIconExists() ? "icon" : "no icon");
            PostMessageA(w, WM_COMMAND, IDM_TRAY_OPEN, 0);
            break;
        case 3:
            steps.push_back(IsWindowVisible(w) ? "shown" : "hidden");
            PostMessageA(w, WM_COMMAND, IDM_TRAY_EXIT, 0);
            break;
        default:
            break;
        }
        (void)d;
    });
    EXPECT_EQ(RunConsoleHere("RAID"), 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"shown", "hidden", "icon", "shown"}));
    EXPECT_EQ(MainForm, nullptr) << "Exit from the icon's menu ends the console";
}

int showRequests = 0;
LRESULT CALLBACK RunningCopyProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_SHOW_INSTANCE)
        ++showRequests;
    return DefWindowProcA(h, m, w, l);
}

TEST_F(Frame, ASecondCopyAsksTheRunningOneToShowItselfAndEnds)
{
    // This process plays the running copy: it holds the mutex and has a window carrying the
    // property named after the program path.
    HANDLE running = CreateMutexA(nullptr, TRUE, InstanceMutexName);
    ASSERT_NE(running, nullptr);
    showRequests = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = RunningCopyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RunningCopy";
    RegisterClassA(&wc);
    HWND copy = CreateWindowA("RunningCopy", "running", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    SetPropA(copy, path, reinterpret_cast<HANDLE>(1));

    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_EQ(showRequests, 1);
    EXPECT_EQ(MainForm, nullptr) << "no window of the second copy";

    RemovePropA(copy, path);
    DestroyWindow(copy);
    CloseHandle(running);
}

LibInfo g_fakeInfo;
int32_t __cdecl FakeLibInfo(LibInfo *info)
{
    *info = g_fakeInfo;
    return 0;
}
int32_t __cdecl FailingLibInfo(LibInfo *) { return -1; }

TEST_F(Frame, TheLibraryCheckRefusesAnotherVersionOrMode)
{
    const struct {
        const char *name;
        void *function;
        uint32_t version;
        uint8_t mode;
        const char *box; // null: ends silently
    } cases[] = {
        {"other version", reinterpret_cast<void *>(FakeLibInfo), 0x2000000, 1, "Invalid version."},
        {"other mode", reinterpret_cast<void *>(FakeLibInfo), 0x1000000, 2, nullptr},
        {"query fails", reinterpret_cast<void *>(FailingLibInfo), 0, 0, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        g_fakeInfo = LibInfo{c.version, c.mode, 2, {0, 0}};
        qvltest::ImportPatch patch(nullptr, "qvlclient.dll", "cs_qvl_get_lib_info", c.function);
        ASSERT_TRUE(patch.ok());
        qvlsim_clear_calls();
        UiDriver ui([](UiDriver &d) { d.PressAll(); });
        EXPECT_NE(RunConsoleHere(nullptr), 0);
        if (c.box) {
            ASSERT_EQ(ui.seen.size(), 1u);
            EXPECT_EQ(ui.seen[0].caption, "Error");
            EXPECT_EQ(ui.seen[0].text, c.box);
        } else {
            EXPECT_TRUE(ui.seen.empty());
        }
        EXPECT_EQ(CallsOf(QVLSIM_OP_GET_CONTROLLER_COUNT), 0) << "no system is built";
    }
}

// The poll's events as the user meets them: each reloads the system, then shows its box over the
// earlier ones; the user answers them all a while later. Error boxes sound the alarm until the
// last is answered, and each answered error is acknowledged to the driver with identifier 0.
TEST_F(Frame, EventsReloadThenShowTheirBoxesInOrder)
{
    const struct {
        const char *name;
        std::vector<std::pair<uint8_t, uint32_t>> queued;       // event code, device
        const char *argument;                                   // "RAID": the window stays hidden
        std::vector<std::pair<std::string, std::string>> boxes; // caption, text ("": any)
        bool beep;                                              // while the boxes are open
    } cases[] = {
        {"an error", {{1, 0x101}}, nullptr, {{"Error", "Disk at Controller1-Channel1-Device1 failed."}}, true},
        {"a warning and an information while hidden",
         {{2, 0x101}, {12, 0x201}},
         "RAID",
         {{"Warning", "Plugging disk detected.(Controller1-Channel1-Device1)"}, {"Information", ""}},
         false},
        {"three queued events",
         {{9, 0x201}, {12, 0x201}, {17, 0x201}},
         nullptr,
         {{"Information", ""}, {"Information", ""}, {"Warning", ""}},
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(qvlsim_reset(), 0);
        for (const auto &[code, device] : c.queued)
            ASSERT_EQ(qvlsim_queue_event(code, device, nullptr, 0), 0);
        const size_t count = c.boxes.size();
        size_t mostOpen = 0;
        int reloadsBeforeBox = -1, acksWhileOpen = -1;
        long allOpenAt = -1;
        bool beepAfter = true;
        HWND mainWindow = nullptr;
        UiDriver ui([&](UiDriver &d) {
            qvltest::FastPolling(150);
            mainWindow = MainForm->hwnd();
            const size_t open = d.OpenBoxes().size();
            mostOpen = std::max(mostOpen, open);
            if (d.seen.size() == 1 && reloadsBeforeBox < 0)
                reloadsBeforeBox = CallsOf(QVLSIM_OP_GET_CONTROLLER_COUNT);
            if (d.seen.size() == count && allOpenAt < 0) {
                allOpenAt = static_cast<long>(d.Elapsed());
                acksWhileOpen = CallsOf(QVLSIM_OP_SET_DEVICE_INFO);
            }
            if (allOpenAt >= 0 && open > 0 && d.Elapsed() - allOpenAt > 1500)
                d.PressAll(); // after a second and a half of alarm, where there is one
            if (allOpenAt >= 0 && open == 0) {
                beepAfter = MainForm->BeepTimer.Enabled();
                d.Exit();
            }
        });
        qvlsim_clear_calls();
        EXPECT_EQ(RunConsoleHere(c.argument), 0);
        ASSERT_EQ(ui.seen.size(), count);
        int errors = 0;
        for (size_t i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(ui.seen[i].caption, c.boxes[i].first);
            if (!c.boxes[i].second.empty()) {
                EXPECT_EQ(ui.seen[i].text, c.boxes[i].second);
            }
            EXPECT_EQ(ui.seen[i].beepOn, c.beep);
            EXPECT_EQ(ui.seen[i].mainVisible, c.argument == nullptr);
            errors += c.boxes[i].first == "Error";
        }
        EXPECT_EQ(ui.seen[0].owner, mainWindow) << "owned by the main window";
        EXPECT_EQ(mostOpen, count) << "each event arrives while the previous box is open";
        EXPECT_EQ(ui.seen.back().openBoxes, static_cast<int>(count));
        EXPECT_FALSE(beepAfter);
        EXPECT_EQ(reloadsBeforeBox, 2) << "start-up enumeration, then the reload before the box";
        EXPECT_EQ(acksWhileOpen, 0);
        int acks = 0;
        for (const auto &call : DriverCalls())
            if (call.operation == QVLSIM_OP_SET_DEVICE_INFO) {
                EXPECT_EQ(call.args[0], 0u);
                ++acks;
            }
        EXPECT_EQ(acks, errors);
    }
}

int32_t __cdecl UnknownTypeEvent(uint32_t, EventEntry *entry)
{
    static bool given = false;
    if (given)
        return -1;
    given = true;
    std::memset(entry, 0, sizeof *entry);
    entry->type = 'X';
    std::strcpy(entry->text, "never shown");
    return 0;
}

TEST_F(Frame, AnEntryOfUnknownTypeReloadsAndShowsNothing)
{
    qvltest::ImportPatch patch(nullptr, "qvlclient.dll", "cs_qvl_get_log_event",
                               reinterpret_cast<void *>(UnknownTypeEvent));
    ASSERT_TRUE(patch.ok());
    qvlsim_clear_calls();
    UiDriver ui([](UiDriver &d) {
        qvltest::FastPolling();
        if (d.Elapsed() > 800)
            d.Exit();
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_TRUE(ui.seen.empty());
    EXPECT_EQ(CallsOf(QVLSIM_OP_GET_CONTROLLER_COUNT), 2) << "start-up and one reload";
}

TEST_F(Frame, AnEventStormNeverNestsMoreThanTheBoundAndLosesNothing)
{
    constexpr int kEvents = 40;
    for (int i = 0; i < kEvents; ++i)
        ASSERT_EQ(qvlsim_queue_event(2, 0x101, nullptr, 0), 0);
    int mostOpen = 0, pendingAtBound = -1;
    UiDriver ui(
        [&](UiDriver &d) {
            qvltest::FastPolling(30);
            int open = static_cast<int>(d.OpenBoxes().size());
            mostOpen = std::max(mostOpen, open);
            if (pendingAtBound < 0 && d.Elapsed() > 1000) {
                pendingAtBound = qvlsim_pending_events(); // nobody at the screen for a second
            }
            if (pendingAtBound >= 0)
                d.PressAll();
            if (static_cast<int>(d.seen.size()) == kEvents && open == 0)
                d.Exit();
        },
        30000);
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_FALSE(ui.TimedOut());
    EXPECT_EQ(mostOpen, TServerMan::MaxOpenEventBoxes);
    EXPECT_EQ(pendingAtBound, kEvents - TServerMan::MaxOpenEventBoxes) << "the rest waits in the driver";
    EXPECT_EQ(static_cast<int>(ui.seen.size()), kEvents) << "every event is shown in the end";
}

TEST_F(Frame, AnEventWhileAboutIsOpenIsOwnedByTheAboutDialog)
{
    HWND about = nullptr;
    int step = 0;
    bool rightClickMenu = false;
    UiDriver ui([&](UiDriver &d) {
        if (step == 0) {
            PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_ABOUT, 0);
            step = 1;
        } else if (step == 1 && MainForm->DialogCount == 1) {
            about = MainForm->TopWindowHandle();
            // A right click on the icon while a dialog is open shows no menu.
            PostMessageA(MainForm->hwnd(), WM_TRAY_NOTIFY, 1, WM_RBUTTONDOWN);
            qvltest::FastPolling();
            qvlsim_queue_event(6, 0x201, nullptr, 0);
            step = 2;
        } else if (step == 2) {
            rightClickMenu = rightClickMenu || FindWindowA("#32768", nullptr) != nullptr;
            if (d.seen.size() == 1) {
                d.PressAll();
                PostMessageA(about, WM_COMMAND, IDOK, 0);
                step = 3;
            }
        } else if (step == 3 && MainForm->DialogCount == 0) {
            d.Exit();
        }
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    ASSERT_EQ(ui.seen.size(), 1u);
    EXPECT_NE(about, nullptr);
    EXPECT_EQ(ui.seen[0].owner, about);
    EXPECT_FALSE(rightClickMenu);
}

// Whether `upper` is above `lower` in the stacking order.
bool Above(HWND upper, HWND lower)
{
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
        if (w == upper)
            return true;
    return false;
}

TEST_F(Frame, EveryRaiseOfTheWindowLeavesItsNewestBoxOnTopAndActive)
{
    ASSERT_EQ(qvlsim_queue_event(12, 0x201, nullptr, 0), 0);
    const struct {
        const char *what;
        bool hiddenBefore;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    } raises[] = {
        {"tray double click", true, WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK},
        {"tray menu Open", false, WM_COMMAND, IDM_TRAY_OPEN, 0},
        {"tray right click", false, WM_TRAY_NOTIFY, 1, WM_RBUTTONDOWN},
        {"second start", true, WM_SHOW_INSTANCE, 0, 0},
    };
    struct Result {
        bool top = false, active = false, onTop = false;
    } results[std::size(raises)];
    size_t i = 0;
    DWORD posted = 0;
    UiDriver ui([&](UiDriver &d) {
        qvltest::FastPolling();
        if (d.OpenBoxes().size() != 1)
            return;
        HWND main = MainForm->hwnd(), box = d.OpenBoxes()[0];
        if (i == std::size(raises)) {
            d.PressAll();
            d.Exit();
        } else if (!posted) {
            if (raises[i].hiddenBefore)
                ShowWindow(main, SW_HIDE);
            PostMessageA(main, raises[i].msg, raises[i].wParam, raises[i].lParam);
            posted = d.Elapsed();
        } else if (HWND menu = FindWindowA("#32768", nullptr); menu && IsWindowVisible(menu)) {
            EndMenu(); // the user clicks elsewhere
        } else if (d.Elapsed() - posted > 300) {
            results[i].top = MainForm->TopWindowHandle() == box;
            results[i].active = GetActiveWindow() == box;
            results[i].onTop = IsWindowVisible(main) && Above(box, main);
            ++i;
            posted = 0;
        }
    });
    EXPECT_EQ(RunConsoleHere("RAID"), 0);
    EXPECT_FALSE(ui.TimedOut());
    for (size_t k = 0; k < std::size(raises); ++k) {
        SCOPED_TRACE(raises[k].what);
        EXPECT_TRUE(results[k].top) << "the open box is the newest dialog";
        EXPECT_TRUE(results[k].active);
        EXPECT_TRUE(results[k].onTop) << "above the main window";
    }
}

TEST_F(Frame, TwoErrorBoxesAlarmUntilTheLastIsAcknowledgedAndTheOlderComesBack)
{
    ASSERT_EQ(qvlsim_queue_event(1, 0x101, nullptr, 0), 0);
    ASSERT_EQ(qvlsim_queue_event(1, 0x102, nullptr, 0), 0);
    int step = 0;
    DWORD closedAt = 0;
    HWND older = nullptr;
    bool apart = false, beepAfterNewer = false, mainEnabled = true, olderActive = false, olderAbove = false;
    bool beepAfterLast = true;
    int acksAfterNewer = -1;
    qvlsim_clear_calls();
    UiDriver ui([&](UiDriver &d) {
        qvltest::FastPolling();
        const auto open = d.OpenBoxes();
        HWND main = MainForm->hwnd();
        if (step == 0 && open.size() == 2) {
            RECT a, b;
            GetWindowRect(open[0], &a);
            GetWindowRect(open[1], &b);
            apart = a.left != b.left && a.top != b.top;
            older = open[0];
            d.Press(open[1]);
            step = 1;
        } else if (step == 1 && open.size() == 1) {
            closedAt = d.Elapsed();
            step = 2;
        } else if (step == 2 && d.Elapsed() - closedAt > 300) {
            beepAfterNewer = MainForm->BeepTimer.Enabled();
            acksAfterNewer = CallsOf(QVLSIM_OP_SET_DEVICE_INFO);
            mainEnabled = IsWindowEnabled(main);
            olderActive = GetActiveWindow() == older;
            olderAbove = Above(older, main);
            d.Press(older);
            step = 3;
        } else if (step == 3 && open.empty()) {
            beepAfterLast = MainForm->BeepTimer.Enabled();
            d.Exit();
        }
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_FALSE(ui.TimedOut());
    EXPECT_TRUE(apart) << "the second box does not hide the first";
    EXPECT_TRUE(beepAfterNewer) << "an error box is still open";
    EXPECT_EQ(acksAfterNewer, 1) << "the closed one is acknowledged";
    EXPECT_FALSE(mainEnabled);
    EXPECT_TRUE(olderActive) << "Enter answers the older box";
    EXPECT_TRUE(olderAbove);
    EXPECT_FALSE(beepAfterLast);
    EXPECT_EQ(CallsOf(QVLSIM_OP_SET_DEVICE_INFO), 2);
}

TEST_F(Frame, ExitWhileAnErrorBoxIsOpenEndsCleanly)
{
    ASSERT_EQ(qvlsim_queue_event(1, 0x101, nullptr, 0), 0);
    ASSERT_EQ(qvlsim_queue_event(1, 0x102, nullptr, 0), 0);
    UiDriver ui([](UiDriver &d) {
        qvltest::FastPolling();
        if (d.OpenBoxes().size() == 2 && MainForm)
            PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_TRAY_EXIT, 0); // Exit from the icon's menu
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_FALSE(ui.TimedOut());
    EXPECT_EQ(ui.seen.size(), 2u);
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_TRUE(ui.OpenBoxes().empty()) << "the boxes went with the window";
}

TEST_F(Frame, TheIconComesBackWhenTheTaskBarIsRecreated)
{
    bool goneAfterShellRestart = false, back = false;
    int step = 0;
    UiDriver ui([&](UiDriver &d) {
        if (step == 0) {
            // The shell restarts: its icons are gone until the programs add them again.
            NOTIFYICONDATAA data{};
            data.cbSize = NOTIFYICONDATAA_V1_SIZE;
            data.hWnd = MainForm->hwnd();
            data.uID = static_cast<UINT>(
                reinterpret_cast<UINT_PTR>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON))));
            Shell_NotifyIconA(NIM_DELETE, &data);
            goneAfterShellRestart = !TrayIconExists();
            PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            step = 1;
        } else if (step == 1 && d.Elapsed() > 300) {
            back = TrayIconExists();
            d.Exit();
        }
    });
    EXPECT_EQ(RunConsoleHere("RAID"), 0);
    EXPECT_TRUE(goneAfterShellRestart);
    EXPECT_TRUE(back);
}

TEST_F(Frame, TheBackgroundPictureIsDecodedFromTheProgramsJpeg)
{
    SIZE size{};
    COLORREF top = 0, bottom = 0;
    UiDriver ui([&](UiDriver &d) {
        HBITMAP picture = MainForm->backImage.get();
        size = qvl::PictureSize(picture);
        qvl::BitmapDC dc(picture);
        top = GetPixel(dc.get(), 10, 2);
        bottom = GetPixel(dc.get(), 10, size.cy - 3);
        d.Exit();
    });
    EXPECT_EQ(RunConsoleHere("RAID"), 0);
    EXPECT_EQ(size.cx, 480);
    EXPECT_EQ(size.cy, 360);
    // A light blue gradient, darker towards the bottom (JPEG colours are approximate).
    EXPECT_NEAR(GetRValue(top), 0xEE, 8);
    EXPECT_NEAR(GetBValue(top), 0xFA, 8);
    EXPECT_NEAR(GetRValue(bottom), 0xB9, 12);
    EXPECT_GT(GetBValue(bottom), GetRValue(bottom));
}

TEST_F(Frame, TheDialogStackKeepsFiveAndOwnsMessageBoxes)
{
    std::vector<HWND> tops;
    UiDriver ui([&](UiDriver &d) {
        HWND fakes[6];
        for (int i = 0; i < 6; ++i)
            fakes[i] = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1000 + i));
        tops.push_back(MainForm->TopWindowHandle());
        for (HWND f : fakes)
            MainForm->PushDialog(f);
        tops.push_back(MainForm->TopWindowHandle());
        tops.push_back(MainForm->PopDialog());
        while (MainForm->PopDialog()) {
        }
        tops.push_back(MainForm->TopWindowHandle());
        tops.push_back(MainForm->PopDialog());
        d.Exit();
    });
    EXPECT_EQ(RunConsoleHere("RAID"), 0);
    ASSERT_EQ(tops.size(), 5u);
    EXPECT_EQ(tops[1], reinterpret_cast<HWND>(0x1004)) << "a sixth dialog is not stored";
    EXPECT_EQ(tops[2], reinterpret_cast<HWND>(0x1004));
    EXPECT_EQ(tops[3], tops[0]) << "empty: the main window";
    EXPECT_EQ(tops[4], nullptr);
}

TEST_F(Frame, EveryAboutLabelHoldsItsWholeTextInItsFont)
{
    UiDriver ui([](UiDriver &d) {
        TDlgAbout about(*MainForm);
        RECT client;
        GetClientRect(about.hwnd(), &client);
        HDC dc = GetDC(about.hwnd());
        for (const TDlgAbout::Label &label : about.Labels) {
            SCOPED_TRACE(label.Text);
            HGDIOBJ old = SelectObject(dc, label.Font);
            const RECT &r = label.Rect;
            if (label.Wraps) {
                RECT need{0, 0, r.right - r.left, 0};
                DrawTextA(dc, label.Text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
                EXPECT_LE(need.right, r.right - r.left);
                EXPECT_LE(need.bottom, r.bottom - r.top) << "every line shows";
            } else {
                SIZE size{};
                GetTextExtentPoint32A(dc, label.Text, lstrlenA(label.Text), &size);
                EXPECT_LE(size.cx, r.right - r.left);
                EXPECT_LE(size.cy, r.bottom - r.top);
            }
            EXPECT_LE(r.right, client.right) << "inside the box";
            SelectObject(dc, old);
        }
        ReleaseDC(about.hwnd(), dc);
        d.Exit();
    });
    EXPECT_EQ(RunConsoleHere("RAID"), 0);
}

} // namespace
