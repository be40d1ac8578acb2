// Classic equivalents of the newer calls the console would otherwise import: window subclassing
// of common controls 6 (XP), TransparentBlt (98/2000, msimg32, which NT 4.0 lacks) and
// GetAncestor (98/2000). Everything here exists in Windows 95 and NT 4.0.
#ifndef QVL_CLASSIC_H
#define QVL_CLASSIC_H

#include <windows.h>

namespace qvl {

// The callback of a subclassed window, as for SetWindowSubclass.
using SubclassCallback = LRESULT(CALLBACK *)(HWND, UINT, WPARAM, LPARAM, UINT_PTR id, DWORD_PTR data);

// Replaces the window procedure (one subclass per window); the callback passes on what it
// does not handle with DefSubclass. The subclass removes itself at WM_NCDESTROY at the latest.
bool Subclass(HWND hwnd, SubclassCallback callback, UINT_PTR id, DWORD_PTR data);
void Unsubclass(HWND hwnd);
LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The top-level window that contains hwnd, following parents only (as GetAncestor GA_ROOT).
HWND RootWindow(HWND hwnd);

// Copies (stretching as needed) src onto dest except the pixels of the transparent colour, with
// the same result as TransparentBlt: the stretch goes first, then the mask is made from it.
bool TransparentCopy(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                     COLORREF transparent);

} // namespace qvl

#endif
