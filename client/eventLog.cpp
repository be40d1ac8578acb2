// The event log, qvl.log in the Windows directory: one tab-separated text line per event.
// Saving appends a line, enumerating reads one back (through logReader.h), clearing deletes
// the file.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "dispatch.h"
#include "localOps.h"
#include "logReader.h"
#include "owned.h"

namespace qvl::local {
namespace {

class LogLock {
public:
    LogLock() { EnterCriticalSection(&g_lib.logLock); }
    ~LogLock() { LeaveCriticalSection(&g_lib.logLock); }
    LogLock(const LogLock &) = delete;
    LogLock &operator=(const LogLock &) = delete;
};

PackedTime Now()
{
    std::time_t t = std::time(nullptr);
    const std::tm *tm = std::localtime(&t);
    if (!tm)
        return 0;
    return qvl_pack_time(static_cast<unsigned>(tm->tm_year + 28), tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min,
                         tm->tm_sec);
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
Handle MakeLogMutex() { return Handle(CreateMutexA(nullptr, FALSE, "qvl_event_log_append_mutex")); }

// Held for one append. A holder that died mid-append leaves the mutex abandoned, which still
// grants it; one that hangs is waited for a while, then the append goes ahead unordered rather
// than stopping the caller.
class CrossProcessLock {
public:
    CrossProcessLock()
    {
        static const Handle mutex = MakeLogMutex(); // made on the first append, closed at unload
        if (mutex.get()) {
            DWORD r = WaitForSingleObject(mutex.get(), 10000);
            if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED)
                held_ = mutex.get();
        }
    }
    ~CrossProcessLock()
    {
        if (held_)
            ReleaseMutex(held_);
    }
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

// The fields of a line, as the read-back format "%c\t%c\t%02d/%02d/%d %02d:%02d:%02d" gives them.
struct LineFields {
    char first = 0, type = 0;
    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int TwoDigits(const char *s) { return IsDigit(s[0]) && IsDigit(s[1]) ? (s[0] - '0') * 10 + (s[1] - '0') : -1; }

// The fields of a line in the form this library writes ("0\tE\t05/21/3 14:02:07\t..."), taken
// without the scan, which costs more than the rest of a read that follows on. False for any
// other line: a blank type, other widths or separators go through the format itself.
bool ParseWritten(const char *s, LineFields &f)
{
    if (s[0] == '\0' || s[1] != '\t' || s[2] <= ' ' || s[2] >= 0x7F || s[3] != '\t')
        return false;
    const int month = TwoDigits(s + 4);
    if (month < 0 || s[6] != '/')
        return false;
    const int day = TwoDigits(s + 7);
    if (day < 0 || s[9] != '/')
        return false;
    const char *t = s + 10;
    int year = 0, digits = 0;
    for (; digits < 5 && IsDigit(*t); ++digits, ++t)
        year = year * 10 + (*t - '0');
    if (digits < 1 || digits > 4 || *t != ' ')
        return false;
    const int hour = TwoDigits(t + 1);
    if (hour < 0 || t[3] != ':')
        return false;
    const int minute = TwoDigits(t + 4);
    if (minute < 0 || t[6] != ':')
        return false;
    const int second = TwoDigits(t + 7);
    if (second < 0)
        return false;
    f.first = s[0];
    f.type = s[2];
    f.month = month;
    f.day = day;
    f.year = year;
    f.hour = hour;
    f.minute = minute;
    f.second = second;
    return true;
}

// Appends one line whole or not at all: a short write (a full disk) is cut back to the size the
// file had, so that the next line does not glue onto half of this one. Callers hold both locks,
// so no append of ours lands between the size taken here and the cut.
bool AppendWhole(HANDLE file, const char *line, DWORD length)
{
    LONG high = 0;
    const DWORD low = SetFilePointer(file, 0, &high, FILE_END);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    DWORD written = 0;
    if (WriteFile(file, line, length, &written, nullptr) && written == length)
        return true;
    LONG back = high;
    if (SetFilePointer(file, static_cast<LONG>(low), &back, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
        GetLastError() == NO_ERROR)
        SetEndOfFile(file);
    return false;
}

} // namespace

int32_t __cdecl SaveLogEvent(uint32_t, EventEntry *entry)
{
    if (!entry)
        return QVL_FAILED;
    entry->event.time = Now();

    const PackedTime t = entry->event.time;
    char text[QVL_EVENT_TEXT];
    std::snprintf(text, sizeof text, "%.*s", static_cast<int>(qvl_field_length(entry->text, QVL_EVENT_TEXT - 1)),
                  entry->text);
    FlattenText(text);
    char line[sizeof(EventEntry) + 2];
    int len = std::snprintf(line, sizeof(EventEntry), "%c\t%c\t%02d/%02d/%d %02d:%02d:%02d\t%s", '0',
                            TypeCharacter(entry->type), qvl_time_month(t), qvl_time_day(t), qvl_time_year(t),
                            qvl_time_hour(t), qvl_time_minute(t), qvl_time_second(t), text);
    if (len <= 0)
        return QVL_FAILED;
    if (len > kLineBuffer - 1) // cut the text so that the reader takes the whole line back
        len = kLineBuffer - 1;
    line[len++] = '\r'; // the text-mode line end that readers of the file expect
    line[len++] = '\n';

    // Shared as the C runtime shares it, so that readers and other appenders keep their access.
    FileHandle log(CreateFileA(LogPath(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (log.get() == INVALID_HANDLE_VALUE)
        return QVL_FAILED;
    LogLock lock;
    CrossProcessLock processes;
    return AppendWhole(log.get(), line, static_cast<DWORD>(len)) ? QVL_OK : QVL_FAILED;
}

int32_t __cdecl EnumEvent(uint32_t, EventEntry *entry, int32_t index)
{
    if (!entry)
        return QVL_FAILED;
    if (index < 0)
        index = 0;
    char line[kLineBuffer + 1];
    const int32_t r = ReadLogLine(index, line);
    if (r != QVL_OK)
        return r;

    LineFields f;
    if (!ParseWritten(line, f))
        std::sscanf(line, "%c\t%c\t%02d/%02d/%d %02d:%02d:%02d", &f.first, &f.type, &f.month, &f.day, &f.year, &f.hour,
                    &f.minute, &f.second);
    std::memset(entry, 0, sizeof *entry);
    entry->type = f.type;
    entry->flags = static_cast<uint8_t>(f.first);
    entry->event.time =
        qvl_pack_time(static_cast<unsigned>(f.year), static_cast<unsigned>(f.month), static_cast<unsigned>(f.day),
                      static_cast<unsigned>(f.hour), static_cast<unsigned>(f.minute), static_cast<unsigned>(f.second));
    std::snprintf(entry->text, QVL_EVENT_TEXT, "%s", TextOfLine(line));
    return QVL_OK;
}

int32_t __cdecl ClearEventLog(uint32_t)
{
    if (DeleteFileA(LogPath()))
        return QVL_OK;
    // Only a log that is not there counts as cleared; one held open or protected is not.
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? QVL_OK : QVL_FAILED;
}

} // namespace qvl::local
