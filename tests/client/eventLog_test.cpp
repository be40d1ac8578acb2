// The event log file: line format, reading back, limits, clearing, and concurrent appends.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "qvlclient.h"
#include "support/childProcess.h"
#include "support/importPatch.h"

namespace {

std::string LogPath()
{
    char dir[MAX_PATH];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    std::string d(dir, n);
    if (!d.empty() && d.back() == '\\')
        d.pop_back();
    return d + "\\qvl.log";
}

class EventLog : public testing::Test {
protected:
    void SetUp() override { RemoveLog(); }
    void TearDown() override { RemoveLog(); }

    static void RemoveLog()
    {
        SetFileAttributesA(LogPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(LogPath().c_str());
    }

    // Writes the log's bytes exactly as given (binary).
    static void WriteRaw(const std::string &bytes)
    {
        std::ofstream f(LogPath(), std::ios::binary | std::ios::trunc);
        f << bytes;
    }
    static std::string ReadRaw()
    {
        std::ifstream f(LogPath(), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    static EventEntry Entry(char type, const std::string &text)
    {
        EventEntry e;
        std::memset(&e, 0, sizeof e);
        e.type = type;
        std::snprintf(e.text, sizeof e.text, "%s", text.c_str());
        return e;
    }
    static std::string Text(const EventEntry &e) { return std::string(e.text, strnlen(e.text, sizeof e.text)); }
    static void SetWriteTime(const FILETIME &t)
    {
        HANDLE f = CreateFileA(LogPath().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            SetFileTime(f, nullptr, nullptr, &t);
            CloseHandle(f);
        }
    }
    // A last-write time long past, one of its own for each n, as of a log that has settled.
    static void Settle(int n)
    {
        ULARGE_INTEGER t;
        t.QuadPart = 132223104000000000ull + static_cast<unsigned long long>(n) * 10000000ull; // 2020, + n s
        SetWriteTime(FILETIME{t.LowPart, t.HighPart});
    }
};

TEST_F(EventLog, AppendedLinesCarryTheTimeStampAndReadBack)
{
    EventEntry first = Entry('E', "Disk at Controller1-Channel1-Device1 failed.");
    EventEntry second = Entry('I', "Array 'Data' verifying completed.");
    SYSTEMTIME before;
    GetLocalTime(&before);
    ASSERT_EQ(cs_qvl_save_log_event(0, &first), 0);
    ASSERT_EQ(cs_qvl_save_log_event(0, &second), 0);

    const PackedTime t = first.event.time;
    EXPECT_EQ(qvl_time_year(t), static_cast<unsigned>(before.wYear - 2000) & 31);
    EXPECT_EQ(qvl_time_month(t), before.wMonth);
    char expected[128];
    std::snprintf(expected, sizeof expected, "0\tE\t%02u/%02u/%u %02u:%02u:%02u\t%s\r\n", qvl_time_month(t),
                  qvl_time_day(t), qvl_time_year(t), qvl_time_hour(t), qvl_time_minute(t), qvl_time_second(t),
                  "Disk at Controller1-Channel1-Device1 failed.");
    std::string raw = ReadRaw();
    EXPECT_EQ(raw.substr(0, std::strlen(expected)), expected) << "text mode: CR LF on disk";

    EventEntry back;
    std::memset(&back, 0xAA, sizeof back);
    ASSERT_EQ(cs_qvl_enum_event(0, &back, 0), 0);
    EXPECT_EQ(back.type, 'E');
    EXPECT_EQ(back.flags, '0');
    EXPECT_EQ(back.event.time, t);
    EXPECT_EQ(back.event.device, 0u) << "only the time is set in the event span";
    EXPECT_EQ(back.event.code, 0);
    EXPECT_EQ(Text(back), Text(first)) << "two-digit years must not shift the text";

    ASSERT_EQ(cs_qvl_enum_event(0, &back, 1), 0);
    EXPECT_EQ(back.type, 'I');
    EXPECT_EQ(Text(back), Text(second));
    EXPECT_EQ(cs_qvl_enum_event(0, &back, 2), QVL_NO_SUCH_LINE);
    EXPECT_EQ(cs_qvl_enum_event(0, &back, -5), 0) << "a negative index reads the first line";
    EXPECT_EQ(back.type, 'E');
}

// The library's clock, set to a moment in 2003 for the next append.
std::time_t g_now = 0;
std::time_t __cdecl FixedTime(std::time_t *out)
{
    if (out)
        *out = g_now;
    return g_now;
}

TEST_F(EventLog, AnEntrySavedIn2003ReadsBackTheSame)
{
    std::tm when{};
    when.tm_year = 103; // 2003
    when.tm_mon = 4;    // May
    when.tm_mday = 21;
    when.tm_hour = 14;
    when.tm_min = 2;
    when.tm_sec = 7;
    when.tm_isdst = -1;
    g_now = std::mktime(&when);
    qvltest::ImportPatch clock("qvlclient.dll", "msvcrt.dll", "time", reinterpret_cast<void *>(FixedTime));
    ASSERT_TRUE(clock.ok());
    EventEntry e = Entry('E', "Disk at Controller1-Channel2-Device1 failed.");
    ASSERT_EQ(cs_qvl_save_log_event(0, &e), 0);
    EXPECT_EQ(e.event.time, qvl_pack_time(3, 5, 21, 14, 2, 7));
    EXPECT_EQ(ReadRaw(), "0\tE\t05/21/3 14:02:07\tDisk at Controller1-Channel2-Device1 failed.\r\n");
    EventEntry back;
    ASSERT_EQ(cs_qvl_enum_event(0, &back, 0), 0);
    EXPECT_EQ(back.type, 'E');
    EXPECT_EQ(back.event.time, e.event.time);
    EXPECT_EQ(Text(back), Text(e));
}

// A log given as raw bytes or as entries saved through the library, and what reading it back
// gives. A read that succeeds always leaves a whole entry: its text ends within the field.
struct Read {
    int32_t index;
    int32_t result;
    std::optional<std::string> text = std::nullopt; // not compared when absent
    char type = 0;                                  // not compared when 0
    PackedTime time = 0;                            // not compared when 0
};
struct Saved {
    char type;
    const char *text;
};
struct TextCase {
    std::string label;
    std::optional<std::string> raw; // the log's bytes; absent: only what is saved, if anything
    std::vector<Saved> saved;
    bool settled; // also in a settled log, where the reads after the first follow on from it
    std::vector<Read> reads;
};

std::vector<TextCase> TextCases()
{
    const std::string head = "0\tI\t01/02/26 03:04:05\t";
    const std::string fits = std::string(511 - head.size(), 'x'), over = std::string(512 - head.size(), 'y');
    auto limits = [&](const std::string &label, const std::string &end, bool settled) {
        return TextCase{"line length limit is 511 characters, " + label,
                        head + fits + end + head + over + end + head + "after" + end,
                        {},
                        settled,
                        {{0, 0, fits}, {1, -1}, {2, 0, "after"}}}; // a long line does not hide the next
    };
    return {
        {"one-digit year lines read the same",
         "0\tE\t05/21/3 14:02:07\tDisk at Controller1-Channel2-Device1 failed.\r\n"
         "0\tW\t12/31/31 23:59:59\tTwo digits\r\n",
         {},
         false,
         {{0, 0, "Disk at Controller1-Channel2-Device1 failed.", 'E', qvl_pack_time(3, 5, 21, 14, 2, 7)},
          {1, 0, "Two digits", 0, qvl_pack_time(31, 12, 31, 23, 59, 59)}}},
        limits("LF", "\n", false),
        limits("settled, LF", "\n", true),
        limits("settled, CR LF", "\r\n", true),
        {"missing log", std::nullopt, {}, false, {{0, -1}}},
        {"empty log", "", {}, false, {{0, QVL_NO_SUCH_LINE}}},
        {"unfinished last line", head + "no line feed", {}, false, {{0, QVL_NO_SUCH_LINE}}},
        {"malformed lines give entries without crashing",
         std::string("\n"
                     "garbage\n"
                     "0\tE\n"
                     "0\tE\t99/99/99 99:99:99\tfields out of range\n"
                     "0\tE\t05/21/3 14:02:07\ttext\twith\ttabs\n") +
             std::string("0\tE\t05/2\x01/3 \xff\xfe\x00\x00 binary\n", 24),
         {},
         false,
         {{0, 0, ""},
          {1, 0, ""},
          {2, 0, ""},
          {3, 0, "fields out of range"},
          {4, 0, "text\twith\ttabs"},
          {5, 0},
          {6, QVL_NO_SUCH_LINE}}},
        {"line breaks in a text do not split the line",
         std::nullopt,
         {{'W', "Array 'a\nb\rc' verifying aborted."}},
         false,
         {{0, 0, "Array 'a b c' verifying aborted."}, {1, QVL_NO_SUCH_LINE}}},
        {"Ctrl-Z in a text does not hide the rest of the log",
         std::nullopt,
         {{'W', "Array 'a\x1A' verifying aborted."}, {'I', "later"}},
         false,
         {{0, 0, "Array 'a ' verifying aborted."}, {1, 0, "later"}}},
    };
}

TEST_F(EventLog, TextsReadBackAsTheLogHoldsThem)
{
    for (const TextCase &c : TextCases()) {
        SCOPED_TRACE(c.label);
        RemoveLog();
        if (c.raw)
            WriteRaw(*c.raw);
        for (const Saved &saved : c.saved) {
            EventEntry e = Entry(saved.type, saved.text);
            ASSERT_EQ(cs_qvl_save_log_event(0, &e), 0);
        }
        if (c.settled)
            Settle(0);
        for (const Read &read : c.reads) {
            SCOPED_TRACE("line " + std::to_string(read.index));
            EventEntry e;
            std::memset(&e, 0xAA, sizeof e);
            ASSERT_EQ(cs_qvl_enum_event(0, &e, read.index), read.result);
            if (read.result != 0)
                continue;
            EXPECT_EQ(e.text[sizeof e.text - 1], 0);
            EXPECT_LE(qvl_time_month(e.event.time), 15u);
            if (read.text) {
                EXPECT_EQ(Text(e), *read.text);
            }
            if (read.type) {
                EXPECT_EQ(e.type, read.type);
            }
            if (read.time) {
                EXPECT_EQ(e.event.time, read.time);
            }
        }
    }
}

TEST_F(EventLog, ANullEntryIsNotRead) { EXPECT_EQ(cs_qvl_enum_event(0, nullptr, 0), -1); }

TEST_F(EventLog, BlankOrUnprintableTypeCharactersAreWrittenAsQuestionMarks)
{
    const char types[] = {'\n', '\r', '\t', ' ', '\x1A', '\0', '\x7F', '\xE9'};
    EventEntry e = Entry('E', "kept");
    ASSERT_EQ(cs_qvl_save_log_event(0, &e), 0);
    std::vector<PackedTime> times;
    for (char type : types) {
        e = Entry(type, "text");
        ASSERT_EQ(cs_qvl_save_log_event(0, &e), 0);
        times.push_back(e.event.time);
    }
    EventEntry back;
    ASSERT_EQ(cs_qvl_enum_event(0, &back, 0), 0);
    EXPECT_EQ(back.type, 'E');
    for (int i = 1; i <= static_cast<int>(sizeof types); ++i) {
        SCOPED_TRACE(static_cast<int>(types[i - 1]));
        ASSERT_EQ(cs_qvl_enum_event(0, &back, i), 0);
        EXPECT_EQ(back.type, '?');
        EXPECT_EQ(back.event.time, times[i - 1]) << "the date is not shifted into another field";
        EXPECT_EQ(Text(back), "text");
    }
    EXPECT_EQ(cs_qvl_enum_event(0, &back, static_cast<int>(sizeof types) + 1), QVL_NO_SUCH_LINE);
}

TEST_F(EventLog, TheLongestSavedLineIsOneTheReaderTakes)
{
    EventEntry e;
    std::memset(&e, 'z', sizeof e); // no terminator: 511 text characters
    e.type = 'I';
    ASSERT_EQ(cs_qvl_save_log_event(0, &e), 0);
    std::string raw = ReadRaw();
    ASSERT_EQ(raw.size(), 511u + 2u) << "511 characters, then CR LF";
    EXPECT_EQ(raw.substr(raw.size() - 3), "z\r\n");
    EventEntry back;
    ASSERT_EQ(cs_qvl_enum_event(0, &back, 0), 0);
    EXPECT_EQ(Text(back), std::string(511 - raw.find("\tz") - 1, 'z'));
}

TEST_F(EventLog, ClearingRemovesTheLogAndToleratesItsAbsence)
{
    EventEntry e = Entry('I', "x");
    ASSERT_EQ(cs_qvl_save_log_event(0, &e), 0);
    EXPECT_EQ(cs_qvl_clear_event_log(0), 0);
    EXPECT_EQ(GetFileAttributesA(LogPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(cs_qvl_clear_event_log(0), 0);
}

TEST_F(EventLog, ClearingALogThatAnotherProgramHoldsOpenFails)
{
    EventEntry e = Entry('I', "x");
    ASSERT_EQ(cs_qvl_save_log_event(0, &e), 0);
    HANDLE held = CreateFileA(LogPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(cs_qvl_clear_event_log(0), -1);
    CloseHandle(held);
    EXPECT_NE(GetFileAttributesA(LogPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(cs_qvl_clear_event_log(0), 0);
}

TEST_F(EventLog, UnopenableLogIsNotWrittenAndTheSaveFailsButTheEntryIsStamped)
{
    // A directory in the log's place cannot be opened as a file, whoever runs the test.
    ASSERT_TRUE(CreateDirectoryA(LogPath().c_str(), nullptr));
    EventEntry e = Entry('E', "not written");
    e.event.time = 0;
    EXPECT_EQ(cs_qvl_save_log_event(0, &e), -1);
    EXPECT_NE(e.event.time, 0u);
    EventEntry back;
    EXPECT_EQ(cs_qvl_enum_event(0, &back, 0), -1);
    EXPECT_EQ(cs_qvl_save_log_event(0, nullptr), -1);
    RemoveDirectoryA(LogPath().c_str());
}

TEST_F(EventLog, ReadOnlyLogIsNotDeleted)
{
    WriteRaw("0\tI\t01/02/26 03:04:05\tkept\n");
    ASSERT_TRUE(SetFileAttributesA(LogPath().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(cs_qvl_clear_event_log(0), -1);
    EXPECT_NE(GetFileAttributesA(LogPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EventEntry back;
    ASSERT_EQ(cs_qvl_enum_event(0, &back, 0), 0);
    EXPECT_EQ(Text(back), "kept");
}

TEST_F(EventLog, ConcurrentAppendsKeepEveryLineWhole)
{
    constexpr int kThreads = 4, kLines = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                EventEntry e = Entry('I', "thread " + std::to_string(t) + " line " + std::to_string(i) + " " +
                                              std::string(200, static_cast<char>('a' + t)));
                cs_qvl_save_log_event(0, &e);
            }
        });
    for (auto &th : threads)
        th.join();

    std::vector<int> next(kThreads, 0);
    for (int i = 0; i < kThreads * kLines; ++i) {
        EventEntry e;
        ASSERT_EQ(cs_qvl_enum_event(0, &e, i), 0) << "line " << i;
        int t = -1, n = -1;
        char tail[256] = "";
        ASSERT_EQ(std::sscanf(e.text, "thread %d line %d %255s", &t, &n, tail), 3) << e.text;
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(n, next[t]++) << "each thread's lines in its own order";
        EXPECT_EQ(std::string(tail), std::string(200, static_cast<char>('a' + t)));
    }
    EventEntry e;
    EXPECT_EQ(cs_qvl_enum_event(0, &e, kThreads * kLines), QVL_NO_SUCH_LINE);
}

// Another file of the same size put in the log's place with the old one's time stamps copied
// (mv new qvl.log; touch -r old qvl.log): a read that follows on must not serve the old file's
// kept bytes.
TEST_F(EventLog, AReplacedLogWithTheOldStampsIsReadAfresh)
{
    WriteRaw("0\tI\t01/02/26 03:04:05\told one\r\n0\tI\t01/02/26 03:04:05\told two\r\n");
    Settle(0);
    EventEntry e;
    ASSERT_EQ(cs_qvl_enum_event(0, &e, 0), 0);
    ASSERT_EQ(Text(e), "old one");

    const std::string source = LogPath() + ".new";
    std::ofstream(source, std::ios::binary)
        << "0\tI\t01/02/26 03:04:05\tnew one\r\n0\tI\t01/02/26 03:04:05\tnew two\r\n";
    FILETIME created, written;
    {
        HANDLE old = CreateFileA(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(old, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(GetFileTime(old, &created, nullptr, &written));
        CloseHandle(old);
        HANDLE other = CreateFileA(source.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(other, &created, nullptr, &written));
        CloseHandle(other);
    }
    ASSERT_TRUE(MoveFileExA(source.c_str(), LogPath().c_str(), MOVEFILE_REPLACE_EXISTING));
    WIN32_FILE_ATTRIBUTE_DATA now;
    ASSERT_TRUE(GetFileAttributesExA(LogPath().c_str(), GetFileExInfoStandard, &now));
    ASSERT_EQ(CompareFileTime(&now.ftLastWriteTime, &written), 0) << "the stamps are the old file's";

    ASSERT_EQ(cs_qvl_enum_event(0, &e, 1), 0);
    EXPECT_EQ(Text(e), "new two");
}

// A read that follows on from the last one in a settled log takes its line from what that read
// brought in, without opening the file: it still answers while another program holds the log
// shut, where a read from the start cannot open it.
TEST_F(EventLog, ReadsThatFollowOnInASettledLogDoNotOpenIt)
{
    WriteRaw("0\tI\t01/02/26 03:04:05\tfirst\r\n0\tW\t01/02/26 03:04:06\tsecond\r\n");
    Settle(0);
    EventEntry e;
    ASSERT_EQ(cs_qvl_enum_event(0, &e, 0), 0);
    HANDLE held = CreateFileA(LogPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(cs_qvl_enum_event(0, &e, 1), 0);
    EXPECT_EQ(Text(e), "second");
    EXPECT_EQ(cs_qvl_enum_event(0, &e, 2), QVL_NO_SUCH_LINE);
    EXPECT_EQ(cs_qvl_enum_event(0, &e, 0), -1);
    CloseHandle(held);
}

// A log written moments ago can be rewritten within one step of its time stamps, keeping its
// size and last-write time: what the last read brought in is then not trusted.
TEST_F(EventLog, ARewriteOfAFreshLogWithTheSameStampsIsSeen)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    WriteRaw("0\tI\t01/02/26 03:04:05\tfirst\r\n0\tW\t01/02/26 03:04:06\tolder\r\n");
    SetWriteTime(now);
    EventEntry e;
    ASSERT_EQ(cs_qvl_enum_event(0, &e, 0), 0);
    WriteRaw("0\tI\t01/02/26 03:04:05\tfirst\r\n0\tW\t01/02/26 03:04:06\tnewer\r\n");
    SetWriteTime(now);
    ASSERT_EQ(cs_qvl_enum_event(0, &e, 1), 0);
    EXPECT_EQ(Text(e), "newer");
}

// The command line of the helper program log_appender.exe, beside this one, with these arguments.
std::string Appender(const std::string &arguments) { return qvltest::CommandBeside("log_appender.exe", arguments); }

// Two processes append at once (log_appender.exe, beside this program): no line is lost or torn.
TEST_F(EventLog, AppendsFromTwoProcessesKeepEveryLineWhole)
{
    constexpr int kLines = 2000;
    std::vector<PROCESS_INFORMATION> running(2);
    for (int p = 0; p < 2; ++p) {
        std::string command = Appender(std::string(1, "AB"[p]) + " " + std::to_string(kLines));
        ASSERT_TRUE(qvltest::Start(command, running[p])) << command;
    }
    for (PROCESS_INFORMATION &pi : running)
        EXPECT_EQ(qvltest::Finish(pi), 0u);

    int next[2] = {0, 0};
    for (int i = 0; i < 2 * kLines; ++i) {
        EventEntry e;
        ASSERT_EQ(cs_qvl_enum_event(0, &e, i), 0) << "line " << i;
        char tag = 0;
        int n = -1;
        ASSERT_EQ(std::sscanf(e.text, "%c %d", &tag, &n), 2) << e.text;
        ASSERT_TRUE(tag == 'A' || tag == 'B') << e.text;
        EXPECT_EQ(n, next[tag - 'A']++) << "each process's lines whole and in its own order";
        EXPECT_EQ(e.type, 'I');
    }
    EventEntry e;
    EXPECT_EQ(cs_qvl_enum_event(0, &e, 2 * kLines), QVL_NO_SUCH_LINE);
}

// The plain reader the log's format was defined with: text mode, a character at a time, every
// index counted from the start of the file. The library must answer exactly as it does.
const char *ReferenceTextOfLine(const char *line)
{
    for (int tabs = 0; tabs < 3; ++line) {
        if (*line == '\0')
            return line;
        if (*line == '\t')
            ++tabs;
    }
    return line;
}

// Line `index` as the plain reader takes it from text-mode characters: next() gives the next,
// EOF at the end, or kReadError.
constexpr int kReadError = -2;
template <class Next> int32_t ReferenceLine(EventEntry &entry, int32_t index, Next next)
{
    for (int32_t skipped = 0; skipped < index;) {
        int c = next();
        if (c == EOF || c == kReadError)
            return c == EOF ? QVL_NO_SUCH_LINE : -1;
        skipped += c == '\n';
    }
    char line[513];
    int n = 0;
    for (;;) {
        if (n == 512)
            return -1;
        int c = next();
        if (c == EOF || c == kReadError)
            return c == EOF ? QVL_NO_SUCH_LINE : -1;
        line[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    line[n - 1] = '\0';
    char first = 0, type = 0;
    int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    std::sscanf(line, "%c\t%c\t%02d/%02d/%d %02d:%02d:%02d", &first, &type, &month, &day, &year, &hour, &minute,
                &second);
    std::memset(&entry, 0, sizeof entry);
    entry.type = type;
    entry.flags = static_cast<uint8_t>(first);
    entry.event.time =
        qvl_pack_time(static_cast<unsigned>(year), static_cast<unsigned>(month), static_cast<unsigned>(day),
                      static_cast<unsigned>(hour), static_cast<unsigned>(minute), static_cast<unsigned>(second));
    std::snprintf(entry.text, QVL_EVENT_TEXT, "%s", ReferenceTextOfLine(line));
    return 0;
}

int32_t ReferenceRead(EventEntry &entry, int32_t index)
{
    std::unique_ptr<FILE, int (*)(FILE *)> f(std::fopen(LogPath().c_str(), "rt"), std::fclose);
    if (!f)
        return -1;
    return ReferenceLine(entry, index, [&f] {
        int c = std::fgetc(f.get());
        return c == EOF && std::ferror(f.get()) ? kReadError : c;
    });
}

// Random histories of the log (saves, lines written by other programs, truncation, clearing,
// replacement, also by another process) with reads in order and at random, each answered by
// the library exactly as by the plain reader. Half the changes leave the log settled, a time
// stamp long past, so that reads may go on from what the last one brought in.
TEST_F(EventLog, ReadsAnswerAsAFreshReadFromTheStartWould)
{
    const unsigned seed = 20261208;
    std::mt19937 rng(seed), settling(seed + 1);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char alphabet[] = "abcXYZ019 \t\t\r\n\x1A\xE9\x01'";
    auto randomText = [&](int length) {
        std::string s;
        for (int i = 0; i < length; ++i)
            s += alphabet[pick(sizeof alphabet - 1)];
        return s;
    };
    auto appendRaw = [](const std::string &bytes) {
        std::ofstream f(LogPath(), std::ios::binary | std::ios::app);
        f << bytes;
    };

    int32_t next = 0, reads = 0, resumed = 0, childReplacements = 0;
    for (int step = 0; step < 4000; ++step) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
        const int op = pick(100);
        if (op < 22) {
            EventEntry e = Entry(static_cast<char>(pick(256)), randomText(pick(4) == 0 ? 520 : pick(60)));
            cs_qvl_save_log_event(0, &e);
        } else if (op < 30) {
            const char *ends[] = {"\r\n", "\n", "\r", "", "\r\r\n"};
            std::string line = "0\tW\t" + randomText(pick(5) == 0 ? 500 + pick(40) : pick(50));
            appendRaw(line + ends[pick(5)]);
        } else if (op < 32) {
            std::string raw = ReadRaw();
            WriteRaw(raw.substr(0, raw.empty() ? 0 : static_cast<size_t>(pick(static_cast<int>(raw.size())))));
        } else if (op < 34) {
            cs_qvl_clear_event_log(0);
        } else if (op < 36) {
            // Another log of the same size in the log's place: only the identity differs.
            std::string raw = ReadRaw(), other = raw;
            for (char &c : other)
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>('a' + pick(26));
            const std::string source = LogPath() + ".new";
            std::ofstream(source, std::ios::binary) << other;
            if (childReplacements < 3 && pick(10) == 0) {
                ++childReplacements;
                std::string command = Appender("--replace \"" + source + "\"");
                ASSERT_EQ(qvltest::RunToEnd(command), 0u) << command;
            } else {
                ASSERT_TRUE(MoveFileExA(source.c_str(), LogPath().c_str(), MOVEFILE_REPLACE_EXISTING));
            }
        } else {
            const int kind = pick(10);
            const int32_t index = kind < 7 ? next : kind < 9 ? pick(40) - 1 : next - 1;
            EventEntry mine, theirs;
            std::memset(&mine, 0xAA, sizeof mine);
            std::memset(&theirs, 0xAA, sizeof theirs);
            const int32_t got = cs_qvl_enum_event(0, &mine, index);
            const int32_t want = ReferenceRead(theirs, index);
            ASSERT_EQ(got, want) << "index " << index;
            ASSERT_EQ(std::memcmp(&mine, &theirs, sizeof mine), 0) << "index " << index;
            ++reads;
            resumed += kind < 7 && got == 0;
            next = got == 0 ? index + 1 : 0;
        }
        if (op < 36 && settling() % 2 == 0)
            Settle(step);
    }
    EXPECT_GT(reads, 2000);
    EXPECT_GT(resumed, 500) << "the reads in order must often find a line to follow on";
}

// A settled log far longer than what one read brings in ahead, read in strides forward and at
// random: the lines that run over the edge of what was brought in, whatever their line ends,
// answer as a read from the start would. One pass of the plain reader gives every line start.
TEST_F(EventLog, ReadsOnInALongLogAnswerAsAFreshReadWould)
{
    std::mt19937 rng(20261209);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char *ends[] = {"\r\n", "\r\n", "\n", "\r\r\n", "\r"};
    std::string raw;
    while (raw.size() < 200000) {
        raw += pick(3) ? "0\tW\t01/02/26 03:04:05\t" : "";
        for (int n = pick(50) == 0 ? 520 : pick(30); n > 0; --n)
            raw += "ab\t\r"[pick(4)];
        raw += ends[pick(5)];
    }
    raw.insert(raw.size() - 1000, 1, '\x1A'); // the text mode's end of file, near the end
    WriteRaw(raw);
    Settle(0);

    std::string text;
    {
        std::unique_ptr<FILE, int (*)(FILE *)> f(std::fopen(LogPath().c_str(), "rt"), std::fclose);
        ASSERT_TRUE(f);
        for (int c; (c = std::fgetc(f.get())) != EOF;)
            text += static_cast<char>(c);
    }
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts.push_back(i + 1);
    const int32_t lines = static_cast<int32_t>(starts.size());

    int32_t index = 0;
    for (int read = 0; read < 600; ++read) {
        EventEntry mine, theirs;
        std::memset(&mine, 0xAA, sizeof mine);
        std::memset(&theirs, 0xAA, sizeof theirs);
        size_t at = index < lines ? starts[static_cast<size_t>(index)] : text.size();
        const int32_t want = ReferenceLine(theirs, 0, [&] { return at < text.size() ? text[at++] & 0xFF : EOF; });
        const int32_t got = cs_qvl_enum_event(0, &mine, index);
        ASSERT_EQ(got, want) << "index " << index;
        ASSERT_EQ(std::memcmp(&mine, &theirs, sizeof mine), 0) << "index " << index;
        index = pick(8) ? index + 1 + pick(pick(2) ? 3 : 1500) : pick(lines + 2);
        if (index > lines + 1)
            index = pick(lines);
    }
}

} // namespace
