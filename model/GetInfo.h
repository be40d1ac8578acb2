// Property texts: the readers that query the client library and turn its records into the
// strings the console shows, and the helpers they share.
#ifndef QVL_GETINFO_H
#define QVL_GETINFO_H

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "qvlrecords.h"

// Status-class bits returned by StatusText; they select the marks of a device picture.
enum : int {
    StatusClassDisabled = 0x2,
    StatusClassSpare = 0x4,
    StatusClassBootable = 0x8,
    StatusClassAttention = 0x10,
};

// RAID types of the console's own beside the driver's codes.
enum : int {
    RaidType10 = 8, // RAID 0 over mirrors
    RaidType01 = 9, // RAID 1 over stripes
    RaidType15 = 10,
};

struct _Arrayinfo {
    DeviceId Id = 0;
    int RaidType = 0;
    int Capacity = 0;
    DeviceId Parent = 0;
    int StatusClass = 0;
    uint32_t StatusFlags = 0;
    int FirstDiskController = 0;
    int Progress = 0;
    uint8_t MemberCount = 0;
    DeviceId Members[QVL_MAX_MEMBERS] = {};
    std::string IdStr;
    std::string Name;
    std::string TypeStr;
    std::string CapacityStr;
    std::string StatusStr;
    std::string CreatorStr;
    std::string CreateTimeStr;
    std::string BlockSizeStr;
    std::string SecondStr;
};

struct _PhyDeviceinfo {
    DeviceId Id = 0;
    int DeviceType = 0;
    uint32_t StatusFlags = 0;
    int Controller = 0;
    int Channel = 0;
    int Position = 0;
    int Capacity = 0;
    DeviceId Parent = 0;
    int StatusClass = 0;
    std::string IdStr;
    std::string TypeStr;
    std::string Name;
    std::string ControllerStr;
    std::string ChannelStr;
    std::string PositionStr;
    std::string StatusStr;
    std::string CapacityStr;
    std::string ArrayName;
    std::string TransferModeStr;
    std::string LocationStr;
    std::string ManufacturerStr;
    std::string ModelStr;
    std::string RevisionStr;
};

struct _ChannelInfo {
    std::string Name;
    std::string IoPortStr;
    std::string ControlPortStr;
    DeviceId Master = 0;
    DeviceId Slave = 0;
    int DeviceCount = 0;
};

// Channels whose port texts a controller record keeps.
constexpr int ControllerInfoChannels = 8;

struct _ControllerInfo {
    std::string Name;
    std::string ChipName;
    int ChipCode = 0;
    std::string InterruptStr;
    std::string ChannelCountStr;
    int ChannelCount = 0;
    std::string ReservedStr;
    std::string Product;
    std::string Manufacturer;
    _ChannelInfo Channels[ControllerInfoChannels];
};

bool ReadArrayTexts(uint32_t handle, DeviceId id, _Arrayinfo &info);
bool ReadDeviceTexts(uint32_t handle, DeviceId id, _PhyDeviceinfo &info);
bool ReadControllerTexts(uint32_t handle, int controller, _ControllerInfo &info);
bool ReadChannelTexts(uint32_t handle, int controller, int channel, _ChannelInfo &info);

// kind 1 array, 2 physical device; returns the status-class bits. The text is cleared first.
int StatusText(int kind, DeviceId parent, uint32_t flags, std::string &text);
// Sectors as gigabytes of 10^9 bytes with two decimals, e.g. "40.01 GB".
std::string CapacityText(uint32_t sectors);
bool IsValidId(DeviceId id);

// "%xh" with upper-case digits: 0x1F0 gives "1F0h".
std::string HexText(uint32_t value);
// A text field read up to its first zero byte or its end, never beyond.
std::string FieldText(const char *field, size_t size);
// Blanks and control characters cut from both ends.
std::string Trimmed(const std::string &s);

// Longest parent chain a walk up the arrays follows; a longer one can only be a loop.
constexpr int MaxArrayChain = 64;

using ArrayVisitor = std::function<void(DeviceId id, const _Arrayinfo &array)>;
// Walks up from `first` through the parents of arrays, reading each with ReadArrayTexts and
// handing it to `visit`, the innermost first. The walk ends at an invalid identifier, at a read
// that fails, at an array already in `seen` and after MaxArrayChain arrays, so a loop in the
// parent links ends; every array asked for goes into `seen`.
void WalkArrayParents(uint32_t handle, DeviceId first, std::set<DeviceId> &seen, const ArrayVisitor &visit);
// The same walk for one chain on its own.
void WalkArrayParents(uint32_t handle, DeviceId first, const ArrayVisitor &visit);

#endif
