#include "RTreeView.h"

#include <windowsx.h>

#include <oleacc.h>

#include "accessible.h"
#include "win/focus.h"
#include "win/subclass.h"

namespace {
constexpr UINT_PTR SubclassId = 1;

// The node a navigation key reaches when nothing is selected yet.
HTREEITEM StartingNode(HWND tree, UINT key)
{
    switch (key) {
    case VK_HOME:
        return TreeView_GetRoot(tree);
    case VK_END:
        return TreeView_GetLastVisible(tree);
    case VK_NEXT: { // a page down from the top line
        HTREEITEM item = TreeView_GetFirstVisible(tree);
        for (UINT n = TreeView_GetVisibleCount(tree); item && n > 1; --n) {
            HTREEITEM next = TreeView_GetNextVisible(tree, item);
            if (!next)
                break;
            item = next;
        }
        return item;
    }
    default:
        return TreeView_GetFirstVisible(tree);
    }
}
// Every node in the order the tree shows them, for screen readers.
void AddNodes(HWND tree, HTREEITEM item, qvl::AccessibleView &view)
{
    const HTREEITEM selected = TreeView_GetSelection(tree);
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        char text[256] = "";
        TVITEMA data{};
        data.mask = TVIF_TEXT | TVIF_STATE | TVIF_CHILDREN;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = sizeof text;
        data.stateMask = TVIS_EXPANDED;
        TreeView_GetItem(tree, &data);
        qvl::AccessiblePart part{text, ROLE_SYSTEM_OUTLINEITEM, STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE, {}};
        if (item == selected)
            part.State |= STATE_SYSTEM_SELECTED | (GetFocus() == tree ? STATE_SYSTEM_FOCUSED : 0);
        if (data.cChildren)
            part.State |= data.state & TVIS_EXPANDED ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
        if (!TreeView_GetItemRect(tree, item, &part.Place, TRUE))
            part.Place = RECT{};
        view.Parts.push_back(part);
        AddNodes(tree, TreeView_GetChild(tree, item), view);
    }
}
} // namespace

TRTreeView::TRTreeView(HWND parent, UINT id, DWORD style)
{
    hwnd_ =
        CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0,
                        parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (hwnd_)
        qvl::Subclass(hwnd_, Subclassed, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TRTreeView::~TRTreeView()
{
    if (hwnd_) {
        qvl::Unsubclass(hwnd_);
        DestroyWindow(hwnd_);
    }
}

HTREEITEM TRTreeView::HitTest(POINT client) const
{
    TVHITTESTINFO hit{};
    hit.pt = client;
    // Anywhere on a node's row counts, as for a left click; below the last node is nothing.
    return TreeView_HitTest(hwnd_, &hit);
}

POINT TRTreeView::KeyboardMenuPoint() const
{
    POINT at{2, 2};
    RECT r;
    if (HTREEITEM item = Selected(); item && TreeView_GetItemRect(hwnd_, item, &r, TRUE)) {
        at.x = r.left;
        at.y = r.bottom;
    }
    ClientToScreen(hwnd_, &at);
    return at;
}

LRESULT TRTreeView::Subclassed(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    auto *tree = reinterpret_cast<TRTreeView *>(self);
    LRESULT result = 0;
    if (msg == WM_NCDESTROY) {
        qvl::Unsubclass(hwnd);
        tree->hwnd_ = nullptr;
    } else if (tree->Answered(msg, wParam, lParam, result)) {
        return result;
    }
    return qvl::DefSubclass(hwnd, msg, wParam, lParam);
}

bool TRTreeView::Answered(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    switch (msg) {
    case WM_RBUTTONDOWN:
        return RightClickSelect && RightButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_SETFOCUS:
        result = TakeFocus(wParam, lParam);
        return true;
    case WM_KEYDOWN:
        return ContextMenuKey(msg, wParam) || NavigationKey(static_cast<UINT>(wParam));
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return ContextMenuKey(msg, wParam);
    case WM_CONTEXTMENU:
        return ContextMenu(lParam);
    case WM_SYSCHAR:
        return OnMnemonic && OnMnemonic(static_cast<char>(wParam)); // else the menu bar looks for the letter
    case WM_CHAR:
        return wParam == '\t'; // no beep for the tab that moved the focus
    case WM_GETOBJECT: {
        qvl::AccessibleView view{"Devices", ROLE_SYSTEM_OUTLINE, 0, {}};
        AddNodes(hwnd_, TreeView_GetRoot(hwnd_), view);
        result = qvl::AnswerGetObject(hwnd_, wParam, lParam, std::move(view));
        return result != 0;
    }
    case qvl::UM_NOTIFYREFLECT:
        return Notified(*reinterpret_cast<const NMHDR *>(lParam), *reinterpret_cast<qvl::NotifyReply *>(wParam));
    default:
        return false;
    }
}

bool TRTreeView::RightButtonDown(POINT at)
{
    // Selecting is the whole answer: the control's own right-button handling (its drag
    // tracking and NM_RCLICK) does not run.
    if (HTREEITEM item = HitTest(at))
        TreeView_SelectItem(hwnd_, item);
    return true;
}

LRESULT TRTreeView::TakeFocus(WPARAM wParam, LPARAM lParam)
{
    // The control selects its first node when it gets the focus with none selected; that
    // change is refused while focusing_ is set, so that only the user selects.
    focusing_ = true;
    const LRESULT result = qvl::DefSubclass(hwnd_, WM_SETFOCUS, wParam, lParam);
    focusing_ = false;
    return result;
}

bool TRTreeView::NavigationKey(UINT key)
{
    if (key == VK_TAB) {
        qvl::FocusNextTabStop(hwnd_, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    const bool moves =
        key == VK_DOWN || key == VK_UP || key == VK_NEXT || key == VK_PRIOR || key == VK_HOME || key == VK_END;
    if (!moves || TreeView_GetSelection(hwnd_))
        return false;
    // With nothing selected the control ignores these keys; move as from a caret before the
    // first visible node.
    if (HTREEITEM target = StartingNode(hwnd_, key))
        TreeView_SelectItem(hwnd_, target);
    return true;
}

bool TRTreeView::ContextMenuKey(UINT msg, WPARAM key)
{
    if (!OnContextMenu)
        return false;
    if (key == VK_APPS && (msg == WM_KEYDOWN || msg == WM_KEYUP)) {
        if (msg == WM_KEYUP) // the menu opens when the key comes up
            SendMessageA(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_), -1);
        return true;
    }
    // Shift+F10 opens the context menu where the system does not (and F10 up must not then
    // open the menu bar).
    if (key == VK_F10 && GetKeyState(VK_SHIFT) < 0 && (msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP)) {
        if (msg == WM_SYSKEYDOWN)
            SendMessageA(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_), -1);
        return true;
    }
    return false;
}

bool TRTreeView::ContextMenu(LPARAM lParam)
{
    if (!OnContextMenu)
        return false;
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1)
        at = KeyboardMenuPoint();
    OnContextMenu(at, lParam == -1);
    return true;
}

bool TRTreeView::Notified(const NMHDR &header, qvl::NotifyReply &reply)
{
    switch (header.code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
        if (!focusing_)
            return false;
        reply = qvl::NotifyReply{true, TRUE}; // getting the focus selects nothing
        return true;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        if (!OnChange)
            return false;
        OnChange();
        reply.handled = true;
        return true;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
        if (OnExpanded)
            OnExpanded();
        return false;
    default:
        return false;
    }
}
