// Owners of kernel object handles and of menus that no window holds: the common owners.
#ifndef QVL_WIN_HANDLE_H
#define QVL_WIN_HANDLE_H

#include "owned.h"

#endif
