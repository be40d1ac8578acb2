// A host that loads the client library on demand must be able to do so for ever: each load and
// unload of qvlclient.dll (and with it qvldev.dll) gives back its thread-local-storage slots
// and its memory. A static posix-thread runtime kept two TLS slots per cycle (the host died
// after about 540 cycles), and the C++ runtime's emergency exception pool kept 19 KiB of heap.
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

// Bytes in use in every heap of the process: what a library allocates and does not free.
size_t HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Private bytes; Wine reports them as PagefileUsage.
long PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return static_cast<long>(pmc.PagefileUsage);
}

bool LoadOnce(const char *name, const char *symbol)
{
    HMODULE lib = LoadLibraryA(name);
    if (!lib)
        return false;
    const bool bound = GetProcAddress(lib, symbol) != nullptr;
    return FreeLibrary(lib) && bound && !GetModuleHandleA(name) && !GetModuleHandleA("qvldev.dll");
}

struct Cost {
    DWORD tlsBefore, tlsAfter;
    long heapGrowth, privateGrowth;
};

Cost Cycles(const char *name, const char *symbol, int cycles)
{
    // The first cycles fill the loader's and the heap's caches.
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(LoadOnce(name, symbol)) << name << " warm-up cycle " << i;
    Cost c{};
    c.tlsBefore = FirstFreeTlsIndex();
    const size_t heap = HeapBytesInUse();
    const long priv = PrivateBytes();
    for (int i = 0; i < cycles; ++i)
        if (!LoadOnce(name, symbol)) {
            ADD_FAILURE() << name << " cycle " << i;
            break;
        }
    c.tlsAfter = FirstFreeTlsIndex();
    c.heapGrowth = static_cast<long>(HeapBytesInUse()) - static_cast<long>(heap);
    c.privateGrowth = PrivateBytes() - priv;
    std::printf("%-14s %d cycles: TLS index %lu -> %lu, heap %+ld B, private bytes %+ld KiB\n", name, cycles,
                c.tlsBefore, c.tlsAfter, c.heapGrowth, c.privateGrowth / 1024);
    return c;
}

TEST(LoadUnload, TwoThousandCyclesLeaveNoTlsSlotAndNoMemory)
{
    constexpr int kCycles = 2000;
    const Cost ours = Cycles("qvlclient.dll", "cs_qvl_get_log_event", kCycles);
    EXPECT_EQ(ours.tlsAfter, ours.tlsBefore);
    // A few bytes of the loader's own bookkeeping may move; one kept buffer per cycle would be
    // thousands of times this.
    EXPECT_LT(ours.heapGrowth, 4096);
    // Private bytes are printed beside those of the smallest DLL with the same start-up: under
    // Wine on hosts that emulate i386 they grow with every load of any such DLL, ours or not.
    Cycles("load_floor.dll", "load_floor", kCycles / 4);
}

} // namespace
