#include "window.h"

#include <cassert>
#include <set>

#include "guarded.h"

namespace qvl {

Window::~Window()
{
    // The most derived destructor destroys the window, while the members that its last
    // messages use are still alive; by now it is too late for that.
#ifndef NDEBUG
    if (hwnd_) {
        OutputDebugStringA("qvl: Window object deleted before its window was destroyed\n");
        assert(!"Window object deleted before its window was destroyed");
    }
#endif
    Destroy();
}

void Window::Destroy()
{
    if (hwnd_)
        DestroyWindow(hwnd_); // WM_NCDESTROY clears hwnd_
}

bool Window::CreateWindowOf(const char *className, DWORD exStyle, DWORD style, const char *caption, int x, int y,
                            int width, int height, HWND parent, HMENU menu, UINT classStyle, HBRUSH background)
{
    static std::set<std::string> registered;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered.count(className)) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = Thunk;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return false;
        registered.insert(className);
    }
    return CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, menu, instance, this) !=
           nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        if (OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
            return 0;
        break;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        break;
    case WM_NOTIFY: {
        const auto &header = *reinterpret_cast<const NMHDR *>(lParam);
        NotifyReply reply;
        if (header.hwndFrom)
            SendMessageA(header.hwndFrom, UM_NOTIFYREFLECT, reinterpret_cast<WPARAM>(&reply), lParam);
        if (reply.handled)
            return reply.result;
        LRESULT result = 0;
        if (OnNotify(header, lParam, result))
            return result;
        break;
    }
    case WM_PAINT:
        if (PaintsItself()) {
            PaintScope paint(hwnd_);
            OnPaint(paint.dc());
            return 0;
        }
        break;
    default:
        break;
    }
    return Default(msg, wParam, lParam);
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window *self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window *>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam); // WM_GETMINMAXINFO comes first
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return GuardedCall(
        "window procedure", [&] { return self->HandleMessage(msg, wParam, lParam); },
        [&] { return DefWindowProcA(hwnd, msg, wParam, lParam); });
}

Timer::Timer(UINT interval, std::function<void()> onTimer) : OnTimer(std::move(onTimer)), interval_(interval)
{
    CreateWindowOf("QvlTimer", 0, 0, "", 0, 0, 0, 0, HWND_MESSAGE, nullptr, 0, nullptr);
}

void Timer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (!hwnd())
        return;
    if (enabled)
        SetTimer(hwnd(), 1, interval_, nullptr);
    else
        KillTimer(hwnd(), 1);
}

void Timer::SetInterval(UINT interval)
{
    interval_ = interval;
    if (enabled_)
        SetEnabled(true);
}

LRESULT Timer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER) {
        if (enabled_ && OnTimer)
            OnTimer();
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

void MenuItem::SetCaption(const std::string &caption)
{
    caption_ = caption;
    if (placed_)
        ModifyMenuA(menu_, id_, MF_BYCOMMAND | MF_STRING | (enabled_ ? MF_ENABLED : MF_GRAYED), id_,
                    MenuText().c_str());
}

void MenuItem::SetMenuText(const std::string &text)
{
    menuText_ = text;
    SetCaption(caption_);
}

void MenuItem::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (placed_)
        EnableMenuItem(menu_, id_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (OnEnabledChanged)
        OnEnabledChanged(enabled);
}

void MenuItem::SetVisible(bool visible)
{
    visible_ = visible;
    if (!menu_)
        return;
    if (visible && !placed_)
        Show();
    else if (!visible && placed_) {
        RemoveMenu(menu_, id_, MF_BYCOMMAND);
        placed_ = false;
    }
}

void MenuItem::InsertInto(HMENU menu, UINT position)
{
    menu_ = menu;
    position_ = position;
    if (visible_)
        Show();
}

void MenuItem::Show()
{
    UINT flags = MF_BYPOSITION | (caption_ == "-" ? MF_SEPARATOR : MF_STRING) | (enabled_ ? MF_ENABLED : MF_GRAYED);
    placed_ = InsertMenuA(menu_, position_, flags, id_, MenuText().c_str()) != FALSE;
}

namespace {

BoxWatcher g_boxWatcher;
// The box being opened: MessageBoxA gives its window away only to a hook. One at a time:
// nested boxes open from the outer box's loop, after it was activated and the hook removed.
HHOOK g_boxHook = nullptr;
HWND *g_openedBox = nullptr; // the opening call's own record of its box

LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    return GuardedCall(
        "message box hook",
        [&]() -> LRESULT {
            if (code == HCBT_ACTIVATE && g_boxHook) {
                HWND box = reinterpret_cast<HWND>(wParam);
                char cls[16] = "";
                GetClassNameA(box, cls, sizeof cls);
                if (lstrcmpA(cls, "#32770") == 0) {
                    UnhookWindowsHookEx(g_boxHook);
                    g_boxHook = nullptr;
                    if (g_openedBox)
                        *g_openedBox = box;
                    g_openedBox = nullptr;
                    if (g_boxWatcher)
                        g_boxWatcher(box, true);
                }
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        [&] { return CallNextHookEx(nullptr, code, wParam, lParam); });
}

} // namespace

void SetBoxWatcher(BoxWatcher watcher) { g_boxWatcher = std::move(watcher); }

int ShowMessageBox(HWND owner, const std::string &text, BoxKind kind)
{
    static const struct {
        const char *caption;
        UINT icon;
    } kinds[] = {{"Error", MB_ICONERROR}, {"Warning", MB_ICONWARNING}, {"Information", MB_ICONINFORMATION}};
    const auto &k = kinds[static_cast<int>(kind)];
    if (!g_boxWatcher)
        return MessageBoxA(owner, text.c_str(), k.caption, MB_OK | k.icon);
    HWND box = nullptr;
    if (g_boxHook) // a box that was never activated
        UnhookWindowsHookEx(g_boxHook);
    g_openedBox = &box;
    g_boxHook = SetWindowsHookExA(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
    const int result = MessageBoxA(owner, text.c_str(), k.caption, MB_OK | k.icon);
    if (g_openedBox == &box) { // never activated
        if (g_boxHook)
            UnhookWindowsHookEx(g_boxHook);
        g_boxHook = nullptr;
        g_openedBox = nullptr;
    }
    if (box && g_boxWatcher)
        g_boxWatcher(box, false);
    return result;
}

} // namespace qvl
