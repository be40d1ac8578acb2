// Reload of the RAID system with the rebuild of the device tree, in process: the console runs
// as the program runs it (main window, server manager, device page), and a thread timer times
// batches of reloads once the window is up, then chooses Exit.
//
//   bench_reload SCENARIO BATCHES CYCLES
// Prints "reload_ms TREE MODEL REPAINT PAGE PANEL UPDATE": median per-cycle time of Reload() with
// the tree rebuild, of the model alone (no page refresh), of Reload() followed by a full repaint,
// and, to tell where the time goes, of the page refresh alone and of the information panel's
// system view alone; then of Reload() followed by painting only what it left to paint; then "repaint_ms WINDOW TREE
// PANEL": a full repaint of the unchanged window, of the tree alone and of the information panel alone (with its
// button).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "MainUnit.h"
#include "benchUtil.h"
#include "deviceMan.h"
#include "infoDevice.h"
#include "program.h"
#include "simControl.h"

namespace {

int g_batches = 0;
int g_cycles = 0;
bool g_done = false;
bool g_ok = false;
std::vector<double> g_tree, g_model, g_repaint, g_page, g_panel, g_update, g_paintAll, g_paintTree, g_paintPanel;

void Redraw(HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW); }

double Batch(const std::function<void()> &cycle)
{
    const double t0 = qvlbench::NowMs();
    for (int i = 0; i < g_cycles; ++i)
        cycle();
    return (qvlbench::NowMs() - t0) / g_cycles;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (g_done)
        return;
    g_done = true;
    TRAIDSystem *system = MainForm && MainForm->ServerMan ? MainForm->ServerMan->GetSystem() : nullptr;
    if (system && system->ControllerCount() == 4 && system->ChannelCount() == 8 && system->DeviceCount() == 16) {
        HWND main = MainForm->hwnd();
        auto refresh = system->RefreshCurrentPage;
        auto *page = dynamic_cast<TfrmDeviceMan *>(MainForm->CurrentPage.get());
        if (!page || !page->DeviceView) {
            std::fprintf(stderr, "bench_reload: no device page\n");
        } else {
            for (int b = 0; b < g_batches; ++b) {
                g_tree.push_back(Batch([system] { system->Reload(); }));
                system->RefreshCurrentPage = nullptr; // the model alone
                g_model.push_back(Batch([system] { system->Reload(); }));
                system->RefreshCurrentPage = refresh;
                g_repaint.push_back(Batch([system, main] {
                    system->Reload();
                    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                }));
                g_page.push_back(Batch([] { MainForm->RefreshCurrentPage(); }));
                g_panel.push_back(Batch([system, page] { page->DeviceView->InfoPanel->ShowObject(system, nullptr); }));
                g_update.push_back(Batch([system, main] {
                    system->Reload();
                    RedrawWindow(main, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
                }));
                HWND tree = page->DeviceView->TreeView->Handle(), panel = page->DeviceView->InfoPanel->hwnd();
                g_paintAll.push_back(Batch([main] { Redraw(main); }));
                g_paintTree.push_back(Batch([tree] { Redraw(tree); }));
                g_paintPanel.push_back(Batch([panel] { Redraw(panel); }));
            }
            g_ok = true;
        }
    } else if (system) {
        std::fprintf(stderr, "bench_reload: expected 4 controllers, 8 channels, 16 devices; got %d, %d, %d\n",
                     system->ControllerCount(), system->ChannelCount(), system->DeviceCount());
    }
    if (MainForm && MainForm->hwnd())
        PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_MENU_EXIT, 0);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_reload SCENARIO BATCHES CYCLES\n");
        return 2;
    }
    g_batches = std::atoi(argv[2]);
    g_cycles = std::atoi(argv[3]);
    char error[512] = "";
    if (qvlsim_load_file(argv[1], error, sizeof error) != 0) {
        std::fprintf(stderr, "bench_reload: %s\n", error);
        return 1;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    // Fires in the console's own message loop once the window is shown.
    SetTimer(nullptr, 0, 200, OnTick);
    RunConsole(nullptr, TfrmDeviceMan::CreatePage);
    if (!g_ok) {
        std::fprintf(stderr, "bench_reload: no figures\n");
        return 1;
    }
    using qvlbench::Median;
    std::printf("reload_ms %.3f %.3f %.3f %.3f %.3f %.3f\n", Median(g_tree), Median(g_model), Median(g_repaint),
                Median(g_page), Median(g_panel), Median(g_update));
    std::printf("repaint_ms %.3f %.3f %.3f\n", Median(g_paintAll), Median(g_paintTree), Median(g_paintPanel));
    return 0;
}
