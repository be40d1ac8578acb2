// Owner of a kernel object handle (mutex, event, process).
#ifndef QVL_WIN_HANDLE_H
#define QVL_WIN_HANDLE_H

#include "ui/gdiOwn.h"

namespace qvl {

struct KernelHandleTraits {
    static void Close(HANDLE h) { CloseHandle(h); }
};
using Handle = Owned<HANDLE, KernelHandleTraits>;

} // namespace qvl

#endif
