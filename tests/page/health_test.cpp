// Health at a glance: after a reload that finds a failed disk the notification-area icon is
// marked and its tip names the disk; after the system is well again both are the program's own.
#include <windows.h>
#include <shellapi.h>

#include "pageTest.h"
#include "support/importPatch.h"

using pagetest::Console;
using pagetest::Pump;

namespace {

// The last record the console gave the shell, as the shell received it.
struct TrayRecord {
    DWORD size = 0;
    HICON icon = nullptr;
    std::string tip;
    int calls = 0;
};
TrayRecord g_tray;

BOOL WINAPI RecordNotifyIcon(DWORD, PNOTIFYICONDATAA data)
{
    g_tray.size = data->cbSize;
    g_tray.icon = data->hIcon;
    const size_t room = data->cbSize > NOTIFYICONDATAA_V1_SIZE ? sizeof data->szTip : 64;
    g_tray.tip.assign(data->szTip, strnlen(data->szTip, room));
    ++g_tray.calls;
    return TRUE;
}

} // namespace

TEST(Health, AFailedDiskMarksTheIconUntilTheSystemIsWellAgain)
{
    qvltest::ImportPatch patch(nullptr, "shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void *>(&RecordNotifyIcon));
    ASSERT_TRUE(patch.ok());
    g_tray = {};
    Console c;
    const HICON programIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON));
    const std::string plainTip = "Quorvel Storage Management Software Console";
    ASSERT_GE(g_tray.calls, 1);
    EXPECT_EQ(g_tray.icon, programIcon);
    EXPECT_EQ(g_tray.tip, plainTip);
    EXPECT_EQ(g_tray.size, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    char title[128] = "";
    GetWindowTextA(c.main->hwnd(), title, sizeof title);

    // A reload that finds nothing new tells the shell nothing.
    int calls = g_tray.calls;
    c.System().Reload();
    EXPECT_EQ(g_tray.calls, calls);

    // A member of the mirror fails: the disk is named before its array.
    ASSERT_EQ(qvlsim_fail(0x102), 0);
    c.System().Reload();
    Pump();
    EXPECT_NE(g_tray.icon, programIcon);
    EXPECT_NE(g_tray.icon, nullptr);
    EXPECT_EQ(g_tray.tip, plainTip + "\nDisk at Controller1-Channel2-Device1 failed.");
    char titleNow[128] = "";
    GetWindowTextA(c.main->hwnd(), titleNow, sizeof titleNow);
    EXPECT_STREQ(titleNow, title);

    ASSERT_EQ(qvlsim_reset(), 0);
    c.System().Rescan();
    Pump();
    EXPECT_EQ(g_tray.icon, programIcon);
    EXPECT_EQ(g_tray.tip, plainTip);
    EXPECT_EQ(g_tray.size, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
}
