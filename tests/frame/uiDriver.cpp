#include "uiDriver.h"

#include "program.h"

namespace qvltest {

UiDriver::UiDriver(std::function<void(UiDriver &)> tick, DWORD limitMs)
    : BoxFinder(
          20, [this](const FoundBox &box) { Found(box); }, [this] { Step(); }),
      tick_(std::move(tick)), start_(GetTickCount()), limit_(limitMs)
{
}

void UiDriver::Exit()
{
    if (MainForm && MainForm->hwnd())
        PostMessageA(MainForm->hwnd(), WM_COMMAND, IDM_MENU_EXIT, 0);
}

void UiDriver::Found(const FoundBox &box)
{
    seen.push_back(SeenBox{box, MainForm && IsWindowVisible(MainForm->hwnd()),
                           MainForm && MainForm->BeepTimer.Enabled(), static_cast<int>(OpenBoxes().size())});
}

void UiDriver::Step()
{
    if (Elapsed() > limit_) {
        timedOut_ = true;
        PressAll();
        Exit();
    } else {
        tick_(*this);
    }
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
