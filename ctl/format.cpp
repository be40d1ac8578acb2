#include "format.h"

#include <algorithm>
#include <cstdio>

#include "json.h"

namespace ctl {

namespace {

using Row = std::vector<std::string>;

// The widest cell of each column.
std::vector<size_t> ColumnWidths(const std::vector<Row> &rows)
{
    std::vector<size_t> width;
    for (const Row &row : rows)
        for (size_t c = 0; c < row.size(); ++c) {
            if (width.size() <= c)
                width.push_back(0);
            width[c] = std::max(width[c], row[c].size());
        }
    return width;
}

// The cells of one row, each but the last padded to its column's width and two blanks.
std::string PaddedLine(const Row &row, const std::vector<size_t> &width, const std::string &indent)
{
    std::string line = indent;
    for (size_t c = 0; c < row.size(); ++c) {
        line += row[c];
        if (c + 1 < row.size())
            line += std::string(width[c] - row[c].size() + 2, ' ');
    }
    return line;
}

// Rows of cells in padded columns, without blanks at the ends of the lines.
std::string Table(const std::vector<Row> &rows, const std::string &indent = "")
{
    const std::vector<size_t> width = ColumnWidths(rows);
    std::string out;
    for (const Row &row : rows) {
        std::string line = PaddedLine(row, width, indent);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::string OrDash(const std::string &s) { return s.empty() ? "-" : s; }

void DiskJson(JsonWriter &j, const DiskView &d)
{
    j.BeginObject()
        .Field("id", IdText(d.Info.Id))
        .Field("location", d.Location)
        .Field("position", d.Info.PositionStr)
        .Field("model", d.Info.ModelStr)
        .Field("revision", d.Info.RevisionStr)
        .Field("type", d.Info.TypeStr)
        .Field("capacity", d.Info.CapacityStr)
        .Field("capacity_bytes", static_cast<int64_t>(d.Bytes))
        .Field("status", d.Info.StatusStr)
        .Field("failed", d.Failed)
        .Field("spare", d.Spare)
        .FieldOrNull("array", d.Info.ArrayName)
        .Field("transfer_mode", d.Info.TransferModeStr)
        .EndObject();
}

} // namespace

std::string ProgressText(int progress)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f%%", std::clamp(progress, 0, 10000) / 100.0);
    return buf;
}

std::string ShowText(const ShowItem &item)
{
    std::vector<Row> rows;
    for (const auto &[label, value] : item.Rows)
        rows.push_back({label, value});
    const std::vector<size_t> width = ColumnWidths(rows);
    // A value is printed whole, as the panel shows it, trailing blanks and all.
    std::string out = item.Title + "\n";
    for (const Row &row : rows)
        out += PaddedLine(row, width, "  ") + "\n";
    return out;
}

std::string ShowJson(const ShowItem &item)
{
    JsonWriter j;
    j.BeginObject()
        .Field("version", JsonSchemaVersion)
        .Field("command", "show")
        .Field("title", item.Title)
        .Field("kind", item.Kind)
        .FieldOrNull("id", item.Id)
        .FieldOrNull("location", item.Location);
    j.Key("properties").BeginArray();
    for (const auto &[label, value] : item.Rows)
        j.BeginObject().Field("label", label).Field("value", value).EndObject();
    j.EndArray().EndObject();
    return j.Text() + "\n";
}

std::string ListText(const Snapshot &s)
{
    std::string out;
    for (const ControllerView &c : s.Controllers) {
        out += c.Info.Name + "  " + c.Info.Product +
               (c.Info.Manufacturer.empty() ? "" : " (" + c.Info.Manufacturer + ")") + "\n";
        for (const ChannelView &h : c.Channels) {
            out += "  " + h.Info.Name + "\n";
            std::vector<Row> rows;
            for (int i : h.Disks) {
                const DiskView &d = s.Disks[i];
                rows.push_back({d.Location, IdText(d.Info.Id), OrDash(d.Info.ModelStr), d.Info.CapacityStr,
                                d.Info.TypeStr, d.Info.StatusStr,
                                d.Info.ArrayName.empty() ? "-" : "array " + d.Info.ArrayName});
            }
            out += Table(rows, "    ");
        }
    }
    if (s.Controllers.empty())
        out += "No controller detected.\n";
    return out;
}

std::string ListJson(const Snapshot &s)
{
    JsonWriter j;
    j.BeginObject().Field("version", JsonSchemaVersion).Field("command", "list").Key("controllers").BeginArray();
    for (const ControllerView &c : s.Controllers) {
        j.BeginObject()
            .Field("name", c.Info.Name)
            .Field("product", c.Info.Product)
            .Field("manufacturer", c.Info.Manufacturer)
            .Field("chip", c.Info.ChipName)
            .Field("interrupt", c.Info.InterruptStr)
            .Key("channels")
            .BeginArray();
        for (const ChannelView &h : c.Channels) {
            j.BeginObject()
                .Field("name", h.Info.Name)
                .Field("io_port", h.Info.IoPortStr)
                .Field("control_port", h.Info.ControlPortStr);
            j.Key("devices").BeginArray();
            for (int i : h.Disks)
                DiskJson(j, s.Disks[i]);
            j.EndArray().EndObject();
        }
        j.EndArray().EndObject();
    }
    j.EndArray().EndObject();
    return j.Text() + "\n";
}

std::string ArraysText(const Snapshot &s)
{
    std::vector<Row> rows{{"ARRAY", "ID", "LEVEL", "CAPACITY", "STATUS", "PROGRESS", "MEMBERS"}};
    for (const ArrayView &a : s.Arrays) {
        std::string members;
        for (const std::string &m : a.Members)
            members += (members.empty() ? "" : ",") + m;
        rows.push_back({std::string(2 * a.Depth, ' ') + OrDash(a.Info.Name), IdText(a.Info.Id), a.Info.TypeStr,
                        a.Info.CapacityStr, a.Info.StatusStr,
                        a.Task.empty() ? "-" : a.Task + " " + ProgressText(a.Info.Progress), OrDash(members)});
    }
    return s.Arrays.empty() ? std::string("No array.\n") : Table(rows);
}

std::string ArraysJson(const Snapshot &s)
{
    JsonWriter j;
    j.BeginObject().Field("version", JsonSchemaVersion).Field("command", "arrays").Key("arrays").BeginArray();
    for (const ArrayView &a : s.Arrays) {
        j.BeginObject()
            .Field("id", IdText(a.Info.Id))
            .Field("name", a.Info.Name)
            .Field("level", a.Info.TypeStr)
            .Field("status", a.Info.StatusStr)
            .Field("capacity", a.Info.CapacityStr)
            .Field("capacity_bytes", static_cast<int64_t>(a.Bytes))
            .FieldOrNull("block_size", a.Info.BlockSizeStr)
            .Field("failed", a.Failed)
            .Field("degraded", a.Degraded);
        j.Key("parent");
        if (IsValidId(a.Info.Parent))
            j.String(IdText(a.Info.Parent));
        else
            j.Null();
        j.FieldOrNull("task", a.Task).Key("progress");
        if (a.Task.empty())
            j.Null();
        else
            j.Real(std::clamp(a.Info.Progress, 0, 10000) / 10000.0, 4);
        j.Key("members").BeginArray();
        for (const std::string &m : a.Members)
            j.String(m);
        j.EndArray().EndObject();
    }
    j.EndArray().EndObject();
    return j.Text() + "\n";
}

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
    {"qvl_array_degraded", "1 when the array is broken or waits for a rebuild, else 0.",
     [](const ArrayView &a) { return static_cast<double>(a.Degraded); }},
    {"qvl_array_members", "Number of members of the array.",
     [](const ArrayView &a) { return static_cast<double>(a.Members.size()); }},
};

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
    return e.Text();
}

} // namespace ctl
