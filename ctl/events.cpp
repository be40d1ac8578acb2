#include "events.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "GetInfo.h"
#include "format.h"
#include "json.h"
#include "owned.h"
#include "qvlclient.h"
#include "snapshot.h"
#include "watch.h"

namespace ctl {

namespace {

// The console's single-instance mutex (console/ui/program.cpp).
const char *const ConsoleMutexName = "qvl_storage_management_software_mutex";
// Events taken in one poll at most, so a driver that never runs dry cannot hold us.
constexpr int MaxEventsPerPoll = 1024;
// Unreadable lines in a row after which the log counts as unreadable from there on: a file
// error answers -1 for every index, an over-long line only for its own.
constexpr int MaxUnreadableRun = 10000;
const char *const EmptyLog = "qvlctl: the event log qvl.log is empty\n";
const char *const NoLog = "qvlctl: there is no event log qvl.log\n";

std::string TimeText(PackedTime t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", 2000 + qvl_time_year(t), qvl_time_month(t),
                  qvl_time_day(t), qvl_time_hour(t), qvl_time_minute(t), qvl_time_second(t));
    return buf;
}

const char *TypeWord(char type)
{
    return type == 'E' ? "error" : type == 'W' ? "warning" : type == 'I' ? "information" : "unknown";
}

std::string EntryText(const EventEntry &e) { return FieldText(e.text, sizeof e.text); }

// Where the event happened: a disk's location or an array's name, when the driver still knows.
std::string EventLocation(DeviceId id)
{
    _PhyDeviceinfo disk;
    if (ReadDeviceTexts(0, id, disk))
        return DiskLocation(disk);
    _Arrayinfo array;
    if (ReadArrayTexts(0, id, array))
        return array.Name;
    return "";
}

std::string EntryLine(const EventEntry &e)
{
    return TimeText(e.event.time) + "  " + LineText(std::string(1, e.type ? e.type : '?')) + "  " +
           LineText(EntryText(e)) + "\n";
}

std::string EntryJson(const EventEntry &e, bool withCode, const std::string &location)
{
    JsonWriter j;
    j.BeginObject();
    if (withCode)
        j.Field("version", JsonSchemaVersion);
    j.Field("time", TimeText(e.event.time)).Field("type", std::string(1, e.type)).Field("severity", TypeWord(e.type));
    if (withCode)
        j.Field("code", static_cast<int>(e.event.code))
            .Field("id", IdText(e.event.device))
            .FieldOrNull("location", location);
    j.Field("text", EntryText(e)).EndObject();
    return j.Text();
}

void Write(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool LogExists()
{
    char dir[MAX_PATH] = "";
    const UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir)
        return true; // unknown: let the read's own answer stand
    std::string path = dir;
    if (path.back() != '\\')
        path += '\\';
    return GetFileAttributesA((path + "qvl.log").c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every readable line of the log into `text`, each unreadable one named on standard error
// (exit 1); returns the number of lines read. The library goes on from its last read, so
// reading in order costs a line each.
int ReadLog(bool json, std::string &text, Result &r)
{
    int count = 0, run = 0;
    for (int index = 0;; ++index) {
        EventEntry e;
        std::memset(&e, 0, sizeof e);
        const int32_t result = cs_qvl_enum_event(0, &e, index);
        if (result == QVL_NO_SUCH_LINE)
            break;
        if (result != 0) {
            if (!LogExists())
                break; // no log, or one deleted while we read it
            r.Code = 1;
            if (++run > MaxUnreadableRun) {
                r.Err += "qvlctl: the event log cannot be read from line " + std::to_string(index - run + 2) + " on\n";
                break;
            }
            r.Err += "qvlctl: line " + std::to_string(index + 1) + " of the event log cannot be read\n";
            continue;
        }
        run = 0;
        if (json)
            text += std::string(count ? "," : "") + EntryJson(e, false, "");
        else
            text += EntryLine(e);
        ++count;
    }
    return count;
}

} // namespace

bool ConsoleRunning()
{
    const qvl::Handle mutex(OpenMutexA(SYNCHRONIZE, FALSE, ConsoleMutexName));
    return static_cast<bool>(mutex);
}

Result EventsCommand(const Args &args)
{
    Result r;
    if (ConsoleRunning())
        std::fputs("qvlctl: warning: the console qvlswap.exe is running; each driver event reaches only one of "
                   "the two, so the events qvlctl takes do not reach the console.\n",
                   stderr);
    bool follow = args.Has("--follow");
    const bool json = args.Has("--json");
    long interval = 3, cycles = 0;
    if (args.Has("--interval"))
        ParseCount(args.Value("--interval"), 1, interval);
    if (args.Has("--cycles"))
        ParseCount(args.Value("--cycles"), 1, cycles);
    std::string collected; // without --follow the whole output goes at once
    bool saving = args.Has("--save");
    for (long poll = 0;; ++poll) {
        for (int n = 0; n < MaxEventsPerPoll; ++n) {
            EventEntry e;
            std::memset(&e, 0, sizeof e);
            if (cs_qvl_get_log_event(0, &e) != 0)
                break;
            const std::string location = EventLocation(e.event.device);
            const std::string text = json ? EntryJson(e, true, location) + "\n" : EntryLine(e);
            if (follow)
                Write(text);
            else
                collected += text;
            if (args.Has("--exec")) {
                const std::string time = TimeText(e.event.time);
                const int code = RunWithEnvironment(args.Value("--exec"), {{"QVL_CHANGE", "event"},
                                                                           {"QVL_SEVERITY", TypeWord(e.type)},
                                                                           {"QVL_LOCATION", location},
                                                                           {"QVL_ID", IdText(e.event.device)},
                                                                           {"QVL_CODE", std::to_string(e.event.code)},
                                                                           {"QVL_TEXT", EntryText(e)},
                                                                           {"QVL_TIME", time}});
                if (code < 0)
                    std::fprintf(stderr, "qvlctl: --exec: the command could not be started (error %lu)\n",
                                 GetLastError());
            }
            // An event that cannot be logged is still printed (the driver gave it up), and no
            // further event is taken: those stay with the driver instead of going unlogged.
            if (saving && cs_qvl_save_log_event(0, &e) != 0) {
                r.Code = 2;
                r.Err += "qvlctl: the event \"" + EntryText(e) + "\" could not be written to the event log qvl.log\n";
                saving = false;
                follow = false;
                break;
            }
        }
        if (!follow || (cycles && poll + 1 >= cycles))
            break;
        Sleep(static_cast<DWORD>(interval) * 1000);
    }
    r.Out = collected;
    return r;
}

Result LogCommand(const Args &args)
{
    Result r;
    if (args.Has("--clear")) {
        if (cs_qvl_clear_event_log(0) != 0) {
            r.Code = 2;
            r.Err = "qvlctl: the event log qvl.log cannot be deleted\n";
        } else {
            r.Out = "Event log cleared.\n";
        }
        return r;
    }
    const bool json = args.Has("--json");
    std::string text;
    const int count = ReadLog(json, text, r);
    if (count == 0 && r.Err.empty())
        r.Err = LogExists() ? EmptyLog : NoLog;
    if (json) {
        r.Out = "{\"version\":";
        r.Out += std::to_string(JsonSchemaVersion);
        r.Out += ",\"command\":\"log\",\"entries\":[";
        r.Out += text;
        r.Out += "]}\n";
    } else {
        r.Out = text;
    }
    return r;
}

} // namespace ctl
