// Memory for thrown exceptions, for our DLLs. The C++ runtime is linked statically into each
// DLL, and its own version of these functions comes with an emergency pool that it allocates
// when the DLL loads and never frees: about 19 KiB lost on every LoadLibrary/FreeLibrary of a
// host that loads us on demand. Defining the four functions here keeps the runtime's version,
// and its pool, out of the link. Throwing works as before; only an exception thrown while the
// heap is exhausted ends the process instead of coming from the pool.
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

// Room before the thrown object for the runtime's exception header, whose size is private to
// the runtime: it reads and writes only the bytes just before the object, which this covers
// with room to spare, and the object keeps the alignment malloc gives, as before.
constexpr std::size_t HeaderRoom = 256;

} // namespace

namespace __cxxabiv1 {

extern "C" void *__cxa_allocate_exception(std::size_t size) noexcept
{
    auto *block = static_cast<char *>(std::malloc(size + HeaderRoom));
    if (!block)
        std::terminate();
    std::memset(block, 0, HeaderRoom);
    return block + HeaderRoom;
}

extern "C" void __cxa_free_exception(void *object) noexcept { std::free(static_cast<char *>(object) - HeaderRoom); }

// A dependent exception (std::rethrow_exception) is a header of its own.
extern "C" void *__cxa_allocate_dependent_exception() noexcept
{
    void *header = std::calloc(1, HeaderRoom);
    if (!header)
        std::terminate();
    return header;
}

extern "C" void __cxa_free_dependent_exception(void *header) noexcept { std::free(header); }

} // namespace __cxxabiv1
