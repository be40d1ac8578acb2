// Asks the client library to restart the machine and reports what it answered. When the
// restart goes ahead, the session ends this process before it says it is still running.
#include <windows.h>

#include <cstdio>

#include "qvlclient.h"

int main()
{
    int32_t result = cs_qvl_reboot_server(0);
    std::printf("result %d\n", result);
    std::fflush(stdout);
    Sleep(30000);
    std::printf("still running\n");
    return 0;
}
