#include "timeline.h"

#include <windows.h>

#include <cstdio>

namespace qvl::timeline {

namespace {

// DLLs the console or the libraries under it may pull in; a name that appears between two
// moments was loaded in that interval.
const char *const Watched[] = {
    "kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll", "msvcrt.dll",  "comctl32.dll",
    "shell32.dll",  "shlwapi.dll", "ole32.dll",   "oleaut32.dll", "combase.dll", "rpcrt4.dll",
    "imm32.dll",    "uxtheme.dll", "winmm.dll",   "version.dll",  "ws2_32.dll",  "qvlclient.dll",
    "qvldev.dll",   "shdocvw.dll", "ieframe.dll", "mshtml.dll",   "urlmon.dll",  "hhctrl.ocx",
};
constexpr int WatchedCount = sizeof Watched / sizeof Watched[0];

using CounterFn = BOOL(WINAPI *)(LARGE_INTEGER *);
using QueueStatusFn = DWORD(WINAPI *)(UINT);

struct State {
    bool checked = false;
    bool painted = false;
    std::FILE *file = nullptr;
    CounterFn counter = nullptr;
    QueueStatusFn queueStatus = nullptr;
    bool seen[WatchedCount] = {};
    ~State()
    {
        if (file)
            std::fclose(file);
    }
};

State &Current()
{
    static State state;
    if (!state.checked) {
        state.checked = true;
        char path[MAX_PATH] = "";
        const DWORD n = GetEnvironmentVariableA("QVL_TIMELINE", path, sizeof path);
        if (n > 0 && n < sizeof path) {
            state.counter = reinterpret_cast<CounterFn>(
                reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryPerformanceCounter")));
            state.queueStatus = reinterpret_cast<QueueStatusFn>(
                reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetQueueStatus")));
            if (state.counter)
                state.file = std::fopen(path, "w");
        }
    }
    return state;
}

} // namespace

bool Enabled() { return Current().file != nullptr; }

void Mark(const char *what)
{
    State &state = Current();
    if (!state.file)
        return;
    LARGE_INTEGER now{};
    state.counter(&now);
    std::fprintf(state.file, "%lld %s", static_cast<long long>(now.QuadPart), what);
    for (int i = 0; i < WatchedCount; ++i)
        if (!state.seen[i] && GetModuleHandleA(Watched[i])) {
            state.seen[i] = true;
            std::fprintf(state.file, " +%s", Watched[i]);
        }
    std::fputc('\n', state.file);
    std::fflush(state.file);
}

void MarkFirstPaint()
{
    State &state = Current();
    if (!state.file || state.painted || !state.queueStatus)
        return;
    if (HIWORD(state.queueStatus(QS_PAINT)) & QS_PAINT)
        return;
    state.painted = true;
    Mark("first paint");
}

} // namespace qvl::timeline
