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
template <class F> F Real(const char *dll, const char *name)
{
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(dll), name)));
}

// One creator or destroyer, counted: it calls the real function (found by name, since this
// module's own imports are the ones patched) and records the handle it made or let go.
template <class F> struct Counted;
template <class R, class... A> struct Counted<R(WINAPI *)(A...)> {
    template <const char *Dll, const char *Name, Kind K> static R WINAPI Create(A... args)
    {
        static auto real = Real<R(WINAPI *)(A...)>(Dll, Name);
        R h = real(args...);
        Made(K, reinterpret_cast<void *>(h));
        return h;
    }
    template <const char *Dll, const char *Name, Kind K, class H> static R WINAPI Destroy(H h, A... rest)
    {
        static auto real = Real<R(WINAPI *)(H, A...)>(Dll, Name);
        Gone(K, reinterpret_cast<void *>(h));
        return real(h, rest...);
    }
};

const char kGdi[] = "gdi32.dll", kUser[] = "user32.dll", kComctl[] = "comctl32.dll";
#define QVL_NAME(f) const char k##f[] = #f
QVL_NAME(CreateDIBSection);
QVL_NAME(CreateCompatibleBitmap);
QVL_NAME(CreateBitmap);
QVL_NAME(CreateFontA);
QVL_NAME(CreateFontIndirectA);
QVL_NAME(CreateSolidBrush);
QVL_NAME(CreatePen);
QVL_NAME(DeleteObject);
QVL_NAME(CreateCompatibleDC);
QVL_NAME(DeleteDC);
QVL_NAME(ImageList_Create);
QVL_NAME(ImageList_Destroy);
QVL_NAME(CreateWindowExA);
QVL_NAME(DestroyWindow);
QVL_NAME(CreateMenu);
QVL_NAME(CreatePopupMenu);
QVL_NAME(LoadMenuA);
QVL_NAME(DestroyMenu);
#undef QVL_NAME

template <const char *Dll, const char *Name, Kind K, class F> void *Creator(F)
{
    return reinterpret_cast<void *>(&Counted<F>::template Create<Dll, Name, K>);
}
// A destroyer's first argument is the handle it lets go.
template <const char *Dll, const char *Name, Kind K, class R, class H, class... A> void *Destroyer(R(WINAPI *)(H, A...))
{
    return reinterpret_cast<void *>(&Counted<R(WINAPI *)(A...)>::template Destroy<Dll, Name, K, H>);
}

HANDLE WINAPI MyLoadImageA(HINSTANCE inst, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    static auto real = Real<decltype(&LoadImageA)>("user32.dll", "LoadImageA");
    HANDLE h = real(inst, name, type, cx, cy, flags);
    if (type == IMAGE_BITMAP)
        Made(Gdi, h);
    return h;
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
            {"gdi32.dll", "CreateDIBSection", Creator<kGdi, kCreateDIBSection, Gdi>(&CreateDIBSection), true},
            {"gdi32.dll", "CreateCompatibleBitmap",
             Creator<kGdi, kCreateCompatibleBitmap, Gdi>(&CreateCompatibleBitmap), true},
            {"gdi32.dll", "CreateBitmap", Creator<kGdi, kCreateBitmap, Gdi>(&CreateBitmap), false},
            {"gdi32.dll", "CreateFontA", Creator<kGdi, kCreateFontA, Gdi>(&CreateFontA), true},
            {"gdi32.dll", "CreateFontIndirectA", Creator<kGdi, kCreateFontIndirectA, Gdi>(&CreateFontIndirectA), false},
            {"gdi32.dll", "CreateSolidBrush", Creator<kGdi, kCreateSolidBrush, Gdi>(&CreateSolidBrush), false},
            {"gdi32.dll", "CreatePen", Creator<kGdi, kCreatePen, Gdi>(&CreatePen), false},
            {"gdi32.dll", "DeleteObject", Destroyer<kGdi, kDeleteObject, Gdi>(&DeleteObject), true},
            {"gdi32.dll", "CreateCompatibleDC", Creator<kGdi, kCreateCompatibleDC, Dc>(&CreateCompatibleDC), true},
            {"gdi32.dll", "DeleteDC", Destroyer<kGdi, kDeleteDC, Dc>(&DeleteDC), true},
            {"user32.dll", "LoadImageA", reinterpret_cast<void *>(MyLoadImageA), true},
            {"comctl32.dll", "ImageList_Create", Creator<kComctl, kImageList_Create, ImageList>(&ImageList_Create),
             true},
            {"comctl32.dll", "ImageList_Destroy", Destroyer<kComctl, kImageList_Destroy, ImageList>(&ImageList_Destroy),
             true},
            {"user32.dll", "CreateWindowExA", Creator<kUser, kCreateWindowExA, Window>(&CreateWindowExA), true},
            {"user32.dll", "DestroyWindow", Destroyer<kUser, kDestroyWindow, Window>(&DestroyWindow), true},
            {"user32.dll", "CreateMenu", Creator<kUser, kCreateMenu, Menu>(&CreateMenu), false},
            {"user32.dll", "CreatePopupMenu", Creator<kUser, kCreatePopupMenu, Menu>(&CreatePopupMenu), false},
            {"user32.dll", "LoadMenuA", Creator<kUser, kLoadMenuA, Menu>(&LoadMenuA), true},
            {"user32.dll", "DestroyMenu", Destroyer<kUser, kDestroyMenu, Menu>(&DestroyMenu), true},
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
                                 : done % 3 == 1
                                     ? TreeView_GetChild(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)))
                                     : hardening::FindDeviceNode(disks[(done / 3) % 4]);
                TreeView_SelectItem(tree, node);
                if (done + 1 == warmUp) {
                    // The first report costs memory once (about 2 MiB of the C runtime's and
                    // Wine's output machinery): report once, then take the baseline.
                    Print("warm-up", done + 1, Measure());
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
