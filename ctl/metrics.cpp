// The Prometheus text exposition of a snapshot.
#include "format.h"

#include <algorithm>
#include <cstdio>

namespace ctl {

std::string PromLabel(const std::string &bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else if (c >= 0x80) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else
            out += static_cast<char>(c);
    }
    return out;
}

namespace {

class Exposition {
public:
    void Family(const char *name, const char *help)
    {
        text_ += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
        name_ = name;
    }
    void Sample(const std::vector<std::pair<const char *, std::string>> &labels, double value)
    {
        std::string line = name_;
        if (!labels.empty()) {
            line += '{';
            for (size_t i = 0; i < labels.size(); ++i)
                line += std::string(i ? "," : "") + labels[i].first + "=\"" + PromLabel(labels[i].second) + "\"";
            line += '}';
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, " %.15g\n", value);
        text_ += line + buf;
    }
    const std::string &Text() const { return text_; }

private:
    std::string text_, name_;
};

template <class View> struct Gauge {
    const char *name, *help;
    double (*value)(const View &);
};

// One family per row, a sample per device or array.
const Gauge<DiskView> DiskGauges[] = {
    {"qvl_device_capacity_bytes", "Capacity of the device in bytes (0 for a CD-ROM).",
     [](const DiskView &d) { return static_cast<double>(d.Bytes); }},
    {"qvl_device_failed", "1 when the device is disabled (failed), else 0.",
     [](const DiskView &d) { return static_cast<double>(d.Failed); }},
    {"qvl_device_spare", "1 when the device is a spare disk, else 0.",
     [](const DiskView &d) { return static_cast<double>(d.Spare); }},
};
const Gauge<ArrayView> ArrayGauges[] = {
    {"qvl_array_capacity_bytes", "Capacity of the array in bytes.",
     [](const ArrayView &a) { return static_cast<double>(a.Bytes); }},
    {"qvl_array_failed", "1 when the array is disabled or not available, else 0.",
     [](const ArrayView &a) { return static_cast<double>(a.Failed); }},
    {"qvl_array_degraded", "1 when the array is broken or needs or runs a rebuild, else 0.",
     [](const ArrayView &a) { return static_cast<double>(a.Degraded); }},
    {"qvl_array_members", "Number of members of the array.",
     [](const ArrayView &a) { return static_cast<double>(a.Members.size()); }},
};

// Objects the driver named that the model could not hold: none of them is in the other families.
void DroppedFamily(const Snapshot &s, Exposition &e)
{
    e.Family("qvl_dropped_objects", "Objects the driver names beyond what qvlctl can hold, by kind.");
    const std::pair<const char *, long> kinds[] = {{"controller", s.Lost.Controllers},
                                                   {"channel", s.Lost.Channels},
                                                   {"device", s.Lost.Devices},
                                                   {"array", s.Lost.Arrays}};
    for (const auto &[kind, n] : kinds)
        e.Sample({{"kind", kind}}, static_cast<double>(n));
}

} // namespace

std::string MetricsDownText()
{
    Exposition e;
    e.Family("qvl_up", "1 when the RAID driver could be read, 0 when it could not.");
    e.Sample({}, 0);
    return e.Text();
}

std::string MetricsText(const Snapshot &s)
{
    Exposition e;
    e.Family("qvl_up", "1 when the RAID driver could be read, 0 when it could not.");
    e.Sample({}, 1);
    e.Family("qvl_controller_info", "A controller of the system, value 1; its texts as labels.");
    for (const ControllerView &c : s.Controllers)
        e.Sample({{"controller", c.Info.Name},
                  {"product", c.Info.Product},
                  {"manufacturer", c.Info.Manufacturer},
                  {"chip", c.Info.ChipName}},
                 1);
    using Labels = std::vector<std::pair<const char *, std::string>>;
    auto disk = [](const DiskView &d) {
        return Labels{{"location", d.Location}, {"model", d.Info.ModelStr}, {"array", d.Info.ArrayName}};
    };
    e.Family("qvl_device_info", "A device of the system, value 1; identifier, type and status text as labels.");
    for (const DiskView &d : s.Disks) {
        Labels l = disk(d);
        l.insert(l.end(), {{"id", IdText(d.Info.Id)}, {"type", d.Info.TypeStr}, {"status", d.Info.StatusStr}});
        e.Sample(l, 1);
    }
    for (const auto &g : DiskGauges) {
        e.Family(g.name, g.help);
        for (const DiskView &d : s.Disks)
            e.Sample(disk(d), g.value(d));
    }
    auto array = [](const ArrayView &a) {
        return Labels{{"array", a.Info.Name}, {"id", IdText(a.Info.Id)}, {"level", a.Info.TypeStr}};
    };
    e.Family("qvl_array_info", "An array, value 1; its status text as a label.");
    for (const ArrayView &a : s.Arrays) {
        Labels l = array(a);
        l.push_back({"status", a.Info.StatusStr});
        e.Sample(l, 1);
    }
    for (const auto &g : ArrayGauges) {
        e.Family(g.name, g.help);
        for (const ArrayView &a : s.Arrays)
            e.Sample(array(a), g.value(a));
    }
    e.Family("qvl_array_task_progress_ratio",
             "Progress of the running rebuild, duplication, verification or initialisation, 0 to 1.");
    for (const ArrayView &a : s.Arrays)
        if (!a.Task.empty()) {
            Labels l = array(a);
            l.push_back({"task", a.Task});
            e.Sample(l, std::clamp(a.Info.Progress, 0, 10000) / 10000.0);
        }
    DroppedFamily(s, e);
    return e.Text();
}

} // namespace ctl
