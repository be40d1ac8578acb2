#include "deviceView.h"

#include "classic.h"

#include <windowsx.h>

#include <algorithm>

#include "systemUnit.h"
#include "serverMan.h"

TfrmDeviceView::TPanel::TPanel(HWND parent, DWORD exStyle)
{
    CreateWindowOf("QvlPanel", exStyle | WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, "", 0, 0, 0, 0,
                   parent, nullptr);
}

bool TfrmDeviceView::TPanel::OnSize(UINT, int width, int height)
{
    if (OnResize)
        OnResize(width, height);
    return true;
}

TfrmDeviceView::TSplitter::TSplitter(HWND parent)
{
    CreateWindowOf("QvlSplitter", 0, WS_CHILD | WS_VISIBLE, "", 0, 0, 0, 0, parent, nullptr);
}

LRESULT TfrmDeviceView::TSplitter::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETCURSOR:
        SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
        return TRUE;
    case WM_LBUTTONDOWN:
        Dragging = true;
        GrabX = GET_X_LPARAM(lParam);
        SetCapture(hwnd());
        return 0;
    case WM_MOUSEMOVE:
        if (Dragging && OnMoved) {
            POINT at{GET_X_LPARAM(lParam) - GrabX, 0};
            MapWindowPoints(hwnd(), GetParent(hwnd()), &at, 1);
            OnMoved(at.x);
        }
        return 0;
    case WM_LBUTTONUP:
        if (Dragging) {
            Dragging = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        Dragging = false;
        return 0;
    default:
        return Window::HandleMessage(msg, wParam, lParam);
    }
}

TfrmDeviceView::TfrmDeviceView(qvl::Window &owner, TPageHost &host) : TfrmPageBase(owner, host)
{
    TfrmPageBase::InitPage(nullptr); // a page inside the device page, not one of the host's
    Images.reset(ImageList_Create(24, 24, ILC_COLOR24, 16, 16));
    ImageList_SetBkColor(Images.get(), ImagesBackground);

    TreeView = std::make_unique<TRTreeView>(
        hwnd(), TreeViewId, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS);
    TreeView->RightClickSelect = true;
    TreeView->OnChange = [this] { TreeViewChange(); };
    // Collapsing over the selection moves it to the collapsed node, not always with a change
    // event, and only after this one: look again once it is done.
    TreeView->OnExpanded = [this] { PostMessageA(hwnd(), UM_SYNCSELECTION, 0, 0); };
    // The panel's "&Next"/"&Back" answers Alt+N/Alt+B while the tree has the focus.
    TreeView->OnMnemonic = [this](char key) { return InfoPanel && InfoPanel->BtnAdvanced->ClickMnemonic(key); };
    TreeView_SetIndent(TreeView->Handle(), TreeIndent);
    TreeView_SetImageList(TreeView->Handle(), Images.get(), TVSIL_NORMAL);

    Splitter1 = std::make_unique<TSplitter>(hwnd());
    Splitter1->OnMoved = [this](int x) { SetSplitterPosition(x); };

    deviceInfoPanel = std::make_unique<TPanel>(hwnd(), WS_EX_STATICEDGE);
    InfoPanel = std::make_unique<TfrmInfoDevice>(deviceInfoPanel->hwnd(), host.BackImage());
    deviceInfoPanel->OnResize = [this](int width, int height) {
        if (InfoPanel)
            InfoPanel->SetBounds(0, 0, width, height);
    };
    Layout();
}

TfrmDeviceView::~TfrmDeviceView()
{
    // Children go first, while this object is whole: their last notifications still reach
    // HandleMessage.
    Rebuilding = true;
    if (TreeView)
        ClearTree();
    ImageList_RemoveAll(Images.get());
    TreeView.reset();
    InfoPanel.reset();
    deviceInfoPanel.reset();
    Splitter1.reset();
    Destroy();
}

void TfrmDeviceView::SetViewKind(int kind)
{
    ViewKind = kind;
    RefreshPage();
}

void TfrmDeviceView::ClearTree()
{
    // Every object is detached from its node and freed before any node goes.
    for (Node &node : Nodes) {
        TVITEMA item{};
        item.mask = TVIF_PARAM;
        item.hItem = node.Item;
        item.lParam = 0;
        TreeView_SetItem(TreeView->Handle(), &item);
        node.Object.reset();
    }
    TreeView_DeleteAllItems(TreeView->Handle());
    Nodes.clear();
}

void TfrmDeviceView::RefreshPage()
{
    TRAIDSystem *system = Host.System();
    Rebuilding = true;
    std::vector<Wanted> wanted;
    if (system)
        wanted = WantedNodes(*system);
    // The pictures' transparent parts take the tree's background of the moment.
    COLORREF background = TreeView_GetBkColor(TreeView->Handle());
    if (background == static_cast<COLORREF>(-1))
        background = GetSysColor(COLOR_WINDOW);
    NextImage = 0;
    if (SameShape(wanted))
        UpdateTree(wanted, background);
    else
        RebuildTree(wanted, background);
    // Nothing is selected after a rebuild, even when the tree selected a node on its own.
    TreeView_SelectItem(TreeView->Handle(), nullptr);
    Rebuilding = false;
    ShownItem = nullptr;
    InfoPanel->ShowObject(system, nullptr);
}

std::vector<TfrmDeviceView::Wanted> TfrmDeviceView::WantedNodes(const TRAIDSystem &system)
{
    std::vector<Wanted> wanted;
    // The tree keeps copies: the system's own objects go at its next reload.
    auto add = [&wanted](int parent, const TDeviceBase &live) {
        wanted.push_back(Wanted{parent, live.Name, live.Picture.get(), TServerMan::CloneObject(&live)});
        return static_cast<int>(wanted.size()) - 1;
    };
    wanted.push_back(Wanted{-1, system.DisplayName, system.SystemBitmap.get(), nullptr});
    for (int c = 0; c < system.ControllerCount(); ++c) {
        const TController *controller = system.Controllers[c];
        if (!controller)
            continue;
        const int controllerNode = add(0, *controller);
        for (int h = 0; h < controller->ChildCount(); ++h) {
            const TChannel *channel = controller->Child(h);
            if (!channel)
                continue;
            const int channelNode = add(controllerNode, *channel);
            for (int d = 0; d < channel->ChildCount(); ++d)
                if (const TDevice *device = channel->Child(d))
                    add(channelNode, *device);
        }
    }
    return wanted;
}

bool TfrmDeviceView::SameShape(const std::vector<Wanted> &wanted) const
{
    if (wanted.size() != Nodes.size())
        return false;
    for (size_t i = 0; i < wanted.size(); ++i)
        if (wanted[i].Parent != Nodes[i].Parent)
            return false;
    return true;
}

void TfrmDeviceView::RebuildTree(std::vector<Wanted> &wanted, COLORREF background)
{
    HWND tree = TreeView->Handle();
    // One repaint for the whole rebuild; nodes go in already expanded (expanding them one by
    // one afterwards repaints the tree each time).
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    ClearTree();
    std::vector<int> placed(wanted.size(), -1); // the node index each one got, if any
    for (size_t i = 0; i < wanted.size(); ++i) {
        Wanted &w = wanted[i];
        const int parent = w.Parent < 0 ? -1 : placed[w.Parent];
        bool changed = false;
        const int image = NodeImage(w.Picture, background, changed);
        TVINSERTSTRUCTA insert{};
        // Under a node that could not go in, as under none: at the top.
        insert.hParent = w.Parent < 0 ? TVI_ROOT : parent < 0 ? nullptr : Nodes[parent].Item;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
        insert.item.pszText = const_cast<char *>(w.Text.c_str());
        insert.item.iImage = insert.item.iSelectedImage = image;
        insert.item.lParam = reinterpret_cast<LPARAM>(w.Object.get());
        HTREEITEM item =
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!item)
            continue;
        placed[i] = static_cast<int>(Nodes.size());
        Nodes.push_back(Node{item, std::move(w.Object), parent, std::move(w.Text), image});
    }
    DropImagesFrom(NextImage); // the nodes of a larger tree before
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

void TfrmDeviceView::UpdateTree(std::vector<Wanted> &wanted, COLORREF background)
{
    // The same nodes in the same places: only what differs is set, and the control repaints
    // only the rows whose text or image it sees change.
    HWND tree = TreeView->Handle();
    for (size_t i = 0; i < wanted.size(); ++i) {
        Wanted &w = wanted[i];
        Node &node = Nodes[i];
        bool changed = false;
        const int image = NodeImage(w.Picture, background, changed);
        TVITEMA item{};
        item.mask = TVIF_PARAM;
        item.hItem = node.Item;
        item.lParam = reinterpret_cast<LPARAM>(w.Object.get());
        if (w.Text != node.Text) {
            item.mask |= TVIF_TEXT;
            item.pszText = const_cast<char *>(w.Text.c_str());
        }
        if (image != node.Image) {
            item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            item.iImage = item.iSelectedImage = image;
        }
        TreeView_SetItem(tree, &item);
        // New pixels in the same slot, which the control cannot tell; and an image taller than
        // the row reaches into the rows beside it, which the control leaves alone.
        if (changed || image != node.Image) {
            RECT row{};
            if (TreeView_GetItemRect(tree, node.Item, &row, FALSE)) {
                InflateRect(&row, 0, std::max(0, 24 - static_cast<int>(row.bottom - row.top)));
                InvalidateRect(tree, &row, TRUE);
            }
        }
        node.Object = std::move(w.Object); // after the tree lets go of the old copy
        node.Text = std::move(w.Text);
        node.Image = image;
        // A rebuild shows every node expanded; in this order a node's children follow it.
        const bool parent = i + 1 < wanted.size() && wanted[i + 1].Parent == static_cast<int>(i);
        if (parent && !(TreeView_GetItemState(tree, node.Item, TVIS_EXPANDED) & TVIS_EXPANDED))
            TreeView_Expand(tree, node.Item, TVE_EXPAND);
    }
    DropImagesFrom(NextImage);
    // Scrolled back to the top-left corner, where a rebuild starts.
    if (!Nodes.empty() && TreeView_GetFirstVisible(tree) != Nodes[0].Item)
        TreeView_SelectSetFirstVisible(tree, Nodes[0].Item);
    if (GetScrollPos(tree, SB_HORZ) != 0) // the control redraws its scroll bar even for no move
        SendMessageA(tree, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
}

namespace {

// The size and pixels of a 32-bit DIB section (every picture of the model is one); empty for
// anything else, which never matches.
std::vector<DWORD> PicturePixels(HBITMAP picture)
{
    DIBSECTION dib{};
    if (!picture || GetObjectA(picture, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits ||
        dib.dsBm.bmBitsPixel != 32 || dib.dsBm.bmWidth <= 0 || dib.dsBm.bmHeight == 0)
        return {};
    const size_t count =
        static_cast<size_t>(dib.dsBm.bmWidth) * (dib.dsBm.bmHeight < 0 ? -dib.dsBm.bmHeight : dib.dsBm.bmHeight);
    GdiFlush(); // drawing into it is finished
    std::vector<DWORD> pixels{static_cast<DWORD>(dib.dsBm.bmWidth), static_cast<DWORD>(dib.dsBm.bmHeight)};
    const auto *bits = static_cast<const DWORD *>(dib.dsBm.bmBits);
    pixels.insert(pixels.end(), bits, bits + count);
    return pixels;
}

} // namespace

void TfrmDeviceView::DropImagesFrom(int first)
{
    for (int i = ImageList_GetImageCount(Images.get()) - 1; i >= first; --i)
        ImageList_Remove(Images.get(), i);
    if (first < static_cast<int>(ImageSources.size()))
        ImageSources.resize(first);
}

int TfrmDeviceView::NodeImage(HBITMAP picture, COLORREF background, bool &changed)
{
    const int slot = NextImage++;
    changed = false;
    if (background != ImagesComposedOn) {
        DropImagesFrom(0);
        ImagesComposedOn = background;
    }
    std::vector<DWORD> pixels = PicturePixels(picture);
    const bool held = slot < static_cast<int>(ImageSources.size()) && slot < ImageList_GetImageCount(Images.get());
    if (held && !pixels.empty() && ImageSources[slot] == pixels)
        return slot; // the same picture as this node had before
    qvl::Bitmap composed = qvl::CreatePicture(24, 24, background);
    if (composed) {
        const SIZE size = qvl::PictureSize(picture);
        if (size.cx > 0 && size.cy > 0) {
            qvl::BitmapDC to(composed.get()), from(picture);
            const int w = std::min<int>(size.cx, 24), h = std::min<int>(size.cy, 24);
            qvl::TransparentCopy(to.get(), 0, 0, w, h, from.get(), 0, 0, w, h, qvl::TransparentWhite);
        }
    }
    changed = true;
    if (held && composed && ImageList_Replace(Images.get(), slot, composed.get(), nullptr)) {
        ImageSources[slot] = std::move(pixels);
        return slot;
    }
    DropImagesFrom(slot); // images stay one per node, in node order
    const int image = composed ? ImageList_Add(Images.get(), composed.get(), nullptr) : -1; // the list copies it
    if (image == slot)
        ImageSources.push_back(std::move(pixels));
    else
        NextImage = slot; // not added: the next node takes this place, as before
    return image;
}

const TDeviceBase *TfrmDeviceView::NodeObject(HTREEITEM item) const
{
    if (!item)
        return nullptr;
    TVITEMA tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!TreeView_GetItem(TreeView->Handle(), &tv))
        return nullptr;
    return reinterpret_cast<const TDeviceBase *>(tv.lParam);
}

const TDeviceBase *TfrmDeviceView::SelectedObject() const { return NodeObject(TreeView->Selected()); }

void TfrmDeviceView::UpdateBayValues() { InfoPanel->UpdateBayValues(); }

void TfrmDeviceView::TreeViewChange()
{
    if (Rebuilding || !Active)
        return;
    HTREEITEM selected = TreeView->Selected();
    if (!selected)
        return;
    ShownItem = selected;
    InfoPanel->ShowObject(Host.System(), NodeObject(selected));
    // Sent, not posted: the page's commands are current when the change event returns.
    if (HWND parent = GetParent(hwnd()))
        SendMessageA(parent, UM_SELCHANGE, 0, 0);
}

void TfrmDeviceView::SetSplitterPosition(int x)
{
    RECT client;
    GetClientRect(hwnd(), &client);
    const int most = client.right - SplitterWidth - MinPaneWidth;
    SplitX = std::max(MinPaneWidth, std::min(x, std::max(most, MinPaneWidth)));
    Layout();
}

void TfrmDeviceView::Layout()
{
    RECT client;
    GetClientRect(hwnd(), &client);
    const int height = client.bottom;
    HDWP batch = BeginDeferWindowPos(3);
    if (batch)
        batch = DeferWindowPos(batch, TreeView->Handle(), nullptr, 0, 0, SplitX, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (batch)
        batch = DeferWindowPos(batch, Splitter1->hwnd(), nullptr, SplitX, 0, SplitterWidth, height,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    if (batch)
        batch = DeferWindowPos(batch, deviceInfoPanel->hwnd(), nullptr, SplitX + SplitterWidth, 0,
                               std::max(0, static_cast<int>(client.right) - SplitX - SplitterWidth), height,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    if (batch)
        EndDeferWindowPos(batch);
    // Moving the panes repaints only what they newly uncover; what they show depends on their
    // size (the panel's rows, picture and paging), so all of it is painted again.
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool TfrmDeviceView::OnSize(UINT, int, int)
{
    if (TreeView && Splitter1 && deviceInfoPanel)
        Layout();
    return true;
}

LRESULT TfrmDeviceView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS:
        if (TreeView)
            SetFocus(TreeView->Handle());
        return 0;
    case UM_SYNCSELECTION:
        if (TreeView && TreeView->Selected() != ShownItem)
            TreeViewChange();
        return 0;
    default:
        break;
    }
    return TfrmPageBase::HandleMessage(msg, wParam, lParam);
}
