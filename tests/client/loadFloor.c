/* The smallest DLL with the same C runtime start-up as ours: what a load and unload costs the
   host whatever the library does. */
#include <windows.h>

__declspec(dllexport) int load_floor(void) { return 1; }
