// Finds the message boxes of this thread from inside their own modal loops: a thread timer ticks
// in every message loop (the application's, a message box's, a dialog's), so a test sees each
// box as a user would, reads its caption and text, and presses OK.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace qvltest {

// A message box as it was when first seen.
struct FoundBox {
    HWND box;
    std::string caption;
    std::string text;
    HWND owner;
};

class BoxFinder {
public:
    // Every `intervalMs` while the finder lives: `found` for each box not seen before, in the
    // order Windows lists them, then `tick`. Neither runs again from a modal loop it opens.
    BoxFinder(UINT intervalMs, std::function<void(const FoundBox &)> found, std::function<void()> tick = nullptr)
        : found_(std::move(found)), tick_(std::move(tick)), timer_(SetTimer(nullptr, 0, intervalMs, &BoxFinder::Tick))
    {
        Live().push_back(this);
    }
    ~BoxFinder()
    {
        KillTimer(nullptr, timer_);
        std::erase(Live(), this);
    }
    BoxFinder(const BoxFinder &) = delete;
    BoxFinder &operator=(const BoxFinder &) = delete;

    // The boxes seen that are open now, oldest first.
    std::vector<HWND> OpenBoxes() const
    {
        std::vector<HWND> open;
        for (HWND b : order_)
            if (IsWindow(b) && IsWindowVisible(b))
                open.push_back(b);
        return open;
    }
    static void Press(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }
    void PressAll() const
    {
        for (HWND b : OpenBoxes())
            Press(b);
    }

    static std::string TextOf(HWND w)
    {
        char text[1024] = "";
        GetWindowTextA(w, text, sizeof text);
        return text;
    }
    // The message of a box: its static text, which has this control id.
    static std::string MessageOf(HWND box) { return TextOf(GetDlgItem(box, 0xFFFF)); }

private:
    static std::vector<BoxFinder *> &Live()
    {
        static std::vector<BoxFinder *> live;
        return live;
    }
    static BOOL CALLBACK Collect(HWND w, LPARAM out)
    {
        char cls[64] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "#32770" && IsWindowVisible(w))
            reinterpret_cast<std::vector<HWND> *>(out)->push_back(w);
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        const auto &live = Live();
        const auto self = std::find_if(live.begin(), live.end(), [timer](BoxFinder *f) { return f->timer_ == timer; });
        if (self == live.end() || (*self)->inTick_)
            return; // a tick that opens a modal loop must not be re-entered from inside it
        BoxFinder &finder = **self;
        finder.inTick_ = true;
        finder.Scan();
        if (finder.tick_)
            finder.tick_();
        finder.inTick_ = false;
    }
    void Scan()
    {
        std::vector<HWND> boxes;
        EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&boxes));
        for (HWND b : boxes) {
            if (std::find(order_.begin(), order_.end(), b) != order_.end())
                continue;
            order_.push_back(b);
            if (found_)
                found_(FoundBox{b, TextOf(b), MessageOf(b), GetWindow(b, GW_OWNER)});
        }
    }

    std::function<void(const FoundBox &)> found_;
    std::function<void()> tick_;
    UINT_PTR timer_;
    bool inTick_ = false;
    std::vector<HWND> order_; // every box seen, in the order first seen
};

} // namespace qvltest
