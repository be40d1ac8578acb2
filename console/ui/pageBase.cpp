#include "pageBase.h"

#include "MainUnit.h"

TfrmPageBase::TfrmPageBase(qvl::Window &owner) : Owner(owner)
{
    CreateWindowOf("QvlPage", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, "", 0, 0, 0, 0,
                   owner.hwnd(), nullptr);
}

void TfrmPageBase::InitPage(qvl::Window &owner)
{
    Active = false;
    MenuItemCount = 0;
    if (auto *main = dynamic_cast<TMainForm *>(&owner))
        main->MenuOperation.SetVisible(false);
}

void TfrmPageBase::FreeMenuItems()
{
    auto *main = dynamic_cast<TMainForm *>(&Owner);
    for (int i = MenuItemCount - 1; i >= 0; --i) {
        if (main && MenuItems[i])
            main->FreeMenuItem(MenuItems[i]);
        MenuItems[i] = nullptr;
    }
    MenuItemCount = 0;
}
