// The dispatch table of local mode: every operation runs on this machine.
#include "dispatch.h"
#include "localDevice.h"
#include "localOps.h"

namespace qvl {
namespace {

// The one not-supported answer, shared by every slot that local mode does not serve
// (users, mail, tasks, server parameters, notification, bays, locking, pass-through,
// dedicated spares). It touches no argument.
template <typename... A> int32_t __cdecl NotSupported(uint32_t, A...) { return QVL_FAILED; }

template <typename... A> void Unserved(Op<A...> &slot) { slot = &NotSupported<A...>; }

// Local mode has no connection state.
int32_t __cdecl NoConnection(uint32_t) { return QVL_OK; }

} // namespace

// The operations list says how each slot is served.
#define QVL_SERVE_Local(slot, name, fn) slot = local::fn
#define QVL_SERVE_Device(slot, name, fn) slot = &local::PassThrough<&qvl_##name>::Call
#define QVL_SERVE_NoConnection(slot, name, fn) slot = NoConnection
#define QVL_SERVE_Unserved(slot, name, fn) Unserved(slot)
#define QVL_SERVE(name, how, fn, params, args) QVL_SERVE_##how(t.name, name, fn);

void FillLocalTable(DispatchTable &t) { QVL_OPERATIONS(QVL_SERVE) }

#undef QVL_SERVE
#undef QVL_SERVE_Unserved
#undef QVL_SERVE_NoConnection
#undef QVL_SERVE_Device
#undef QVL_SERVE_Local

} // namespace qvl
