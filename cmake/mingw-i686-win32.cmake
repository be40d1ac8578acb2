# Cross build for 32-bit Windows with the win32 thread-model mingw-w64 compilers: the shipped
# binaries. Their static runtime needs no libwinpthread, so it imports nothing that Windows 95/98
# and NT 4.0 lack and leaves no TLS slot behind when a DLL of ours is unloaded.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
