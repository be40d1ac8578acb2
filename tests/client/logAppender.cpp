// A second process for the event-log tests: appends COUNT entries "TAG i" to the log, or puts
// the file SOURCE in the log's place. A failed append prints "failed i"; the exit code is the
// number of failed appends (at most 100).
// Usage: log_appender TAG COUNT | log_appender --replace SOURCE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qvlclient.h"

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    if (std::strcmp(argv[1], "--replace") == 0) {
        char dir[MAX_PATH] = "", log[MAX_PATH];
        UINT n = GetWindowsDirectoryA(dir, sizeof dir);
        if (n > 0 && dir[n - 1] == '\\')
            dir[n - 1] = '\0';
        std::snprintf(log, sizeof log, "%s\\qvl.log", dir);
        return MoveFileExA(argv[2], log, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
    }
    const int count = std::atoi(argv[2]);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        EventEntry e;
        std::memset(&e, 0, sizeof e);
        e.type = 'I';
        std::snprintf(e.text, sizeof e.text, "%s %d", argv[1], i);
        if (cs_qvl_save_log_event(0, &e) != 0) {
            ++failed;
            std::printf("failed %d\n", i);
        }
    }
    return failed < 100 ? failed : 100;
}
