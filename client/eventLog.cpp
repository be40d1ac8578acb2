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

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) _close(fd_); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
private:
    int fd_;
};

class File {
public:
    explicit File(FILE *f) : f_(f) {}
    ~File() { if (f_) std::fclose(f_); }
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    FILE *get() const { return f_; }
private:
    FILE *f_;
};

PackedTime Now()
{
    std::time_t t = std::time(nullptr);
    const std::tm *tm = std::localtime(&t);
    if (!tm)
        return 0;
    return qvl_pack_time(static_cast<unsigned>(tm->tm_year + 28), tm->tm_mon + 1, tm->tm_mday,
                         tm->tm_hour, tm->tm_min, tm->tm_sec);
}

// A line break would split the line and shift every later index; a Ctrl-Z ends a text-mode
// read, hiding the rest of the log.
void FlattenText(char *text)
{
    for (; *text; ++text)
        if (*text == '\n' || *text == '\r' || *text == '\x1A')
            *text = ' ';
}

// The type is a field of its own between tabs: anything blank or unprintable would split the
// line or shift its fields.
char TypeCharacter(char type) { return type > ' ' && type < 0x7F ? type : '?'; }

// Other processes append to the same file: their appends and ours take turns on this mutex.
class LogMutex {
public:
    LogMutex() : h_(CreateMutexA(nullptr, FALSE, "qvl_event_log_append_mutex")) {}
    ~LogMutex() { if (h_) CloseHandle(h_); }
    LogMutex(const LogMutex &) = delete;
    LogMutex &operator=(const LogMutex &) = delete;
    HANDLE get() const { return h_; }
private:
    HANDLE h_;
};

// Held for one append. A holder that died mid-append leaves the mutex abandoned, which still
// grants it; one that hangs is waited for a while, then the append goes ahead unordered rather
// than stopping the caller.
class CrossProcessLock {
public:
    CrossProcessLock()
    {
        static LogMutex mutex; // made on the first append, closed at unload
        if (mutex.get()) {
            DWORD r = WaitForSingleObject(mutex.get(), 10000);
            if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED)
                held_ = mutex.get();
        }
    }
    ~CrossProcessLock() { if (held_) ReleaseMutex(held_); }
    CrossProcessLock(const CrossProcessLock &) = delete;
    CrossProcessLock &operator=(const CrossProcessLock &) = delete;
private:
    HANDLE held_ = nullptr;
};

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

    // Append-only: every write lands at the end as it is then, whoever wrote before it.
    Fd fd(_open(LogPath(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE));
    if (fd.get() < 0)
        return 0;

    const PackedTime t = entry->event.time;
    char text[QVL_EVENT_TEXT];
    std::snprintf(text, sizeof text, "%.*s",
                  static_cast<int>(qvl_field_length(entry->text, QVL_EVENT_TEXT - 1)), entry->text);
    FlattenText(text);
    char line[sizeof(EventEntry)];
    int len = std::snprintf(line, sizeof line, "%c\t%c\t%02d/%02d/%d %02d:%02d:%02d\t%s\n", '0',
                            TypeCharacter(entry->type), qvl_time_month(t), qvl_time_day(t), qvl_time_year(t),
                            qvl_time_hour(t), qvl_time_minute(t), qvl_time_second(t), text);
    if (len <= 0)
        return 0;
    if (len > kLineBuffer) { // cut the text so that the reader takes the whole line back
        len = kLineBuffer;
        line[len - 1] = '\n';
    }

    LogLock lock;
    CrossProcessLock processes;
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
    if (DeleteFileA(LogPath()))
        return 0;
    // Only a log that is not there counts as cleared; one held open or protected is not.
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
}

} // namespace qvl::local
