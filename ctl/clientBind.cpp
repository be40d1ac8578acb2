#include "clientBind.h"

#include <windows.h>

#include "owned.h"
#include "qvlclient.h"

// The operations used, as (name, parameter list, argument list).
#define QVL_BOUND_OPERATIONS(X)                                                                    \
    X(cs_qvl_disconnect_system, (uint32_t h), (h))                                                 \
    X(cs_qvl_get_server_info, (uint32_t h, ServerInfo *i), (h, i))                                 \
    X(cs_qvl_enum_event, (uint32_t h, EventEntry *e, int32_t n), (h, e, n))                        \
    X(cs_qvl_get_log_event, (uint32_t h, EventEntry *e), (h, e))                                   \
    X(cs_qvl_save_log_event, (uint32_t h, EventEntry *e), (h, e))                                  \
    X(cs_qvl_clear_event_log, (uint32_t h), (h))                                                   \
    X(cs_qvl_get_driver_capabilities, (uint32_t h, DriverCapabilities *c), (h, c))                 \
    X(cs_qvl_get_controller_count, (uint32_t h), (h))                                              \
    X(cs_qvl_get_controller_info, (uint32_t h, uint32_t c, ControllerRecord *r), (h, c, r))        \
    X(cs_qvl_get_channel_info, (uint32_t h, uint32_t c, uint32_t n, ChannelRecord *r), (h, c, n, r)) \
    X(cs_qvl_get_logical_devices, (uint32_t h, DeviceId *l, uint32_t n), (h, l, n))                \
    X(cs_qvl_get_device_info, (uint32_t h, DeviceId d, DeviceInfo *i), (h, d, i))                  \
    X(cs_qvl_set_device_info, (uint32_t h, DeviceId d, void *s), (h, d, s))                        \
    X(cs_qvl_rescan_devices, (uint32_t h), (h))                                                    \
    X(cs_qvl_query_remove, (uint32_t h, uint32_t n, DeviceId *l), (h, n, l))                       \
    X(cs_qvl_remove_devices, (uint32_t h, uint32_t n, DeviceId *l), (h, n, l))                     \
    X(cs_qvl_get_bay_info, (uint32_t h, DeviceId d, BayInfo *b), (h, d, b))

namespace {

#define QVL_POINTER(name, params, args) int32_t(QVLAPI *p_##name) params = nullptr;
QVL_BOUND_OPERATIONS(QVL_POINTER)
#undef QVL_POINTER

// The library stays loaded until the process ends; nothing unloads it earlier.
HMODULE Library = nullptr;

} // namespace

extern "C" {
// Unbound, every operation fails as an unserved one does.
#define QVL_FORWARD(name, params, args) \
    int32_t QVLAPI name params { return p_##name ? p_##name args : -1; }
QVL_BOUND_OPERATIONS(QVL_FORWARD)
#undef QVL_FORWARD
}

namespace ctl {

bool BindClient(std::string &why)
{
    if (Library)
        return true;
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    dir = dir.substr(0, dir.find_last_of("\\/") + 1);
    // No "missing DLL" box on old Windows: the caller reports it.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    qvl::Library owned(LoadLibraryA((dir + "qvlclient.dll").c_str()));
    const DWORD error = GetLastError();
    SetErrorMode(oldMode);
    const HMODULE lib = owned.get();
    if (!lib) {
        why = "qvlclient.dll or the driver's qvldev.dll cannot be loaded (error " + std::to_string(error) + ")";
        return false;
    }
    using LibInfoFn = int32_t(QVLAPI *)(LibInfo *);
    auto libInfo = reinterpret_cast<LibInfoFn>(reinterpret_cast<void *>(GetProcAddress(lib, "cs_qvl_get_lib_info")));
    LibInfo info{};
    if (!libInfo || libInfo(&info) != 0 || info.version != QVL_LIB_VERSION || info.mode != QVL_MODE_LOCAL) {
        why = "Invalid version.";
        return false;
    }
    bool complete = true;
#define QVL_RESOLVE(name, params, args)                                                      \
    p_##name = reinterpret_cast<decltype(p_##name)>(reinterpret_cast<void *>(GetProcAddress(lib, #name))); \
    complete = complete && p_##name;
    QVL_BOUND_OPERATIONS(QVL_RESOLVE)
#undef QVL_RESOLVE
    if (!complete) {
#define QVL_CLEAR(name, params, args) p_##name = nullptr;
        QVL_BOUND_OPERATIONS(QVL_CLEAR)
#undef QVL_CLEAR
        why = "qvlclient.dll lacks an operation";
        return false;
    }
    Library = owned.release();
    return true;
}

} // namespace ctl
