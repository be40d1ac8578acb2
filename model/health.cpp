#include "health.h"

#include <set>

#include "systemUnit.h"

namespace {

// The disk's place as the driver's event texts name it.
std::string DiskPlace(const _PhyDeviceinfo &info)
{
    return "Controller" + std::to_string(info.Controller + 1) + "-Channel" + std::to_string(info.Channel + 1) +
           "-Device" + std::to_string(info.Position + 1);
}

// Array states that leave the data without its full redundancy, worst first. A rebuild,
// verification or duplication alone is work in progress, not a fault.
HealthLevel ArrayLevel(uint32_t flags)
{
    if (flags & (QVL_ARRAY_DISABLED | QVL_ARRAY_BROKEN))
        return HealthLevel::Failed;
    if (flags & (QVL_ARRAY_NEED_REBUILD | QVL_ARRAY_NOT_AVAILABLE))
        return HealthLevel::Degraded;
    return HealthLevel::Good;
}

void Consider(SystemHealth &health, HealthLevel level, const std::string &text)
{
    if (level > health.Level) {
        health.Level = level;
        health.Worst = text;
    }
}

} // namespace

SystemHealth JudgeHealth(const TRAIDSystem &system)
{
    SystemHealth health;
    // Disks first: of equally bad items the disk is named, being what is to be replaced.
    for (int i = 0; i < system.DeviceCount(); ++i)
        if (const TDevice *device = system.Devices[i]; device && (device->Info.StatusFlags & QVL_DISK_DISABLED))
            Consider(health, HealthLevel::Failed, "Disk at " + DiskPlace(device->Info) + " failed.");
    // Every array up each disk's chain, each judged once.
    std::set<DeviceId> arraysSeen;
    for (int i = 0; i < system.DeviceCount(); ++i) {
        const TDevice *device = system.Devices[i];
        if (!device)
            continue;
        WalkArrayParents(system.Handle, device->Info.Parent, arraysSeen, [&](DeviceId, const _Arrayinfo &array) {
            const HealthLevel level = ArrayLevel(array.StatusFlags);
            if (level != HealthLevel::Good)
                Consider(health, level, "Array '" + array.Name + "' status: " + array.StatusStr + ".");
        });
    }
    return health;
}
