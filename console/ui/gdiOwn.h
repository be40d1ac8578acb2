// The windows' view of handle owners: the common owners, the model's picture helpers, and the
// owner of a common-control image list.
#ifndef QVL_GDI_OWN_H
#define QVL_GDI_OWN_H

#include <windows.h>
#include <commctrl.h>

#include "owned.h"
#include "pictures.h"

namespace qvl {

struct ImageListTraits {
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using ImageList = Owned<HIMAGELIST, ImageListTraits>;

} // namespace qvl

#endif
