// The event-log reader over malformed and hostile files: random bytes, very long lines, NUL
// and Ctrl-Z bytes, no last line feed, and a file that grows while it is read. Every answer is
// 0, -1 or 0xc0000005; nothing is written outside the 560-byte entry; the text always ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "qvlclient.h"

namespace {

std::string LogPath()
{
    char dir[MAX_PATH] = "";
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    std::string d(dir, n);
    if (!d.empty() && d.back() == '\\')
        d.pop_back();
    return d + "\\qvl.log";
}

void WriteLog(const std::string &bytes)
{
    std::ofstream f(LogPath(), std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Guarded {
    uint8_t before[64];
    EventEntry entry;
    uint8_t after[64];
};

// Reads line `index` into a guarded entry and checks what the reader may do.
int32_t ReadChecked(int32_t index)
{
    Guarded g;
    std::memset(&g, 0xCC, sizeof g);
    const int32_t r = cs_qvl_enum_event(0, &g.entry, index);
    EXPECT_TRUE(r == 0 || r == -1 || r == QVL_NO_SUCH_LINE) << "line " << index << ": result " << r;
    for (uint8_t b : g.before)
        EXPECT_EQ(b, 0xCC) << "written before the entry, line " << index;
    for (uint8_t b : g.after)
        EXPECT_EQ(b, 0xCC) << "written after the entry, line " << index;
    if (r == 0) {
        EXPECT_NE(std::memchr(g.entry.text, 0, sizeof g.entry.text), nullptr) << "unterminated text, line " << index;
    }
    return r;
}

// Enumerates from line 0 until the reader says there is no such line (or gives up on the
// file), at most `limit` lines; returns how many lines read as entries.
int EnumerateAll(int limit = 4096)
{
    int read = 0;
    for (int32_t i = 0; i < limit; ++i) {
        const int32_t r = ReadChecked(i);
        if (r == QVL_NO_SUCH_LINE)
            break;
        read += r == 0;
    }
    return read;
}

std::string Line(const std::string &text) { return "0\tE\t05/21/3 14:02:07\t" + text + "\n"; }

class HostileLog : public testing::Test {
protected:
    void TearDown() override { DeleteFileA(LogPath().c_str()); }
};

TEST_F(HostileLog, MalformedFiles)
{
    const struct {
        const char *name;
        std::string bytes;
        int entries; // lines read as entries
    } cases[] = {
        {"empty", "", 0},
        {"a line of 511 characters", std::string(511, 'x') + "\n", 1},
        {"a line of 512 characters", std::string(512, 'x') + "\n" + Line("after"), 1},
        {"a line of 100000 characters", std::string(100000, 'y') + "\n" + Line("after"), 1},
        {"a text of 490 characters after the header", Line(std::string(490, 't')), 1},
        {"NUL bytes in a line", Line(std::string("a\0b\0c", 5)) + std::string(600, '\0') + "\n", 1},
        {"a line of NUL bytes only", std::string(300, '\0') + "\n", 1},
        {"a Ctrl-Z ends the text file", Line("before") + "\x1A" + Line("after"), 1},
        {"no last line feed", Line("one") + Line("two") + "0\tW\t05/21/3 14:02:07\tthree", 2},
        {"only line feeds", std::string(1000, '\n'), 1000},
        {"carriage returns alone", std::string(200, '\r') + "\n\r\r\n", 2},
        {"numbers far too large", "0\tE\t99999999999/99999999999/99999999999 99999999999:99999999999:99999999999\tx\n",
         1},
        {"negative numbers", "0\tE\t-1/-2/-3 -4:-5:-6\tx\n", 1},
        {"percent signs in the text", Line("%s%s%s%n%n%n%999999d"), 1},
        {"fewer than three tabs", "0\tE\n\t\n", 2},
        {"high bytes", Line(std::string(400, '\xFF')) + Line(std::string(400, '\x80')), 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WriteLog(c.bytes);
        const int read = EnumerateAll();
        EXPECT_EQ(read, c.entries);
    }
}

TEST_F(HostileLog, RandomBytesFromFixedSeeds)
{
    for (uint32_t seed : {1u, 7u, 2003u, 0xC0FFEEu, 0x51DEu}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::string bytes(8192 + random() % 8192, '\0');
        for (char &b : bytes) {
            // Mostly printable, with line feeds, tabs, NUL, Ctrl-Z and high bytes mixed in.
            const uint32_t r = random() % 100;
            b = r < 4    ? '\n'
                : r < 8  ? '\t'
                : r < 9  ? '\0'
                : r < 10 ? '\x1A'
                : r < 15 ? static_cast<char>(random() % 256)
                         : static_cast<char>(' ' + random() % 95);
        }
        WriteLog(bytes);
        EnumerateAll();
    }
}

TEST_F(HostileLog, AFileThatGrowsWhileItIsRead)
{
    WriteLog(Line("first"));
    std::atomic<bool> stop{false};
    std::atomic<int> appended{0};
    std::thread writer([&] {
        // Appends as another program would: its own handle, shared, unsynchronised.
        while (!stop) {
            HANDLE f =
                CreateFileA(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (f != INVALID_HANDLE_VALUE) {
                const std::string l =
                    appended % 7 == 0 ? std::string(700, 'L') + "\r\n"
                                      : "0\tI\t05/21/3 14:02:07\tgrowing " + std::to_string(appended.load()) + "\r\n";
                DWORD written = 0;
                WriteFile(f, l.data(), static_cast<DWORD>(l.size()), &written, nullptr);
                CloseHandle(f);
                ++appended;
            }
            Sleep(0);
        }
    });
    int rounds = 0;
    for (; rounds < 40 && appended < 300; ++rounds)
        EnumerateAll(200);
    stop = true;
    writer.join();
    EXPECT_GT(appended.load(), 0);
    EXPECT_GT(rounds, 0);
}

} // namespace
