#include "simState.h"

#include <cstdarg>
#include <cstdio>
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

namespace {

bool terminated(const char *field, size_t size) { return std::memchr(field, '\0', size) != nullptr; }

bool fault(char *why, size_t whySize, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(why, whySize, format, args);
    va_end(args);
    return false;
}

} // namespace

bool stateValid(const SimState &s, char *why, size_t whySize)
{
    if (!headerValid(s))
        return fault(why, whySize, "no state of this layout (magic, version or size)");
    if (!terminated(s.error, sizeof s.error) || !terminated(s.recovered, sizeof s.recovered))
        return fault(why, whySize, "a reason text without its end");
    if (s.typeCount > kMaxTypes || s.limitCount > kMaxTypes)
        return fault(why, whySize, "type list of %u or limit list of %u entries, past the table", s.typeCount,
                     s.limitCount);
    if (s.controllerCount > kMaxControllers)
        return fault(why, whySize, "%u controllers, past the table", s.controllerCount);
    for (uint32_t i = 0; i < s.controllerCount; ++i)
        if (s.controllers[i].channelCount > kMaxChannels)
            return fault(why, whySize, "controller %u has %u channels, past the table", i,
                         s.controllers[i].channelCount);
    if (s.diskCount > kMaxDisks)
        return fault(why, whySize, "%u disks, past the table", s.diskCount);
    for (uint32_t i = 0; i < s.diskCount; ++i) {
        const SimDisk &d = s.disks[i];
        if (d.controller >= kMaxControllers || d.channel >= kMaxChannels || d.position > 1)
            return fault(why, whySize, "disk %u stands at controller %u, channel %u, position %u: out of range", i,
                         d.controller, d.channel, d.position);
    }
    if (s.arrayCount > kMaxArrays)
        return fault(why, whySize, "%u arrays, past the table", s.arrayCount);
    for (uint32_t i = 0; i < s.arrayCount; ++i)
        if (s.arrays[i].memberCount > QVL_MAX_MEMBERS)
            return fault(why, whySize, "array %u has %u members, past the table", i, s.arrays[i].memberCount);
    if (s.eventHead >= kEventCapacity || s.eventCount > kEventCapacity)
        return fault(why, whySize, "event queue head %u or count %u out of range", s.eventHead, s.eventCount);
    if (s.rawDeviceCount > kMaxRawDevices)
        return fault(why, whySize, "%u raw devices, past the table", s.rawDeviceCount);
    if (s.callNext >= QVLSIM_CALL_RECORD || s.callCount > QVLSIM_CALL_RECORD)
        return fault(why, whySize, "call record next %u or count %u out of range", s.callNext, s.callCount);
    return true;
}

SimDisk *findDisk(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.diskCount; ++i)
        if (s.disks[i].id == id)
            return &s.disks[i];
    return nullptr;
}

SimArray *findArray(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.arrayCount; ++i)
        if (s.arrays[i].id == id)
            return &s.arrays[i];
    return nullptr;
}

SimRawDevice *findRawDevice(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.rawDeviceCount; ++i)
        if (s.rawDevices[i].id == id)
            return &s.rawDevices[i];
    return nullptr;
}

SimArray *listingArray(SimState &s, DeviceId id)
{
    for (uint32_t i = 0; i < s.arrayCount; ++i) {
        SimArray &a = s.arrays[i];
        for (uint32_t m = 0; m < a.memberCount; ++m)
            if (a.members[m] == id)
                return &a;
    }
    return nullptr;
}

DeviceId effectiveParent(SimState &s, DeviceId id, uint8_t parentSet, DeviceId parent)
{
    if (parentSet)
        return parent;
    SimArray *a = listingArray(s, id);
    return a ? a->id : QVL_NO_DEVICE;
}

void dropMember(SimArray &a, DeviceId id)
{
    uint32_t k = 0;
    for (uint32_t m = 0; m < a.memberCount; ++m)
        if (a.members[m] != id)
            a.members[k++] = a.members[m];
    for (uint32_t m = k; m < QVL_MAX_MEMBERS; ++m)
        a.members[m] = 0;
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
        if (s.disks[i].id >= id)
            id = s.disks[i].id + 1;
    for (uint32_t i = 0; i < s.arrayCount; ++i)
        if (s.arrays[i].id >= id)
            id = s.arrays[i].id + 1;
    // Past the top of the range, look for a gap from the bottom.
    for (DeviceId probe = 0x100; !qvl_valid_id(id); ++probe)
        if (!findDisk(s, probe) && !findArray(s, probe))
            id = probe;
    s.nextId = id + 1;
    return id;
}

} // namespace qvlsim
