// Load and unload of qvlclient.dll, and the version record.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "dispatch.h"
#include "guarded.h"

namespace qvl {

LibState g_lib;

namespace {

bool g_lockReady = false; // the loader also detaches after a refused attach

const char *const kFileNames[PathCount] = {"qvl.log", "qvl.ini", "qvluser.dat", "qvlmailset.dat", "qvltask.dat"};

void BuildPaths()
{
    char dir[MAX_PATH] = "";
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir)
        dir[0] = '\0'; // no directory: the paths keep only the file name part
    size_t len = std::strlen(dir);
    if (len > 0 && dir[len - 1] == '\\')
        dir[len - 1] = '\0';
    for (int i = 0; i < PathCount; ++i)
        std::snprintf(g_lib.paths[i], MAX_PATH, "%s\\%s", dir, kFileNames[i]);
}

bool Load()
{
    std::memset(&g_lib.info, 0, sizeof g_lib.info);
    std::memset(&g_lib.table, 0, sizeof g_lib.table);

    OSVERSIONINFOA os{};
    os.dwOSVersionInfoSize = sizeof os;
    if (!GetVersionExA(&os))
        return false;
    if (os.dwPlatformId != VER_PLATFORM_WIN32_NT && os.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS)
        return false; // Win32s and anything unknown
    g_lib.info.platform = static_cast<uint8_t>(os.dwPlatformId);

    BuildPaths();
    InitializeCriticalSection(&g_lib.logLock);
    g_lockReady = true;

    g_lib.info.mode = QVL_MODE_LOCAL;
    g_lib.info.version = QVL_LIB_VERSION;
    if (g_lib.info.mode == QVL_MODE_LOCAL)
        FillLocalTable(g_lib.table);
    return true;
}

} // namespace
} // namespace qvl

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return qvl::GuardedCall(
                   "DllMain", [] { return qvl::Load(); }, [] { return false; })
                   ? TRUE
                   : FALSE;
    case DLL_PROCESS_DETACH:
        // No WSACleanup: the library never started Winsock, and a cleanup here would end the
        // host's own Winsock session.
        if (qvl::g_lockReady)
            DeleteCriticalSection(&qvl::g_lib.logLock);
        return TRUE;
    default:
        return TRUE;
    }
}

extern "C" int32_t QVLAPI cs_qvl_get_lib_info(LibInfo *info)
{
    std::memcpy(info, &qvl::g_lib.info, sizeof *info);
    return QVL_OK;
}
