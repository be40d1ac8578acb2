// Event conversion and the event log, through the client library's real exports on the
// simulated demo system:
//  - taking a queued driver event as a log entry (cs_qvl_get_log_event), beside the driver
//    calls that conversion makes (qvl_get_event and the device reads, taken from the
//    simulator's call record and made directly);
//  - reading a 10,000-line log back line by line from index 0 up (cs_qvl_enum_event), beside
//    reading the same file once.
//
//   bench_events BATCHES LOG_RUNS
// Prints "take_us ENTRY DRIVER_CALLS", "enum_ms ALL ONCE", "enum_line_us PER_LINE" and
// "enum_ends_ms FIRST LAST" (one call for line 0 and for the last line).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchUtil.h"
#include "qvlclient.h"
#include "qvldev.h"
#include "simControl.h"

namespace {

constexpr int EventsPerBatch = 1000; // the driver's queue holds 1024
constexpr int LogLines = 10000;

// Disk and array events of the demo system, each of which the library turns into a text:
// failures and plugging of disks, rebuilds of a top-level mirror and of a mirror inside the
// RAID 1/0, verifying of the stripe, a spare taking over.
struct Source {
    uint32_t code;
    DeviceId id;
};
const Source Sources[] = {
    {1, 0x101}, {2, 0x115}, {3, 0x111}, {4, 0x201}, {6, 0x211}, {9, 0x210}, {12, 0x212}, {7, 0x101},
};

bool Queue(int count)
{
    const int n = static_cast<int>(sizeof Sources / sizeof Sources[0]);
    for (int i = 0; i < count; ++i)
        if (qvlsim_queue_event(Sources[i % n].code, Sources[i % n].id, nullptr, 0) != 0)
            return false;
    return true;
}

// The device reads the library makes to convert one event of each source, as the simulator
// recorded them: (operation, first argument).
struct Call {
    uint32_t operation, arg;
};
std::vector<std::vector<Call>> ConversionCalls()
{
    std::vector<std::vector<Call>> out;
    for (const Source &s : Sources) {
        qvlsim_clear_calls();
        qvlsim_queue_event(s.code, s.id, nullptr, 0);
        EventEntry entry;
        cs_qvl_get_log_event(0, &entry);
        std::vector<QvlSimCall> calls(QVLSIM_CALL_RECORD);
        calls.resize(static_cast<size_t>(qvlsim_calls(calls.data(), QVLSIM_CALL_RECORD)));
        out.emplace_back();
        for (const QvlSimCall &c : calls)
            if (c.operation != QVLSIM_OP_GET_EVENT)
                out.back().push_back({c.operation, c.argc ? c.args[0] : 0});
    }
    return out;
}

// Makes the driver calls of one conversion directly; false when one is not a device read.
bool Replay(const std::vector<Call> &calls)
{
    DeviceEvent raw;
    if (qvl_get_event(&raw) != 0)
        return false;
    struct {
        DeviceInfo info;
        uint8_t slack[QVL_DEVICE_INFO_BUFFER - sizeof(DeviceInfo)];
    } buf;
    for (const Call &c : calls) {
        if (c.operation != QVLSIM_OP_GET_DEVICE_INFO)
            return false;
        qvl_get_device_info(c.arg, &buf.info);
    }
    return true;
}

void Drain()
{
    DeviceEvent e;
    while (qvl_get_event(&e) == 0) {
    }
}

std::string WindowsPath(const char *name)
{
    char dir[MAX_PATH] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + name;
}

// The file read once, as the library reads it (text mode, a character at a time).
double ReadOnceMs(const std::string &path, int &lines)
{
    const double t0 = qvlbench::NowMs();
    FILE *f = std::fopen(path.c_str(), "rt");
    lines = 0;
    if (f) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            if (c == '\n')
                ++lines;
        std::fclose(f);
    }
    return qvlbench::NowMs() - t0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_events BATCHES LOG_RUNS\n");
        return 2;
    }
    const int batches = std::atoi(argv[1]);
    const int logRuns = std::atoi(argv[2]);
    if (qvlsim_reset() != 0) {
        std::fprintf(stderr, "bench_events: the demo system cannot be made\n");
        return 1;
    }
    Drain();
    const std::vector<std::vector<Call>> conversion = ConversionCalls();

    // Taking events: every take must give an entry, or the figure measures failures.
    std::vector<double> entryUs, rawUs;
    std::vector<std::string> texts;
    for (int b = 0; b < batches; ++b) {
        if (!Queue(EventsPerBatch))
            return std::fprintf(stderr, "bench_events: the queue refused an event\n"), 1;
        EventEntry entry;
        int failed = 0;
        double t0 = qvlbench::NowMs();
        for (int i = 0; i < EventsPerBatch; ++i)
            failed += cs_qvl_get_log_event(0, &entry) != 0;
        entryUs.push_back((qvlbench::NowMs() - t0) * 1000.0 / EventsPerBatch);
        if (failed) {
            std::fprintf(stderr, "bench_events: %d of %d takes gave no entry\n", failed, EventsPerBatch);
            return 1;
        }

        // The floor: the same events, each taken with the driver calls its conversion makes.
        if (!Queue(EventsPerBatch))
            return std::fprintf(stderr, "bench_events: the queue refused an event\n"), 1;
        const size_t n = sizeof Sources / sizeof Sources[0];
        t0 = qvlbench::NowMs();
        for (int i = 0; i < EventsPerBatch; ++i)
            failed += !Replay(conversion[static_cast<size_t>(i) % n]);
        rawUs.push_back((qvlbench::NowMs() - t0) * 1000.0 / EventsPerBatch);
        if (failed)
            return std::fprintf(stderr, "bench_events: a conversion made other driver calls\n"), 1;
    }
    // The log's texts: those the library makes for the same events.
    Queue(sizeof Sources / sizeof Sources[0]);
    for (EventEntry entry; cs_qvl_get_log_event(0, &entry) == 0;)
        texts.emplace_back(1, entry.type), texts.back() += entry.text;

    // A log of our own: an existing one is kept aside and put back afterwards.
    const std::string log = WindowsPath("qvl.log"), kept = WindowsPath("qvl.log.bench-kept");
    const bool hadLog = GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (hadLog && !MoveFileExA(log.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING))
        return std::fprintf(stderr, "bench_events: cannot keep the existing log aside\n"), 1;
    int status = 0;
    {
        FILE *f = std::fopen(log.c_str(), "wt"); // text mode, as the library writes it
        if (!f)
            return std::fprintf(stderr, "bench_events: cannot write %s\n", log.c_str()), 1;
        for (int i = 0; i < LogLines; ++i) {
            const std::string &t = texts[i % texts.size()];
            std::fprintf(f, "0\t%c\t12/08/26 %02d:%02d:%02d\t%s\n", t[0], i / 3600 % 24, i / 60 % 60, i % 60,
                         t.c_str() + 1);
        }
        std::fclose(f);
    }
    // A log is read back long after its last line was written, as an administrator reads it;
    // within 3 s of a write the library reads ahead nothing (time stamps may not show a write
    // yet), so the figures start once that has passed.
    Sleep(3100);

    std::vector<double> enumMs, onceMs;
    for (int r = 0; r < logRuns && status == 0; ++r) {
        EventEntry entry;
        const double t0 = qvlbench::NowMs();
        for (int i = 0; i < LogLines; ++i)
            if (cs_qvl_enum_event(0, &entry, i) != 0) {
                std::fprintf(stderr, "bench_events: line %d not read\n", i);
                status = 1;
                break;
            }
        enumMs.push_back(qvlbench::NowMs() - t0);
        if (status == 0 && cs_qvl_enum_event(0, &entry, LogLines) != QVL_NO_SUCH_LINE) {
            std::fprintf(stderr, "bench_events: the log has more lines than written\n");
            status = 1;
        }
    }
    // A read that does not follow on from the last one reads the file from its start.
    std::vector<double> firstMs, lastMs;
    for (int r = 0; r < 21 && status == 0; ++r) {
        EventEntry entry;
        double t0 = qvlbench::NowMs();
        status |= cs_qvl_enum_event(0, &entry, 0) != 0;
        firstMs.push_back(qvlbench::NowMs() - t0);
        t0 = qvlbench::NowMs();
        status |= cs_qvl_enum_event(0, &entry, LogLines - 1) != 0;
        lastMs.push_back(qvlbench::NowMs() - t0);
        if (status != 0)
            std::fprintf(stderr, "bench_events: the first or last line not read\n");
    }
    for (int r = 0; r < 21 && status == 0; ++r) {
        int lines = 0;
        onceMs.push_back(ReadOnceMs(log, lines));
        if (lines != LogLines) {
            std::fprintf(stderr, "bench_events: read %d lines of %d\n", lines, LogLines);
            status = 1;
        }
    }

    if (cs_qvl_clear_event_log(0) != 0) {
        std::fprintf(stderr, "bench_events: the log was not deleted\n");
        status = 1;
    }
    if (hadLog)
        MoveFileExA(kept.c_str(), log.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (status != 0)
        return status;

    using qvlbench::Median;
    std::printf("take_us %.2f %.2f\n", Median(entryUs), Median(rawUs));
    std::printf("enum_ms %.1f %.3f\n", Median(enumMs), Median(onceMs));
    std::printf("enum_line_us %.2f\n", Median(enumMs) * 1000.0 / LogLines);
    std::printf("enum_ends_ms %.3f %.3f\n", Median(firstMs), Median(lastMs));
    return 0;
}
