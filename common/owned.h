// One owner for every handle of the console, the client library and the simulator: a
// move-only holder whose traits say how the handle is closed and, where it is not null,
// which value means "none".
#ifndef QVL_OWNED_H
#define QVL_OWNED_H

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace qvl {

template <class H, class Traits> class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    Owned(Owned &&o) noexcept : h_(std::exchange(o.h_, None())) {}
    Owned &operator=(Owned &&o) noexcept
    {
        if (this != &o)
            reset(std::exchange(o.h_, None()));
        return *this;
    }
    ~Owned() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != None(); }
    void reset(H h = None())
    {
        if (h_ != None())
            Traits::Close(h_);
        h_ = h;
    }
    H release() { return std::exchange(h_, None()); }
    // For functions that return the handle through a pointer: closes the one held first.
    H *put()
    {
        reset();
        return &h_;
    }

    // The value that means "no handle": Traits::None() where the traits give one.
    static H None()
    {
        if constexpr (requires { Traits::None(); })
            return Traits::None();
        else
            return H{};
    }

private:
    H h_ = None();
};

struct KernelHandleTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
};
using Handle = Owned<HANDLE, KernelHandleTraits>; // mutex, event, process, thread, mapping

// A file or device opened with CreateFile: INVALID_HANDLE_VALUE, not null, means none.
struct FileHandleTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
};
using FileHandle = Owned<HANDLE, FileHandleTraits>;

struct RegKeyTraits {
    static void Close(HKEY h) { RegCloseKey(h); }
};
using RegKey = Owned<HKEY, RegKeyTraits>;

struct LibraryTraits {
    static void Close(HMODULE h) { FreeLibrary(h); }
};
using Library = Owned<HMODULE, LibraryTraits>; // a DLL loaded by LoadLibrary

struct GdiObjectTraits {
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
using Bitmap = Owned<HBITMAP, GdiObjectTraits>;
using Font = Owned<HFONT, GdiObjectTraits>;
using Brush = Owned<HBRUSH, GdiObjectTraits>;

struct MemoryDCTraits {
    static void Close(HDC h) { DeleteDC(h); }
};
using MemoryDC = Owned<HDC, MemoryDCTraits>; // from CreateCompatibleDC

// A window's DC (the screen's for none), released with the window it came from.
class WindowDC {
public:
    explicit WindowDC(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    WindowDC(const WindowDC &) = delete;
    WindowDC &operator=(const WindowDC &) = delete;
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

struct MenuTraits {
    static void Close(HMENU h) { DestroyMenu(h); }
};
using Menu = Owned<HMENU, MenuTraits>; // a menu no window holds

struct AccelTraits {
    static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};
using AccelTable = Owned<HACCEL, AccelTraits>; // from CreateAcceleratorTable

struct IconTraits {
    static void Close(HICON h) { DestroyIcon(h); }
};
using Icon = Owned<HICON, IconTraits>; // made by the program, not loaded from a resource

struct ImageListTraits {
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using ImageList = Owned<HIMAGELIST, ImageListTraits>; // a common-control image list

} // namespace qvl

#endif
