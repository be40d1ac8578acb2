// e2e_probe: reads from outside what the running console shows, for the end-to-end script.
//   e2e_probe selected      the path of the tree's selected item below the system, "A/B/C",
//                           or "(system)" when the system itself is selected
//   e2e_probe nodes         the number of nodes in the tree (0 until it is filled)
//   e2e_probe panel-title   a digest of the pixels of the information panel's title strip
//   e2e_probe double-click  the double-click time in milliseconds: two clicks closer than it
//                           are one double click
// Exit 1 with a line on stderr when the console or the part asked for is not there.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Fail {
    const char *what;
};

struct KernelHandle {
    HANDLE h;
    ~KernelHandle()
    {
        if (h)
            CloseHandle(h);
    }
};

// Memory in the console's process: the tree writes its answer there.
struct RemoteMemory {
    HANDLE process;
    void *at;
    RemoteMemory(HANDLE p, size_t size) : process(p), at(VirtualAllocEx(p, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
        if (!at)
            throw Fail{"no memory in the console's process"};
    }
    ~RemoteMemory() { VirtualFreeEx(process, at, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory &) = delete;
    RemoteMemory &operator=(const RemoteMemory &) = delete;
};

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { ReleaseDC(nullptr, dc); }
};
struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { DeleteDC(dc); }
};
struct Bitmap {
    HBITMAP bitmap;
    ~Bitmap() { DeleteObject(bitmap); }
};

HWND mainWindow()
{
    HWND w = FindWindowA("QvlMainForm", "Quorvel Hot-Swap Utility");
    if (!w)
        throw Fail{"no main window"};
    return w;
}

struct Search {
    const char *name;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND w, LPARAM p)
{
    auto *s = reinterpret_cast<Search *>(p);
    char name[64] = "";
    GetClassNameA(w, name, sizeof name);
    if (lstrcmpiA(name, s->name) != 0)
        return TRUE;
    s->found = w;
    return FALSE;
}

HWND child(HWND parent, const char *className)
{
    Search search{className, nullptr};
    EnumChildWindows(parent, MatchClass, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        throw Fail{"the window has no such part"};
    return search.found;
}

std::string selectedPath()
{
    HWND tree = child(mainWindow(), WC_TREEVIEWA);
    DWORD pid = 0;
    GetWindowThreadProcessId(tree, &pid);
    KernelHandle process{OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)};
    if (!process.h)
        throw Fail{"cannot open the console's process"};
    struct Exchange {
        TVITEMA item;
        char text[260];
    };
    RemoteMemory remote(process.h, sizeof(Exchange));
    auto text = [&](HTREEITEM item) {
        Exchange x{};
        x.item.mask = TVIF_TEXT;
        x.item.hItem = item;
        x.item.pszText = static_cast<char *>(remote.at) + offsetof(Exchange, text);
        x.item.cchTextMax = sizeof x.text;
        if (!WriteProcessMemory(process.h, remote.at, &x, sizeof x, nullptr) ||
            !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.at)) ||
            !ReadProcessMemory(process.h, remote.at, &x, sizeof x, nullptr))
            throw Fail{"cannot read a tree item"};
        x.text[sizeof x.text - 1] = '\0';
        std::string s = x.text;
        s.erase(s.find_last_not_of(' ') + 1);
        return s;
    };
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        throw Fail{"nothing is selected"};
    std::string path;
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)))) {
        if (!SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)))
            break; // the system itself, named after the machine
        path = text(item) + (path.empty() ? "" : "/" + path);
    }
    return path.empty() ? "(system)" : path;
}

unsigned nodeCount()
{
    HWND tree = child(mainWindow(), WC_TREEVIEWA);
    return static_cast<unsigned>(SendMessageA(tree, TVM_GETCOUNT, 0, 0));
}

// FNV-1a over the screen pixels of the panel's title strip (the top 30 pixels, as the console
// draws it): equal digests, equal titles at the same panel size.
uint32_t panelTitleDigest()
{
    HWND panel = child(mainWindow(), "QvlInfoFrame");
    RECT rc{};
    GetClientRect(panel, &rc);
    POINT origin{0, 0};
    ClientToScreen(panel, &origin);
    const int width = rc.right, height = rc.bottom < 30 ? rc.bottom : 30;
    if (width <= 0 || height <= 0)
        throw Fail{"the panel has no size"};
    ScreenDc screen;
    MemoryDc memory(screen.dc);
    Bitmap bitmap{CreateCompatibleBitmap(screen.dc, width, height)};
    HGDIOBJ old = SelectObject(memory.dc, bitmap.bitmap);
    BitBlt(memory.dc, 0, 0, width, height, screen.dc, origin.x, origin.y, SRCCOPY);
    SelectObject(memory.dc, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    if (!GetDIBits(memory.dc, bitmap.bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS))
        throw Fail{"cannot read the screen"};
    uint32_t hash = 2166136261u;
    for (uint32_t p : pixels)
        for (int b = 0; b < 3; ++b)
            hash = (hash ^ ((p >> (8 * b)) & 0xFF)) * 16777619u;
    return hash;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        if (argc == 2 && std::strcmp(argv[1], "selected") == 0) {
            std::printf("%s\n", selectedPath().c_str());
            return 0;
        }
        if (argc == 2 && std::strcmp(argv[1], "nodes") == 0) {
            std::printf("%u\n", nodeCount());
            return 0;
        }
        if (argc == 2 && std::strcmp(argv[1], "double-click") == 0) {
            std::printf("%u\n", GetDoubleClickTime());
            return 0;
        }
        if (argc == 2 && std::strcmp(argv[1], "panel-title") == 0) {
            std::printf("%08x\n", static_cast<unsigned>(panelTitleDigest()));
            return 0;
        }
        throw Fail{"usage: e2e_probe selected | nodes | panel-title | double-click"};
    } catch (const Fail &f) {
        std::fprintf(stderr, "e2e_probe: %s\n", f.what);
        return 1;
    }
}
