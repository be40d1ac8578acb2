// The monitoring plugin's line: "QVL STATE - what | perfdata".
#include <windows.h>

#include "format.h"

namespace ctl {

const char *const QvlctlVersion = "1.0.5.21";

namespace {

void PutUtf8(unsigned long c, std::string &out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One character as the plugin line may carry it: '|' would start the performance data, ';' is
// rewritten by Nagios, and a control character (C1 too) could end or garble the line.
unsigned long Printable(unsigned long c)
{
    if (c == '|')
        return '/';
    if (c == ';')
        return ',';
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return ' ';
    return c >= 0xD800 && c < 0xE000 ? 0xFFFD : c; // a lone surrogate
}

} // namespace

// Converted by hand from UTF-16: Windows 95's WideCharToMultiByte knows no CP_UTF8.
std::string PluginText(const std::string &ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    const int n = ansi.empty() ? 0
                               : MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                                                     static_cast<int>(wide.size()));
    std::string out;
    for (int i = 0; i < n; ++i) {
        unsigned long c = static_cast<unsigned short>(wide[i]);
        const unsigned long next = i + 1 < n ? static_cast<unsigned short>(wide[i + 1]) : 0;
        if (c >= 0xD800 && c < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        }
        PutUtf8(Printable(c), out);
    }
    return out;
}

namespace {

struct Findings {
    std::vector<std::string> Critical, Warning;
    int Failed = 0, Degraded = 0, Rebuilding = 0, Tasks = 0, Attention = 0;
};

void FindDisks(const Snapshot &s, Findings &f)
{
    for (const DiskView &d : s.Disks) {
        if (d.Failed) {
            ++f.Failed;
            f.Critical.push_back("disk " + d.Location + " failed");
        } else if (d.Attention) {
            ++f.Attention;
            f.Warning.push_back("disk " + d.Location + " " + d.Info.StatusStr);
        }
    }
}

void FindArrays(const Snapshot &s, const CheckOptions &o, Findings &f)
{
    for (const ArrayView &a : s.Arrays) {
        const std::string name = "array '" + (a.Info.Name.empty() ? IdText(a.Info.Id) : a.Info.Name) + "' ";
        if (a.Task == "rebuilding") {
            // Degraded until it ends, but on its way back: the user says how loud that is.
            ++f.Rebuilding;
            (o.RebuildCritical ? f.Critical : f.Warning)
                .push_back(name + "degraded, rebuilding " + ProgressText(a.Info.Progress));
        } else if (a.Failed || a.Degraded) {
            ++f.Degraded;
            f.Critical.push_back(name + (a.Failed ? "failed" : "degraded") + " (" + a.Info.StatusStr + ")");
        } else if (!a.Task.empty()) {
            ++f.Tasks;
            if (!o.TasksOk)
                f.Warning.push_back(name + a.Task + " " + ProgressText(a.Info.Progress));
        }
    }
}

// label=value;warn;crit;min; with the ranges of the monitoring plugins: "0" alerts at 1 or more.
std::string Perf(const char *label, size_t value, const char *warn, const char *crit)
{
    return std::string(label) + "=" + std::to_string(value) + ";" + warn + ";" + crit + ";0; ";
}

} // namespace

std::string CheckLine(const Snapshot &s, const CheckOptions &o, CheckState &state)
{
    Findings f;
    FindDisks(s, f);
    FindArrays(s, o, f);
    std::string what;
    for (const auto *list : {&f.Critical, &f.Warning})
        for (const std::string &w : *list)
            what += (what.empty() ? "" : ", ") + w;
    state = !f.Critical.empty() ? CheckCritical : !f.Warning.empty() ? CheckWarning : CheckOk;
    const char *names[] = {"OK", "WARNING", "CRITICAL"};
    auto many = [](size_t n, const char *noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); };
    const std::string counts = many(s.Controllers.size(), "controller") + ", " + many(s.Disks.size(), "device") + ", " +
                               many(s.Arrays.size(), "array");
    std::string line = std::string("QVL ") + names[state] + " - " +
                       PluginText(what.empty() ? counts + " optimal" : what + " - " + counts) + " | ";
    line += Perf("failed", f.Failed, "", "0") + Perf("degraded", f.Degraded, "", "0") +
            Perf("rebuilding", f.Rebuilding, o.RebuildCritical ? "" : "0", o.RebuildCritical ? "0" : "") +
            Perf("tasks", f.Tasks, o.TasksOk ? "" : "0", "") + Perf("attention", f.Attention, "0", "") +
            Perf("devices", s.Disks.size(), "", "") + Perf("arrays", s.Arrays.size(), "", "");
    line.back() = '\n';
    return line;
}

std::string CheckUnknownLine(const std::string &why)
{
    return "QVL UNKNOWN - " + PluginText("driver cannot be reached: " + why) + "\n";
}

std::string CheckDroppedLine(const Dropped &lost)
{
    return "QVL UNKNOWN - " + PluginText(DroppedText(lost) + " dropped: the driver names more than qvlctl can hold") +
           "\n";
}

std::string CheckHelpDetails()
{
    return "\nOutput: one line, QVL OK|WARNING|CRITICAL|UNKNOWN - what is wrong first | performance data.\n"
           "Exit codes: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.\n"
           "  CRITICAL  a failed disk; a failed array (disabled, not available); a degraded array\n"
           "            (broken, or needing a rebuild) that is not rebuilding; a rebuild with\n"
           "            --rebuild critical\n"
           "  WARNING   a rebuild under way (a rebuilding array is degraded until it ends); a\n"
           "            verification, initialisation or duplication unless --tasks ok; a disk with\n"
           "            attention marks\n"
           "  UNKNOWN   bad arguments; the driver cannot be reached or does not answer within the\n"
           "            timeout; something it names cannot be read, or is more than qvlctl holds\n"
           "            (the line names what was dropped)\n"
           "Performance data, label=value;warn;crit;0; with the monitoring plugins' ranges (\"0\"\n"
           "alerts at 1 or more), so that each item's thresholds give the plugin's own state:\n"
           "  failed=N;;0;0;      failed disks\n"
           "  degraded=N;;0;0;    failed or degraded arrays that are not rebuilding\n"
           "  rebuilding=N;0;;0;  arrays under rebuild (with --rebuild critical: ;;0;0;)\n"
           "  tasks=N;0;;0;       verifications, initialisations, duplications (--tasks ok: ;;;0;)\n"
           "  attention=N;0;;0;   disks with attention marks\n"
           "  devices=N;;;0; arrays=N;;;0;\n"
           "Names are written as UTF-8 (from the ANSI code page), with | as /, ; as , and control\n"
           "characters as blanks.\n";
}

} // namespace ctl
