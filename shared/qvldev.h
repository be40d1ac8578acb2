/* qvldev.dll: the device-interface library of the RAID driver, as qvlclient calls it.
 * All operations are cdecl with 32-bit arguments and a signed 32-bit result. They are
 * declared from the driver's list, qvldevOperations.h, which says what each returns. */
#ifndef QVL_DEV_H
#define QVL_DEV_H

#include "qvldevOperations.h"
#include "qvlrecords.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QVLDEVAPI __cdecl

#define QVLDEV_DECLARE(name, NAME, params) int32_t QVLDEVAPI qvl_##name params;
QVLDEV_OPERATIONS(QVLDEV_DECLARE)
#undef QVLDEV_DECLARE

#ifdef __cplusplus
}
#endif

#endif
