// The 45 exports that go through the dispatch table: each calls its slot with its own
// arguments, unchanged and in order, and returns the slot's result unchanged. An exception
// from the slot stops here and reads as a failure (QVL_FAILED).
#include "dispatch.h"
#include "guarded.h"

using qvl::g_lib;

#define QVL_FORWARDER(name, how, fn, params, args)                                                                     \
    extern "C" int32_t QVLAPI cs_qvl_##name params                                                                     \
    {                                                                                                                  \
        return qvl::GuardedCall(                                                                                       \
            "cs_qvl_" #name, [&] { return g_lib.table.name args; }, [] { return int32_t{QVL_FAILED}; });               \
    }
QVL_OPERATIONS(QVL_FORWARDER)
#undef QVL_FORWARDER
