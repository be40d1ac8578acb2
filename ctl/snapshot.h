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
    bool Degraded = false; // broken, or waiting for a rebuild
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

struct Snapshot {
    std::vector<ControllerView> Controllers;
    std::vector<DiskView> Disks;
    std::vector<ArrayView> Arrays;

    const DiskView *FindDisk(DeviceId id) const;
    const ArrayView *FindArray(DeviceId id) const;
};

Snapshot TakeSnapshot(const TRAIDSystem &system);

std::string DiskLocation(const _PhyDeviceinfo &info);
// "0x115": identifiers as qvlsim and the README write them.
std::string IdText(DeviceId id);

} // namespace ctl

#endif
