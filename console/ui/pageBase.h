// TfrmPageBase: the frame that every page of the main window derives from. The main window
// drives a page only through these operations.
#ifndef QVL_PAGEBASE_H
#define QVL_PAGEBASE_H

#include <memory>
#include <vector>

#include "pageHost.h"
#include "win/window.h"

// Posted by the tree page to the page that holds it when the selection changed.
constexpr UINT UM_SELCHANGE = WM_USER + 106;     // 1130
constexpr UINT UM_SYNCSELECTION = WM_USER + 107; // 1131: the device view checks its selection

class TfrmPageBase : public qvl::Window {
public:
    static constexpr int DesignWidth = 583; // the toolbar's width until the page is laid out

    ~TfrmPageBase() override { Destroy(); }

    // Rebuilds the page from the RAID system after it has reloaded.
    virtual void RefreshPage() {}
    // Frees the page's menu items, last first (the console leaves them to the main window).
    virtual void FreeMenuItems();
    virtual void UpdateRebuildProgress() {}
    virtual void UpdateBayValues() {}
    virtual void PageResized() {}
    virtual void SetActive(bool active) { Active = active; }
    virtual void UpdateActions(bool /*selectionAware*/) {}

    int MenuItemCount = 0;
    std::vector<qvl::MenuItem *> MenuItems; // created by the page, owned by the main window
    bool Active = false;

protected:
    // Creates the frame as a zero-sized child of `owner`, hosted by `host`. The derived page's
    // constructor then calls InitPage (C++ runs no override from a base constructor).
    TfrmPageBase(qvl::Window &owner, TPageHost &host);
    // Base steps: inactive, no menu items, and the host's "Operation" menu hidden. `host` is
    // none for a page inside another page: only a page of the host itself does this.
    virtual void InitPage(TPageHost *host);

    TPageHost &Host; // not owned
};

// The page classes that the main window can create: a virtual constructor.
using PageClass = std::unique_ptr<TfrmPageBase> (*)(qvl::Window &owner, TPageHost &host);

#endif
