// Window subclassing as Windows 95 and NT 4.0 have it: SetWindowSubclass and its partners are
// exported by name only from common controls 6 (XP), so the window procedure is replaced and
// the subclass record kept in a window property.
#ifndef QVL_WIN_SUBCLASS_H
#define QVL_WIN_SUBCLASS_H

#include <windows.h>

namespace qvl {

// The callback of a subclassed window, as for SetWindowSubclass. It is called only from the
// subclass's own window procedure, which keeps exceptions from crossing into the system.
using SubclassCallback = LRESULT (*)(HWND, UINT, WPARAM, LPARAM, UINT_PTR id, DWORD_PTR data);

// Replaces the window procedure (one subclass per window); the callback passes on what it
// does not handle with DefSubclass. The subclass removes itself at WM_NCDESTROY at the latest.
bool Subclass(HWND hwnd, SubclassCallback callback, UINT_PTR id, DWORD_PTR data);
void Unsubclass(HWND hwnd);
LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace qvl

#endif
