// Asks the client library to restart the machine and reports what it answered and what the
// session then asked of the running programs (a restart first ends the user's session).
#include <windows.h>

#include <cstdio>

#include "qvlclient.h"

namespace {

bool g_ended = false;

LRESULT CALLBACK Probe(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_QUERYENDSESSION:
        std::printf("query end session\n");
        std::fflush(stdout);
        return TRUE;
    case WM_ENDSESSION:
        std::printf("end session %s\n", wParam ? "yes" : "no");
        std::fflush(stdout);
        g_ended = wParam != 0;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

int main()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = Probe;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvlRebootProbe";
    RegisterClassA(&wc);
    HWND window = CreateWindowA(wc.lpszClassName, "reboot probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);

    int32_t result = cs_qvl_reboot_server(0);
    std::printf("result %d\n", result);
    std::fflush(stdout);

    const DWORD deadline = GetTickCount() + 20000;
    while (!g_ended && GetTickCount() < deadline) {
        MSG msg;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT) == WAIT_OBJECT_0)
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
    }
    if (!g_ended)
        std::printf("session not ended\n");
    DestroyWindow(window);
    return 0;
}
