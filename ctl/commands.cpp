#include "commands.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "clientBind.h"
#include "events.h"
#include "format.h"
#include "qvlclient.h"
#include "showRows.h"
#include "snapshot.h"
#include "systemUnit.h"
#include "watch.h"

namespace ctl {

namespace {

const char *const NoHotSwap = "The device driver doesn't support how-swap. Please update the driver.";

Result Fail(int code, const std::string &message)
{
    Result r;
    r.Code = code;
    r.Err = "qvlctl: " + message + "\n";
    return r;
}

// The driver is reached when the library binds and answers the controller count; a negative
// count is a driver that does not answer (the console would show an empty tree).
bool Reach(std::string &why)
{
    if (!BindClient(why))
        return false;
    const int32_t count = cs_qvl_get_controller_count(0);
    if (count < 0) {
        why = "the driver does not answer (controller count " + std::to_string(count) + ")";
        return false;
    }
    return true;
}

// The system as the console makes it: local connection 0, named "Local host".
std::unique_ptr<TRAIDSystem> OpenSystem()
{
    auto system = std::make_unique<TRAIDSystem>(0);
    system->Connect("Local host", "Local host");
    return system;
}

Result List(const Args &args)
{
    const Snapshot s = TakeSnapshot(*OpenSystem());
    Result r;
    r.Out = args.Has("--json") ? ListJson(s) : ListText(s);
    r.Err = DroppedNote(s);
    return r;
}

Result Arrays(const Args &args)
{
    const Snapshot s = TakeSnapshot(*OpenSystem());
    Result r;
    r.Out = args.Has("--json") ? ArraysJson(s) : ArraysText(s);
    r.Err = DroppedNote(s);
    return r;
}

Result Show(const Args &args)
{
    const auto system = OpenSystem();
    const bool wholeSystem = lstrcmpiA(args.Argument.c_str(), "system") == 0;
    const TDeviceBase *object = wholeSystem ? nullptr : FindObject(*system, args.Argument);
    if (!object && !wholeSystem)
        return Fail(2, "no controller, channel or device '" + args.Argument + "' (see qvlctl list)");
    const ShowItem item = object ? ShowRows(*object) : SystemRows(*system);
    Result r;
    r.Out = args.Has("--json") ? ShowJson(item) : ShowText(item);
    return r;
}

Result Rescan(const Args &)
{
    const auto system = OpenSystem();
    const Snapshot before = TakeSnapshot(*system);
    system->Rescan();
    const Snapshot after = TakeSnapshot(*system);
    Result r;
    for (const Change &c : Diff(before, after))
        r.Out += c.Text + "\n";
    r.Out += "Rescan Devices: " + std::to_string(after.Disks.size()) + " devices.\n";
    return r;
}

bool Confirmed(const std::string &question)
{
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    char line[256];
    if (!std::fgets(line, sizeof line, stdin))
        return false;
    std::string answer = line;
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' '))
        answer.pop_back();
    return lstrcmpiA(answer.c_str(), "y") == 0 || lstrcmpiA(answer.c_str(), "yes") == 0;
}

Result Unplug(const Args &args)
{
    const auto system = OpenSystem();
    const TDeviceBase *object = FindObject(*system, args.Argument);
    if (!object)
        return Fail(2, "no controller, channel or device '" + args.Argument + "' (see qvlctl list)");
    Result r;
    r.Code = 1;
    // The console offers Unplug only for a device of no array, with a driver that can hot-swap.
    if (object->Kind != KindDevice) {
        r.Err = object->Name + " is not a disk: only a disk can be unplugged.\n";
        return r;
    }
    const auto &device = static_cast<const TDevice &>(*object);
    if (!system->HotSwapSupported) {
        r.Err = std::string(NoHotSwap) + "\n";
        return r;
    }
    if (IsValidId(device.Info.Parent)) {
        r.Err = "Device '" + device.Name + "' belongs to the array '" + device.Info.ArrayName +
                "' and can't be unplugged.\n";
        return r;
    }
    const DeviceId id = device.Id;
    const std::string location = DiskLocation(device.Info);
    if (!args.Has("--yes") &&
        !Confirmed("Unplug the '" + device.Name + "' device at " + location + " (" + IdText(id) + ")? [y/N] ")) {
        r.Err = "Not unplugged.\n";
        return r;
    }
    if (system->Unplug(id)) {
        r.Code = 0;
        r.Out = system->ResultMessage + "\n";
    } else {
        r.Err = system->ResultMessage + "\n";
    }
    return r;
}

// What the driver named but the model could not read (the console drops it silently): a
// monitoring plugin must not call a system OK that it could not see whole.
std::string Unreadable(const TRAIDSystem &system)
{
    const int32_t reported = std::min<int32_t>(cs_qvl_get_controller_count(system.Handle), system.MaxControllers);
    if (system.ControllerCount() < reported)
        return std::to_string(reported - system.ControllerCount()) + " controller(s) cannot be read";
    int channels = 0, ids = 0;
    for (int p = 0; p < system.ControllerCount(); ++p)
        channels += system.Controllers[p]->Info.ChannelCount;
    if (system.ChannelCount() < std::min(channels, system.Channels.Capacity()))
        return std::to_string(std::min(channels, system.Channels.Capacity()) - system.ChannelCount()) +
               " channel(s) cannot be read";
    for (int c = 0; c < system.ChannelCount(); ++c)
        ids += IsValidId(system.Channels[c]->Info.Master) + IsValidId(system.Channels[c]->Info.Slave);
    if (system.DeviceCount() < std::min(ids, system.Devices.Capacity()))
        return std::to_string(std::min(ids, system.Devices.Capacity()) - system.DeviceCount()) +
               " device(s) cannot be read";
    return "";
}

Result CheckRead(const CheckOptions &options)
{
    Result r;
    std::string why;
    if (!Reach(why)) {
        r.Code = CheckUnknown;
        r.Out = CheckUnknownLine(why);
        return r;
    }
    const auto system = OpenSystem();
    if (const std::string missing = Unreadable(*system); !missing.empty()) {
        r.Code = CheckUnknown;
        r.Out = CheckUnknownLine(missing);
        return r;
    }
    const Snapshot s = TakeSnapshot(*system);
    if (s.Lost.Any()) {
        r.Code = CheckUnknown;
        r.Out = CheckDroppedLine(s.Lost);
        return r;
    }
    CheckState state = CheckOk;
    r.Out = CheckLine(s, options, state);
    r.Code = state;
    return r;
}

struct CheckJob {
    CheckOptions Options;
    Result Answer;
};

DWORD WINAPI CheckWorker(void *param)
{
    auto *job = static_cast<CheckJob *>(param);
    try {
        job->Answer = CheckRead(job->Options);
    } catch (...) {
        job->Answer.Code = CheckUnknown;
        job->Answer.Out = "QVL UNKNOWN - unexpected failure\n";
    }
    return 0;
}

// The driver is read on a worker thread: a driver call that never returns must not hold the
// monitoring system's check. On expiry the process ends at once, without the DLLs' detach code
// that a stuck call could deadlock.
Result Check(const Args &args)
{
    if (args.Has("--version")) {
        Result r;
        r.Out = std::string("qvlctl check ") + QvlctlVersion + "\n";
        return r;
    }
    // A worker that never returns keeps using the job: the process ends before it is freed.
    auto job = std::make_unique<CheckJob>();
    if (args.Has("--timeout"))
        ParseCount(args.Value("--timeout"), 1, job->Options.TimeoutSeconds);
    job->Options.RebuildCritical = args.Value("--rebuild") == "critical";
    job->Options.TasksOk = args.Value("--tasks") == "ok";
    DWORD threadId = 0;
    qvl::Handle worker(CreateThread(nullptr, 0, CheckWorker, job.get(), 0, &threadId));
    const DWORD ms = static_cast<DWORD>(std::min(job->Options.TimeoutSeconds, 4000000L)) * 1000;
    if (!worker || WaitForSingleObject(worker.get(), ms) != WAIT_OBJECT_0) {
        const std::string line =
            worker ? "QVL UNKNOWN - timed out after " + std::to_string(job->Options.TimeoutSeconds) + " s\n"
                   : CheckUnknownLine("no thread for the read");
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
        job.release();
        TerminateProcess(GetCurrentProcess(), CheckUnknown);
    }
    return job->Answer;
}

// A temporary file beside the target, named for this writer alone: two runs that overlap
// never write into each other's file.
std::string TempName(const std::string &file)
{
    const size_t slash = file.find_last_of("\\/:");
    const std::string dir = slash == std::string::npos ? std::string(".") : file.substr(0, slash + 1);
    char name[MAX_PATH + 16] = "";
    if (GetTempFileNameA(dir.c_str(), "qvl", 0, name) != 0)
        return name;
    char buf[64];
    std::snprintf(buf, sizeof buf, ".%lu.%lu.tmp", GetCurrentProcessId(), GetTickCount());
    return file + buf;
}

bool WriteWhole(const std::string &path, const std::string &text)
{
    qvl::FileHandle out(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out && WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Replaces `file` by `temp`. On NT the target is never deleted: MoveFileEx replaces it in one
// step, retried a while when a reader holds it open. The 95/98/Me family has no MoveFileEx:
// there the file is missing between the delete and the move.
bool Replace(const std::string &temp, const std::string &file)
{
    using MoveFileExFn = BOOL(WINAPI *)(LPCSTR, LPCSTR, DWORD);
    const auto moveFileEx = reinterpret_cast<MoveFileExFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
    if (moveFileEx && GetVersion() < 0x80000000u) {
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (moveFileEx(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING))
                return true;
            const DWORD error = GetLastError();
            if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION)
                return false;
            Sleep(100); // a reader's handle is closed within moments
        }
        return false;
    }
    DeleteFileA(file.c_str());
    return MoveFileA(temp.c_str(), file.c_str()) != 0;
}

// Writes the file whole or not at all: a collector never reads half of it.
bool WriteAtomically(const std::string &file, const std::string &text, std::string &error)
{
    const std::string temp = TempName(file);
    if (!WriteWhole(temp, text)) {
        error = "cannot write " + temp;
        DeleteFileA(temp.c_str());
        return false;
    }
    if (!Replace(temp, file)) {
        error = "cannot replace " + file + " (error " + std::to_string(GetLastError()) + "); it is left as it was";
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

// Standard output and --output get the same text, qvl_up 0 included: a collector reading
// either sees the driver down.
Result Metrics(const Args &args)
{
    std::string why;
    const bool up = Reach(why);
    const std::string text = up ? MetricsText(TakeSnapshot(*OpenSystem())) : MetricsDownText();
    Result r;
    if (args.Has("--output")) {
        std::string error;
        if (!WriteAtomically(args.Value("--output"), text, error))
            return Fail(2, error);
    } else {
        r.Out = text;
    }
    if (!up) {
        r.Code = 2;
        r.Err = "qvlctl: driver cannot be reached: " + why + "\n";
    }
    return r;
}

void WriteLine(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

Result Watch(const Args &args)
{
    long interval = 10, cycles = 0;
    if (args.Has("--interval"))
        ParseCount(args.Value("--interval"), 1, interval);
    if (args.Has("--cycles"))
        ParseCount(args.Value("--cycles"), 1, cycles);
    const bool json = args.Has("--json");
    const auto system = OpenSystem();
    Snapshot last = TakeSnapshot(*system);
    std::fprintf(stderr, "qvlctl: watching %u devices and %u arrays every %ld s\n",
                 static_cast<unsigned>(last.Disks.size()), static_cast<unsigned>(last.Arrays.size()), interval);
    std::fflush(stderr);
    bool reachable = true;
    auto report = [&](const Change &c) {
        const std::string time = NowText();
        WriteLine(json ? ChangeJson(time, c) : ChangeLine(time, c));
        if (args.Has("--exec") && RunWithEnvironment(args.Value("--exec"), ChangeEnvironment(time, c)) < 0)
            std::fprintf(stderr, "qvlctl: --exec: the command could not be started (error %lu)\n", GetLastError());
    };
    for (long poll = 0; !cycles || poll < cycles; ++poll) {
        Sleep(static_cast<DWORD>(interval) * 1000);
        // An unreachable driver is one change, not every disk disappearing.
        const int32_t count = cs_qvl_get_controller_count(0);
        if (count < 0) {
            if (reachable)
                report({"driver-unreachable", "critical", "", "", "", "",
                        "The driver does not answer (controller count " + std::to_string(count) + ")."});
            reachable = false;
            continue;
        }
        if (!reachable)
            report({"driver-reachable", "info", "", "", "", "", "The driver answers again."});
        reachable = true;
        system->Reload();
        Snapshot now = TakeSnapshot(*system);
        for (const Change &c : Diff(last, now))
            report(c);
        last = std::move(now);
    }
    return Result();
}

// The commands in the order the usage text lists them.
const std::vector<CommandSpec> kCommands = {
    {"list",
     nullptr,
     "controllers, channels and devices as the console's tree has them",
     {"--json"},
     Needs::Driver,
     List},
    {"arrays", nullptr, "every array: level, status, members, capacity, progress", {"--json"}, Needs::Driver, Arrays},
    {"show",
     "WHAT",
     "the properties of one item, as the information panel shows them; WHAT is an identifier "
     "(0x115) or a location (Controller2-Channel3-Device2, Controller1-Channel2, Controller1), or system",
     {"--json"},
     Needs::Driver,
     Show},
    {"rescan", nullptr, "ask the driver to look for newly attached disks (Rescan Devices)", {}, Needs::Driver, Rescan},
    {"unplug",
     "WHAT",
     "prepare a single disk that belongs to no array for removal (Unplug)",
     {"--yes"},
     Needs::Driver,
     Unplug},
    {"watch",
     nullptr,
     "poll the system and print one line per change; takes no driver events",
     {"--interval", "--json", "--exec", "--cycles"},
     Needs::Driver,
     Watch},
    {"events",
     nullptr,
     "take the driver's waiting events and print their texts",
     {"--follow", "--json", "--save", "--exec", "--interval", "--cycles"},
     Needs::Library,
     EventsCommand},
    {"log", nullptr, "the event log qvl.log read back", {"--json", "--clear"}, Needs::Library, LogCommand},
    {"check",
     nullptr,
     "monitoring plugin: one status line with performance data, exit 0/1/2/3",
     {"--timeout", "--rebuild", "--tasks", "--version"},
     Needs::Nothing,
     Check},
    {"metrics", nullptr, "the state in the Prometheus text exposition format", {"--output"}, Needs::Nothing, Metrics},
};

} // namespace

const std::vector<CommandSpec> &Commands() { return kCommands; }

const CommandSpec *FindCommand(const std::string &name)
{
    for (const CommandSpec &c : Commands())
        if (name == c.Name)
            return &c;
    return nullptr;
}

Result RunCommand(const Args &args)
{
    const CommandSpec *command = FindCommand(args.Command);
    if (!command)
        return Fail(2, "unknown command '" + args.Command + "' (see qvlctl --help)");
    std::string why;
    const bool ready = command->Need == Needs::Driver    ? Reach(why)
                       : command->Need == Needs::Library ? BindClient(why)
                                                         : true;
    if (!ready)
        return Fail(2, "driver cannot be reached: " + why);
    return command->Run(args);
}

} // namespace ctl
