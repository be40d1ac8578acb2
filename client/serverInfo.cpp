// The server operations of local mode: a description of this machine's operating system, and
// its restart.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "localOps.h"
#include "owned.h"

namespace qvl::local {
namespace {

using Token = Handle; // an access token

// Edition of an NT system that answered only the basic version record.
const char *EditionFromRegistry()
{
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS)
        return "";
    char value[80] = "";
    DWORD size = sizeof value - 1; // keeps room for a terminator the value may lack
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), "ProductType", nullptr, &type, reinterpret_cast<BYTE *>(value), &size) !=
        ERROR_SUCCESS)
        return "";
    if (lstrcmpiA(value, "WINNT") == 0)
        return "Professional";
    if (lstrcmpiA(value, "LANMANNT") == 0)
        return "Server";
    if (lstrcmpiA(value, "SERVERNT") == 0)
        return "Advanced Server";
    return "";
}

const char *EditionFromRecord(const OSVERSIONINFOEXA &os)
{
    switch (os.wProductType) {
    case VER_NT_WORKSTATION:
        return (os.wSuiteMask & VER_SUITE_PERSONAL) ? "Personal" : "Professional";
    case VER_NT_SERVER:
        if (os.wSuiteMask & VER_SUITE_DATACENTER)
            return "DataCenter Server";
        if (os.wSuiteMask & VER_SUITE_ENTERPRISE)
            return "Advanced Server";
        return "Server ";
    default:
        return ""; // domain controller
    }
}

const char *NtName(DWORD major, DWORD minor)
{
    if (major <= 4)
        return "Microsoft Windows NT ";
    if (major == 5 && minor == 0)
        return "Microsoft Windows 2000 ";
    if (major == 5 && minor == 1)
        return "Microsoft Windows XP ";
    return "";
}

// Name of a 95/98/Me system, or null when the version has none.
const char *Win9xName(const OSVERSIONINFOA &os, const char *&suffix)
{
    suffix = "";
    if (os.dwMajorVersion != 4)
        return nullptr;
    const char second = os.szCSDVersion[1];
    switch (os.dwMinorVersion) {
    case 0:
        if (second == 'C' || second == 'B')
            suffix = "OSR2 ";
        return "Microsoft Windows 95 ";
    case 10:
        if (second == 'A')
            suffix = "SE ";
        return "Microsoft Windows 98 ";
    case 90:
        return "Microsoft Windows Me";
    default:
        return nullptr;
    }
}

bool BasicVersion(OSVERSIONINFOA &os)
{
    std::memset(&os, 0, sizeof os);
    os.dwOSVersionInfoSize = sizeof os;
    return GetVersionExA(&os) != FALSE;
}

} // namespace

int32_t __cdecl GetServerInfo(uint32_t, ServerInfo *info)
{
    OSVERSIONINFOEXA os{};
    os.dwOSVersionInfoSize = sizeof os;
    bool extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&os)) != FALSE;
    if (!extended) {
        std::memset(&os, 0, sizeof os);
        os.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA *>(&os)))
            return QVL_OK;
    }
    if (!info)
        return QVL_OK;

    // Names and editions are at most 40 characters, well inside the 64-byte field.
    if (os.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        const char *suffix;
        if (const char *name = Win9xName(*reinterpret_cast<OSVERSIONINFOA *>(&os), suffix))
            std::snprintf(info->osName, sizeof info->osName, "%s%s", name, suffix);
    } else if (os.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        const char *edition = extended ? EditionFromRecord(os) : EditionFromRegistry();
        std::snprintf(info->osName, sizeof info->osName, "%s%s", NtName(os.dwMajorVersion, os.dwMinorVersion), edition);
        const char *sp = os.szCSDVersion;
        const int csdLength = static_cast<int>(qvl_field_length(sp, sizeof os.szCSDVersion));
        const int build = static_cast<int>(os.dwBuildNumber & 0xFFFF);
        if (os.dwMajorVersion <= 4)
            std::snprintf(info->osBuild, sizeof info->osBuild, "version %d.%d %.*s (Build %d)\n",
                          static_cast<int>(os.dwMajorVersion), static_cast<int>(os.dwMinorVersion), csdLength, sp,
                          build);
        else
            std::snprintf(info->osBuild, sizeof info->osBuild, "%.*s (Build %d)\n", csdLength, sp, build);
    }
    return QVL_OK;
}

int32_t __cdecl RebootServer(uint32_t)
{
    OSVERSIONINFOA os;
    if (!BasicVersion(os))
        return QVL_FAILED;
    if (os.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return ExitWindowsEx(EWX_REBOOT, 0) ? QVL_OK : QVL_FAILED; // a refusal is reported, as on NT

    Token token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return QVL_FAILED;
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid))
        return QVL_FAILED;
    AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr);
    if (GetLastError() != ERROR_SUCCESS)
        return QVL_FAILED; // for example: the account does not hold the privilege
    return ExitWindowsEx(EWX_REBOOT, 0) ? QVL_OK : QVL_FAILED;
}

} // namespace qvl::local
