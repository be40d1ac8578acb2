#include "snapshot.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "qvlclient.h"
#include "systemUnit.h"

namespace ctl {

namespace {

// More than the driver can report; a longer walk can only be a loop in hostile data.
constexpr size_t MaxArrays = 256;

void Classify(ArrayView &a)
{
    const uint32_t f = a.Info.StatusFlags;
    a.Failed = (f & (QVL_ARRAY_DISABLED | QVL_ARRAY_NOT_AVAILABLE)) != 0;
    // A mirror under rebuild still lacks its copy; the flag clears only when the rebuild is done.
    a.Degraded = !a.Failed && (f & (QVL_ARRAY_BROKEN | QVL_ARRAY_NEED_REBUILD)) != 0;
    if (f & QVL_ARRAY_INITIALIZING)
        a.Task = "initializing";
    else if ((f & QVL_ARRAY_NEED_REBUILD) && (f & QVL_ARRAY_REBUILDING))
        a.Task = "rebuilding";
    else if (f & QVL_ARRAY_REBUILDING)
        a.Task = "duplicating";
    else if (f & QVL_ARRAY_VERIFYING)
        a.Task = "verifying";
    if (a.Failed)
        a.Task.clear();
}

// Adds the array and, depth first, the arrays among its members.
void AddArray(uint32_t handle, DeviceId id, int depth, Snapshot &s, std::set<DeviceId> &seen)
{
    if (!IsValidId(id) || seen.count(id))
        return;
    seen.insert(id);
    if (s.Arrays.size() >= MaxArrays) {
        _Arrayinfo lost;
        s.Lost.Arrays += ReadArrayTexts(handle, id, lost); // a disk of the top list is no array
        return;
    }
    ArrayView a;
    if (!ReadArrayTexts(handle, id, a.Info))
        return;
    a.Depth = depth;
    a.Bytes = static_cast<uint64_t>(static_cast<uint32_t>(a.Info.Capacity)) * 512;
    Classify(a);
    std::vector<DeviceId> nested;
    for (int m = 0; m < a.Info.MemberCount && m < QVL_MAX_MEMBERS; ++m) {
        const DeviceId member = a.Info.Members[m];
        if (const DiskView *disk = s.FindDisk(member)) {
            a.Members.push_back(disk->Location);
            continue;
        }
        _Arrayinfo sub;
        if (ReadArrayTexts(handle, member, sub)) {
            a.Members.push_back(sub.Name.empty() ? IdText(member) : sub.Name);
            nested.push_back(member);
        } else {
            a.Members.push_back(IdText(member)); // a member the driver no longer reports
        }
    }
    s.Arrays.push_back(std::move(a));
    for (DeviceId member : nested)
        AddArray(handle, member, depth + 1, s, seen);
}

} // namespace

std::string DiskLocation(const _PhyDeviceinfo &info)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "Controller%d-Channel%d-Device%d", info.Controller + 1, info.Channel + 1,
                  info.Position + 1);
    return buf;
}

std::string IdText(DeviceId id)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(id));
    return buf;
}

const DiskView *Snapshot::FindDisk(DeviceId id) const
{
    for (const DiskView &d : Disks)
        if (d.Info.Id == id)
            return &d;
    return nullptr;
}

const ArrayView *Snapshot::FindArray(DeviceId id) const
{
    for (const ArrayView &a : Arrays)
        if (a.Info.Id == id)
            return &a;
    return nullptr;
}

namespace {

DiskView MakeDiskView(const TDevice &device)
{
    DiskView d;
    d.Info = device.Info;
    d.Location = DiskLocation(d.Info);
    d.Bytes = static_cast<uint64_t>(static_cast<uint32_t>(d.Info.Capacity)) * 512;
    d.Failed = (d.Info.StatusFlags & QVL_DISK_DISABLED) != 0;
    d.Spare = (d.Info.StatusFlags & QVL_DISK_SPARE) != 0;
    d.Attention = (d.Info.StatusClass & StatusClassAttention) != 0;
    return d;
}

// Controllers, their channels and the channels' disks, in the tree's order.
void AddTree(const TRAIDSystem &system, Snapshot &s)
{
    for (int p = 0; p < system.ControllerCount(); ++p) {
        const TController *controller = system.Controllers[p];
        ControllerView cv;
        cv.Info = controller->Info;
        for (int j = 0; j < controller->ChildCount(); ++j) {
            const TChannel *channel = controller->Child(j);
            ChannelView hv;
            hv.Info = channel->Info;
            for (int k = 0; k < channel->ChildCount(); ++k) {
                hv.Disks.push_back(static_cast<int>(s.Disks.size()));
                s.Disks.push_back(MakeDiskView(*channel->Child(k)));
            }
            cv.Channels.push_back(std::move(hv));
        }
        s.Controllers.push_back(std::move(cv));
    }
}

// Top-level arrays as the driver lists them, then any array a disk names as its parent (a
// dedicated spare's array, an array the list left out), outermost first.
void AddArrays(uint32_t handle, Snapshot &s)
{
    std::set<DeviceId> seen;
    // Room for more than the snapshot keeps, so that arrays past it are counted, not missed.
    std::vector<DeviceId> top(4 * MaxArrays);
    const int32_t n = cs_qvl_get_logical_devices(handle, top.data(), static_cast<uint32_t>(top.size()));
    for (int32_t i = 0; i < n && i < static_cast<int32_t>(top.size()); ++i)
        AddArray(handle, top[i], 0, s, seen);
    for (const DiskView &d : s.Disks) {
        std::vector<DeviceId> chain;
        WalkArrayParents(handle, d.Info.Parent, [&](DeviceId id, const _Arrayinfo &) { chain.push_back(id); });
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            AddArray(handle, *it, static_cast<int>(chain.rend() - it) - 1, s, seen);
    }
}

// What the driver names beyond the model's tables: controllers past MaxControllers, channels past
// a controller's 16 children or the channel table, devices past the device table or on channels
// the tree could not take. Objects that could not be read are not counted here.
void CountDropped(const TRAIDSystem &system, const Snapshot &s, Dropped &lost)
{
    const long controllers = cs_qvl_get_controller_count(system.Handle);
    lost.Controllers = std::max(0L, controllers - std::max(0, system.Controllers.Capacity()));
    long named = 0, room = 0, ids = 0, shown = 0;
    for (const ControllerView &c : s.Controllers) {
        named += std::max(0, c.Info.ChannelCount);
        room += std::min(std::max(0, c.Info.ChannelCount), TController::MaxChannels);
        for (const ChannelView &h : c.Channels)
            shown += static_cast<long>(h.Disks.size());
    }
    lost.Channels = named - room + std::max(0L, room - system.Channels.Capacity());
    for (int c = 0; c < system.ChannelCount(); ++c)
        ids += IsValidId(system.Channels[c]->Info.Master) + IsValidId(system.Channels[c]->Info.Slave);
    lost.Devices = std::max(0L, ids - system.Devices.Capacity()) + std::max(0L, system.DeviceCount() - shown);
}

} // namespace

std::string DroppedText(const Dropped &lost)
{
    std::string text;
    auto add = [&](long n, const char *noun) {
        if (n > 0)
            text += (text.empty() ? "" : ", ") + std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
    };
    add(lost.Controllers, "controller");
    add(lost.Channels, "channel");
    add(lost.Devices, "device");
    add(lost.Arrays, "array");
    return text;
}

Snapshot TakeSnapshot(const TRAIDSystem &system)
{
    Snapshot s;
    AddTree(system, s);
    AddArrays(system.Handle, s);
    CountDropped(system, s, s.Lost);
    return s;
}

} // namespace ctl
