// One reading of the whole system, in the console's tree order, plus the arrays: what list,
// arrays, check, metrics and watch work from. Taken from a TRAIDSystem right after it
// enumerated, so every text is the console's own.
#ifndef QVL_CTL_SNAPSHOT_H
#define QVL_CTL_SNAPSHOT_H

#include <cstdint>
#include <string>
#include <vector>

#include "GetInfo.h"

class TRAIDSystem;

namespace ctl {

struct DiskView {
    _PhyDeviceinfo Info;
    std::string Location; // Controller1-Channel1-Device1, as the event texts write it
    uint64_t Bytes = 0;
    bool Failed = false;
    bool Spare = false;
    bool Attention = false;
};

struct ArrayView {
    _Arrayinfo Info;
    std::vector<std::string> Members; // disks by location, arrays by name (or identifier)
    std::string Task;                 // rebuilding, duplicating, verifying, initializing or empty
    uint64_t Bytes = 0;
    bool Failed = false;   // disabled or not available
    bool Degraded = false; // broken, or needing or running a rebuild: no redundancy until it ends
    int Depth = 0;         // 0 for a top-level array
};

struct ChannelView {
    _ChannelInfo Info;
    std::vector<int> Disks; // positions in Snapshot::Disks
};

struct ControllerView {
    _ControllerInfo Info;
    std::vector<ChannelView> Channels;
};

// Objects the driver names that the model's tables (or the snapshot's) cannot hold.
struct Dropped {
    long Controllers = 0, Channels = 0, Devices = 0, Arrays = 0;
    bool Any() const { return Controllers || Channels || Devices || Arrays; }
};

struct Snapshot {
    std::vector<ControllerView> Controllers;
    std::vector<DiskView> Disks;
    std::vector<ArrayView> Arrays;
    Dropped Lost;

    const DiskView *FindDisk(DeviceId id) const;
    const ArrayView *FindArray(DeviceId id) const;
};

Snapshot TakeSnapshot(const TRAIDSystem &system);

// "12 channels, 1 array" (what was dropped), or empty.
std::string DroppedText(const Dropped &lost);

std::string DiskLocation(const _PhyDeviceinfo &info);
// "0x115": identifiers as qvlsim and the README write them.
std::string IdText(DeviceId id);

} // namespace ctl

#endif
