// A host that loads the client library on demand must be able to do so for ever: each load and
// unload of qvlclient.dll (and with it qvldev.dll) gives back its thread-local-storage slots
// and its memory. A static posix-thread runtime kept two TLS slots and some KiB per cycle, and
// the host died after about 540 cycles.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The lowest free TLS index: it rises when a slot is kept.
DWORD FirstFreeTlsIndex()
{
    DWORD index = TlsAlloc();
    TlsFree(index);
    return index;
}

// Private bytes; Wine reports them as PagefileUsage.
size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PagefileUsage;
}

bool LoadOnce()
{
    HMODULE lib = LoadLibraryA("qvlclient.dll");
    if (!lib)
        return false;
    const bool bound = GetProcAddress(lib, "cs_qvl_get_log_event") != nullptr;
    return FreeLibrary(lib) && bound && !GetModuleHandleA("qvlclient.dll") && !GetModuleHandleA("qvldev.dll");
}

TEST(LoadUnload, TwoThousandCyclesLeaveNoTlsSlotAndNoMemory)
{
    // The first cycles fill the loader's and the heap's caches.
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(LoadOnce()) << "cycle " << i;
    const DWORD tlsBefore = FirstFreeTlsIndex();
    const size_t bytesBefore = PrivateBytes();
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(LoadOnce()) << "cycle " << i;
    const DWORD tlsAfter = FirstFreeTlsIndex();
    const size_t bytesAfter = PrivateBytes();
    std::printf("TLS index %lu -> %lu; private bytes %zu -> %zu KiB\n", tlsBefore, tlsAfter,
                bytesBefore / 1024, bytesAfter / 1024);
    EXPECT_EQ(tlsAfter, tlsBefore);
    EXPECT_EQ(bytesAfter, bytesBefore);
}

} // namespace
