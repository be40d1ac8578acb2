// Health at a glance: after a reload that finds a failed disk the notification-area icon is
// marked and its tip names the disk; after the system is well again both are the program's own.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "pageTest.h"
#include "support/importPatch.h"
#include "trayHealth.h"

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

// Pumps this thread's messages until `done` holds; false if it never does within a minute.
template <class F> bool PumpUntil(F done)
{
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 60000; Pump(20))
        if (done())
            return true;
    return done();
}

bool Red(DWORD p) { return (p >> 16 & 0xFF) > 160 && (p >> 8 & 0xFF) < 64 && (p & 0xFF) < 64; }

// What `dc` shows in `r`, as 0xRRGGBB pixels, top row first.
std::vector<DWORD> Pixels(HDC dc, const RECT &r)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    void *bits = nullptr;
    qvl::Bitmap dib = qvl::CreateDib32(w, h, &bits);
    qvl::BitmapDC copy(dib.get());
    BitBlt(copy.get(), 0, 0, w, h, dc, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> out(static_cast<DWORD *>(bits), static_cast<DWORD *>(bits) + w * h);
    for (DWORD &p : out)
        p &= 0xFFFFFF;
    return out;
}

// `icon` drawn at `size` over a background.
std::vector<DWORD> Drawn(HICON icon, int size, int background)
{
    void *bits = nullptr;
    qvl::Bitmap dib = qvl::CreateDib32(size, size, &bits);
    qvl::BitmapDC dc(dib.get());
    const RECT all{0, 0, size, size};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(background)));
    DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    return Pixels(dc.get(), all);
}

} // namespace

TEST(Health, AFailedDiskMarksTheIconUntilTheSystemIsWellAgain)
{
    qvltest::ImportPatch patch(nullptr, "shell32.dll", "Shell_NotifyIconA",
                               reinterpret_cast<void *>(&RecordNotifyIcon));
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

// What the shell shows, read from the screen: Wine's stand-alone notification area, drawn by
// this process, one child window per icon. A mark the shell draws transparent leaves the plain
// icon's pixels in place, as it repaints without erasing.
TEST(Health, TheNotificationAreaShowsTheMarkWhileADiskHasFailed)
{
    Console c;
    const HWND tray = FindWindowA(nullptr, "Wine System Tray");
    ASSERT_TRUE(tray && IsWindowVisible(tray)) << "no notification area on this display";
    RECT area, was;
    GetWindowRect(tray, &was);
    // Beside the console's window and above it.
    SetWindowPos(tray, HWND_TOPMOST, GetSystemMetrics(SM_CXSCREEN) - (was.right - was.left),
                 GetSystemMetrics(SM_CYSCREEN) - (was.bottom - was.top), 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    GetClientRect(tray, &area);
    MapWindowPoints(tray, nullptr, reinterpret_cast<POINT *>(&area), 2);
    const qvl::WindowDC screen;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const DWORD background = GetRValue(window) << 16 | GetGValue(window) << 8 | GetBValue(window);
    std::vector<DWORD> plain, last;
    ASSERT_TRUE(PumpUntil([&] { // painted and still
        last = std::exchange(plain, Pixels(screen.get(), area));
        return plain == last && std::any_of(plain.begin(), plain.end(), [&](DWORD p) { return p != background; });
    }));

    ASSERT_EQ(qvlsim_fail(0x101), 0);
    c.System().Reload();
    std::vector<DWORD> marked;
    ASSERT_TRUE(PumpUntil([&] {
        marked = Pixels(screen.get(), area);
        return std::any_of(marked.begin(), marked.end(), Red);
    })) << "no red mark in the notification area";
    // What changed lies within one icon, towards its lower right.
    RECT changed{area.right, area.bottom, area.left, area.top};
    for (size_t i = 0; i < marked.size(); ++i)
        if (marked[i] != plain[i]) {
            const LONG x = area.left + static_cast<LONG>(i % (area.right - area.left));
            const LONG y = area.top + static_cast<LONG>(i / (area.right - area.left));
            changed = {std::min(changed.left, x), std::min(changed.top, y), std::max(changed.right, x + 1),
                       std::max(changed.bottom, y + 1)};
        }
    bool within = false;
    for (HWND icon = FindWindowExA(tray, nullptr, nullptr, nullptr); icon;
         icon = FindWindowExA(tray, icon, nullptr, nullptr)) {
        RECT r, both;
        GetWindowRect(icon, &r);
        if (IntersectRect(&both, &r, &changed) && EqualRect(&both, &changed)) {
            within = true;
            EXPECT_GT(changed.left + changed.right, r.left + r.right);
            EXPECT_GT(changed.top + changed.bottom, r.top + r.bottom);
        }
    }
    EXPECT_TRUE(within);

    ASSERT_EQ(qvlsim_reset(), 0);
    c.System().Rescan();
    EXPECT_TRUE(PumpUntil([&] { return Pixels(screen.get(), area) == plain; })) << "the mark stays";
    SetWindowPos(tray, HWND_NOTOPMOST, was.left, was.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// The composed icon as shells with and without alpha draw it, at the notification area's size
// and the full one: opaque red over any background, and only on pixels the plain icon covers
// (which a shell that repaints without erasing overwrites again).
TEST(Health, TheAlarmMarkIsOpaqueAndWithinTheIconWithOrWithoutAlpha)
{
    const HICON program = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON));
    // The same picture as shells before alpha see it: 24-bit colour over black, and its mask.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, 32, -32, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    qvl::Bitmap color(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    qvl::Bitmap mask(CreateBitmap(32, 32, 1, 1, nullptr));
    {
        qvl::BitmapDC colorDc(color.get()), maskDc(mask.get());
        DrawIconEx(colorDc.get(), 0, 0, program, 32, 32, 0, nullptr, DI_NORMAL);
        DrawIconEx(maskDc.get(), 0, 0, program, 32, 32, 0, nullptr, DI_MASK);
    }
    ICONINFO maskInfo{TRUE, 0, 0, mask.get(), color.get()};
    const qvl::Icon maskOnly(CreateIconIndirect(&maskInfo));

    for (HICON base : {program, maskOnly.get()})
        for (int size : {16, 32}) {
            SCOPED_TRACE(std::string(base == program ? "alpha" : "mask only") + " at " + std::to_string(size));
            ASSERT_NE(base, nullptr);
            const qvl::Icon marked = qvl::ComposeAlarmIcon(base);
            ASSERT_TRUE(marked);
            const auto plainWhite = Drawn(base, size, WHITE_BRUSH), plainBlack = Drawn(base, size, BLACK_BRUSH);
            const auto onWhite = Drawn(marked.get(), size, WHITE_BRUSH),
                       onBlack = Drawn(marked.get(), size, BLACK_BRUSH);
            int red = 0, spilled = 0, changed = 0, sumX = 0, sumY = 0;
            for (int i = 0; i < size * size; ++i) {
                red += Red(onWhite[i]) && onWhite[i] == onBlack[i];
                if (onWhite[i] != plainWhite[i] || onBlack[i] != plainBlack[i]) {
                    ++changed, sumX += i % size, sumY += i / size;
                    spilled += plainWhite[i] != plainBlack[i];
                }
            }
            EXPECT_GE(red, size * size / 16);
            EXPECT_EQ(spilled, 0);
            ASSERT_GT(changed, 0);
            EXPECT_GT(sumX / changed, size / 2); // lower right
            EXPECT_GT(sumY / changed, size / 2);
        }
}
