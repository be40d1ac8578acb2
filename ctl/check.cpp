// The monitoring plugin's line: "QVL STATE - what | perfdata".
#include "format.h"

namespace ctl {

std::string CheckLine(const Snapshot &s, CheckState &state)
{
    std::vector<std::string> critical, warning;
    int failed = 0, degraded = 0, tasks = 0, attention = 0;
    for (const DiskView &d : s.Disks) {
        if (d.Failed) {
            ++failed;
            critical.push_back("disk " + d.Location + " failed");
        } else if (d.Attention) {
            ++attention;
            warning.push_back("disk " + d.Location + " " + d.Info.StatusStr);
        }
    }
    for (const ArrayView &a : s.Arrays) {
        const std::string name = "array '" + (a.Info.Name.empty() ? IdText(a.Info.Id) : a.Info.Name) + "' ";
        if (a.Failed || a.Degraded) {
            ++degraded;
            critical.push_back(name + (a.Failed ? "failed" : "degraded") + " (" + a.Info.StatusStr + ")");
        } else if (!a.Task.empty()) {
            ++tasks;
            warning.push_back(name + a.Task + " " + ProgressText(a.Info.Progress));
        }
    }
    std::string what;
    for (const auto *list : {&critical, &warning})
        for (const std::string &w : *list)
            what += (what.empty() ? "" : ", ") + w;
    state = !critical.empty() ? CheckCritical : !warning.empty() ? CheckWarning : CheckOk;
    const char *names[] = {"OK", "WARNING", "CRITICAL"};
    auto many = [](size_t n, const char *noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); };
    const std::string counts = many(s.Controllers.size(), "controller") + ", " + many(s.Disks.size(), "device") + ", " +
                               many(s.Arrays.size(), "array");
    std::string line =
        std::string("QVL ") + names[state] + " - " + (what.empty() ? counts + " optimal" : what + "; " + counts);
    line += " | failed=" + std::to_string(failed) + ";;1;0; degraded=" + std::to_string(degraded) +
            ";;1;0; tasks=" + std::to_string(tasks) + ";1;;0; attention=" + std::to_string(attention) +
            ";1;;0; devices=" + std::to_string(s.Disks.size()) + ";;;0; arrays=" + std::to_string(s.Arrays.size()) +
            ";;;0;\n";
    return line;
}

std::string CheckUnknownLine(const std::string &why) { return "QVL UNKNOWN - driver cannot be reached: " + why + "\n"; }

} // namespace ctl
