#include "GetInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "qvlclient.h"

namespace {

void AddWord(std::string &text, const char *word)
{
    if (!text.empty())
        text += ',';
    text += word;
}

std::string PortText(uint32_t port) { return port == 0 ? "N/A" : HexText(port); }

const char *BlockSizeText(uint8_t code)
{
    static const char *const sizes[] = {"2k", "4k", "8k", "16k", "32k", "64k",
                                        "128k", "256k", "512k", "1024k", "2048k"};
    return code >= 2 && code <= 12 ? sizes[code - 2] : "2048k";
}

const char *ChipName(int code)
{
    static const char *const chips[] = {"QC-2602", "QC-2604", "QC-3602",
                                        "QC-3604", "QC-3608", "QC-4608"};
    if (code >= 1 && code <= 6)
        return chips[code - 1];
    return code == 0x80 ? "THIRD PARTY" : nullptr;
}

std::string TransferModeText(uint8_t mode)
{
    static const char *const fast[] = {"ATA/16", "ATA/25", "ATA/33",  "ATA/44",
                                       "ATA/66", "ATA/100", "ATA/133", "ATA/150"};
    if (mode <= 4)
        return "PIO " + std::to_string(mode);
    if (mode <= 7)
        return "MW DMA Mode " + std::to_string(mode - 5);
    if (mode <= 15)
        return fast[mode - 8];
    return "Unknown";
}

// A DeviceInfo read that also checks the kind byte; anything else is no record at all.
bool ReadRecord(uint32_t handle, DeviceId id, DeviceInfo &rec, int kind)
{
    std::memset(&rec, 0, sizeof rec);
    return cs_qvl_get_device_info(handle, id, &rec) == 0 && rec.kind == kind;
}

bool ReadAny(uint32_t handle, DeviceId id, DeviceInfo &rec)
{
    std::memset(&rec, 0, sizeof rec);
    return cs_qvl_get_device_info(handle, id, &rec) == 0 &&
           (rec.kind == QVL_KIND_ARRAY || rec.kind == QVL_KIND_DISK);
}

} // namespace

bool IsValidId(DeviceId id) { return id != 0 && id != 0xFFFFFFFFu; }

std::string HexText(uint32_t value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%Xh", static_cast<unsigned>(value));
    return buf;
}

std::string FieldText(const char *field, size_t size)
{
    return std::string(field, qvl_field_length(field, size));
}

std::string Trimmed(const std::string &s)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string CapacityText(uint32_t sectors)
{
    // Truncated at each step, in unsigned 32-bit arithmetic: hundredths of 10^9 bytes.
    uint32_t q = sectors / 2000u * 1024u / 10000u;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*.*f GB", 8, 2, q / 100.0);
    return Trimmed(buf);
}

int StatusText(int kind, DeviceId parent, uint32_t flags, std::string &text)
{
    text.clear();
    int cls = 0;
    if (kind == 1) {
        if (flags & QVL_ARRAY_DISABLED) {
            text = "Disabled";
            return StatusClassDisabled;
        }
        if (flags & QVL_ARRAY_BOOTABLE) {
            AddWord(text, "Bootable");
            cls |= StatusClassBootable;
        }
        const bool need = flags & QVL_ARRAY_NEED_REBUILD, running = flags & QVL_ARRAY_REBUILDING;
        const char *task = nullptr;
        if (flags & QVL_ARRAY_BROKEN)
            task = "Broken";
        else if (flags & QVL_ARRAY_INITIALIZING)
            task = "Initializing";
        else if (need && !running)
            task = "Need rebuilding";
        else if (need && running)
            task = "Rebuilding";
        else if (running)
            task = "Duplicating";
        if (task) {
            AddWord(text, task);
            return cls | StatusClassAttention;
        }
        if (flags & QVL_ARRAY_VERIFYING) {
            AddWord(text, "Verifying");
            cls |= StatusClassAttention;
        }
        if (cls == 0) {
            text = (flags & QVL_ARRAY_NOT_AVAILABLE) ? "Not available" : "Available";
            return 0;
        }
    } else if (kind == 2) {
        if (flags & QVL_DISK_DISABLED) {
            AddWord(text, "Disabled");
            cls |= StatusClassDisabled;
        }
        if (flags & QVL_DISK_BOOTABLE) {
            AddWord(text, "Bootable");
            cls |= StatusClassBootable;
        }
        if (flags & QVL_DISK_SPARE) {
            AddWord(text, IsValidId(parent) ? "Dedicated spare" : "Spare");
            cls |= StatusClassSpare;
        }
        if (cls == 0)
            text = "Available";
    } else {
        return 0;
    }
    if (text == "Bootable" || text == "Spare")
        text = "Available," + text;
    return cls;
}

bool ReadArrayTexts(uint32_t handle, DeviceId id, _Arrayinfo &info)
{
    DeviceInfo rec;
    info.FirstDiskController = -1;
    if (!ReadRecord(handle, id, rec, QVL_KIND_ARRAY))
        return false;
    const ArrayInfo &a = rec.u.array;

    info.Progress = static_cast<int>(a.progress);
    info.Parent = rec.parent;
    info.Name = FieldText(a.name, sizeof a.name);
    info.Id = id;
    info.IdStr = HexText(id);

    info.RaidType = a.raidType;
    if (info.RaidType == QVL_RAID1 && (a.status & QVL_ARRAY_RAID15))
        info.RaidType = RaidType15;

    info.MemberCount = 0;
    std::fill(std::begin(info.Members), std::end(info.Members), 0u);
    for (int i = 0; i < QVL_MAX_MEMBERS; ++i) {
        info.Members[i] = a.members[i];
        if (!IsValidId(a.members[i]))
            break;
        ++info.MemberCount;
    }

    // Member 0 decides the two-level types and the controller of the first disk; a failed
    // read leaves both undecided.
    DeviceInfo first;
    const bool firstRead = IsValidId(a.members[0]) && ReadAny(handle, a.members[0], first);
    const bool firstIsArray = firstRead && first.kind == QVL_KIND_ARRAY;

    info.BlockSizeStr.clear();
    switch (info.RaidType) {
    case QVL_RAID0:
        info.TypeStr = "RAID 0";
        if (firstIsArray) {
            info.TypeStr = "RAID 1/0";
            info.RaidType = RaidType10;
        }
        info.BlockSizeStr = BlockSizeText(a.blockSizeCode);
        break;
    case QVL_RAID1:
        info.TypeStr = "RAID 1";
        if (firstIsArray) {
            info.TypeStr = "RAID 0/1";
            info.RaidType = RaidType01;
            info.BlockSizeStr = BlockSizeText(a.blockSizeCode);
        }
        break;
    case QVL_RAID5:
        info.TypeStr = "RAID 5";
        info.BlockSizeStr = BlockSizeText(a.blockSizeCode);
        break;
    case QVL_JBOD:
        info.TypeStr = "JBOD";
        break;
    case RaidType15:
        info.TypeStr = "RAID 1.5";
        break;
    default:
        info.TypeStr = "Unknown";
        break;
    }

    if (firstIsArray) {
        DeviceInfo disk;
        std::memset(&disk, 0, sizeof disk);
        const DeviceId inner = first.u.array.members[0];
        if (IsValidId(inner) && cs_qvl_get_device_info(handle, inner, &disk) == 0)
            info.FirstDiskController = disk.u.disk.controller;
    } else if (firstRead) {
        info.FirstDiskController = first.u.disk.controller;
    }

    info.Capacity = static_cast<int>(rec.capacity);
    info.CapacityStr = CapacityText(rec.capacity);
    uint32_t flags = a.status;
    if ((flags & QVL_ARRAY_NEED_REBUILD) && (flags & QVL_ARRAY_BROKEN))
        flags &= ~QVL_ARRAY_NEED_REBUILD;
    if (flags & QVL_ARRAY_DISABLED)
        flags = QVL_ARRAY_DISABLED;
    info.StatusFlags = flags;

    info.StatusClass = StatusText(1, info.Parent, flags, info.StatusStr);
    info.CreatorStr.clear();
    info.CreateTimeStr.clear();
    info.SecondStr = FieldText(a.secondText, sizeof a.secondText);
    return true;
}

bool ReadDeviceTexts(uint32_t handle, DeviceId id, _PhyDeviceinfo &info)
{
    DeviceInfo rec;
    if (!ReadRecord(handle, id, rec, QVL_KIND_DISK))
        return false;
    const DiskInfo &d = rec.u.disk;

    info.Parent = rec.parent;
    // The model field has room for 40 characters but byte 117 always ends it.
    info.ModelStr = Trimmed(FieldText(d.model, sizeof d.model - 1));
    info.ManufacturerStr.clear();
    // The revision is stored in swapped byte pairs; these four characters are what it shows.
    const char rev[4] = {d.revision[2], d.revision[0], d.revision[6], d.revision[4]};
    info.RevisionStr = Trimmed(FieldText(rev, sizeof rev));

    info.Controller = d.controller;
    info.ControllerStr = "Controller " + std::to_string(d.controller + 1);
    info.Position = d.position;
    info.PositionStr = d.position == 0 ? "Master" : d.position == 1 ? "Slave" : "Unknown";
    info.DeviceType = d.deviceType;
    switch (d.deviceType) {
    case QVL_DEVTYPE_HDD: info.TypeStr = "Hard Disk"; break;
    case QVL_DEVTYPE_CDROM: info.TypeStr = "CD_ROM"; break;
    case QVL_DEVTYPE_TAPE: info.TypeStr = "Tape"; break;
    default: info.TypeStr = "Unknown"; break;
    }
    info.Channel = d.channel;
    info.ChannelStr = std::to_string(d.channel + 1);
    info.Name = info.ModelStr;
    info.LocationStr = info.ControllerStr + ", Channel " + info.ChannelStr + ", " + info.PositionStr;

    if (d.deviceType != QVL_DEVTYPE_CDROM) {
        info.Capacity = static_cast<int>(rec.capacity);
        info.CapacityStr = CapacityText(rec.capacity);
    } else {
        info.Capacity = 0;
        info.CapacityStr = "N/A";
    }

    info.Id = id;
    info.IdStr = HexText(id);
    info.StatusFlags = d.status;
    info.StatusClass = StatusText(2, info.Parent, d.status, info.StatusStr);
    info.TransferModeStr = TransferModeText(d.transferMode);

    // The topmost array that can be read. A parent chain that comes back to an array already
    // read, or runs longer than any real nesting, is a loop: stop at the last array read.
    info.ArrayName.clear();
    if (IsValidId(info.Parent)) {
        _Arrayinfo scratch;
        std::vector<DeviceId> seen;
        DeviceId next = info.Parent;
        while (static_cast<int>(seen.size()) < MaxArrayChain && ReadArrayTexts(handle, next, scratch)) {
            info.ArrayName = scratch.Name;
            seen.push_back(next);
            next = scratch.Parent;
            if (!IsValidId(next) || std::find(seen.begin(), seen.end(), next) != seen.end())
                break;
        }
    }
    return true;
}

bool ReadControllerTexts(uint32_t handle, int controller, _ControllerInfo &info)
{
    ControllerRecord rec;
    std::memset(&rec, 0, sizeof rec);
    if (cs_qvl_get_controller_info(handle, static_cast<uint32_t>(controller), &rec) != 0)
        return false;

    info.Name = "Controller " + std::to_string(controller + 1);
    info.ChipCode = rec.chipCode;
    if (const char *chip = ChipName(rec.chipCode))
        info.ChipName = chip;
    info.ChannelCount = rec.channelCount;
    info.ChannelCountStr = std::to_string(rec.channelCount);
    info.InterruptStr = std::to_string(rec.irq);

    // The record keeps port texts for 8 channels; further channels are not read.
    const int channels = std::min<int>(rec.channelCount, ControllerInfoChannels);
    for (int j = 0; j < channels; ++j) {
        ChannelRecord ch;
        std::memset(&ch, 0, sizeof ch);
        if (cs_qvl_get_channel_info(handle, static_cast<uint32_t>(controller),
                                    static_cast<uint32_t>(j), &ch) == 0) {
            info.Channels[j].IoPortStr = PortText(ch.ioPort);
            info.Channels[j].ControlPortStr = PortText(ch.controlPort);
        }
    }
    info.Product = FieldText(rec.product, sizeof rec.product);
    info.Manufacturer = FieldText(rec.manufacturer, sizeof rec.manufacturer);
    return true;
}

bool ReadChannelTexts(uint32_t handle, int controller, int channel, _ChannelInfo &info)
{
    info.DeviceCount = 0;
    ChannelRecord rec;
    std::memset(&rec, 0, sizeof rec);
    if (cs_qvl_get_channel_info(handle, static_cast<uint32_t>(controller),
                                static_cast<uint32_t>(channel), &rec) != 0)
        return false;
    info.Name = "Channel " + std::to_string(channel + 1);
    info.IoPortStr = PortText(rec.ioPort);
    info.ControlPortStr = PortText(rec.controlPort);
    info.Master = rec.master;
    info.Slave = rec.slave;
    info.DeviceCount = (IsValidId(rec.master) ? 1 : 0) + (IsValidId(rec.slave) ? 1 : 0);
    return true;
}
