// Help, About and the alarm tone: what the console asks of the shell and the speaker, seen by
// standing in for those calls in the program's import table.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AboutForm.h"
#include "MainUnit.h"
#include "appDir.h"
#include "support/importPatch.h"
#include "support/simSystem.h"
#include "uiDriver.h"

using qvltest::ImportPatch;
using qvltest::RunConsoleHere;
using qvltest::UiDriver;

namespace {

struct ShellCall {
    HWND owner;
    std::string verb, file;
};
std::vector<ShellCall> g_shell;
HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    g_shell.push_back({owner, verb ? verb : "", file ? file : ""});
    EXPECT_EQ(params, nullptr);
    EXPECT_EQ(dir, nullptr);
    EXPECT_EQ(show, SW_SHOWNORMAL);
    return reinterpret_cast<HINSTANCE>(33);
}

HRESULT WINAPI NoBrowser(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *out)
{
    *out = nullptr;
    return REGDB_E_CLASSNOTREG;
}

// The console finds COM by name when help is asked for: CoCreateInstance answers as NoBrowser.
using GetProcAddressFn = FARPROC(WINAPI *)(HMODULE, LPCSTR);
GetProcAddressFn g_getProcAddress = nullptr; // the real one, taken before the patch
FARPROC WINAPI NoBrowserByName(HMODULE module, LPCSTR name)
{
    if (HIWORD(reinterpret_cast<DWORD_PTR>(name)) && std::string(name) == "CoCreateInstance")
        return reinterpret_cast<FARPROC>(reinterpret_cast<void *>(NoBrowser));
    return g_getProcAddress(module, name);
}

std::vector<std::pair<DWORD, DWORD>> g_beeps;
BOOL WINAPI RecordBeep(DWORD frequency, DWORD duration)
{
    g_beeps.emplace_back(frequency, duration);
    return TRUE;
}

class Help : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(qvlsim_reset(), 0);
        g_shell.clear();
        g_beeps.clear();
    }
    ImportPatch shell_{nullptr, "shell32.dll", "ShellExecuteA", reinterpret_cast<void *>(RecordShellExecute)};
};

TEST_F(Help, F1OpensTheHelpFileBesideTheProgram)
{
    ASSERT_TRUE(shell_.ok());
    HWND main = nullptr;
    UiDriver ui([&](UiDriver &d) {
        main = MainForm->hwnd();
        if (d.Elapsed() > 100 && g_shell.empty())
            PostMessageA(main, WM_KEYDOWN, VK_F1, 0);
        if (!g_shell.empty())
            d.Exit();
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    ASSERT_EQ(g_shell.size(), 1u);
    EXPECT_EQ(g_shell[0].verb, "open");
    EXPECT_EQ(g_shell[0].file, AppDir + "QSWAP.CHM");
    EXPECT_EQ(g_shell[0].owner, main);
}

TEST_F(Help, HelpTopicsNeedsTheBrowserControlButF1DoesNot)
{
    g_getProcAddress = reinterpret_cast<GetProcAddressFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcAddress")));
    ImportPatch ole(nullptr, "kernel32.dll", "GetProcAddress", reinterpret_cast<void *>(NoBrowserByName));
    ASSERT_TRUE(ole.ok());
    HWND main = nullptr;
    int step = 0;
    UiDriver ui([&](UiDriver &d) {
        main = MainForm->hwnd();
        if (step == 0) {
            PostMessageA(main, WM_COMMAND, IDM_HELP_TOPICS, 0);
            step = 1;
        } else if (step == 1 && d.seen.size() == 1) {
            d.PressAll();
            PostMessageA(main, WM_KEYDOWN, VK_F1, 0);
            step = 2;
        } else if (step == 2 && !g_shell.empty()) {
            d.Exit();
        }
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    ASSERT_EQ(ui.seen.size(), 1u);
    EXPECT_EQ(ui.seen[0].caption, "Error");
    EXPECT_EQ(ui.seen[0].text, "You must install IE3.0 or later to view help contents.");
    EXPECT_EQ(ui.seen[0].owner, main);
    ASSERT_EQ(g_shell.size(), 1u) << "only F1 opened help";
}

TEST_F(Help, AboutShowsTheProductAndClosesWithEnterOrTheCloseBox)
{
    HWND about = nullptr, ownerWhileOpen = nullptr, main = nullptr;
    bool ownerDisabled = false;
    RECT client{};
    int step = 0, closes = 0;
    UiDriver ui([&](UiDriver &d) {
        switch (step) {
        case 0:
            PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_ABOUT, 0);
            step = 1;
            break;
        case 1:
            if (MainForm->DialogCount == 1) {
                main = MainForm->hwnd();
                about = MainForm->TopWindowHandle();
                ownerWhileOpen = GetWindow(about, GW_OWNER);
                ownerDisabled = !IsWindowEnabled(MainForm->hwnd());
                GetClientRect(about, &client);
                // A click on the web address opens it and leaves the dialog open.
                PostMessageA(about, WM_LBUTTONUP, 0, MAKELPARAM(110, 130));
                step = 2;
            }
            break;
        case 2:
            if (!g_shell.empty()) {
                PostMessageA(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_RETURN, 0);
                step = 3;
            }
            break;
        case 3:
            if (MainForm->DialogCount == 0) {
                ++closes;
                PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_ABOUT, 0);
                step = 4;
            }
            break;
        case 4:
            if (MainForm->DialogCount == 1) {
                PostMessageA(MainForm->TopWindowHandle(), WM_CLOSE, 0, 0);
                step = 5;
            }
            break;
        case 5:
            if (MainForm->DialogCount == 0) {
                ++closes;
                d.Exit();
            }
            break;
        }
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_FALSE(ui.TimedOut());
    EXPECT_EQ(ownerWhileOpen, main);
    EXPECT_TRUE(ownerDisabled) << "modal: the main window waits";
    EXPECT_EQ(client.right, 334);
    EXPECT_EQ(client.bottom, 194);
    ASSERT_EQ(g_shell.size(), 1u);
    EXPECT_EQ(g_shell[0].file, MakerWebAddress);
    EXPECT_EQ(g_shell[0].owner, about);
    EXPECT_EQ(closes, 2);
}

TEST_F(Help, TheAlarmBeeps600HzFor400msOnceASecondWhileAnErrorBoxIsOpen)
{
    ImportPatch beep(nullptr, "kernel32.dll", "Beep", reinterpret_cast<void *>(RecordBeep));
    ASSERT_TRUE(beep.ok());
    ASSERT_EQ(qvlsim_queue_event(1, 0x101, nullptr, 0), 0);
    DWORD shownAt = 0;
    size_t beepsAtClose = 0;
    UiDriver ui([&](UiDriver &d) {
        qvltest::FastPolling();
        if (d.seen.size() == 1 && shownAt == 0)
            shownAt = d.Elapsed();
        if (shownAt && d.Elapsed() - shownAt > 3500 && !d.OpenBoxes().empty()) {
            beepsAtClose = g_beeps.size();
            d.PressAll();
        }
        if (shownAt && d.OpenBoxes().empty() && d.Elapsed() - shownAt > 6000)
            d.Exit(); // two more seconds: the alarm must have stopped
    });
    EXPECT_EQ(RunConsoleHere(nullptr), 0);
    EXPECT_GE(beepsAtClose, 3u);
    EXPECT_LE(beepsAtClose, 4u);
    EXPECT_EQ(g_beeps.size(), beepsAtClose) << "no beep after OK";
    for (const auto &b : g_beeps) {
        EXPECT_EQ(b.first, 600u);
        EXPECT_EQ(b.second, 400u);
    }
}

} // namespace
