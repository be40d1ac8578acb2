// The exception barrier of every entry point the system calls (window and subclass procedures,
// hooks, exports): no exception crosses it. What it catches is recorded with OutputDebugString,
// so that a debugger or a trace shows the fault that was answered with the fallback.
#ifndef QVL_GUARDED_H
#define QVL_GUARDED_H

#include <windows.h>

#include <cstdio>
#include <exception>

namespace qvl {

// Writes "qvl: <where>: <what>" to the debug output.
inline void RecordCaught(const char *where, const char *what) noexcept
{
    char text[256];
    std::snprintf(text, sizeof text, "qvl: %s: %s\n", where, what);
    OutputDebugStringA(text);
}

// The result of body(); when it throws, the fault is recorded and fallback() answers instead.
template <class Body, class Fallback>
auto GuardedCall(const char *where, Body &&body, Fallback &&fallback) noexcept -> decltype(body())
{
    try {
        return body();
    } catch (const std::exception &e) {
        RecordCaught(where, e.what());
    } catch (...) {
        RecordCaught(where, "unknown exception");
    }
    return fallback();
}

} // namespace qvl

#endif
