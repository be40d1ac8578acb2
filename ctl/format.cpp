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

std::string OrDash(const std::string &s) { return s.empty() ? "-" : LineText(s); }

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

std::string LineText(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ProgressText(int progress)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f%%", std::clamp(progress, 0, 10000) / 100.0);
    return buf;
}

std::string DroppedNote(const Snapshot &s)
{
    if (!s.Lost.Any())
        return "";
    return "qvlctl: " + DroppedText(s.Lost) + " not shown: the driver names more than qvlctl can hold\n";
}

std::string ShowText(const ShowItem &item)
{
    std::vector<Row> rows;
    for (const auto &[label, value] : item.Rows)
        rows.push_back({LineText(label), LineText(value)});
    const std::vector<size_t> width = ColumnWidths(rows);
    // A value is printed whole, as the panel shows it, trailing blanks and all.
    std::string out = LineText(item.Title) + "\n";
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
        out += LineText(c.Info.Name) + "  " + LineText(c.Info.Product) +
               (c.Info.Manufacturer.empty() ? "" : " (" + LineText(c.Info.Manufacturer) + ")") + "\n";
        for (const ChannelView &h : c.Channels) {
            out += "  " + LineText(h.Info.Name) + "\n";
            std::vector<Row> rows;
            for (int i : h.Disks) {
                const DiskView &d = s.Disks[i];
                rows.push_back({d.Location, IdText(d.Info.Id), OrDash(d.Info.ModelStr), LineText(d.Info.CapacityStr),
                                LineText(d.Info.TypeStr), LineText(d.Info.StatusStr),
                                d.Info.ArrayName.empty() ? "-" : "array " + LineText(d.Info.ArrayName)});
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
        for (const std::string &m : a.Members) {
            if (!members.empty())
                members += ',';
            members += LineText(m);
        }
        rows.push_back({std::string(2 * a.Depth, ' ') + OrDash(a.Info.Name), IdText(a.Info.Id),
                        LineText(a.Info.TypeStr), LineText(a.Info.CapacityStr), LineText(a.Info.StatusStr),
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

} // namespace ctl
