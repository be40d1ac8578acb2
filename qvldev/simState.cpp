#include "simState.h"

#include <cstring>

namespace qvlsim {

void initEmpty(SimState &s)
{
    std::memset(&s, 0, sizeof s);
    s.magic = kMagic;
    s.layoutVersion = kLayoutVersion;
    s.size = sizeof(SimState);
    s.version = 1;
    s.caps.size = sizeof(DriverCapabilities);
    s.caps.maxControllers = 4;
    s.caps.features = QVL_FEATURE_HOT_SWAP;
    s.nextId = 0x100;
}

SimDisk *findDisk(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.diskCount; ++i)
        if (s.disks[i].id == id) return &s.disks[i];
    return nullptr;
}

SimArray *findArray(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.arrayCount; ++i)
        if (s.arrays[i].id == id) return &s.arrays[i];
    return nullptr;
}

SimRawDevice *findRawDevice(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.rawDeviceCount; ++i)
        if (s.rawDevices[i].id == id) return &s.rawDevices[i];
    return nullptr;
}

SimArray *listingArray(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.arrayCount; ++i) {
        SimArray &a = s.arrays[i];
        for (uint32_t m = 0; m < a.memberCount; ++m)
            if (a.members[m] == id) return &a;
    }
    return nullptr;
}

DeviceId effectiveParent(SimState &s, DeviceId id, uint8_t parentSet, DeviceId parent)
{
    if (parentSet) return parent;
    SimArray *a = listingArray(s, id);
    return a ? a->id : QVL_NO_DEVICE;
}

void dropMember(SimArray &a, DeviceId id)
{
    uint32_t k = 0;
    for (uint32_t m = 0; m < a.memberCount; ++m)
        if (a.members[m] != id) a.members[k++] = a.members[m];
    for (uint32_t m = k; m < QVL_MAX_MEMBERS; ++m) a.members[m] = 0;
    a.memberCount = static_cast<uint8_t>(k);
}

bool eraseDisk(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.diskCount; ++i)
        if (s.disks[i].id == id) {
            std::memmove(&s.disks[i], &s.disks[i + 1], (s.diskCount - i - 1) * sizeof(SimDisk));
            --s.diskCount;
            std::memset(&s.disks[s.diskCount], 0, sizeof(SimDisk));
            return true;
        }
    return false;
}

DeviceId freshId(SimState &s)
{
    DeviceId id = s.nextId;
    for (uint32_t i = 0; i < s.diskCount; ++i)
        if (s.disks[i].id >= id) id = s.disks[i].id + 1;
    for (uint32_t i = 0; i < s.arrayCount; ++i)
        if (s.arrays[i].id >= id) id = s.arrays[i].id + 1;
    // Past the top of the range, look for a gap from the bottom.
    for (DeviceId probe = 0x100; !qvl_valid_id(id); ++probe)
        if (!findDisk(s, probe) && !findArray(s, probe)) id = probe;
    s.nextId = id + 1;
    return id;
}

}  // namespace qvlsim
