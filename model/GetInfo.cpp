#include "GetInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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
    static const char *const sizes[] = {"2k",   "4k",   "8k",   "16k",   "32k",  "64k",
                                        "128k", "256k", "512k", "1024k", "2048k"};
    return code >= 2 && code <= 12 ? sizes[code - 2] : "2048k";
}

const char *ChipName(int code)
{
    static const char *const chips[] = {"QC-2602", "QC-2604", "QC-3602", "QC-3604", "QC-3608", "QC-4608"};
    if (code >= 1 && code <= 6)
        return chips[code - 1];
    return code == 0x80 ? "THIRD PARTY" : nullptr;
}

std::string TransferModeText(uint8_t mode)
{
    static const char *const fast[] = {"ATA/16", "ATA/25",  "ATA/33",  "ATA/44",
                                       "ATA/66", "ATA/100", "ATA/133", "ATA/150"};
    // Appended, not prefixed: gcc 12 warns falsely (-Wrestrict) on an inlined prefix insert.
    if (mode <= 4)
        return std::string("PIO ").append(std::to_string(mode));
    if (mode <= 7)
        return std::string("MW DMA Mode ").append(std::to_string(mode - 5));
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
    return cs_qvl_get_device_info(handle, id, &rec) == 0 && (rec.kind == QVL_KIND_ARRAY || rec.kind == QVL_KIND_DISK);
}

} // namespace

bool IsValidId(DeviceId id) { return id != 0 && id != 0xFFFFFFFFu; }

std::string HexText(uint32_t value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%Xh", static_cast<unsigned>(value));
    return buf;
}

std::string FieldText(const char *field, size_t size) { return std::string(field, qvl_field_length(field, size)); }

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

namespace {

// Member identifiers up to the first invalid one, which is still copied; the count is the
// valid ones before it.
void CopyMembers(const ArrayInfo &a, _Arrayinfo &info)
{
    info.MemberCount = 0;
    std::fill(std::begin(info.Members), std::end(info.Members), 0u);
    for (int i = 0; i < QVL_MAX_MEMBERS; ++i) {
        info.Members[i] = a.members[i];
        if (!IsValidId(a.members[i]))
            break;
        ++info.MemberCount;
    }
}

// Member 0 decides the two-level types and the controller of the first disk; a failed read
// leaves both undecided.
struct FirstMember {
    bool Read = false;
    bool IsArray = false;
    DeviceInfo Record;
};

FirstMember ReadFirstMember(uint32_t handle, const ArrayInfo &a)
{
    FirstMember first;
    first.Read = IsValidId(a.members[0]) && ReadAny(handle, a.members[0], first.Record);
    first.IsArray = first.Read && first.Record.kind == QVL_KIND_ARRAY;
    return first;
}

// The level text, and the block size of the levels that stripe; over arrays a RAID 0 is a
// RAID 1/0 and a RAID 1 a RAID 0/1.
void LevelTexts(uint8_t blockSizeCode, bool overArrays, _Arrayinfo &info)
{
    info.BlockSizeStr.clear();
    switch (info.RaidType) {
    case QVL_RAID0:
        info.TypeStr = "RAID 0";
        if (overArrays) {
            info.TypeStr = "RAID 1/0";
            info.RaidType = RaidType10;
        }
        info.BlockSizeStr = BlockSizeText(blockSizeCode);
        break;
    case QVL_RAID1:
        info.TypeStr = "RAID 1";
        if (overArrays) {
            info.TypeStr = "RAID 0/1";
            info.RaidType = RaidType01;
            info.BlockSizeStr = BlockSizeText(blockSizeCode);
        }
        break;
    case QVL_RAID5:
        info.TypeStr = "RAID 5";
        info.BlockSizeStr = BlockSizeText(blockSizeCode);
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
}

// The controller of the array's first disk, one nesting level down when member 0 is an array;
// -1 when that disk was not read.
int FirstDiskController(uint32_t handle, const FirstMember &first)
{
    if (!first.IsArray)
        return first.Read ? first.Record.u.disk.controller : -1;
    DeviceInfo disk;
    std::memset(&disk, 0, sizeof disk);
    const DeviceId inner = first.Record.u.array.members[0];
    if (IsValidId(inner) && cs_qvl_get_device_info(handle, inner, &disk) == 0)
        return disk.u.disk.controller;
    return -1;
}

// The flags the status text is made from: a broken array is not also waiting for a rebuild, and
// a disabled one is disabled only.
uint32_t ShownArrayFlags(uint32_t flags)
{
    if ((flags & QVL_ARRAY_NEED_REBUILD) && (flags & QVL_ARRAY_BROKEN))
        flags &= ~QVL_ARRAY_NEED_REBUILD;
    return (flags & QVL_ARRAY_DISABLED) ? QVL_ARRAY_DISABLED : flags;
}

} // namespace

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
    CopyMembers(a, info);

    const FirstMember first = ReadFirstMember(handle, a);
    LevelTexts(a.blockSizeCode, first.IsArray, info);
    info.FirstDiskController = FirstDiskController(handle, first);

    info.Capacity = static_cast<int>(rec.capacity);
    info.CapacityStr = CapacityText(rec.capacity);
    info.StatusFlags = ShownArrayFlags(a.status);
    info.StatusClass = StatusText(1, info.Parent, info.StatusFlags, info.StatusStr);
    info.CreatorStr.clear();
    info.CreateTimeStr.clear();
    info.SecondStr = FieldText(a.secondText, sizeof a.secondText);
    return true;
}

void WalkArrayParents(uint32_t handle, DeviceId first, std::set<DeviceId> &seen, const ArrayVisitor &visit)
{
    _Arrayinfo array;
    DeviceId id = first;
    for (int depth = 0; depth < MaxArrayChain && IsValidId(id) && seen.insert(id).second; ++depth) {
        if (!ReadArrayTexts(handle, id, array))
            return;
        visit(id, array);
        id = array.Parent;
    }
}

void WalkArrayParents(uint32_t handle, DeviceId first, const ArrayVisitor &visit)
{
    std::set<DeviceId> seen;
    WalkArrayParents(handle, first, seen, visit);
}

namespace {

const char *PositionText(int position) { return position == 0 ? "Master" : position == 1 ? "Slave" : "Unknown"; }

const char *DeviceTypeText(int type)
{
    switch (type) {
    case QVL_DEVTYPE_HDD:
        return "Hard Disk";
    case QVL_DEVTYPE_CDROM:
        return "CD_ROM";
    case QVL_DEVTYPE_TAPE:
        return "Tape";
    default:
        return "Unknown";
    }
}

// Where the disk sits, and what it is.
void PlaceTexts(const DiskInfo &d, _PhyDeviceinfo &info)
{
    info.Controller = d.controller;
    info.ControllerStr = "Controller " + std::to_string(d.controller + 1);
    info.Position = d.position;
    info.PositionStr = PositionText(d.position);
    info.DeviceType = d.deviceType;
    info.TypeStr = DeviceTypeText(d.deviceType);
    info.Channel = d.channel;
    info.ChannelStr = std::to_string(d.channel + 1);
    info.Name = info.ModelStr;
    info.LocationStr = info.ControllerStr + ", Channel " + info.ChannelStr + ", " + info.PositionStr;
}

} // namespace

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
    PlaceTexts(d, info);

    const bool cdRom = d.deviceType == QVL_DEVTYPE_CDROM;
    info.Capacity = cdRom ? 0 : static_cast<int>(rec.capacity);
    info.CapacityStr = cdRom ? "N/A" : CapacityText(rec.capacity);
    info.Id = id;
    info.IdStr = HexText(id);
    info.StatusFlags = d.status;
    info.StatusClass = StatusText(2, info.Parent, d.status, info.StatusStr);
    info.TransferModeStr = TransferModeText(d.transferMode);

    // The topmost array that can be read.
    info.ArrayName.clear();
    WalkArrayParents(handle, info.Parent, [&](DeviceId, const _Arrayinfo &array) { info.ArrayName = array.Name; });
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
        if (cs_qvl_get_channel_info(handle, static_cast<uint32_t>(controller), static_cast<uint32_t>(j), &ch) == 0) {
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
    if (cs_qvl_get_channel_info(handle, static_cast<uint32_t>(controller), static_cast<uint32_t>(channel), &rec) != 0)
        return false;
    info.Name = "Channel " + std::to_string(channel + 1);
    info.IoPortStr = PortText(rec.ioPort);
    info.ControlPortStr = PortText(rec.controlPort);
    info.Master = rec.master;
    info.Slave = rec.slave;
    info.DeviceCount = (IsValidId(rec.master) ? 1 : 0) + (IsValidId(rec.slave) ? 1 : 0);
    return true;
}
