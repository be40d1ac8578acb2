// TRTreeView: the standard tree view control, which also selects a node with the right mouse
// button when RightClickSelect is on.
#ifndef QVL_RTREEVIEW_H
#define QVL_RTREEVIEW_H

#include <windows.h>
#include <commctrl.h>

#include <functional>

class TRTreeView {
public:
    // Creates the control as a child of `parent` with the given id; WM_NOTIFY goes to parent.
    TRTreeView(HWND parent, UINT id, DWORD style);
    TRTreeView(const TRTreeView &) = delete;
    TRTreeView &operator=(const TRTreeView &) = delete;
    ~TRTreeView();

    HWND Handle() const { return hwnd_; }
    HTREEITEM Selected() const { return TreeView_GetSelection(hwnd_); }
    HTREEITEM HitTest(POINT client) const;

    bool RightClickSelect = false;
    // True while the control handles its focus gain (see the subclass procedure).
    bool Focusing = false;
    // Alt with a letter while the tree has the focus; true when the owner used it.
    std::function<bool(char key)> OnMnemonic;
    // The context menu: a right click (at its point) or Shift+F10 and the Menu key (at the
    // selected node), in screen coordinates.
    std::function<void(POINT screen, bool byKeyboard)> OnContextMenu;
    // Where a menu opened by keyboard goes: below the selected node's text, else the corner.
    POINT KeyboardMenuPoint() const;

private:
    static LRESULT Subclassed(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    HWND hwnd_ = nullptr; // owned
};

#endif
