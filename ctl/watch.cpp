#include "watch.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "format.h"
#include "json.h"
#include "owned.h"

namespace ctl {

namespace {

std::string ArrayLabel(const ArrayView &a) { return a.Info.Name.empty() ? IdText(a.Info.Id) : a.Info.Name; }

const char *ArraySeverity(const ArrayView &a)
{
    return a.Failed || a.Degraded ? "critical" : a.Task.empty() ? "info" : "warning";
}

Change DiskChange(const DiskView &d, const char *kind, const char *severity, const std::string &text)
{
    return {kind, severity, d.Location, IdText(d.Info.Id), d.Info.ModelStr, d.Info.StatusStr, text};
}

Change ArrayChange(const ArrayView &a, const char *kind, const char *severity, const std::string &text)
{
    return {kind, severity, ArrayLabel(a), IdText(a.Info.Id), "", a.Info.StatusStr, text};
}

} // namespace

std::vector<Change> Diff(const Snapshot &before, const Snapshot &after)
{
    std::vector<Change> out;
    for (const DiskView &d : before.Disks)
        if (!after.FindDisk(d.Info.Id))
            out.push_back(DiskChange(d, "disk-disappeared", "warning", "Disk at " + d.Location + " disappeared."));
    for (const DiskView &d : after.Disks) {
        const DiskView *old = before.FindDisk(d.Info.Id);
        if (!old)
            out.push_back(
                DiskChange(d, "disk-appeared", d.Failed ? "critical" : "info",
                           "Disk appeared at " + d.Location + " (" + d.Info.ModelStr + ", " + d.Info.StatusStr + ")."));
        else if (d.Failed && !old->Failed)
            out.push_back(DiskChange(d, "disk-failed", "critical", "Disk at " + d.Location + " failed."));
        else if (!d.Failed && old->Failed)
            out.push_back(DiskChange(d, "disk-recovered", "info", "Disk at " + d.Location + " recovered."));
    }
    for (const ArrayView &a : before.Arrays)
        if (!after.FindArray(a.Info.Id))
            out.push_back(ArrayChange(a, "array-disappeared", "warning", "Array '" + ArrayLabel(a) + "' disappeared."));
    for (const ArrayView &a : after.Arrays) {
        const ArrayView *old = before.FindArray(a.Info.Id);
        if (!old)
            out.push_back(ArrayChange(a, "array-appeared", ArraySeverity(a),
                                      "Array '" + ArrayLabel(a) + "' appeared (" + a.Info.StatusStr + ")."));
        else if (old->Info.StatusStr != a.Info.StatusStr || old->Task != a.Task)
            out.push_back(ArrayChange(a, "array-status", ArraySeverity(a),
                                      "Array '" + ArrayLabel(a) + "' status: " + old->Info.StatusStr + " -> " +
                                          a.Info.StatusStr + "."));
        else if (!a.Task.empty() && old->Info.Progress != a.Info.Progress)
            out.push_back(
                ArrayChange(a, "array-progress", ArraySeverity(a),
                            "Array '" + ArrayLabel(a) + "' " + a.Task + " " + ProgressText(a.Info.Progress) + "."));
    }
    return out;
}

std::string NowText()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return buf;
}

std::string ChangeLine(const std::string &time, const Change &c)
{
    return time + "  " + c.Severity + "  " + c.Kind + "  " + LineText(c.Text) + "\n";
}

std::string ChangeJson(const std::string &time, const Change &c)
{
    JsonWriter j;
    j.BeginObject()
        .Field("version", JsonSchemaVersion)
        .Field("time", time)
        .Field("change", c.Kind)
        .Field("severity", c.Severity)
        .FieldOrNull("location", c.Location)
        .FieldOrNull("id", c.Id)
        .FieldOrNull("model", c.Model)
        .FieldOrNull("status", c.Status)
        .Field("text", c.Text)
        .EndObject();
    return j.Text() + "\n";
}

std::vector<std::pair<std::string, std::string>> ChangeEnvironment(const std::string &time, const Change &c)
{
    return {{"QVL_CHANGE", c.Kind}, {"QVL_SEVERITY", c.Severity}, {"QVL_LOCATION", c.Location}, {"QVL_ID", c.Id},
            {"QVL_MODEL", c.Model}, {"QVL_STATUS", c.Status},     {"QVL_TEXT", c.Text},         {"QVL_TIME", time}};
}

int RunWithEnvironment(const std::string &command, const std::vector<std::pair<std::string, std::string>> &vars)
{
    // The block: this process's variables without those we set, then ours, sorted by name
    // without regard to case as Windows keeps them; double zero at the end.
    std::vector<std::string> entries;
    if (char *env = GetEnvironmentStringsA()) {
        for (const char *p = env; *p; p += std::strlen(p) + 1) {
            const std::string entry = p;
            const std::string name = entry.substr(0, entry.find('=', 1));
            const bool ours = std::any_of(vars.begin(), vars.end(),
                                          [&](const auto &v) { return lstrcmpiA(v.first.c_str(), name.c_str()) == 0; });
            if (!ours)
                entries.push_back(entry);
        }
        FreeEnvironmentStringsA(env);
    }
    for (const auto &[name, value] : vars) {
        std::string v = value;
        std::replace(v.begin(), v.end(), '\n', ' ');
        std::replace(v.begin(), v.end(), '\r', ' ');
        entries.push_back(name + "=" + v);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const std::string &a, const std::string &b) {
        return lstrcmpiA(a.substr(0, a.find('=', 1)).c_str(), b.substr(0, b.find('=', 1)).c_str()) < 0;
    });
    std::string block;
    for (const std::string &e : entries)
        block += e + '\0';
    block += '\0';

    char comspec[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec) || !comspec[0])
        lstrcpynA(comspec, GetVersion() < 0x80000000 ? "cmd.exe" : "command.com", sizeof comspec);
    std::string line = std::string("\"") + comspec + "\" /c " + command;
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, block.data(), nullptr, &si, &pi))
        return -1;
    const qvl::Handle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<int>(code);
}

} // namespace ctl
