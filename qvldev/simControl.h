/* Control of the simulated RAID subsystem inside our qvldev.dll stand-in, for qvlsim and
 * tests. These exports are not part of the driver interface that qvlclient imports.
 *
 * The state is one system per Wine prefix and instance (environment QVLDEV_INSTANCE, default
 * "default"), shared by every process through a named file mapping guarded by a named mutex.
 * The first process that needs it creates it from the scenario file named by QVLDEV_SCENARIO,
 * or from the built-in demo system. */
#ifndef QVL_SIM_CONTROL_H
#define QVL_SIM_CONTROL_H

#include "../shared/qvldevOperations.h"
#include "../shared/qvlrecords.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QVLSIMAPI __cdecl

/* Driver operations, numbered in the order of the driver's list (qvldevOperations.h); used in
 * the call record and for injection. */
#define QVLSIM_OP_ENUMERATOR(name, NAME, params) QVLSIM_OP_##NAME,
enum QvlSimOperation { QVLDEV_OPERATIONS(QVLSIM_OP_ENUMERATOR) QVLSIM_OP_COUNT };
#undef QVLSIM_OP_ENUMERATOR

/* One driver call as the simulator saw it: its arguments as raw 32-bit values (pointers
 * included), in order, and the result it gave. */
typedef struct QvlSimCall {
    uint32_t sequence;  /* counts every call since the state was made */
    uint32_t operation; /* QvlSimOperation */
    uint32_t argc;
    uint32_t args[4];
    int32_t result;
} QvlSimCall;

/* Results of the control operations: 0 = done, -1 = refused (with a reason where an error
 * buffer is given; the reason is always zero-terminated and cut to the buffer). */

/* Replace the system with a scenario. Nothing changes when the scenario is refused; the reason
 * reads "SOURCE:LINE: reason". */
int32_t QVLSIMAPI qvlsim_load_text(const char *text, const char *source, char *error, uint32_t errorSize);
int32_t QVLSIMAPI qvlsim_load_file(const char *path, char *error, uint32_t errorSize);
/* Why the system was made empty when it was created: QVLDEV_SCENARIO refused ("QVLDEV_SCENARIO
 * refused: FILE:LINE: reason") or QVLDEV_INSTANCE invalid. 0 = no such problem; -1 and the
 * reason otherwise. A later load or reset clears it. */
int32_t QVLSIMAPI qvlsim_state_error(char *error, uint32_t errorSize);
/* Replace the system with the built-in demo system. */
int32_t QVLSIMAPI qvlsim_reset(void);
/* Print the system as a scenario. Returns the text's length; writes it (zero-terminated) only
 * when size is larger than that length. */
int32_t QVLSIMAPI qvlsim_show(char *buffer, uint32_t size);

/* Attach a disk described by scenario words (controller=, channel=, position= and any disk
 * words; id= is optional, a fresh identifier is given otherwise). It appears in the driver's
 * answers only after qvl_rescan_devices. */
int32_t QVLSIMAPI qvlsim_plug(const char *words, DeviceId *id, char *error, uint32_t errorSize);
/* The disk leaves the system at once, as if pulled out. */
int32_t QVLSIMAPI qvlsim_pull(DeviceId id);
/* The disk fails: marked disabled, its array marked broken, event code 1 queued. */
int32_t QVLSIMAPI qvlsim_fail(DeviceId id);
/* A busy disk refuses removal. */
int32_t QVLSIMAPI qvlsim_set_busy(DeviceId id, int32_t busy);

/* Queue a raw device event stamped with the current time; payload may be null. -1 when the
 * queue is full (nothing is dropped). */
int32_t QVLSIMAPI qvlsim_queue_event(uint32_t code, DeviceId id, const uint8_t *payload, uint32_t size);
int32_t QVLSIMAPI qvlsim_pending_events(void);

/* Make an operation return `result` without acting, for the next `count` calls (0 = until
 * cleared). */
int32_t QVLSIMAPI qvlsim_inject(uint32_t operation, int32_t result, uint32_t count);
int32_t QVLSIMAPI qvlsim_inject_clear(void);
/* The operation's name as used by qvlsim ("get_device_info"), or null. */
const char *QVLSIMAPI qvlsim_operation_name(uint32_t operation);

/* Hostile drivers: make qvl_get_device_info answer these 174 bytes for `id`, exactly as
 * given, whatever the system holds for it (a disk's or array's own record, fail=, or no device
 * at all); null takes the override away (-1 when there was none). At most 128 identifiers (-1
 * when full). qvl_get_controller_info answers `rec` for a controller index below the
 * controller count (index below 16; null takes it away). Scenarios cannot write these records:
 * show does not print them, and a load or reset drops them. */
int32_t QVLSIMAPI qvlsim_set_raw_device(DeviceId id, const DeviceInfo *info);
int32_t QVLSIMAPI qvlsim_set_raw_controller(uint32_t index, const ControllerRecord *rec);

/* The recorded calls, oldest first; returns how many were written. The record keeps the
 * latest QVLSIM_CALL_RECORD calls. */
#define QVLSIM_CALL_RECORD 256
int32_t QVLSIMAPI qvlsim_calls(QvlSimCall *calls, uint32_t capacity);
int32_t QVLSIMAPI qvlsim_clear_calls(void);

#ifdef __cplusplus
}
#endif

#endif
