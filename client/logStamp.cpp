// The change time is not in the Win32 file queries; ntdll's by-name and by-handle queries give
// it at the cost of the Win32 ones (which call them). Looked up at run time: 95/98/Me lack them.
#include "logStamp.h"

#include <string>

namespace qvl::local {
namespace {

struct NtUnicodeString {
    USHORT length, maximumLength;
    PWSTR buffer;
};
struct NtObjectAttributes {
    ULONG length;
    HANDLE rootDirectory;
    NtUnicodeString *objectName;
    ULONG attributes;
    PVOID securityDescriptor, securityQualityOfService;
};
struct NtIoStatus {
    union {
        LONG status;
        PVOID pointer;
    };
    ULONG_PTR information;
};
struct NtBasicInformation { // FILE_BASIC_INFORMATION
    LARGE_INTEGER creation, lastAccess, lastWrite, change;
    ULONG attributes;
};
struct NtNetworkOpenInformation { // FILE_NETWORK_OPEN_INFORMATION
    LARGE_INTEGER creation, lastAccess, lastWrite, change, allocation, endOfFile;
    ULONG attributes;
};
constexpr ULONG kFileBasicInformation = 4;
constexpr ULONG kCaseInsensitive = 0x40; // OBJ_CASE_INSENSITIVE

using QueryFullAttributes = LONG(WINAPI *)(NtObjectAttributes *, NtNetworkOpenInformation *);
using QueryInformation = LONG(WINAPI *)(HANDLE, NtIoStatus *, PVOID, ULONG, ULONG);
using DosPathToNtPath = BOOLEAN(WINAPI *)(PCWSTR, NtUnicodeString *, PCWSTR *, PVOID);
using FreeUnicodeString = void(WINAPI *)(NtUnicodeString *);

struct Ntdll {
    QueryFullAttributes queryFull = nullptr;
    QueryInformation queryInformation = nullptr;
    DosPathToNtPath toNtPath = nullptr;
    FreeUnicodeString freeString = nullptr;
    Ntdll()
    {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        if (!ntdll)
            return;
        auto find = [ntdll](const char *name) { return reinterpret_cast<void *>(GetProcAddress(ntdll, name)); };
        queryFull = reinterpret_cast<QueryFullAttributes>(find("NtQueryFullAttributesFile"));
        queryInformation = reinterpret_cast<QueryInformation>(find("NtQueryInformationFile"));
        toNtPath = reinterpret_cast<DosPathToNtPath>(find("RtlDosPathNameToNtPathName_U"));
        freeString = reinterpret_cast<FreeUnicodeString>(find("RtlFreeUnicodeString"));
    }
    bool Complete() const { return queryFull && queryInformation && toNtPath && freeString; }
};

const Ntdll &Nt()
{
    static const Ntdll ntdll;
    return ntdll;
}

ULONGLONG Value(const LARGE_INTEGER &v) { return static_cast<ULONGLONG>(v.QuadPart); }

// The native form of the log's path ("\??\C:\WINDOWS\qvl.log"), made once.
const std::wstring &NtPath(const char *path)
{
    static const std::wstring native = [path] {
        std::wstring wide(MAX_PATH, L'\0');
        const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), MAX_PATH);
        if (n <= 0)
            return std::wstring();
        wide.resize(static_cast<size_t>(n - 1));
        NtUnicodeString converted{};
        if (!Nt().toNtPath(wide.c_str(), &converted, nullptr, nullptr))
            return std::wstring();
        std::wstring out(converted.buffer, converted.length / sizeof(WCHAR));
        Nt().freeString(&converted);
        return out;
    }();
    return native;
}

} // namespace

bool StampsAvailable() { return Nt().Complete(); }

bool StampByName(const char *path, LogStamp &out)
{
    if (!StampsAvailable())
        return false;
    const std::wstring &native = NtPath(path);
    if (native.empty())
        return false;
    NtUnicodeString name{static_cast<USHORT>(native.size() * sizeof(WCHAR)),
                         static_cast<USHORT>(native.size() * sizeof(WCHAR)), const_cast<PWSTR>(native.c_str())};
    NtObjectAttributes attributes{sizeof(NtObjectAttributes), nullptr, &name, kCaseInsensitive, nullptr, nullptr};
    NtNetworkOpenInformation info{};
    if (Nt().queryFull(&attributes, &info) < 0)
        return false;
    out = LogStamp{Value(info.endOfFile), Value(info.creation), Value(info.lastWrite), Value(info.change)};
    return true;
}

bool StampByHandle(HANDLE file, LogStamp &out)
{
    if (!StampsAvailable())
        return false;
    NtIoStatus status{};
    NtBasicInformation basic{};
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high); // GetFileSizeEx is not in NT 4.0
    if (Nt().queryInformation(file, &status, &basic, sizeof basic, kFileBasicInformation) < 0 ||
        (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR))
        return false;
    const ULONGLONG size = (static_cast<ULONGLONG>(high) << 32) | low;
    out = LogStamp{size, Value(basic.creation), Value(basic.lastWrite), Value(basic.change)};
    return true;
}

} // namespace qvl::local
