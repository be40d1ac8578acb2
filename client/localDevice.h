// Device operations of local mode: straight through to qvldev. No check, no lock, no cache,
// no translation of results.
#pragma once

#include "qvldev.h"

namespace qvl::local {

// The slot of a Device operation of the list: the driver's qvl_<slot> (declared from the
// driver's list, qvldevOperations.h) behind the handle, which it drops; every other argument
// and the result pass unchanged.
template <auto Operation> struct PassThrough;
template <typename... A, int32_t(QVLDEVAPI *Operation)(A...)> struct PassThrough<Operation> {
    static int32_t __cdecl Call(uint32_t, A... a) { return Operation(a...); }
};

} // namespace qvl::local
