// The top-level window of a control, and the keyboard's way between the controls of a window
// that is no dialog.
#ifndef QVL_WIN_FOCUS_H
#define QVL_WIN_FOCUS_H

#include <windows.h>

namespace qvl {

// The top-level window that contains hwnd, following parents only (as GetAncestor GA_ROOT,
// which Windows 95 and NT 4.0 lack).
HWND RootWindow(HWND hwnd);

// Moves the focus to the next (or previous) tab stop of the top-level window: our main
// window is no dialog, so no dialog manager does this for its controls.
void FocusNextTabStop(HWND from, bool previous);

} // namespace qvl

#endif
