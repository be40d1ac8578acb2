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

// The log as the C runtime reads a text-mode file (CR LF gives LF, a Ctrl-Z ends the file), read
// in raw blocks so that reading can start at the raw offset of any line.
class TextReader {
public:
    static constexpr int kError = -2;

    explicit TextReader(HANDLE file) : file_(file) {}
    TextReader(const TextReader &) = delete;
    TextReader &operator=(const TextReader &) = delete;

    // The next character; EOF at the end, kError when the file cannot be read.
    int Get()
    {
        if (ended_)
            return failed_ ? kError : EOF;
        int c = Raw();
        if (c == 0x1A) {
            ended_ = true;
            return EOF;
        }
        if (c == '\r') {
            int next = Peek();
            if (next == kError)
                return kError;
            if (next == '\n')
                c = Raw();
        }
        return c;
    }
    // True when the next raw bytes are exactly these (they are then consumed).
    bool Skip(const char *bytes, DWORD n)
    {
        for (DWORD i = 0; i < n; ++i)
            if (Raw() != static_cast<unsigned char>(bytes[i]))
                return false;
        return true;
    }
    // Continues at a raw offset.
    void Seek(DWORD offset)
    {
        base_ = offset;
        pos_ = len_ = 0;
        ended_ = failed_ = false;
        if (SetFilePointer(file_, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != offset)
            failed_ = ended_ = true;
    }
    DWORD Offset() const { return base_ + pos_; } // raw offset of the next byte
    // Keeps a copy of the raw bytes read from now on, up to the size of `to`.
    void Record(char *to, DWORD capacity)
    {
        record_ = to;
        recordCapacity_ = capacity;
        recorded_ = 0;
    }
    DWORD Recorded() const { return recorded_; }

private:
    int Raw()
    {
        int c = Peek();
        if (c >= 0) {
            ++pos_;
            if (record_ && recorded_ < recordCapacity_)
                record_[recorded_++] = static_cast<char>(c);
        }
        return c;
    }
    int Peek()
    {
        if (pos_ == len_) {
            if (ended_)
                return failed_ ? kError : EOF;
            base_ += len_;
            pos_ = len_ = 0;
            if (!ReadFile(file_, buf_, sizeof buf_, &len_, nullptr))
                failed_ = ended_ = true;
            else if (len_ == 0)
                ended_ = true;
            if (len_ == 0)
                return failed_ ? kError : EOF;
        }
        return static_cast<unsigned char>(buf_[pos_]);
    }

    HANDLE file_;
    DWORD base_ = 0; // raw offset of buf_[0]
    DWORD pos_ = 0, len_ = 0;
    bool ended_ = false, failed_ = false;
    char *record_ = nullptr;
    DWORD recordCapacity_ = 0, recorded_ = 0;
    char buf_[4096];
};

// Where the last read ended, so that reading a log line by line does not read it again from
// its start for every line: the file as it was then, the line read last (its raw offset and
// bytes) and the index of the line after it. Anything about the file that differs, or a line
// that is not there as it was, sends the reader back to the start.
struct ReadPlace {
    bool valid = false;
    BY_HANDLE_FILE_INFORMATION file{};
    int32_t next = 0;   // index of the line that starts right after `line`
    DWORD lineStart = 0; // raw offset of `line`
    DWORD lineLength = 0;
    char line[kLineBuffer + 8]; // raw bytes: at most 511 characters, CR LF
};

bool SameFile(const BY_HANDLE_FILE_INFORMATION &a, const BY_HANDLE_FILE_INFORMATION &b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           a.nFileSizeLow == b.nFileSizeLow && a.ftLastWriteTime.dwLowDateTime == b.ftLastWriteTime.dwLowDateTime &&
           a.ftLastWriteTime.dwHighDateTime == b.ftLastWriteTime.dwHighDateTime;
}

// The one remembered place of the process; readers on several threads take turns on it.
class SharedReadPlace {
public:
    SharedReadPlace() { InitializeCriticalSection(&lock_); }
    ~SharedReadPlace() { DeleteCriticalSection(&lock_); }
    SharedReadPlace(const SharedReadPlace &) = delete;
    SharedReadPlace &operator=(const SharedReadPlace &) = delete;
    void Get(ReadPlace &out)
    {
        EnterCriticalSection(&lock_);
        out = place_;
        LeaveCriticalSection(&lock_);
    }
    void Set(const ReadPlace &in)
    {
        EnterCriticalSection(&lock_);
        place_ = in;
        LeaveCriticalSection(&lock_);
    }

private:
    CRITICAL_SECTION lock_;
    ReadPlace place_;
};

SharedReadPlace &LastRead()
{
    static SharedReadPlace place;
    return place;
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
    // Shared for reading and writing, as the C runtime opens a file for reading.
    FileHandle file(CreateFileA(LogPath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return -1;
    if (index < 0)
        index = 0;

    ReadPlace place;
    LastRead().Get(place);
    BY_HANDLE_FILE_INFORMATION now;
    const bool known = GetFileInformationByHandle(file.get(), &now) && now.nFileSizeHigh == 0;
    TextReader reader(file.get());
    int32_t at = 0;
    if (known && place.valid && index >= place.next && SameFile(place.file, now)) {
        reader.Seek(place.lineStart);
        if (reader.Skip(place.line, place.lineLength))
            at = place.next;
        else
            reader.Seek(0);
    }

    for (; at < index;) {
        int c = reader.Get();
        if (c == EOF)
            return QVL_NO_SUCH_LINE;
        if (c == TextReader::kError)
            return -1;
        if (c == '\n')
            ++at;
    }

    ReadPlace read;
    read.lineStart = reader.Offset();
    reader.Record(read.line, sizeof read.line);
    char line[kLineBuffer + 1];
    int n = 0;
    for (;;) {
        if (n == kLineBuffer)
            return -1; // over-long line
        int c = reader.Get();
        if (c == EOF)
            return QVL_NO_SUCH_LINE;
        if (c == TextReader::kError)
            return -1;
        line[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    line[n - 1] = '\0';
    read.lineLength = reader.Recorded();
    if (known && read.lineStart + read.lineLength == reader.Offset()) {
        read.valid = true;
        read.file = now;
        read.next = index + 1;
        LastRead().Set(read);
    }

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
