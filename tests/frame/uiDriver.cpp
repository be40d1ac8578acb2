#include "uiDriver.h"

#include <algorithm>

#include "program.h"

namespace qvltest {
namespace {

UiDriver *g_driver = nullptr;

std::string TextOf(HWND w)
{
    char buf[1024] = "";
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

BOOL CALLBACK CollectBox(HWND w, LPARAM out)
{
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(w))
        reinterpret_cast<std::vector<HWND> *>(out)->push_back(w);
    return TRUE;
}

// The message text of a box: its static control that is not the icon.
std::string BoxText(HWND box)
{
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[64] = "";
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0 && !(GetWindowLongA(c, GWL_STYLE) & SS_ICON)) {
            std::string t = TextOf(c);
            if (!t.empty())
                text = t;
        }
    }
    return text;
}

} // namespace

UiDriver::UiDriver(std::function<void(UiDriver &)> tick, DWORD limitMs)
    : tick_(std::move(tick)), start_(GetTickCount()), limit_(limitMs)
{
    g_driver = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

UiDriver::~UiDriver()
{
    KillTimer(nullptr, timer_);
    g_driver = nullptr;
}

std::vector<HWND> UiDriver::OpenBoxes() const
{
    std::vector<HWND> open;
    for (HWND b : order_)
        if (IsWindow(b) && IsWindowVisible(b))
            open.push_back(b);
    return open;
}

void UiDriver::PressAll()
{
    for (HWND b : OpenBoxes())
        Press(b);
}

void UiDriver::Exit()
{
    if (MainForm && MainForm->hwnd())
        PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_MENU_EXIT, 0);
}

void UiDriver::Scan()
{
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), CollectBox, reinterpret_cast<LPARAM>(&boxes));
    for (HWND b : boxes) {
        if (std::find(order_.begin(), order_.end(), b) != order_.end())
            continue;
        order_.push_back(b);
        SeenBox s{b,
                  TextOf(b),
                  BoxText(b),
                  GetWindow(b, GW_OWNER),
                  MainForm && IsWindowVisible(MainForm->hwnd()),
                  MainForm && MainForm->BeepTimer.Enabled(),
                  static_cast<int>(OpenBoxes().size())};
        seen.push_back(s);
    }
}

void CALLBACK UiDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    UiDriver *d = g_driver;
    if (!d || d->inTick_)
        return; // a tick that opens a modal loop must not be re-entered from inside it
    d->inTick_ = true;
    d->Scan();
    if (d->Elapsed() > d->limit_) {
        d->timedOut_ = true;
        d->PressAll();
        Exit();
    } else {
        d->tick_(*d);
    }
    d->inTick_ = false;
}

int RunConsoleHere(const char *argument, PageClass page)
{
    int code = RunConsole(argument, page);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        // a refused start destroys the window, which leaves a quit message behind
    }
    return code;
}

void FastPolling(UINT interval)
{
    if (MainForm && MainForm->ServerMan && MainForm->ServerMan->PollTimer.Interval() != interval)
        MainForm->ServerMan->PollTimer.SetInterval(interval);
}

} // namespace qvltest
