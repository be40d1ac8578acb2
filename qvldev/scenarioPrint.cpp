// The printer of scenario text: one function per item, mirroring the parser, each writing
// every word the parser takes for that item, so that parsing the text gives the same system.
#include "scenario.h"

#include <cstdio>
#include <cstring>

#include "scenarioWords.h"

namespace qvlsim {
namespace {

using scenario::hex;

void appendText(std::string &out, const char *key, const char *field, size_t size, char pad)
{
    size_t n = size;
    while (n > 0 && field[n - 1] == pad)
        --n;
    out += ' ';
    out += key;
    out += "=\"";
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

void appendNumber(std::string &out, const char *key, uint32_t v, bool asHex = false)
{
    out += ' ';
    out += key;
    out += '=';
    out += asHex ? hex(v) : std::to_string(v);
}

void appendList(std::string &out, const char *key, const uint8_t *v, uint32_t n, bool asHex)
{
    if (n == 0)
        return;
    out += ' ';
    out += key;
    out += '=';
    for (uint32_t i = 0; i < n; ++i) {
        if (i)
            out += ',';
        out += asHex ? hex(v[i]) : std::to_string(v[i]);
    }
}

void appendFail(std::string &out, uint8_t hasFail, int32_t code)
{
    if (hasFail)
        out += " fail=" + std::to_string(code);
}

void printCapabilities(std::string &out, const SimState &s)
{
    const DriverCapabilities &c = s.caps;
    out += "capabilities version=" + hex(static_cast<uint32_t>(s.version));
    appendNumber(out, "max_controllers", c.maxControllers);
    appendNumber(out, "features", c.features, true);
    appendNumber(out, "flag_a", c.flagA);
    appendNumber(out, "value_c", c.valueC);
    appendNumber(out, "value_d", c.valueD);
    appendNumber(out, "flag_b", c.flagB);
    appendNumber(out, "value_e", c.valueE);
    appendList(out, "types", c.typeCodes, s.typeCount, true);
    appendList(out, "limits", c.typeLimits, s.limitCount, false);
    out += '\n';
}

void printController(std::string &out, const SimController &k)
{
    out += "controller";
    appendNumber(out, "chip", k.chipCode);
    appendNumber(out, "irq", k.irq);
    appendNumber(out, "channels", k.channelCount);
    appendText(out, "product", k.product, sizeof k.product, '\0');
    appendText(out, "manufacturer", k.manufacturer, sizeof k.manufacturer, '\0');
    appendFail(out, k.hasFail, k.fail);
    out += '\n';
}

void printChannel(std::string &out, uint32_t i, uint32_t h, const SimChannel &ch)
{
    out += "channel";
    appendNumber(out, "controller", i);
    appendNumber(out, "index", h);
    appendNumber(out, "io", ch.ioPort, true);
    appendNumber(out, "control", ch.controlPort, true);
    appendFail(out, ch.hasFail, ch.fail);
    out += '\n';
}

void printDisk(std::string &out, const SimDisk &d)
{
    out += "disk";
    appendNumber(out, "id", d.id, true);
    appendNumber(out, "controller", d.controller);
    appendNumber(out, "channel", d.channel);
    appendNumber(out, "position", d.position);
    switch (d.deviceType) {
    case QVL_DEVTYPE_HDD:
        out += " type=hdd";
        break;
    case QVL_DEVTYPE_CDROM:
        out += " type=cdrom";
        break;
    case QVL_DEVTYPE_TAPE:
        out += " type=tape";
        break;
    default:
        appendNumber(out, "type", d.deviceType);
        break;
    }
    appendNumber(out, "capacity", d.capacity);
    appendNumber(out, "mode", d.transferMode);
    appendText(out, "model", d.model, sizeof d.model, ' ');
    appendText(out, "revision", d.revision, sizeof d.revision, '\0');
    const uint32_t named = QVL_DISK_BOOTABLE | QVL_DISK_IN_RACK | QVL_DISK_SPARE | QVL_DISK_DISABLED;
    if (d.status & ~named)
        appendNumber(out, "status", d.status & ~named, true);
    if (d.status & QVL_DISK_BOOTABLE)
        out += " bootable=1";
    if (d.status & QVL_DISK_IN_RACK)
        out += " rack=1";
    if (d.status & QVL_DISK_SPARE)
        out += " spare=1";
    if (d.status & QVL_DISK_DISABLED)
        out += " disabled=1";
    if (d.busy)
        out += " busy=1";
    if (d.pending)
        out += " pending=1";
    if (d.parentSet)
        appendNumber(out, "parent", d.parent, true);
    appendFail(out, d.hasFail, d.fail);
    out += '\n';
}

void printArray(std::string &out, const SimArray &a)
{
    out += "array";
    appendNumber(out, "id", a.id, true);
    appendText(out, "name", a.name, sizeof a.name, '\0');
    uint32_t status = a.status;
    switch (a.raidType) {
    case QVL_RAID0:
        out += " level=0";
        break;
    case QVL_RAID1:
        if (status & QVL_ARRAY_RAID15) {
            out += " level=1.5";
            status &= ~QVL_ARRAY_RAID15;
        } else {
            out += " level=1";
        }
        break;
    case QVL_RAID5:
        out += " level=5";
        break;
    case QVL_JBOD:
        out += " level=jbod";
        break;
    default:
        appendNumber(out, "raid_code", a.raidType);
        break;
    }
    appendNumber(out, "block", a.blockSizeCode);
    if (status)
        appendNumber(out, "status", status, true);
    if (a.memberCount) {
        out += " members=";
        for (uint32_t m = 0; m < a.memberCount; ++m) {
            if (m)
                out += ',';
            out += hex(a.members[m]);
        }
    }
    appendNumber(out, "progress", a.progress);
    bool hasText = false;
    for (char ch : a.text)
        hasText = hasText || ch != '\0';
    if (hasText)
        appendText(out, "text", a.text, sizeof a.text, '\0');
    appendNumber(out, "capacity", a.capacity);
    if (a.parentSet)
        appendNumber(out, "parent", a.parent, true);
    appendFail(out, a.hasFail, a.fail);
    out += '\n';
}

} // namespace

std::string printScenario(const SimState &s)
{
    std::string out = "# Quorvel simulated RAID system\n";
    if (s.recovered[0] != '\0')
        out += "# " + std::string(s.recovered, strnlen(s.recovered, sizeof s.recovered)) + "\n";
    printCapabilities(out, s);
    for (uint32_t i = 0; i < s.controllerCount; ++i) {
        const SimController &k = s.controllers[i];
        printController(out, k);
        for (uint32_t h = 0; h < k.channelCount; ++h)
            if (k.channels[h].described)
                printChannel(out, i, h, k.channels[h]);
    }
    for (uint32_t i = 0; i < s.diskCount; ++i)
        printDisk(out, s.disks[i]);
    for (uint32_t i = 0; i < s.arrayCount; ++i)
        printArray(out, s.arrays[i]);
    return out;
}

} // namespace qvlsim
