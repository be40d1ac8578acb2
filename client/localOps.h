// The operations that local mode serves, one group per file.
#pragma once

#include "operations.h"
#include "qvlclient.h"

namespace qvl::local {

// One declaration per operation that local mode serves itself: the event log and texts
// (eventLog.cpp, eventText.cpp), the server (serverInfo.cpp). Device operations go straight
// to the driver (localDevice.h).
#define QVL_LOCAL_Local(fn, params) int32_t __cdecl fn params;
#define QVL_LOCAL_Device(fn, params)
#define QVL_LOCAL_NoConnection(fn, params)
#define QVL_LOCAL_Unserved(fn, params)
#define QVL_LOCAL(name, how, fn, params, args) QVL_LOCAL_##how(fn, params)
QVL_OPERATIONS(QVL_LOCAL)
#undef QVL_LOCAL
#undef QVL_LOCAL_Unserved
#undef QVL_LOCAL_NoConnection
#undef QVL_LOCAL_Device
#undef QVL_LOCAL_Local

} // namespace qvl::local
