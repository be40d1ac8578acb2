#include "deviceMan.h"

#include <string>

#include <oleacc.h>

#include "accessible.h"
#include "dmPub.h"
#include "guarded.h"
#include "systemUnit.h"
#include "shortcuts.h"
#include "win/focus.h"
#include "win/subclass.h"

namespace {

constexpr UINT ToolBarId = 1;
// Toolbar command ids; a click runs the bound menu item's action.
constexpr UINT RescanBtnId = 1001;
constexpr UINT unplugBtnId = 1003;

qvl::MenuItem *Item(const TfrmPageBase &page, int index)
{
    return index < page.MenuItemCount && index < static_cast<int>(page.MenuItems.size()) ? page.MenuItems[index]
                                                                                         : nullptr;
}

void Enable(const TfrmPageBase &page, int index, bool enabled)
{
    if (qvl::MenuItem *item = Item(page, index))
        item->SetEnabled(enabled);
}

// The next enabled button from `from` (exclusive) in one direction, or -1.
int NextEnabledButton(HWND bar, int from, bool backwards)
{
    const int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    for (int i = backwards ? from - 1 : from + 1; i >= 0 && i < count; i += backwards ? -1 : 1) {
        TBBUTTON button{};
        SendMessageA(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (!(button.fsStyle & BTNS_SEP) && (button.fsState & TBSTATE_ENABLED))
            return i;
    }
    return -1;
}

// The buttons for screen readers: their texts, enabled state and the keyboard's button.
qvl::AccessibleView ToolBarView(HWND bar)
{
    qvl::AccessibleView view{"Toolbar", ROLE_SYSTEM_TOOLBAR, 0, {}};
    const int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    const int hot = static_cast<int>(SendMessageA(bar, TB_GETHOTITEM, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageA(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (button.fsStyle & BTNS_SEP)
            continue;
        char text[64] = "";
        SendMessageA(bar, TB_GETBUTTONTEXTA, button.idCommand, reinterpret_cast<LPARAM>(text));
        qvl::AccessiblePart part{text, ROLE_SYSTEM_PUSHBUTTON, 0, {}};
        if (!(button.fsState & TBSTATE_ENABLED))
            part.State |= STATE_SYSTEM_UNAVAILABLE;
        else
            part.State |= STATE_SYSTEM_FOCUSABLE;
        if (i == hot)
            part.State |= STATE_SYSTEM_HOTTRACKED | (GetFocus() == bar ? STATE_SYSTEM_FOCUSED : 0);
        SendMessageA(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&part.Place));
        view.Parts.push_back(part);
    }
    return view;
}

// The toolbar as a tab stop: with the focus, its hot button is the one that arrows move and
// Space or Enter press (the control does both); Tab leaves it.
LRESULT ToolBarKeys(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (msg) {
    case WM_GETOBJECT:
        if (LRESULT answer = qvl::AnswerGetObject(bar, wParam, lParam, ToolBarView(bar)))
            return answer;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETFOCUS: {
        // Each button is a tab stop: Tab comes to the first enabled one, Shift+Tab to the last
        // (after the control's own handling, which may pick a hot button of its own).
        const bool hadHot = SendMessageA(bar, TB_GETHOTITEM, 0, 0) >= 0;
        const LRESULT result = qvl::DefSubclass(bar, msg, wParam, lParam);
        if (!hadHot) {
            const bool backwards = GetKeyState(VK_SHIFT) < 0;
            const int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
            const int first = NextEnabledButton(bar, backwards ? count : -1, backwards);
            if (first >= 0)
                SendMessageA(bar, TB_SETHOTITEM, first, 0);
        }
        InvalidateRect(bar, nullptr, FALSE); // the focus rectangle
        return result;
    }
    case WM_KILLFOCUS:
        SendMessageA(bar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
        InvalidateRect(bar, nullptr, FALSE);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            const bool backwards = GetKeyState(VK_SHIFT) < 0;
            const int hot = static_cast<int>(SendMessageA(bar, TB_GETHOTITEM, 0, 0));
            const int next = hot < 0 ? -1 : NextEnabledButton(bar, hot, backwards);
            if (next >= 0) {
                SendMessageA(bar, TB_SETHOTITEM, next, 0);
                InvalidateRect(bar, nullptr, FALSE);
            } else {
                qvl::FocusNextTabStop(bar, backwards);
            }
            return 0;
        }
        break;
    case WM_NCDESTROY:
        qvl::Unsubclass(bar);
        break;
    default:
        break;
    }
    return qvl::DefSubclass(bar, msg, wParam, lParam);
}

} // namespace

std::unique_ptr<TfrmPageBase> TfrmDeviceMan::CreatePage(qvl::Window &owner, TPageHost &host)
{
    return std::make_unique<TfrmDeviceMan>(owner, host);
}

TfrmDeviceMan::TfrmDeviceMan(qvl::Window &owner, TPageHost &host) : TfrmPageBase(owner, host)
{
    CreateToolBar();
    InitPage(&host);
    DeviceView = std::make_unique<TfrmDeviceView>(*this, host);
    DeviceView->SetViewKind(0);
    ShowWindow(DeviceView->hwnd(), SW_SHOWNA);
    if (DeviceView->TreeView)
        DeviceView->TreeView->OnContextMenu = [this](POINT at, bool byKeyboard) { ShowContextMenu(at, byKeyboard); };
    Layout();
    UpdateActions(false);
}

TfrmDeviceMan::~TfrmDeviceMan()
{
    // The menu items stay with the main window; they must not call into a page that is gone.
    for (int i = 0; i < MenuItemCount; ++i)
        if (MenuItems[i]) {
            qvl::Shortcuts::Application().Remove(MenuItems[i]->Id());
            MenuItems[i]->OnClick = nullptr;
            MenuItems[i]->OnEnabledChanged = nullptr;
        }
    DeviceView.reset();
    Destroy();
}

void TfrmDeviceMan::CreateToolBar()
{
    ToolBar1 =
        CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                            CCS_NOPARENTALIGN | CCS_NODIVIDER,
                        0, 0, DesignWidth, ToolBarHeight, hwnd(),
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ToolBarId)), GetModuleHandleA(nullptr), nullptr);
    if (!ToolBar1)
        return;
    SendMessageA(ToolBar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (dm) // the list stays dm's: the toolbar only borrows it
        SendMessageA(ToolBar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(dm->DM_ImageList.Handle()));
    SendMessageA(ToolBar1, TB_SETBITMAPSIZE, 0, MAKELONG(24, 24));

    static char rescanText[] = "Rescan Devices";
    static char unplugText[] = "Unplug";
    TBBUTTON buttons[3] = {};
    buttons[0].iBitmap = 0;
    buttons[0].idCommand = RescanBtnId;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = BTNS_BUTTON;
    buttons[0].iString = reinterpret_cast<INT_PTR>(rescanText);
    buttons[1].iBitmap = SeparatorWidth;
    buttons[1].fsStyle = BTNS_SEP;
    buttons[2].iBitmap = 1;
    buttons[2].idCommand = unplugBtnId;
    buttons[2].fsState = TBSTATE_ENABLED;
    buttons[2].fsStyle = BTNS_BUTTON;
    buttons[2].iString = reinterpret_cast<INT_PTR>(unplugText);
    SendMessageA(ToolBar1, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));
    SendMessageA(ToolBar1, TB_SETBUTTONSIZE, 0, MAKELONG(ButtonSize.cx, ButtonSize.cy));
    qvl::Subclass(ToolBar1, ToolBarKeys, 1, 0);
    RescanBtn = RescanBtnId;
    unplugBtn = unplugBtnId;
}

void TfrmDeviceMan::InitPage(TPageHost *host)
{
    if (!host)
        return;
    static const char *const captions[ItemCount] = {"Rescan Devices", "-", "Advanced Setting", "Unplug"};
    MenuItems.assign(ItemCount, nullptr);
    for (int i = 0; i < ItemCount; ++i)
        MenuItems[i] = host->CreateMenuItem(captions[i]);
    MenuItemCount = ItemCount;
    MenuItems[ItemRescan]->OnClick = [this] { RescanClick(); };
    MenuItems[ItemUnplug]->OnClick = [this] { UnplugClick(); };
    // "Advanced Setting" has nothing to open: it stays hidden and only follows the selection.
    MenuItems[ItemSeparator]->SetVisible(false);
    MenuItems[ItemAdvanced]->SetVisible(false);
    MenuItems[ItemUnplug]->InsertInto(host->FileMenu(), 0);
    MenuItems[ItemRescan]->InsertInto(host->FileMenu(), 0);
    // Mnemonics and shortcut keys in menus; the caption stays the command's name (hints).
    MenuItems[ItemRescan]->SetMenuText("&Rescan Devices\tF5");
    MenuItems[ItemUnplug]->SetMenuText("&Unplug\tDel");
    qvl::Shortcuts::Application().Add(VK_F5, MenuItems[ItemRescan]->Id());
    qvl::Shortcuts::Application().Add(VK_DELETE, MenuItems[ItemUnplug]->Id());
    // The buttons follow their items.
    MenuItems[ItemRescan]->OnEnabledChanged = [this](bool) { EnableButton(ItemRescan); };
    MenuItems[ItemUnplug]->OnEnabledChanged = [this](bool) { EnableButton(ItemUnplug); };
}

const char *TfrmDeviceMan::HintOf(UINT button) const
{
    const qvl::MenuItem *item = Item(*this, button == RescanBtn ? ItemRescan : ItemUnplug);
    if (item)
        return item->Caption().c_str();
    return button == RescanBtn ? "Rescan Devices" : "Unplug";
}

bool TfrmDeviceMan::ButtonEnabled(UINT button) const
{
    return SendMessageA(ToolBar1, TB_ISBUTTONENABLED, button, 0) != 0;
}

void TfrmDeviceMan::RefreshPage()
{
    if (DeviceView)
        DeviceView->RefreshPage();
    UpdateActions(true);
}

void TfrmDeviceMan::UpdateBayValues()
{
    if (DeviceView)
        DeviceView->UpdateBayValues();
}

void TfrmDeviceMan::SetActive(bool active)
{
    TfrmPageBase::SetActive(active);
    if (DeviceView)
        DeviceView->SetActive(active);
}

void TfrmDeviceMan::UpdateActions(bool selectionAware)
{
    TRAIDSystem *system = Host.System();
    if (!system) {
        Enable(*this, ItemRescan, false);
        Enable(*this, ItemAdvanced, false);
        Enable(*this, ItemUnplug, false);
    } else {
        bool advanced = false, unplug = false;
        const TDeviceBase *object = selectionAware && DeviceView ? DeviceView->SelectedObject() : nullptr;
        if (object && object->Kind == KindDevice) {
            const auto &device = static_cast<const TDevice &>(*object);
            advanced = device.InRack;
            // Only a disk of no array can go, and only with a driver that can hot-swap.
            unplug = system->HotSwapSupported && !IsValidId(device.Info.Parent);
        }
        Enable(*this, ItemAdvanced, advanced);
        Enable(*this, ItemUnplug, unplug);
        Enable(*this, ItemRescan, true);
    }
    EnableButton(ItemRescan);
    EnableButton(ItemUnplug);
}

void TfrmDeviceMan::EnableButton(int item)
{
    const qvl::MenuItem *menuItem = Item(*this, item);
    const UINT button = item == ItemRescan ? RescanBtn : unplugBtn;
    SendMessageA(ToolBar1, TB_ENABLEBUTTON, button, MAKELONG(menuItem && menuItem->Enabled(), 0));
}

void TfrmDeviceMan::RescanClick()
{
    if (TRAIDSystem *system = Host.System())
        system->Rescan(); // its reload refreshes this page
}

void TfrmDeviceMan::UnplugClick()
{
    TRAIDSystem *system = Host.System();
    const TDeviceBase *object = system && DeviceView ? DeviceView->SelectedObject() : nullptr;
    if (!object || object->Kind != KindDevice)
        return;
    // The node's copy goes with the rebuild that a successful unplug causes.
    const DeviceId id = object->Id;
    const bool removed = system->Unplug(id);
    const std::string text = system->ResultMessage;
    // The box runs a modal loop: events may reload the system meanwhile, so nothing of it
    // is used after the box closes.
    qvl::ShowMessageBox(hwnd(), text, removed ? qvl::BoxKind::Information : qvl::BoxKind::Warning);
}

void TfrmDeviceMan::ShowContextMenu(POINT screen, bool byKeyboard)
{
    TRTreeView *tree = DeviceView ? DeviceView->TreeView.get() : nullptr;
    if (!tree)
        return;
    POINT client = screen;
    ScreenToClient(tree->Handle(), &client);
    // On a node only: the one a right click hit (and selected), or the selected one.
    if (!(byKeyboard ? tree->Selected() : tree->HitTest(client)))
        return;
    const qvl::MenuItem *unplug = Item(*this, ItemUnplug), *rescan = Item(*this, ItemRescan);
    if (!unplug || !rescan)
        return;
    if (const qvl::MenuItem *chosen = qvl::TrackCommandMenu(qvl::RootWindow(hwnd()), screen, {unplug, rescan}))
        chosen->Click();
}

void TfrmDeviceMan::Layout()
{
    RECT client;
    GetClientRect(hwnd(), &client);
    if (ToolBar1)
        SetWindowPos(ToolBar1, nullptr, 0, 0, client.right, ToolBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (DeviceView)
        SetWindowPos(DeviceView->hwnd(), nullptr, 0, ToolBarHeight, client.right,
                     client.bottom > ToolBarHeight ? client.bottom - ToolBarHeight : 0, SWP_NOZORDER | SWP_NOACTIVATE);
    // The toolbar's edge runs round its whole width: drawn again, not only where it grew.
    if (ToolBar1)
        RedrawWindow(ToolBar1, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

LRESULT TfrmDeviceMan::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS:
        if (DeviceView)
            SetFocus(DeviceView->hwnd());
        return 0;
    case UM_SELCHANGE:
        UpdateActions(true);
        return 0;
    default:
        return TfrmPageBase::HandleMessage(msg, wParam, lParam);
    }
}

bool TfrmDeviceMan::OnSize(UINT, int, int)
{
    Layout();
    return true;
}

bool TfrmDeviceMan::OnCommand(UINT id, UINT, HWND control)
{
    if (!ToolBar1 || control != ToolBar1)
        return false;
    if (qvl::MenuItem *item = Item(*this, id == RescanBtn ? ItemRescan : id == unplugBtn ? ItemUnplug : -1))
        item->Click();
    return true;
}

bool TfrmDeviceMan::OnNotify(const NMHDR &header, LPARAM lParam, LRESULT &result)
{
    if (header.code == TTN_GETDISPINFOA) {
        auto *info = reinterpret_cast<NMTTDISPINFOA *>(lParam);
        lstrcpynA(info->szText, HintOf(static_cast<UINT>(header.idFrom)), sizeof info->szText);
        info->lpszText = info->szText;
        return true;
    }
    if (header.code == TTN_GETDISPINFOW) {
        auto *info = reinterpret_cast<NMTTDISPINFOW *>(lParam);
        MultiByteToWideChar(CP_ACP, 0, HintOf(static_cast<UINT>(header.idFrom)), -1, info->szText,
                            static_cast<int>(sizeof info->szText / sizeof info->szText[0]));
        info->szText[sizeof info->szText / sizeof info->szText[0] - 1] = 0;
        info->lpszText = info->szText;
        return true;
    }
    if (header.hwndFrom == ToolBar1 && header.code == NM_CUSTOMDRAW) {
        result = DrawToolBarEdge(*reinterpret_cast<NMCUSTOMDRAW *>(lParam));
        return true;
    }
    return false;
}

LRESULT TfrmDeviceMan::DrawToolBarEdge(const NMCUSTOMDRAW &draw) const
{
    if (draw.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYPOSTPAINT;
    if (draw.dwDrawStage == CDDS_POSTPAINT) {
        RECT r;
        GetClientRect(ToolBar1, &r);
        DrawEdge(draw.hdc, &r, EDGE_ETCHED, BF_RECT); // edge lines on all four sides
        // The keyboard's button, while the toolbar has the focus.
        const int hot = static_cast<int>(SendMessageA(ToolBar1, TB_GETHOTITEM, 0, 0));
        if (GetFocus() == ToolBar1 && hot >= 0 &&
            SendMessageA(ToolBar1, TB_GETITEMRECT, hot, reinterpret_cast<LPARAM>(&r))) {
            InflateRect(&r, -3, -3);
            DrawFocusRect(draw.hdc, &r);
        }
    }
    return CDRF_DODEFAULT;
}
