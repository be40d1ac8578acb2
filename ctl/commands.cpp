#include "commands.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "clientBind.h"
#include "events.h"
#include "format.h"
#include "json.h"
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

Result Listing(const Args &args, bool arrays)
{
    std::string why;
    if (!Reach(why))
        return Fail(2, "driver cannot be reached: " + why);
    const Snapshot s = TakeSnapshot(*OpenSystem());
    Result r;
    const bool json = args.Has("--json");
    r.Out = arrays ? (json ? ArraysJson(s) : ArraysText(s)) : (json ? ListJson(s) : ListText(s));
    return r;
}

Result Show(const Args &args)
{
    std::string why;
    if (!Reach(why))
        return Fail(2, "driver cannot be reached: " + why);
    const auto system = OpenSystem();
    const bool wholeSystem = lstrcmpiA(args.Argument.c_str(), "system") == 0;
    const TDeviceBase *object = wholeSystem ? nullptr : FindObject(*system, args.Argument);
    if (!object && !wholeSystem)
        return Fail(2, "no controller, channel or device '" + args.Argument + "' (see qvlctl list)");
    const ShowItem item = object ? ShowRows(*object) : SystemRows(*system);
    Result r;
    if (args.Has("--json")) {
        JsonWriter j;
        j.BeginObject().Field("version", JsonSchemaVersion).Field("command", "show").Field("title", item.Title)
            .Field("kind", item.Kind).FieldOrNull("id", item.Id).FieldOrNull("location", item.Location);
        j.Key("properties").BeginArray();
        for (const auto &[label, value] : item.Rows)
            j.BeginObject().Field("label", label).Field("value", value).EndObject();
        j.EndArray().EndObject();
        r.Out = j.Text() + "\n";
    } else {
        size_t width = 0;
        for (const auto &row : item.Rows)
            width = std::max(width, row.first.size());
        r.Out = item.Title + "\n";
        for (const auto &[label, value] : item.Rows)
            r.Out += "  " + label + std::string(width - label.size() + 2, ' ') + value + "\n";
    }
    return r;
}

Result Rescan()
{
    std::string why;
    if (!Reach(why))
        return Fail(2, "driver cannot be reached: " + why);
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
    std::string why;
    if (!Reach(why))
        return Fail(2, "driver cannot be reached: " + why);
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

Result Check()
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
    CheckState state = CheckOk;
    r.Out = CheckLine(TakeSnapshot(*system), state);
    r.Code = state;
    return r;
}

// Writes the file whole or not at all: a collector never reads half of it.
bool WriteAtomically(const std::string &file, const std::string &text, std::string &error)
{
    const std::string temp = file + ".tmp";
    {
        qvl::FileHandle out(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        const bool ok = out && WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                        written == text.size();
        out.reset();
        if (!ok) {
            error = "cannot write " + temp;
            DeleteFileA(temp.c_str());
            return false;
        }
    }
    // The 95/98/Me family has no MoveFileEx that works: there, delete and move.
    using MoveFileExFn = BOOL(WINAPI *)(LPCSTR, LPCSTR, DWORD);
    const auto moveFileEx =
        reinterpret_cast<MoveFileExFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
    if (!moveFileEx || !moveFileEx(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(file.c_str());
        if (!MoveFileA(temp.c_str(), file.c_str())) {
            error = "cannot replace " + file + " (error " + std::to_string(GetLastError()) + ")";
            DeleteFileA(temp.c_str());
            return false;
        }
    }
    return true;
}

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
    } else if (up) {
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
    std::string why;
    if (!Reach(why))
        return Fail(2, "driver cannot be reached: " + why);
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

} // namespace

Result RunCommand(const Args &args)
{
    const std::string &c = args.Command;
    if (c == "list" || c == "arrays")
        return Listing(args, c == "arrays");
    if (c == "show")
        return Show(args);
    if (c == "rescan")
        return Rescan();
    if (c == "unplug")
        return Unplug(args);
    if (c == "check")
        return Check();
    if (c == "metrics")
        return Metrics(args);
    if (c == "watch")
        return Watch(args);
    std::string why;
    if (!BindClient(why))
        return Fail(2, "driver cannot be reached: " + why);
    if (c == "events")
        return EventsCommand(args);
    return LogCommand(args);
}

} // namespace ctl
