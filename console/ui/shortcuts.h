// Shortcut keys of menu commands (F5, Del) as an accelerator table that the application's
// message loop translates for the main window, and the context menu of the same commands.
#ifndef QVL_SHORTCUTS_H
#define QVL_SHORTCUTS_H

#include <windows.h>

#include <vector>

#include "owned.h"

namespace qvl {

class MenuItem;

class Shortcuts {
public:
    // The program's one set, which RunMessageLoop translates.
    static Shortcuts &Application();

    // `key` (a virtual key, no shift state) runs the menu command `id`; `window` gets its
    // WM_COMMAND (HIWORD 1) and the menu bar of `window` says whether it is enabled.
    void Add(WORD key, UINT id);
    void Remove(UINT id);
    void SetWindow(HWND window) { window_ = window; }
    // True when `msg` was a shortcut of an enabled command of the window that has the focus or
    // of one of its children; a disabled command leaves the key to the control.
    bool Translate(MSG &msg) const;

private:
    void Rebuild();
    std::vector<ACCEL> keys_;
    AccelTable table_;
    HWND window_ = nullptr; // not owned
};

// Builds and tracks a popup menu of `items` (in that order, enabled as they are, showing their
// menu texts) at `screen`; returns the chosen item or none. `owner` is a top-level window of
// this thread: it is brought to the foreground so that a click elsewhere closes the menu.
const MenuItem *TrackCommandMenu(HWND owner, POINT screen, const std::vector<const MenuItem *> &items);

} // namespace qvl

#endif
