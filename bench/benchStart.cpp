// Start-up time and memory of a GUI program, measured from outside as a user sees it: from
// CreateProcess until its main window is visible (and, for the console, its device tree is
// filled), then its private bytes; the program is then ended as a user ends it.
//
//   bench_start RUNS CONSOLE.exe FLOOR.exe
// Prints one line per figure: "startup_ms CONSOLE FLOOR", "private_kb ...", "peak_kb ...",
// "working_kb ...".
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchUtil.h"

namespace {

constexpr const char *ConsoleTitle = "Quorvel Hot-Swap Utility";
constexpr const char *FloorTitle = "Quorvel Bench Floor";
constexpr UINT ConsoleExitCommand = 100; // File, Exit
constexpr DWORD LimitMs = 30000;

struct Sample {
    double startupMs = 0;
    double privateKb = 0;
    double peakKb = 0;
    double workingKb = 0;
};

struct Find {
    DWORD pid;
    const char *title;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM param)
{
    auto *f = reinterpret_cast<Find *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != f->pid)
        return TRUE;
    char text[128] = "";
    GetWindowTextA(w, text, sizeof text);
    if (std::string(text) == f->title) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTree(HWND w, LPARAM param)
{
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == WC_TREEVIEWA) {
        *reinterpret_cast<HWND *>(param) = w;
        return FALSE;
    }
    return TRUE;
}

// The window is shown and, where asked, holds a device tree with items.
bool Ready(HWND w, bool needTree)
{
    if (!IsWindowVisible(w))
        return false;
    if (!needTree)
        return true;
    HWND tree = nullptr;
    EnumChildWindows(w, FindTree, reinterpret_cast<LPARAM>(&tree));
    if (!tree || !IsWindowVisible(tree))
        return false;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutA(tree, TVM_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count))
        return false;
    return count > 0;
}

bool RunOnce(const std::string &program, bool console, Sample &out)
{
    std::string dir = program.substr(0, program.find_last_of("\\/") + 1);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};

    const double t0 = qvlbench::NowMs();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        std::fprintf(stderr, "bench_start: cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return false;
    }
    WaitForInputIdle(pi.hProcess, LimitMs);
    Find find{pi.dwProcessId, console ? ConsoleTitle : FloorTitle, nullptr};
    bool ready = false;
    while (qvlbench::NowMs() - t0 < LimitMs) {
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
            break; // ended before it showed anything
        find.found = nullptr;
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&find));
        if (find.found && Ready(find.found, console)) {
            ready = true;
            break;
        }
        Sleep(1);
    }
    out.startupMs = qvlbench::NowMs() - t0;

    if (ready) {
        // Let the start-up settle (first paint) before reading its memory.
        WaitForInputIdle(pi.hProcess, 2000);
        PROCESS_MEMORY_COUNTERS_EX pmc{};
        pmc.cb = sizeof pmc;
        if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&pmc), sizeof pmc)) {
            // Wine leaves PrivateUsage zero for another process; PagefileUsage is the same
            // commit charge (Windows reports equal values in both).
            out.privateKb = (pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1024.0;
            out.peakKb = pmc.PeakPagefileUsage / 1024.0;
            out.workingKb = pmc.WorkingSetSize / 1024.0;
        }
        if (console)
            PostMessageA(find.found, WM_COMMAND, ConsoleExitCommand, 0);
        else
            PostMessageA(find.found, WM_CLOSE, 0, 0);
    } else {
        std::fprintf(stderr, "bench_start: %s showed no ready window\n", program.c_str());
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "bench_start: %s did not end; terminated\n", program.c_str());
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        ready = false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ready;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_start RUNS CONSOLE.exe FLOOR.exe\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::string console = argv[2], floor = argv[3];

    // One start of each first, not counted: it loads the binaries into the page cache and
    // the wineserver's tables.
    Sample warm;
    if (!RunOnce(floor, false, warm) || !RunOnce(console, true, warm))
        return 1;

    std::vector<double> cStart, cPrivate, cPeak, cWorking, fStart, fPrivate, fPeak, fWorking;
    for (int i = 0; i < runs; ++i) {
        // Alternating, so that drift of the machine touches both alike.
        Sample f, c;
        if (!RunOnce(floor, false, f) || !RunOnce(console, true, c))
            return 1;
        fStart.push_back(f.startupMs);
        fPrivate.push_back(f.privateKb);
        fPeak.push_back(f.peakKb);
        fWorking.push_back(f.workingKb);
        cStart.push_back(c.startupMs);
        cPrivate.push_back(c.privateKb);
        cPeak.push_back(c.peakKb);
        cWorking.push_back(c.workingKb);
    }
    using qvlbench::Median;
    std::printf("startup_ms %.1f %.1f\n", Median(cStart), Median(fStart));
    std::printf("private_kb %.0f %.0f\n", Median(cPrivate), Median(fPrivate));
    std::printf("peak_kb %.0f %.0f\n", Median(cPeak), Median(fPeak));
    std::printf("working_kb %.0f %.0f\n", Median(cWorking), Median(fWorking));
    return 0;
}
