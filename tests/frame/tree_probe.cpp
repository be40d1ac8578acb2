// Waits (up to 20 s) for the console's main window, then for its device tree to hold the
// expected number of nodes; ends the console either way. Exit code 0 when the tree was shown.
// Usage: tree_probe TITLE NODES
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

BOOL CALLBACK FindTree(HWND child, LPARAM found)
{
    char cls[64];
    if (GetClassNameA(child, cls, sizeof cls) && std::strcmp(cls, WC_TREEVIEWA) == 0 && IsWindowVisible(child)) {
        *reinterpret_cast<HWND *>(found) = child;
        return FALSE;
    }
    return TRUE;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const LRESULT want = std::atoi(argv[2]);
    HWND main = nullptr;
    LRESULT count = -1;
    for (int i = 0; i < 200 && count != want; ++i, Sleep(100)) {
        if (!main)
            main = FindWindowA(nullptr, argv[1]);
        HWND tree = nullptr;
        if (main)
            EnumChildWindows(main, FindTree, reinterpret_cast<LPARAM>(&tree));
        if (tree)
            count = SendMessageA(tree, TVM_GETCOUNT, 0, 0); // no pointers: fine across processes
    }
    std::printf("main window %s, tree nodes %ld (want %ld)\n", main ? "shown" : "missing", static_cast<long>(count),
                static_cast<long>(want));
    if (main) {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
    return count == want ? 0 : 1;
}
