// The thin window layer of the console: one window procedure thunk for every window class of
// ours, and the timer and menu-item components that the forms are built from.
#ifndef QVL_WIN_WINDOW_H
#define QVL_WIN_WINDOW_H

#include <windows.h>

#include <functional>
#include <string>

namespace qvl {

// A notification reflected to the control that sent it: Window::HandleMessage sends each
// WM_NOTIFY it gets back to the sender first, wParam pointing to a NotifyReply and lParam to the
// NMHDR, so that a subclassed control answers its own notifications; what it leaves goes to the
// parent's OnNotify. The number is the reflected WM_NOTIFY of the OLE-control convention, which
// the common controls pass to DefWindowProc.
constexpr UINT UM_NOTIFYREFLECT = WM_USER + 0x1C00 + WM_NOTIFY;
struct NotifyReply {
    bool handled = false;
    LRESULT result = 0; // what WM_NOTIFY returns when handled
};

// A window that owns its HWND. The object is attached at WM_NCCREATE (from lpCreateParams) and
// detached at WM_NCDESTROY; messages before the attach go to DefWindowProc. The destructor of
// each window class calls Destroy() before its members go (a debug build checks it).
class Window {
public:
    Window() = default;
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }
    // Destroys the window now (safe to call twice).
    void Destroy();

protected:
    // Registers `className` once (with this thunk) and creates the window.
    bool CreateWindowOf(const char *className, DWORD exStyle, DWORD style, const char *caption, int x, int y, int width,
                        int height, HWND parent, HMENU menu, UINT classStyle = 0,
                        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // Decodes WM_SIZE, WM_COMMAND, WM_NOTIFY (after its sender, see UM_NOTIFYREFLECT) and
    // WM_PAINT into the typed handlers below; every other message, and one a handler leaves
    // (false), goes to DefWindowProc. A derived class handles its other messages and passes the
    // rest here.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual bool OnSize(UINT /*type*/, int /*width*/, int /*height*/) { return false; }
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
    // `result` is what the notification returns when handled.
    virtual bool OnNotify(const NMHDR & /*header*/, LPARAM /*lParam*/, LRESULT & /*result*/) { return false; }
    // Inside BeginPaint/EndPaint; false: DefWindowProc paints.
    virtual bool PaintsItself() const { return false; }
    virtual void OnPaint(HDC /*dc*/) {}
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcA(hwnd_, msg, wParam, lParam); }

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// A timer component: a message-only window of its own receives WM_TIMER and calls OnTimer.
// Enabling an enabled timer restarts its interval, as a form timer does.
class Timer : private Window {
public:
    explicit Timer(UINT interval, std::function<void()> onTimer = nullptr);
    ~Timer() override { Destroy(); }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    void SetInterval(UINT interval);
    UINT Interval() const { return interval_; }
    std::function<void()> OnTimer;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    UINT interval_;
    bool enabled_ = false;
};

// A menu command: its caption, enabled and visible state, and its click action. While it is
// placed in a menu, the menu shows its state.
class MenuItem {
public:
    MenuItem(UINT id, std::string caption) : id_(id), caption_(std::move(caption)) {}
    MenuItem(const MenuItem &) = delete;
    MenuItem &operator=(const MenuItem &) = delete;

    UINT Id() const { return id_; }
    const std::string &Caption() const { return caption_; }
    void SetCaption(const std::string &caption);
    // What a menu shows: the caption with its mnemonic and, after a tab, its shortcut key
    // ("&Rescan Devices\tF5"). Until set, the caption itself.
    const std::string &MenuText() const { return menuText_.empty() ? caption_ : menuText_; }
    void SetMenuText(const std::string &text);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Places the item at `position` of `menu` (not owned); a hidden item stays out of menus.
    void InsertInto(HMENU menu, UINT position);
    void Click() const
    {
        if (enabled_ && OnClick)
            OnClick();
    }
    std::function<void()> OnClick;
    // Called after every change of the enabled state (toolbar buttons follow their items).
    std::function<void(bool)> OnEnabledChanged;

private:
    void Show();
    UINT id_;
    std::string caption_;
    std::string menuText_;
    bool enabled_ = true;
    bool visible_ = true;
    HMENU menu_ = nullptr; // not owned
    UINT position_ = 0;
    bool placed_ = false;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope &) = delete;
    PaintScope &operator=(const PaintScope &) = delete;
    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_;
    HDC dc_;
};

// Message boxes of the console: always a single OK button.
enum class BoxKind { Error, Warning, Information };
int ShowMessageBox(HWND owner, const std::string &text, BoxKind kind);
// Told of each box that ShowMessageBox opens on this thread: when it is first activated
// (placed and shown) with `open` true, and after it has closed with `open` false.
using BoxWatcher = std::function<void(HWND box, bool open)>;
void SetBoxWatcher(BoxWatcher watcher);

} // namespace qvl

#endif
