#include "pageBase.h"

TfrmPageBase::TfrmPageBase(qvl::Window &owner, TPageHost &host) : Host(host)
{
    CreateWindowOf("QvlPage", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, "", 0, 0, 0, 0,
                   owner.hwnd(), nullptr);
}

void TfrmPageBase::InitPage(TPageHost *host)
{
    Active = false;
    MenuItemCount = 0;
    if (host)
        host->HideOperationMenu();
}

void TfrmPageBase::FreeMenuItems()
{
    for (int i = MenuItemCount - 1; i >= 0; --i) {
        if (MenuItems[i])
            Host.FreeMenuItem(MenuItems[i]);
        MenuItems[i] = nullptr;
    }
    MenuItemCount = 0;
}
