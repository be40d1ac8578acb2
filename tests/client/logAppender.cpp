// A second process for the event-log tests: appends COUNT entries "TAG i" to the log.
// Usage: log_appender TAG COUNT
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qvlclient.h"

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        EventEntry e;
        std::memset(&e, 0, sizeof e);
        e.type = 'I';
        std::snprintf(e.text, sizeof e.text, "%s %d", argv[1], i);
        cs_qvl_save_log_event(0, &e);
    }
    return 0;
}
