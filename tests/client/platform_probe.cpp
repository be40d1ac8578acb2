// Loads the client library at run time and says whether the loader accepted it.
#include <windows.h>

#include <cstdio>

#include "qvlclient.h"

int main()
{
    HMODULE lib = LoadLibraryA("qvlclient.dll");
    if (!lib) {
        std::printf("refused %lu\n", GetLastError()); // the cause: a refused load, not a missing file
        return 1;
    }
    auto getInfo = reinterpret_cast<int32_t(__cdecl *)(LibInfo *)>(
        reinterpret_cast<void *>(GetProcAddress(lib, "cs_qvl_get_lib_info")));
    LibInfo info{};
    getInfo(&info);
    std::printf("loaded platform=%u\n", info.platform);
    FreeLibrary(lib);
    return 0;
}
