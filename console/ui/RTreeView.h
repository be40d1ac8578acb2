// TRTreeView: the standard tree view control, which also selects a node with the right mouse
// button when RightClickSelect is on, and raises its own selection events.
#ifndef QVL_RTREEVIEW_H
#define QVL_RTREEVIEW_H

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "win/window.h"

class TRTreeView {
public:
    // Creates the control as a child of `parent` (a qvl::Window, which reflects the control's
    // notifications back to it) with the given id.
    TRTreeView(HWND parent, UINT id, DWORD style);
    TRTreeView(const TRTreeView &) = delete;
    TRTreeView &operator=(const TRTreeView &) = delete;
    ~TRTreeView();

    HWND Handle() const { return hwnd_; }
    HTREEITEM Selected() const { return TreeView_GetSelection(hwnd_); }
    HTREEITEM HitTest(POINT client) const;

    bool RightClickSelect = false;
    // The selection changed (by the user, or by the program's TVM_SELECTITEM).
    std::function<void()> OnChange;
    // A node was expanded or collapsed.
    std::function<void()> OnExpanded;
    // Alt with a letter while the tree has the focus; true when the owner used it.
    std::function<bool(char key)> OnMnemonic;
    // The context menu: a right click (at its point) or Shift+F10 and the Menu key (at the
    // selected node), in screen coordinates.
    std::function<void(POINT screen, bool byKeyboard)> OnContextMenu;
    // Where a menu opened by keyboard goes: below the selected node's text, else the corner.
    POINT KeyboardMenuPoint() const;

private:
    static LRESULT Subclassed(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    // True when the message is answered here (with `result`); false leaves it to the control.
    bool Answered(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result);
    bool RightButtonDown(POINT at);
    LRESULT TakeFocus(WPARAM wParam, LPARAM lParam);
    // Tab, and the keys that move the selection while there is none.
    bool NavigationKey(UINT key);
    // The Menu key and Shift+F10, down and up.
    bool ContextMenuKey(UINT msg, WPARAM key);
    bool ContextMenu(LPARAM lParam);
    // The control's own notifications, reflected by its parent; true when answered.
    bool Notified(const NMHDR &header, qvl::NotifyReply &reply);
    HWND hwnd_ = nullptr;   // owned
    bool focusing_ = false; // while the control handles its focus gain
};

#endif
