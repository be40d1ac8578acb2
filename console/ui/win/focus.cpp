#include "focus.h"

namespace qvl {

HWND RootWindow(HWND hwnd)
{
    HWND root = hwnd;
    while (root && (GetWindowLongA(root, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(root);
        if (!parent)
            break;
        root = parent;
    }
    return root;
}

void FocusNextTabStop(HWND from, bool previous)
{
    HWND next = GetNextDlgTabItem(RootWindow(from), from, previous);
    if (next && next != from)
        SetFocus(next);
}

} // namespace qvl
