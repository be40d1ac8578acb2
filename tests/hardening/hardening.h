// Helpers of the hardening tests that run the console in process: its page, tree and commands
// as a user reaches them while the console's own message loops run.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "MainUnit.h"
#include "deviceMan.h"
#include "systemUnit.h"

namespace hardening {

inline TfrmDeviceMan *Page()
{
    return MainForm && MainForm->CurrentPage ? dynamic_cast<TfrmDeviceMan *>(MainForm->CurrentPage.get()) : nullptr;
}

inline HWND Tree()
{
    TfrmDeviceMan *page = Page();
    return page && page->DeviceView ? page->DeviceView->TreeView->Handle() : nullptr;
}

inline int TreeCount()
{
    HWND tree = Tree();
    return tree ? static_cast<int>(TreeView_GetCount(tree)) : -1;
}

// The node whose device copy has this identifier, searched through the whole tree.
inline HTREEITEM FindDeviceNode(DeviceId id)
{
    HWND tree = Tree();
    if (!tree)
        return nullptr;
    for (HTREEITEM item = TreeView_GetRoot(tree); item;) {
        const TDeviceBase *object = Page()->DeviceView->NodeObject(item);
        if (object && object->Kind == KindDevice && object->Id == id)
            return item;
        HTREEITEM next = TreeView_GetChild(tree, item);
        while (!next && item) {
            next = TreeView_GetNextSibling(tree, item);
            if (!next)
                item = TreeView_GetParent(tree, item);
        }
        item = next;
    }
    return nullptr;
}

// Posts the command of a page menu item, as a click in the File menu does; false when the
// item is disabled (a user cannot choose it).
inline bool ChooseItem(int index)
{
    TfrmDeviceMan *page = Page();
    if (!page || index >= static_cast<int>(page->MenuItems.size()) || !page->MenuItems[index])
        return false;
    if (!page->MenuItems[index]->Enabled())
        return false;
    PostMessageA(MainForm->hwnd(), WM_COMMAND, page->MenuItems[index]->Id(), 0);
    return true;
}

// A count from the environment, or the default (CI runs the short forms).
inline long EnvCount(const char *name, long fallback)
{
    const char *v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

inline bool LongRuns() { return EnvCount("QVL_LONG_RUNS", 0) != 0; }

} // namespace hardening
