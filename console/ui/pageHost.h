// TPageHost: what a page may ask of the window that hosts it (the main window): the RAID
// system, menu items in its menus, and the picture under the information panels. Pages hold
// no pointer to the main window itself.
#ifndef QVL_PAGEHOST_H
#define QVL_PAGEHOST_H

#include <windows.h>

#include <string>

class TRAIDSystem;

namespace qvl {
class MenuItem;
}

class TPageHost {
public:
    // The connected system; none before the server manager exists or after it is gone.
    virtual TRAIDSystem *System() const = 0;
    // Menu items of pages: the host owns them and routes their commands.
    virtual qvl::MenuItem *CreateMenuItem(const std::string &caption) = 0;
    virtual void FreeMenuItem(qvl::MenuItem *item) = 0;
    virtual HMENU FileMenu() const = 0;
    // The "Operation" entry of the menu bar, which pages keep hidden.
    virtual void HideOperationMenu() = 0;
    // The picture the information panels show under their rows (not owned; may be none).
    virtual HBITMAP BackImage() const = 0;

protected:
    ~TPageHost() = default;
};

#endif
