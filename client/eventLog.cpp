// The event log, qvl.log in the Windows directory: one tab-separated text line per event.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "dispatch.h"
#include "localOps.h"
#include "owned.h"

namespace qvl::local {
namespace {

constexpr int kLineBuffer = 512; // a line holds at most 511 characters before its line feed

const char *LogPath() { return g_lib.paths[PathLog]; }

class LogLock {
public:
    LogLock() { EnterCriticalSection(&g_lib.logLock); }
    ~LogLock() { LeaveCriticalSection(&g_lib.logLock); }
    LogLock(const LogLock &) = delete;
    LogLock &operator=(const LogLock &) = delete;
};

struct FdTraits {
    static void Close(int fd) { _close(fd); }
    static int None() { return -1; }
};
using Fd = Owned<int, FdTraits>;

struct StdioTraits {
    static void Close(FILE *f) { std::fclose(f); }
};
using File = Owned<FILE *, StdioTraits>;

PackedTime Now()
{
    std::time_t t = std::time(nullptr);
    const std::tm *tm = std::localtime(&t);
    if (!tm)
        return 0;
    return qvl_pack_time(static_cast<unsigned>(tm->tm_year + 28), tm->tm_mon + 1, tm->tm_mday,
                         tm->tm_hour, tm->tm_min, tm->tm_sec);
}

// A text with a line break would split its line and shift every later index.
void FlattenLineBreaks(char *text)
{
    for (; *text; ++text)
        if (*text == '\n' || *text == '\r')
            *text = ' ';
}

// The message text of a line: what follows its third tab. For lines with a one-digit year
// that is character 21, the fixed place where older readers took it from.
const char *TextOfLine(const char *line)
{
    for (int tabs = 0; tabs < 3; ++line) {
        if (*line == '\0')
            return line; // malformed: no text
        if (*line == '\t')
            ++tabs;
    }
    return line;
}

} // namespace

int32_t __cdecl SaveLogEvent(uint32_t, EventEntry *entry)
{
    if (!entry)
        return 0;
    entry->event.time = Now();

    Fd fd(_open(LogPath(), _O_RDWR | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE));
    if (fd.get() < 0)
        return 0;

    const PackedTime t = entry->event.time;
    char text[QVL_EVENT_TEXT];
    std::snprintf(text, sizeof text, "%.*s",
                  static_cast<int>(qvl_field_length(entry->text, QVL_EVENT_TEXT - 1)), entry->text);
    FlattenLineBreaks(text);
    char line[sizeof(EventEntry)];
    int len = std::snprintf(line, sizeof line, "%c\t%c\t%02d/%02d/%d %02d:%02d:%02d\t%s\n", '0',
                            entry->type, qvl_time_month(t), qvl_time_day(t), qvl_time_year(t),
                            qvl_time_hour(t), qvl_time_minute(t), qvl_time_second(t), text);
    if (len <= 0)
        return 0;
    if (len >= static_cast<int>(sizeof line))
        len = sizeof line - 1;

    LogLock lock;
    _lseek(fd.get(), 0, SEEK_END);
    _write(fd.get(), line, static_cast<unsigned>(len));
    return 0;
}

int32_t __cdecl EnumEvent(uint32_t, EventEntry *entry, int32_t index)
{
    if (!entry)
        return -1;
    File f(std::fopen(LogPath(), "rt"));
    if (!f.get())
        return -1;

    for (int32_t skipped = 0; skipped < index;) {
        int c = std::fgetc(f.get());
        if (c == EOF)
            return std::ferror(f.get()) ? -1 : QVL_NO_SUCH_LINE;
        if (c == '\n')
            ++skipped;
    }

    char line[kLineBuffer + 1];
    int n = 0;
    for (;;) {
        if (n == kLineBuffer)
            return -1; // over-long line
        int c = std::fgetc(f.get());
        if (c == EOF)
            return std::ferror(f.get()) ? -1 : QVL_NO_SUCH_LINE;
        line[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    line[n - 1] = '\0';

    char first = 0, type = 0;
    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    std::sscanf(line, "%c\t%c\t%02d/%02d/%d %02d:%02d:%02d", &first, &type, &month, &day, &year,
                &hour, &minute, &second);
    std::memset(entry, 0, sizeof *entry);
    entry->type = type;
    entry->flags = static_cast<uint8_t>(first);
    entry->event.time = qvl_pack_time(static_cast<unsigned>(year), static_cast<unsigned>(month),
                                      static_cast<unsigned>(day), static_cast<unsigned>(hour),
                                      static_cast<unsigned>(minute), static_cast<unsigned>(second));
    std::snprintf(entry->text, QVL_EVENT_TEXT, "%s", TextOfLine(line));
    return 0;
}

int32_t __cdecl ClearEventLog(uint32_t)
{
    {
        File f(std::fopen(LogPath(), "r"));
        if (!f.get())
            return 0; // nothing to clear
    }
    return DeleteFileA(LogPath()) ? 0 : -1;
}

} // namespace qvl::local
