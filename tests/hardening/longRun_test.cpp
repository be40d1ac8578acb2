// Long runs without leaks: thousands of reloads with tree rebuilds and panel refreshes, and a
// day of polling with events now and then. Under Wine GetGuiResources and the handle counts
// read 0, so the test counts for itself: the GDI, USER and image-list creators and destroyers
// that the console imports are patched to keep a set of live handles, and the process's
// private bytes come from PagefileUsage.
//
// CI runs short forms; QVL_LONG_RUNS=1 runs 10,000 reloads and 28,800 poll ticks (24 hours at
// the real 3-second interval), which take far longer than the CI budget.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hardening.h"
#include "program.h"
#include "qvlclient.h"
#include "support/importPatch.h"
#include "support/simSystem.h"
#include "uiDriver.h"

using qvltest::ImportPatch;
using qvltest::UiDriver;

namespace {

enum Kind { Gdi, Dc, Window, Menu, ImageList, KindCount };
const char *const kKindNames[KindCount] = {"GDI objects", "memory DCs", "windows", "menus", "image lists"};

std::set<void *> g_live[KindCount];

void Made(Kind k, void *h)
{
    if (h)
        g_live[k].insert(h);
}
void Gone(Kind k, void *h) { g_live[k].erase(h); }

// The replacements call the real functions, found by name.
template <class F>
F Real(const char *dll, const char *name)
{
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(dll), name)));
}

HBITMAP WINAPI MyCreateDIBSection(HDC dc, const BITMAPINFO *bi, UINT usage, void **bits, HANDLE section, DWORD offset)
{
    static auto real = Real<decltype(&CreateDIBSection)>("gdi32.dll", "CreateDIBSection");
    HBITMAP h = real(dc, bi, usage, bits, section, offset);
    Made(Gdi, h);
    return h;
}
HBITMAP WINAPI MyCreateCompatibleBitmap(HDC dc, int w, int h)
{
    static auto real = Real<decltype(&CreateCompatibleBitmap)>("gdi32.dll", "CreateCompatibleBitmap");
    HBITMAP b = real(dc, w, h);
    Made(Gdi, b);
    return b;
}
HBITMAP WINAPI MyCreateBitmap(int w, int h, UINT planes, UINT bits, const void *data)
{
    static auto real = Real<decltype(&CreateBitmap)>("gdi32.dll", "CreateBitmap");
    HBITMAP b = real(w, h, planes, bits, data);
    Made(Gdi, b);
    return b;
}
HFONT WINAPI MyCreateFontA(int a, int b, int c, int d, int e, DWORD f, DWORD g, DWORD h, DWORD i, DWORD j, DWORD k,
                           DWORD l, DWORD m, LPCSTR n)
{
    static auto real = Real<decltype(&CreateFontA)>("gdi32.dll", "CreateFontA");
    HFONT font = real(a, b, c, d, e, f, g, h, i, j, k, l, m, n);
    Made(Gdi, font);
    return font;
}
HFONT WINAPI MyCreateFontIndirectA(const LOGFONTA *lf)
{
    static auto real = Real<decltype(&CreateFontIndirectA)>("gdi32.dll", "CreateFontIndirectA");
    HFONT font = real(lf);
    Made(Gdi, font);
    return font;
}
HBRUSH WINAPI MyCreateSolidBrush(COLORREF c)
{
    static auto real = Real<decltype(&CreateSolidBrush)>("gdi32.dll", "CreateSolidBrush");
    HBRUSH b = real(c);
    Made(Gdi, b);
    return b;
}
HPEN WINAPI MyCreatePen(int style, int width, COLORREF c)
{
    static auto real = Real<decltype(&CreatePen)>("gdi32.dll", "CreatePen");
    HPEN p = real(style, width, c);
    Made(Gdi, p);
    return p;
}
HANDLE WINAPI MyLoadImageA(HINSTANCE inst, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    static auto real = Real<decltype(&LoadImageA)>("user32.dll", "LoadImageA");
    HANDLE h = real(inst, name, type, cx, cy, flags);
    if (type == IMAGE_BITMAP)
        Made(Gdi, h);
    return h;
}
BOOL WINAPI MyDeleteObject(HGDIOBJ h)
{
    static auto real = Real<decltype(&DeleteObject)>("gdi32.dll", "DeleteObject");
    Gone(Gdi, h);
    return real(h);
}
HDC WINAPI MyCreateCompatibleDC(HDC dc)
{
    static auto real = Real<decltype(&CreateCompatibleDC)>("gdi32.dll", "CreateCompatibleDC");
    HDC h = real(dc);
    Made(Dc, h);
    return h;
}
BOOL WINAPI MyDeleteDC(HDC dc)
{
    static auto real = Real<decltype(&DeleteDC)>("gdi32.dll", "DeleteDC");
    Gone(Dc, dc);
    return real(dc);
}
HIMAGELIST WINAPI MyImageList_Create(int cx, int cy, UINT flags, int initial, int grow)
{
    static auto real = Real<decltype(&ImageList_Create)>("comctl32.dll", "ImageList_Create");
    HIMAGELIST h = real(cx, cy, flags, initial, grow);
    Made(ImageList, h);
    return h;
}
BOOL WINAPI MyImageList_Destroy(HIMAGELIST h)
{
    static auto real = Real<decltype(&ImageList_Destroy)>("comctl32.dll", "ImageList_Destroy");
    Gone(ImageList, h);
    return real(h);
}
HWND WINAPI MyCreateWindowExA(DWORD ex, LPCSTR cls, LPCSTR name, DWORD style, int x, int y, int w, int h, HWND parent,
                              HMENU menu, HINSTANCE inst, LPVOID param)
{
    static auto real = Real<decltype(&CreateWindowExA)>("user32.dll", "CreateWindowExA");
    HWND wnd = real(ex, cls, name, style, x, y, w, h, parent, menu, inst, param);
    Made(Window, wnd);
    return wnd;
}
BOOL WINAPI MyDestroyWindow(HWND w)
{
    static auto real = Real<decltype(&DestroyWindow)>("user32.dll", "DestroyWindow");
    Gone(Window, w);
    return real(w);
}
HMENU WINAPI MyCreateMenu()
{
    static auto real = Real<decltype(&CreateMenu)>("user32.dll", "CreateMenu");
    HMENU m = real();
    Made(Menu, m);
    return m;
}
HMENU WINAPI MyCreatePopupMenu()
{
    static auto real = Real<decltype(&CreatePopupMenu)>("user32.dll", "CreatePopupMenu");
    HMENU m = real();
    Made(Menu, m);
    return m;
}
HMENU WINAPI MyLoadMenuA(HINSTANCE inst, LPCSTR name)
{
    static auto real = Real<decltype(&LoadMenuA)>("user32.dll", "LoadMenuA");
    HMENU m = real(inst, name);
    Made(Menu, m);
    return m;
}
BOOL WINAPI MyDestroyMenu(HMENU m)
{
    static auto real = Real<decltype(&DestroyMenu)>("user32.dll", "DestroyMenu");
    Gone(Menu, m);
    return real(m);
}

// Polls counted on their way to the library.
int g_polls = 0;
int32_t __cdecl CountedGetLogEvent(uint32_t h, EventEntry *entry)
{
    static auto real = Real<decltype(&cs_qvl_get_log_event)>("qvlclient.dll", "cs_qvl_get_log_event");
    ++g_polls;
    return real(h, entry);
}

struct Figures {
    size_t live[KindCount];
    size_t privateBytes;
};

// Live handles now. A window or menu destroyed with its parent or owner never passes through
// a destroyer, so those are asked whether they still exist.
Figures Measure()
{
    for (auto it = g_live[Window].begin(); it != g_live[Window].end();)
        it = IsWindow(static_cast<HWND>(*it)) ? std::next(it) : g_live[Window].erase(it);
    for (auto it = g_live[Menu].begin(); it != g_live[Menu].end();)
        it = IsMenu(static_cast<HMENU>(*it)) ? std::next(it) : g_live[Menu].erase(it);
    Figures f{};
    for (int k = 0; k < KindCount; ++k)
        f.live[k] = g_live[k].size();
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    f.privateBytes = pmc.PagefileUsage;
    return f;
}

void Print(const char *when, long cycles, const Figures &f)
{
    std::printf("[%s after %ld] private bytes %zu KiB;", when, cycles, f.privateBytes / 1024);
    for (int k = 0; k < KindCount; ++k)
        std::printf(" %s %zu;", kKindNames[k], f.live[k]);
    std::printf("\n");
    std::fflush(stdout);
}

// Memory may settle a little (heap growth, caches of Wine's own); a leak of a tree's worth of
// objects per cycle would pass this within a few hundred cycles.
constexpr size_t kMemorySlack = 1024 * 1024;

void ExpectNoGrowth(const Figures &first, const Figures &last)
{
    for (int k = 0; k < KindCount; ++k)
        EXPECT_EQ(last.live[k], first.live[k]) << kKindNames[k];
    EXPECT_LE(last.privateBytes, first.privateBytes + kMemorySlack) << "private bytes grew";
}

class LongRun : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(qvlsim_reset(), 0);
        ASSERT_EQ(qvlsim_inject_clear(), 0);
        struct Hook {
            const char *dll, *name;
            void *to;
            bool used; // the console imports it: the patch must take
        } hooks[] = {
            {"gdi32.dll", "CreateDIBSection", reinterpret_cast<void *>(MyCreateDIBSection), true},
            {"gdi32.dll", "CreateCompatibleBitmap", reinterpret_cast<void *>(MyCreateCompatibleBitmap), true},
            {"gdi32.dll", "CreateBitmap", reinterpret_cast<void *>(MyCreateBitmap), false},
            {"gdi32.dll", "CreateFontA", reinterpret_cast<void *>(MyCreateFontA), true},
            {"gdi32.dll", "CreateFontIndirectA", reinterpret_cast<void *>(MyCreateFontIndirectA), false},
            {"gdi32.dll", "CreateSolidBrush", reinterpret_cast<void *>(MyCreateSolidBrush), false},
            {"gdi32.dll", "CreatePen", reinterpret_cast<void *>(MyCreatePen), false},
            {"gdi32.dll", "DeleteObject", reinterpret_cast<void *>(MyDeleteObject), true},
            {"gdi32.dll", "CreateCompatibleDC", reinterpret_cast<void *>(MyCreateCompatibleDC), true},
            {"gdi32.dll", "DeleteDC", reinterpret_cast<void *>(MyDeleteDC), true},
            {"user32.dll", "LoadImageA", reinterpret_cast<void *>(MyLoadImageA), true},
            {"comctl32.dll", "ImageList_Create", reinterpret_cast<void *>(MyImageList_Create), true},
            {"comctl32.dll", "ImageList_Destroy", reinterpret_cast<void *>(MyImageList_Destroy), true},
            {"user32.dll", "CreateWindowExA", reinterpret_cast<void *>(MyCreateWindowExA), true},
            {"user32.dll", "DestroyWindow", reinterpret_cast<void *>(MyDestroyWindow), true},
            {"user32.dll", "CreateMenu", reinterpret_cast<void *>(MyCreateMenu), false},
            {"user32.dll", "CreatePopupMenu", reinterpret_cast<void *>(MyCreatePopupMenu), false},
            {"user32.dll", "LoadMenuA", reinterpret_cast<void *>(MyLoadMenuA), true},
            {"user32.dll", "DestroyMenu", reinterpret_cast<void *>(MyDestroyMenu), true},
            {"qvlclient.dll", "cs_qvl_get_log_event", reinterpret_cast<void *>(CountedGetLogEvent), true},
        };
        for (const Hook &h : hooks) {
            patches_.push_back(std::make_unique<ImportPatch>(nullptr, h.dll, h.name, h.to));
            if (h.used) {
                EXPECT_TRUE(patches_.back()->ok()) << h.name;
            }
        }
        for (auto &set : g_live)
            set.clear();
    }
    std::vector<std::unique_ptr<ImportPatch>> patches_;
};

TEST_F(LongRun, ReloadsWithTreeRebuildsAndPanelRefreshes)
{
    const long cycles = hardening::EnvCount("QVL_RELOADS", hardening::LongRuns() ? 10000 : 150);
    const long warmUp = std::min(20L, cycles / 2);
    // Panels of every kind in turn: controller, channel, disk in a rack, CD-ROM, array member.
    const DeviceId disks[] = {0x115, 0x103, 0x101, 0x111};
    long done = 0;
    Figures first{}, last{};
    DWORD started = 0;
    UiDriver ui(
        [&](UiDriver &d) {
            if (!hardening::Page() || !IsWindowVisible(MainForm->hwnd()))
                return;
            MainForm->ServerMan->PollTimer.SetEnabled(false);
            // A few cycles a tick, so that the window paints in between.
            for (int i = 0; i < 4 && done < cycles; ++i, ++done) {
                MainForm->ServerMan->GetSystem()->Reload();
                HWND tree = hardening::Tree();
                HTREEITEM node = done % 3 == 0 ? TreeView_GetChild(tree, TreeView_GetRoot(tree))
                                 : done % 3 == 1 ? TreeView_GetChild(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)))
                                                 : hardening::FindDeviceNode(disks[(done / 3) % 4]);
                TreeView_SelectItem(tree, node);
                if (done + 1 == warmUp) {
                    first = Measure();
                    started = GetTickCount();
                    Print("reloads", done + 1, first);
                }
            }
            if (done == cycles) {
                last = Measure();
                Print("reloads", done, last);
                std::printf("%.1f ms a reload\n", (GetTickCount() - started) / double(cycles - warmUp));
                d.Exit();
            }
        },
        std::max<DWORD>(240000, static_cast<DWORD>(cycles) * 200));
    EXPECT_EQ(qvltest::RunConsoleHere(nullptr, &TfrmDeviceMan::CreatePage), 0);
    ASSERT_FALSE(ui.TimedOut()) << done << " of " << cycles;
    EXPECT_TRUE(ui.seen.empty());
    ExpectNoGrowth(first, last);
    EXPECT_GT(first.live[Gdi], 0u) << "the counting saw the console's objects";
    EXPECT_GT(first.live[Window], 0u);
    EXPECT_GT(first.live[ImageList], 0u);
}

TEST_F(LongRun, ADayOfPollingWithEventsNowAndThen)
{
    const long ticks = hardening::EnvCount("QVL_POLL_TICKS", hardening::LongRuns() ? 28800 : 1500);
    const long warmUp = std::min(400L, ticks / 4);
    constexpr long kEventEvery = 600; // half an hour of real polling
    g_polls = 0;
    long queued = 0;
    Figures first{}, last{};
    UiDriver ui(
        [&](UiDriver &d) {
            if (!hardening::Page())
                return;
            qvltest::FastPolling(1); // as short as timers go
            d.PressAll();
            // An event of each kind in turn, errors (the alarm) included.
            if (g_polls / kEventEvery > queued && g_polls < ticks) {
                static const uint8_t codes[] = {2, 1, 9, 17};
                static const DeviceId ids[] = {0x101, 0x104, 0x201, 0x210};
                qvlsim_queue_event(codes[queued % 4], ids[queued % 4], nullptr, 0);
                ++queued;
            }
            if (first.privateBytes == 0 && g_polls >= warmUp && d.OpenBoxes().empty()) {
                first = Measure();
                Print("poll ticks", g_polls, first);
            }
            if (g_polls >= ticks && d.OpenBoxes().empty() && qvlsim_pending_events() == 0) {
                last = Measure();
                Print("poll ticks", g_polls, last);
                d.Exit();
            }
        },
        std::max<DWORD>(240000, static_cast<DWORD>(ticks) * 30));
    EXPECT_EQ(qvltest::RunConsoleHere("RAID", &TfrmDeviceMan::CreatePage), 0);
    ASSERT_FALSE(ui.TimedOut()) << g_polls << " of " << ticks << " ticks";
    EXPECT_EQ(static_cast<long>(ui.seen.size()), queued) << "every event shown";
    EXPECT_GE(queued, ticks / kEventEvery - 1);
    ExpectNoGrowth(first, last);
}

} // namespace
