// The simulated RAID system as it lives in shared memory: one fixed-size POD block, so that
// every process that maps it sees the same bytes and nothing in it points anywhere.
#pragma once

#include <cstdint>

#include "qvlrecords.h"
#include "simControl.h"

namespace qvlsim {

constexpr uint32_t kMagic = 0x534C5651; // "QVLS"
constexpr uint32_t kLayoutVersion = 3;

constexpr uint32_t kMaxControllers = 16;
constexpr uint32_t kMaxChannels = 32;
constexpr uint32_t kMaxDisks = kMaxControllers * kMaxChannels * 2;
constexpr uint32_t kMaxArrays = 256;
constexpr uint32_t kEventCapacity = 1024;
constexpr uint32_t kMaxTypes = 16;
constexpr uint32_t kMaxRawDevices = 128;

struct SimChannel {
    uint8_t described; // a channel line gave it; others answer with ports 0
    uint8_t hasFail;
    uint8_t reserved[2];
    int32_t fail;
    uint32_t ioPort;
    uint32_t controlPort;
};

struct SimController {
    uint8_t chipCode;
    uint8_t irq;
    uint8_t channelCount;
    uint8_t hasFail;
    int32_t fail;
    char product[36];
    char manufacturer[36];
    SimChannel channels[kMaxChannels];
};

struct SimDisk {
    DeviceId id;
    uint8_t controller;
    uint8_t channel;
    uint8_t position;
    uint8_t transferMode;
    uint8_t deviceType;
    uint8_t busy;
    uint8_t pending; // plugged, not yet found by a rescan
    uint8_t hasFail;
    uint8_t parentSet; // parent= given: it wins over membership
    uint8_t reserved[3];
    int32_t fail;
    uint32_t status;
    uint32_t capacity;
    DeviceId parent;
    char revision[8];
    char model[40]; // space padded
};

struct SimArray {
    DeviceId id;
    char name[16];
    char text[84];
    uint8_t raidType;
    uint8_t blockSizeCode;
    uint8_t memberCount;
    uint8_t hasFail;
    uint8_t parentSet;
    uint8_t reserved[3];
    int32_t fail;
    uint32_t status;
    uint32_t progress;
    uint32_t capacity;
    DeviceId parent;
    DeviceId members[QVL_MAX_MEMBERS];
};

// A record answered byte for byte, whatever the system holds (qvlsim_set_raw_device).
struct SimRawDevice {
    DeviceId id;
    uint8_t bytes[QVL_DEVICE_INFO_SIZE];
    uint8_t reserved[2];
};

struct SimRawController {
    uint32_t set;
    ControllerRecord record;
};

struct SimInjection {
    uint32_t active;
    int32_t result;
    uint32_t remaining; // 0 = until cleared
};

struct SimState {
    uint32_t magic;
    uint32_t layoutVersion;
    uint32_t size;
    DeviceId nextId;
    char error[256];     // why the scenario of the environment was refused, empty when it was not
    char recovered[256]; // why a stored state was found invalid and made afresh, or empty

    int32_t version;
    DriverCapabilities caps;
    uint32_t typeCount;
    uint32_t limitCount;

    uint32_t controllerCount;
    SimController controllers[kMaxControllers];
    uint32_t diskCount;
    SimDisk disks[kMaxDisks];
    uint32_t arrayCount;
    SimArray arrays[kMaxArrays];

    uint32_t eventHead;
    uint32_t eventCount;
    DeviceEvent events[kEventCapacity];

    SimInjection injections[QVLSIM_OP_COUNT];

    uint32_t rawDeviceCount;
    SimRawDevice rawDevices[kMaxRawDevices];
    SimRawController rawControllers[kMaxControllers];

    uint32_t callSequence;
    uint32_t callCount;
    uint32_t callNext;
    QvlSimCall calls[QVLSIM_CALL_RECORD];
};

// An empty, valid system: no controllers, default capabilities.
void initEmpty(SimState &s);

inline bool headerValid(const SimState &s)
{
    return s.magic == kMagic && s.layoutVersion == kLayoutVersion && s.size == sizeof(SimState);
}

// Whether every count and index of a stored state lies within its table and every text ends
// within its field, so that no operation reads or writes outside the block. False with the
// first fault found in `why` (a zero-terminated text of at most `whySize` bytes). Loops of
// parents and members are valid: scenarios may make them, and no operation follows them.
bool stateValid(const SimState &s, char *why, size_t whySize);

SimDisk *findDisk(SimState &s, DeviceId id);
SimArray *findArray(SimState &s, DeviceId id);
SimRawDevice *findRawDevice(SimState &s, DeviceId id);
// The array whose member list names the device, or null.
SimArray *listingArray(SimState &s, DeviceId id);
// parent= when given, else the listing array, else no device.
DeviceId effectiveParent(SimState &s, DeviceId id, uint8_t parentSet, DeviceId parent);
// Takes the device out of the array's member list, keeping the order of the others.
void dropMember(SimArray &a, DeviceId id);
// The disk leaves the system; false when there is no such disk.
bool eraseDisk(SimState &s, DeviceId id);
// A fresh identifier that no device uses.
DeviceId freshId(SimState &s);

} // namespace qvlsim
