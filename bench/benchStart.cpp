// Start-up time and memory of a GUI program, measured from outside as a user sees it: from
// CreateProcess until its main window is visible (and, for the console, its device tree is
// filled), then its private bytes; the program is then ended as a user ends it.
//
//   bench_start RUNS CONSOLE.exe FLOOR.exe
// Prints one line per figure: "startup_ms CONSOLE FLOOR", "private_kb ...", "peak_kb ...",
// "working_kb ...", "modules CONSOLE FLOOR" (DLLs loaded once started); then the console's
// start-up timeline, one "timeline MS MOMENT [+DLL...]" line per moment (median ms after
// CreateProcess; the DLLs of a watched set first seen at that moment), and "extra_dll NAME" for
// each DLL the console has loaded that the window-only program has not. The console writes the
// timeline to the file named by QVL_TIMELINE, which is set for its starts only.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
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
    std::set<std::string> modules;
    // Moment -> ms after CreateProcess, in the order written, with the DLLs first seen there.
    std::vector<std::pair<std::string, double>> timeline;
    std::map<std::string, std::string> timelineDlls;
};

std::string TimelineFile()
{
    char dir[MAX_PATH] = "";
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "qvl-bench-timeline.txt";
}

std::set<std::string> Modules(HANDLE process)
{
    std::set<std::string> names;
    HMODULE modules[256];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes))
        return names;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 256; ++i) {
        char name[MAX_PATH] = "";
        if (GetModuleBaseNameA(process, modules[i], name, sizeof name)) {
            std::string lower = name;
            for (char &c : lower)
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            names.insert(lower);
        }
    }
    return names;
}

// "COUNT MOMENT WORDS [+DLL...]" lines; the moment is every word up to the first "+".
void ReadTimeline(long long start, Sample &out)
{
    std::ifstream in(TimelineFile());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        long long count = 0;
        if (!(words >> count))
            continue;
        std::string word, moment, dlls;
        while (words >> word) {
            if (word[0] == '+')
                dlls += " " + word;
            else
                moment += (moment.empty() ? "" : "_") + word;
        }
        out.timeline.emplace_back(moment, qvlbench::CountToMs(count - start));
        out.timelineDlls[moment] = dlls;
    }
}

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

    SetEnvironmentVariableA("QVL_TIMELINE", console ? TimelineFile().c_str() : nullptr);
    DeleteFileA(TimelineFile().c_str());
    const long long start = qvlbench::NowCount();
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
        out.modules = Modules(pi.hProcess);
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
    if (console && ready)
        ReadTimeline(start, out);
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

    std::vector<double> cStart, cPrivate, cPeak, cWorking, fStart, fPrivate, fPeak, fWorking, cModules, fModules;
    std::vector<std::string> moments;
    std::map<std::string, std::vector<double>> momentMs;
    std::map<std::string, std::string> momentDlls;
    std::set<std::string> extra;
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
        cModules.push_back(static_cast<double>(c.modules.size()));
        fModules.push_back(static_cast<double>(f.modules.size()));
        for (const std::string &m : c.modules)
            if (!f.modules.count(m))
                extra.insert(m);
        for (const auto &[moment, ms] : c.timeline) {
            if (!momentMs.count(moment))
                moments.push_back(moment);
            momentMs[moment].push_back(ms);
            momentDlls[moment] = c.timelineDlls[moment];
        }
    }
    using qvlbench::Median;
    std::printf("startup_ms %.1f %.1f\n", Median(cStart), Median(fStart));
    std::printf("private_kb %.0f %.0f\n", Median(cPrivate), Median(fPrivate));
    std::printf("peak_kb %.0f %.0f\n", Median(cPeak), Median(fPeak));
    std::printf("working_kb %.0f %.0f\n", Median(cWorking), Median(fWorking));
    std::printf("modules %.0f %.0f\n", Median(cModules), Median(fModules));
    for (const std::string &moment : moments)
        std::printf("timeline %.1f %s%s\n", Median(momentMs[moment]), moment.c_str(), momentDlls[moment].c_str());
    for (const std::string &name : extra)
        std::printf("extra_dll %s\n", name.c_str());
    return 0;
}
