#include "clientBind.h"

#include <windows.h>

#include <string_view>

#include "appDir.h"
#include "operations.h"
#include "owned.h"
#include "qvlclient.h"
#include "systemUnit.h"

namespace {

// The operations that qvlctl and the model call: a library that lacks one of them is refused.
// Every other operation of the list is bound when the library has it.
constexpr std::string_view Needed[] = {
    "disconnect_system",       "get_server_info",      "enum_event",
    "get_log_event",           "save_log_event",       "clear_event_log",
    "get_driver_capabilities", "get_controller_count", "get_controller_info",
    "get_channel_info",        "get_logical_devices",  "get_device_info",
    "set_device_info",         "rescan_devices",       "query_remove",
    "remove_devices",          "get_bay_info",
};

constexpr std::string_view Slots[] = {
#define QVL_NAME(slot, how, fn, params, args) #slot,
    QVL_OPERATIONS(QVL_NAME)
#undef QVL_NAME
};

template <size_t N> constexpr bool Contains(const std::string_view (&names)[N], std::string_view name)
{
    for (std::string_view n : names)
        if (n == name)
            return true;
    return false;
}

constexpr bool NeededAreSlots()
{
    for (std::string_view name : Needed)
        if (!Contains(Slots, name))
            return false;
    return true;
}
static_assert(NeededAreSlots(), "a needed operation that the library's list does not name");

// The library's functions by slot; all none until the library is bound.
struct BoundOperations {
#define QVL_POINTER(slot, how, fn, params, args) int32_t(QVLAPI *slot) params = nullptr;
    QVL_OPERATIONS(QVL_POINTER)
#undef QVL_POINTER
};

BoundOperations Bound;
int32_t(QVLAPI *BoundLibInfo)(LibInfo *) = nullptr;

// The library stays loaded until the process ends; nothing unloads it earlier.
HMODULE Library = nullptr;

template <class F> void Resolve(HMODULE lib, const char *name, F &function)
{
    function = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(lib, name)));
}

// False when the library lacks a needed operation.
bool ResolveOperations(HMODULE lib, BoundOperations &ops)
{
    bool complete = true;
#define QVL_RESOLVE(slot, how, fn, params, args)                                                                       \
    Resolve(lib, "cs_qvl_" #slot, ops.slot);                                                                           \
    complete = complete && (ops.slot || !Contains(Needed, #slot));
    QVL_OPERATIONS(QVL_RESOLVE)
#undef QVL_RESOLVE
    return complete;
}

} // namespace

// The exports' names, defined here for the model and qvlctl. Unbound, every operation fails as
// an unserved one does.
extern "C" {
#define QVL_FORWARD(slot, how, fn, params, args)                                                                       \
    int32_t QVLAPI cs_qvl_##slot params { return Bound.slot ? Bound.slot args : -1; }
QVL_OPERATIONS(QVL_FORWARD)
#undef QVL_FORWARD

int32_t QVLAPI cs_qvl_get_lib_info(LibInfo *info) { return BoundLibInfo ? BoundLibInfo(info) : -1; }
}

namespace ctl {

bool BindClient(std::string &why)
{
    if (Library)
        return true;
    // No "missing DLL" box on old Windows: the caller reports it.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    qvl::Library owned(LoadLibraryA((ProgramDirectory() + "qvlclient.dll").c_str()));
    const DWORD error = GetLastError();
    SetErrorMode(oldMode);
    const HMODULE lib = owned.get();
    if (!lib) {
        why = "qvlclient.dll or the driver's qvldev.dll cannot be loaded (error " + std::to_string(error) + ")";
        return false;
    }
    // The version record is asked for as the console asks for it; the needed operations next.
    Resolve(lib, "cs_qvl_get_lib_info", BoundLibInfo);
    BoundOperations ops;
    const char *refusal = CheckClientLibrary() != LibraryCheck::Usable ? "Invalid version."
                          : !ResolveOperations(lib, ops)               ? "qvlclient.dll lacks an operation"
                                                                       : nullptr;
    if (refusal) {
        BoundLibInfo = nullptr;
        why = refusal;
        return false;
    }
    Bound = ops;
    Library = owned.release();
    return true;
}

} // namespace ctl
