#include "shortcuts.h"

#include <algorithm>

#include "win/window.h"

namespace qvl {

Shortcuts &Shortcuts::Application()
{
    static Shortcuts shortcuts;
    return shortcuts;
}

void Shortcuts::Add(WORD key, UINT id)
{
    Remove(id);
    keys_.push_back(ACCEL{FVIRTKEY, key, static_cast<WORD>(id)});
    Rebuild();
}

void Shortcuts::Remove(UINT id)
{
    std::erase_if(keys_, [id](const ACCEL &a) { return a.cmd == id; });
    Rebuild();
}

void Shortcuts::Rebuild()
{
    table_.reset(keys_.empty() ? nullptr : CreateAcceleratorTableA(keys_.data(), static_cast<int>(keys_.size())));
}

bool Shortcuts::Translate(MSG &msg) const
{
    if (!table_ || !window_ || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN))
        return false;
    if (msg.hwnd != window_ && !IsChild(window_, msg.hwnd))
        return false; // a message box or dialog has its own keys
    if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
        return false;
    const auto key = std::find_if(keys_.begin(), keys_.end(),
                                  [&msg](const ACCEL &a) { return a.key == static_cast<WORD>(msg.wParam); });
    if (key == keys_.end())
        return false;
    const UINT state = GetMenuState(GetMenu(window_), key->cmd, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)))
        return false;
    return TranslateAcceleratorA(window_, table_.get(), &msg) != 0;
}

const MenuItem *TrackCommandMenu(HWND owner, POINT screen, const std::vector<const MenuItem *> &items)
{
    Menu menu(CreatePopupMenu());
    if (!menu)
        return nullptr;
    for (const MenuItem *item : items)
        AppendMenuA(menu.get(), MF_STRING | (item->Enabled() ? MF_ENABLED : MF_GRAYED), item->Id(),
                    item->MenuText().c_str());
    // The owner must be foreground for the menu to close on a click elsewhere.
    SetForegroundWindow(owner);
    const UINT chosen =
        static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                         screen.x, screen.y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    for (const MenuItem *item : items)
        if (chosen != 0 && item->Id() == chosen)
            return item;
    return nullptr;
}

} // namespace qvl
