#include "MainUnit.h"

#include <objbase.h>

#include <algorithm>

#include "AboutForm.h"
#include "appDir.h"
#include "jpegPicture.h"
#include "resource.h"
#include "timeline.h"

const char *const ApplicationTitle = "Quorvel Hot-Swap Utility";
const char *const TrayTip = "Quorvel Storage Management Software Console";
const char *const HelpFile = "QSWAP.CHM";

TMainForm *MainForm = nullptr;

namespace {

const CLSID CLSID_WebBrowserControl = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

// The window property that lets a second start find this copy: named after the program path.
std::string ProgramPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

void OpenHelp(HWND owner)
{
    // The help file is installed beside the program; the shell's result is not reported.
    ShellExecuteA(owner, "open", (AppDir + HelpFile).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

TMainForm::TMainForm() : BeepTimer(1000, [this] { BeepTimerTimer(); })
{
    MainForm = this;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    MainMenu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    menuFile = GetSubMenu(MainMenu, 0);
    SysTrayMenu.reset(LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TRAYMENU)));
    Font = qvl::MakeFont(-11);
    qvl::timeline::Mark("menus and font");
    backImage = LoadJpegResource(instance, IDR_BACKIMAGE);
    qvl::timeline::Mark("background picture");
    TaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    qvl::SetBoxWatcher([this](HWND box, bool open) { open ? BoxOpened(box) : RemoveDialog(box); });

    const int width = 599, height = 422;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateWindowOf("QvlMainForm", WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, ApplicationTitle, x, y,
                   width, height, nullptr, MainMenu);
    if (hwnd())
        FormCreate();
}

TMainForm::~TMainForm()
{
    qvl::SetBoxWatcher(nullptr);
    CurrentPage.reset();
    ServerMan.reset();
    Destroy();
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::FormCreate()
{
    SetWindowTextA(hwnd(), ApplicationTitle);
    AppDir = ProgramDirectory();
    SetPropA(hwnd(), ProgramPath().c_str(), reinterpret_cast<HANDLE>(1));
    SetTrayIcon(NIM_ADD);
    DialogCount = 0;
}

void TMainForm::CreateServerMan()
{
    ServerMan = std::make_unique<TServerMan>(*this);
    UpdateHealth(); // the first reading was made before the manager was ours
}

TRAIDSystem *TMainForm::System() const { return ServerMan ? ServerMan->GetSystem() : nullptr; }

void TMainForm::StartUp()
{
    if (PageToCreate) {
        CurrentPage = PageToCreate(*this, *this);
        if (CurrentPage && CurrentPage->hwnd()) {
            RECT rc;
            GetClientRect(hwnd(), &rc);
            SetWindowPos(CurrentPage->hwnd(), HWND_BOTTOM, 0, 0, rc.right, rc.bottom, SWP_SHOWWINDOW);
        }
        if (CurrentPage) {
            CurrentPage->SetActive(true);
            CurrentPage->UpdateActions(true);
        }
    }
    // Each box runs a modal loop in which Exit may be chosen: then nothing more of start-up runs.
    TRAIDSystem *system = ServerMan ? ServerMan->GetSystem() : nullptr;
    if (system && system->ControllerCount() == 0)
        qvl::ShowMessageBox(TopWindowHandle(), "No controller detected.", qvl::BoxKind::Error);
    if (Exiting)
        return;
    if (system && !system->HotSwapSupported)
        qvl::ShowMessageBox(TopWindowHandle(), "The device driver doesn't support how-swap. Please update the driver.",
                            qvl::BoxKind::Error);
}

HWND TMainForm::TopWindowHandle() const { return DialogCount > 0 ? DialogStack[DialogCount - 1].Window : hwnd(); }

void TMainForm::RefreshCurrentPage()
{
    if (CurrentPage)
        CurrentPage->RefreshPage();
    UpdateHealth();
}

void TMainForm::PushDialog(HWND dialog, bool isBox)
{
    if (DialogCount < MaxDialogs)
        DialogStack[DialogCount++] = Dialog{dialog, isBox};
}

HWND TMainForm::PopDialog()
{
    if (DialogCount <= 0)
        return nullptr;
    const HWND top = DialogStack[--DialogCount].Window;
    DialogStack[DialogCount] = Dialog{};
    return top;
}

void TMainForm::RemoveDialog(HWND dialog)
{
    for (int i = DialogCount - 1; i >= 0; --i)
        if (DialogStack[i].Window == dialog) {
            std::copy(DialogStack.begin() + i + 1, DialogStack.begin() + DialogCount, DialogStack.begin() + i);
            PopDialog();
            return;
        }
}

void TMainForm::BoxOpened(HWND box)
{
    if (DialogCount > 0) {
        // Down and right of the newest dialog by a caption's height, so none hides another.
        RECT below;
        GetWindowRect(TopWindowHandle(), &below);
        const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
        SetWindowPos(box, nullptr, below.left + step, below.top + step, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PushDialog(box, true);
}

void TMainForm::BringDialogsToFront()
{
    // Oldest first, so that the newest ends on top and active, above the (disabled) main window.
    for (int i = 0; i < DialogCount; ++i) {
        SetWindowPos(DialogStack[i].Window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(DialogStack[i].Window);
    }
    if (DialogCount > 0)
        SetActiveWindow(TopWindowHandle());
}

void TMainForm::CloseDialogs()
{
    while (HWND dialog = PopDialog())
        PostMessageA(dialog, WM_CLOSE, 0, 0);
}

bool TMainForm::CheckBrowser()
{
    // COM is loaded for this question only: start-up does not pay for it.
    bool ok = false;
    qvl::Library ole(LoadLibraryA("ole32.dll"));
    const auto init = reinterpret_cast<decltype(&CoInitialize)>(
        reinterpret_cast<void *>(ole ? GetProcAddress(ole.get(), "CoInitialize") : nullptr));
    const auto create = reinterpret_cast<decltype(&CoCreateInstance)>(
        reinterpret_cast<void *>(ole ? GetProcAddress(ole.get(), "CoCreateInstance") : nullptr));
    const auto uninit = reinterpret_cast<decltype(&CoUninitialize)>(
        reinterpret_cast<void *>(ole ? GetProcAddress(ole.get(), "CoUninitialize") : nullptr));
    if (init && create && uninit) {
        const HRESULT initialised = init(nullptr);
        IUnknown *browser = nullptr;
        if (SUCCEEDED(create(CLSID_WebBrowserControl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void **>(&browser))) &&
            browser) {
            browser->Release();
            ok = true;
        }
        if (SUCCEEDED(initialised))
            uninit();
    }
    if (!ok)
        qvl::ShowMessageBox(hwnd(), "You must install IE3.0 or later to view help contents.", qvl::BoxKind::Error);
    return ok;
}

void TMainForm::SetTrayIcon(DWORD command)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAINICON));
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE; // the 88-byte record every shell understands
    data.hWnd = hwnd();
    data.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon));
    data.uFlags = command == NIM_DELETE ? 0 : NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    TrayHealth.Fill(data, icon, TrayTip);
    Shell_NotifyIconA(command, &data);
}

void TMainForm::UpdateHealth()
{
    const TRAIDSystem *system = System();
    if (TrayHealth.Update(system ? JudgeHealth(*system) : SystemHealth{}) && !Exiting)
        SetTrayIcon(NIM_MODIFY);
}

qvl::MenuItem *TMainForm::CreateMenuItem(const std::string &caption)
{
    OwnedMenuItems.push_back(std::make_unique<qvl::MenuItem>(NextCommand++, caption));
    return OwnedMenuItems.back().get();
}

void TMainForm::FreeMenuItem(qvl::MenuItem *item)
{
    item->SetVisible(false);
    std::erase_if(OwnedMenuItems, [item](const auto &owned) { return owned.get() == item; });
}

bool TMainForm::FormClose()
{
    if (Exiting)
        return true;
    ShowWindow(hwnd(), SW_HIDE); // the console lives on in the notification area
    return false;
}

void TMainForm::FormResize()
{
    if (!CurrentPage)
        return;
    RECT rc;
    GetClientRect(hwnd(), &rc);
    MoveWindow(CurrentPage->hwnd(), 0, 0, rc.right, rc.bottom, TRUE);
    CurrentPage->PageResized();
}

void TMainForm::menuExitClick()
{
    // Handlers waiting in message boxes still use the server manager when their boxes close:
    // it stops polling now, and the entry point destroys it after the message loop.
    CloseDialogs();
    if (ServerMan)
        ServerMan->PollTimer.SetEnabled(false);
    Exiting = true;
    SetTrayIcon(NIM_DELETE);
    SendMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void TMainForm::Topic1Click()
{
    if (CheckBrowser())
        OpenHelp(TopWindowHandle());
}

void TMainForm::About1Click()
{
    TDlgAbout about(*this);
    about.AppMessage = &TMainForm::AppMessage;
    PushDialog(about.hwnd());
    about.ShowModal();
    RemoveDialog(about.hwnd());
}

void TMainForm::BeepTimerTimer() { Beep(600, 400); }

void TMainForm::IDM_TRAY_OPENClick()
{
    if (!Started)
        return;
    if (IsWindowVisible(hwnd()))
        BringDialogsToFront();
    else
        ShowAndBringToFront();
}

void TMainForm::IDM_TRAY_EXITClick() { menuExitClick(); }

void TMainForm::TrayNotify(LPARAM mouseMessage)
{
    if (!Started)
        return;
    POINT pt;
    GetCursorPos(&pt);
    if (mouseMessage == WM_LBUTTONDBLCLK &&
        !(GetMenuState(SysTrayMenu.get(), IDM_TRAY_OPEN, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED))) {
        if (IsWindowVisible(hwnd())) {
            SetForegroundWindow(hwnd());
            BringDialogsToFront();
        } else {
            ShowAndBringToFront();
        }
    } else if (mouseMessage == WM_RBUTTONDOWN && // no dialog open but message boxes
               std::all_of(DialogStack.begin(), DialogStack.begin() + DialogCount,
                           [](const Dialog &dialog) { return dialog.IsBox; })) {
        // Our window must be foreground for the menu to close when the user clicks elsewhere,
        // and the null message afterwards lets the menu close properly. Open message boxes
        // come back on top of it afterwards.
        SetForegroundWindow(hwnd());
        TrackPopupMenu(GetSubMenu(SysTrayMenu.get(), 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd(),
                       nullptr);
        PostMessageA(hwnd(), WM_NULL, 0, 0);
        BringDialogsToFront();
    }
}

void TMainForm::ShowInstance() { ShowAndBringToFront(); }

void TMainForm::ShowAndBringToFront()
{
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    BringDialogsToFront();
}

void TMainForm::AppMessage(const MSG &msg)
{
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && MainForm)
        OpenHelp(MainForm->TopWindowHandle());
}

void TMainForm::Command(UINT id)
{
    switch (id) {
    case IDM_MENU_EXIT:
        menuExitClick();
        return;
    case IDM_HELP_TOPICS:
        Topic1Click();
        return;
    case IDM_ABOUT:
        About1Click();
        return;
    case IDM_TRAY_OPEN:
        IDM_TRAY_OPENClick();
        return;
    case IDM_TRAY_EXIT:
        IDM_TRAY_EXITClick();
        return;
    default:
        for (const auto &item : OwnedMenuItems)
            if (item->Id() == id) {
                item->Click();
                return;
            }
    }
}

bool TMainForm::OnCommand(UINT id, UINT code, HWND)
{
    if (code != 0 && code != 1) // menus and accelerators
        return false;
    Command(id);
    return true;
}

bool TMainForm::OnSize(UINT, int, int)
{
    FormResize();
    return true;
}

LRESULT TMainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        if (FormClose())
            Destroy();
        return 0;
    case WM_ACTIVATE:
        // Keyboard users come back to the control they left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            LastFocus = focus && IsChild(hwnd(), focus) ? focus : nullptr;
        } else if (LastFocus && IsWindow(LastFocus) && IsChild(hwnd(), LastFocus)) {
            SetFocus(LastFocus);
            return 0;
        }
        break;
    case WM_SETFOCUS:
        if (CurrentPage && CurrentPage->hwnd())
            SetFocus(CurrentPage->hwnd());
        return 0;
    case WM_TRAY_NOTIFY:
        TrayNotify(lParam);
        return 0;
    case WM_SHOW_INSTANCE:
        ShowInstance();
        return 0;
    case WM_DESTROY:
        RemovePropA(hwnd(), ProgramPath().c_str());
        PostQuitMessage(0);
        return 0;
    default:
        if (msg == TaskbarCreated && TaskbarCreated != 0) {
            SetTrayIcon(NIM_ADD); // the shell restarted: without the icon a hidden console is lost
            return 0;
        }
    }
    return Window::HandleMessage(msg, wParam, lParam);
}
