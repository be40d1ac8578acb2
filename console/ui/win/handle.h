// Owners of kernel object handles (mutex, event, process) and of menus that no window holds.
#ifndef QVL_WIN_HANDLE_H
#define QVL_WIN_HANDLE_H

#include "ui/gdiOwn.h"

namespace qvl {

struct KernelHandleTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
};
using Handle = Owned<HANDLE, KernelHandleTraits>;

struct MenuTraits {
    static void Close(HMENU h) { DestroyMenu(h); }
};
using Menu = Owned<HMENU, MenuTraits>; // a menu no window holds

} // namespace qvl

#endif
