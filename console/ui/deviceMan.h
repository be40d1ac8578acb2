// TfrmDeviceMan: the device-management page: a toolbar with "Rescan Devices" and "Unplug",
// the same two commands at the top of the File menu, and the device tree page below.
#ifndef QVL_DEVICEMAN_H
#define QVL_DEVICEMAN_H

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "deviceView.h"
#include "pageBase.h"

class TfrmDeviceMan : public TfrmPageBase {
public:
    static constexpr int ToolBarHeight = 48;
    static constexpr SIZE ButtonSize{86, 44};
    static constexpr int SeparatorWidth = 6;
    // MenuItems entries.
    enum : int { ItemRescan = 0, ItemSeparator = 1, ItemAdvanced = 2, ItemUnplug = 3, ItemCount = 4 };

    TfrmDeviceMan(qvl::Window &owner, TPageHost &host);
    ~TfrmDeviceMan() override;
    // The page class that the main window creates (its PageToCreate).
    static std::unique_ptr<TfrmPageBase> CreatePage(qvl::Window &owner, TPageHost &host);

    void RefreshPage() override;
    void UpdateBayValues() override;
    void SetActive(bool active) override;
    void UpdateActions(bool selectionAware) override;

    void RescanClick();
    void UnplugClick();
    // The tree's context menu: Unplug and Rescan Devices, enabled as the toolbar's.
    void ShowContextMenu(POINT screen, bool byKeyboard);

    HWND ToolBar1 = nullptr; // owned by this page's window (a child control)
    UINT RescanBtn = 0;      // toolbar command ids: those of menu items 0 and 3
    UINT unplugBtn = 0;
    std::unique_ptr<TfrmDeviceView> DeviceView;

    bool ButtonEnabled(UINT button) const;

protected:
    // Replaces the base steps: makes the page's four menu items and binds the toolbar to them.
    void InitPage(TPageHost *host) override;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR &header, LPARAM lParam, LRESULT &result) override;
    LRESULT DrawToolBarEdge(const NMCUSTOMDRAW &draw) const;
    // The toolbar button of a menu item (ItemRescan, ItemUnplug) follows the item's state.
    void EnableButton(int item);
    void CreateToolBar();
    void Layout();
    const char *HintOf(UINT button) const;
};

#endif
