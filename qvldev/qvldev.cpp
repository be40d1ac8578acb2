// The 19 driver operations of the simulated device library. Every call is recorded with its
// raw arguments and result, and any operation can be made to fail (qvlsim_inject).
#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "guarded.h"
#include "qvldev.h"
#include "simStore.h"

using namespace qvlsim;

// The driver's list has the 19 operations that qvldev.def exports.
static_assert(QVLSIM_OP_COUNT == 19);

namespace {

uint32_t raw(const void *p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void record(SimState &s, uint32_t op, std::initializer_list<uint32_t> args, int32_t result)
{
    QvlSimCall &c = s.calls[s.callNext];
    std::memset(&c, 0, sizeof c);
    c.sequence = ++s.callSequence;
    c.operation = op;
    c.argc = static_cast<uint32_t>(args.size());
    uint32_t i = 0;
    for (uint32_t a : args)
        c.args[i++] = a;
    c.result = result;
    s.callNext = (s.callNext + 1) % QVLSIM_CALL_RECORD;
    if (s.callCount < QVLSIM_CALL_RECORD)
        ++s.callCount;
}

// Runs one operation under the lock: an injected result replaces the work entirely.
template <class Body> int32_t run(QvlSimOperation op, std::initializer_list<uint32_t> args, Body body)
{
    return qvl::GuardedCall(
        "qvldev operation",
        [&] {
            StateLock lock;
            SimState &s = lock.state();
            int32_t result;
            SimInjection &inj = s.injections[op];
            if (inj.active) {
                result = inj.result;
                if (inj.remaining && --inj.remaining == 0)
                    inj.active = 0;
            } else {
                result = body(s);
            }
            record(s, op, args, result);
            return result;
        },
        [] { return int32_t{-1}; });
}

SimDisk *visibleDisk(SimState &s, DeviceId id)
{
    SimDisk *d = findDisk(s, id);
    return d && !d->pending ? d : nullptr;
}

DeviceId diskAt(SimState &s, uint32_t controller, uint32_t channel, uint32_t position)
{
    for (uint32_t i = 0; i < s.diskCount; ++i) {
        const SimDisk &d = s.disks[i];
        if (!d.pending && d.controller == controller && d.channel == channel && d.position == position)
            return d.id;
    }
    return QVL_NO_DEVICE;
}

DeviceId parentOf(SimState &s, const SimDisk &d) { return effectiveParent(s, d.id, d.parentSet, d.parent); }
DeviceId parentOf(SimState &s, const SimArray &a) { return effectiveParent(s, a.id, a.parentSet, a.parent); }

// 0 when every listed device may go; else 1 + index of the first that may not.
int32_t removalCheck(SimState &s, uint32_t count, const DeviceId *list)
{
    if (count > 0 && !list)
        return -1;
    for (uint32_t i = 0; i < count; ++i) {
        SimDisk *d = visibleDisk(s, list[i]);
        // A spare with a parent is that array's dedicated spare: it belongs to the array too.
        if (!d || d->busy || qvl_valid_id(parentOf(s, *d)))
            return static_cast<int32_t>(i + 1);
    }
    return 0;
}

} // namespace

extern "C" {

int32_t QVLDEVAPI qvl_get_version(void)
{
    return run(QVLSIM_OP_GET_VERSION, {}, [](SimState &s) { return s.version; });
}

int32_t QVLDEVAPI qvl_get_driver_capabilities(DriverCapabilities *caps)
{
    return run(QVLSIM_OP_GET_DRIVER_CAPABILITIES, {raw(caps)}, [&](SimState &s) {
        if (!caps || caps->size < sizeof(DriverCapabilities))
            return -1;
        DriverCapabilities out = s.caps;
        out.size = caps->size;
        *caps = out;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_get_controller_count(void)
{
    return run(QVLSIM_OP_GET_CONTROLLER_COUNT, {}, [](SimState &s) { return static_cast<int32_t>(s.controllerCount); });
}

int32_t QVLDEVAPI qvl_get_controller_info(uint32_t controller, ControllerRecord *rec)
{
    return run(QVLSIM_OP_GET_CONTROLLER_INFO, {controller, raw(rec)}, [&](SimState &s) {
        if (!rec || controller >= s.controllerCount)
            return -1;
        if (s.rawControllers[controller].set) {
            *rec = s.rawControllers[controller].record;
            return 0;
        }
        const SimController &c = s.controllers[controller];
        if (c.hasFail)
            return c.fail;
        ControllerRecord out{};
        out.chipCode = c.chipCode;
        out.irq = c.irq;
        out.channelCount = c.channelCount;
        std::memcpy(out.product, c.product, sizeof out.product);
        std::memcpy(out.manufacturer, c.manufacturer, sizeof out.manufacturer);
        *rec = out;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_get_channel_info(uint32_t controller, uint32_t channel, ChannelRecord *rec)
{
    return run(QVLSIM_OP_GET_CHANNEL_INFO, {controller, channel, raw(rec)}, [&](SimState &s) {
        if (!rec || controller >= s.controllerCount || channel >= s.controllers[controller].channelCount)
            return -1;
        const SimChannel &h = s.controllers[controller].channels[channel];
        if (h.hasFail)
            return h.fail;
        ChannelRecord out{};
        out.ioPort = h.ioPort;
        out.controlPort = h.controlPort;
        out.master = diskAt(s, controller, channel, 0);
        out.slave = diskAt(s, controller, channel, 1);
        *rec = out;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_get_logical_devices(DeviceId *list, uint32_t capacity)
{
    return run(QVLSIM_OP_GET_LOGICAL_DEVICES, {raw(list), capacity}, [&](SimState &s) {
        if (!list && capacity > 0)
            return -1;
        uint32_t n = 0;
        for (uint32_t i = 0; i < s.arrayCount && n < capacity; ++i)
            if (!qvl_valid_id(parentOf(s, s.arrays[i])))
                list[n++] = s.arrays[i].id;
        for (uint32_t i = 0; i < s.diskCount && n < capacity; ++i) {
            const SimDisk &d = s.disks[i];
            // Spares are held back for arrays; the system cannot use them as volumes.
            if (!d.pending && d.deviceType == QVL_DEVTYPE_HDD && !(d.status & QVL_DISK_SPARE) &&
                !qvl_valid_id(parentOf(s, d)))
                list[n++] = d.id;
        }
        return static_cast<int32_t>(n);
    });
}

int32_t QVLDEVAPI qvl_get_device_info(DeviceId device, DeviceInfo *info)
{
    return run(QVLSIM_OP_GET_DEVICE_INFO, {device, raw(info)}, [&](SimState &s) {
        if (!info)
            return -1;
        if (const SimRawDevice *r = findRawDevice(s, device)) {
            std::memcpy(info, r->bytes, QVL_DEVICE_INFO_SIZE);
            return 0;
        }
        DeviceInfo out{};
        if (const SimDisk *d = visibleDisk(s, device)) {
            if (d->hasFail)
                return d->fail;
            out.kind = QVL_KIND_DISK;
            out.capacity = d->capacity;
            out.parent = parentOf(s, *d);
            out.u.disk.controller = d->controller;
            out.u.disk.channel = d->channel;
            out.u.disk.position = d->position;
            out.u.disk.transferMode = d->transferMode;
            out.u.disk.deviceType = d->deviceType;
            out.u.disk.status = d->status;
            std::memcpy(out.u.disk.revision, d->revision, sizeof out.u.disk.revision);
            std::memcpy(out.u.disk.model, d->model, sizeof out.u.disk.model);
        } else if (const SimArray *a = findArray(s, device)) {
            if (a->hasFail)
                return a->fail;
            out.kind = QVL_KIND_ARRAY;
            out.capacity = a->capacity;
            out.parent = parentOf(s, *a);
            std::memcpy(out.u.array.name, a->name, sizeof out.u.array.name);
            std::memcpy(out.u.array.secondText, a->text, sizeof out.u.array.secondText);
            out.u.array.raidType = a->raidType;
            out.u.array.blockSizeCode = a->blockSizeCode;
            out.u.array.memberCount = a->memberCount;
            out.u.array.status = a->status;
            std::memcpy(out.u.array.members, a->members, sizeof out.u.array.members);
            out.u.array.progress = a->progress;
        } else {
            return -1;
        }
        std::memcpy(info, &out, QVL_DEVICE_INFO_SIZE);
        return 0;
    });
}

int32_t QVLDEVAPI qvl_create_array(uint32_t params)
{
    // The parameter block of array creation is not modelled.
    return run(QVLSIM_OP_CREATE_ARRAY, {params}, [](SimState &) { return -1; });
}

int32_t QVLDEVAPI qvl_delete_array(DeviceId array, uint32_t flags)
{
    return run(QVLSIM_OP_DELETE_ARRAY, {array, flags}, [&](SimState &s) {
        SimArray *a = findArray(s, array);
        if (!a)
            return -1;
        if (SimArray *outer = listingArray(s, array))
            dropMember(*outer, array);
        // Former members (by list or by parent=) become top level.
        for (uint32_t i = 0; i < s.diskCount; ++i)
            if (s.disks[i].parentSet && s.disks[i].parent == array)
                s.disks[i].parentSet = 0;
        for (uint32_t i = 0; i < s.arrayCount; ++i)
            if (s.arrays[i].parentSet && s.arrays[i].parent == array)
                s.arrays[i].parentSet = 0;
        uint32_t index = static_cast<uint32_t>(a - s.arrays);
        std::memmove(&s.arrays[index], &s.arrays[index + 1], (s.arrayCount - index - 1) * sizeof(SimArray));
        --s.arrayCount;
        std::memset(&s.arrays[s.arrayCount], 0, sizeof(SimArray));
        return 0;
    });
}

int32_t QVLDEVAPI qvl_add_disk_to_array(uint32_t a, uint32_t b)
{
    return run(QVLSIM_OP_ADD_DISK_TO_ARRAY, {a, b}, [&](SimState &s) {
        SimArray *arr = findArray(s, a);
        SimDisk *d = visibleDisk(s, b);
        if (!arr || !d || arr->memberCount >= QVL_MAX_MEMBERS || qvl_valid_id(parentOf(s, *d)))
            return -1;
        arr->members[arr->memberCount++] = d->id;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_add_spare_disk(uint32_t a)
{
    return run(QVLSIM_OP_ADD_SPARE_DISK, {a}, [&](SimState &s) {
        SimDisk *d = visibleDisk(s, a);
        if (!d)
            return -1;
        d->status |= QVL_DISK_SPARE;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_remove_spare_disk(uint32_t a)
{
    return run(QVLSIM_OP_REMOVE_SPARE_DISK, {a}, [&](SimState &s) {
        SimDisk *d = visibleDisk(s, a);
        if (!d || !(d->status & QVL_DISK_SPARE))
            return -1;
        d->status &= ~QVL_DISK_SPARE;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_set_array_state(uint32_t a, uint32_t b)
{
    return run(QVLSIM_OP_SET_ARRAY_STATE, {a, b}, [&](SimState &s) {
        SimArray *arr = findArray(s, a);
        if (!arr)
            return -1;
        arr->status = b;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_set_array_info(uint32_t a, uint32_t b)
{
    return run(QVLSIM_OP_SET_ARRAY_INFO, {a, b}, [&](SimState &s) {
        SimArray *arr = findArray(s, a);
        if (!arr)
            return -1;
        arr->progress = b;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_set_device_info(DeviceId device, void *settings)
{
    // Device 0 is the console's "error acknowledged" call; the settings are never read.
    return run(QVLSIM_OP_SET_DEVICE_INFO, {device, raw(settings)}, [&](SimState &s) {
        if (device == 0)
            return 0;
        return visibleDisk(s, device) || findArray(s, device) ? 0 : -1;
    });
}

int32_t QVLDEVAPI qvl_rescan_devices(void)
{
    return run(QVLSIM_OP_RESCAN_DEVICES, {}, [](SimState &s) {
        for (uint32_t i = 0; i < s.diskCount; ++i)
            s.disks[i].pending = 0;
        return 0;
    });
}

int32_t QVLDEVAPI qvl_query_remove(uint32_t count, DeviceId *list)
{
    return run(QVLSIM_OP_QUERY_REMOVE, {count, raw(list)}, [&](SimState &s) { return removalCheck(s, count, list); });
}

int32_t QVLDEVAPI qvl_remove_devices(uint32_t count, DeviceId *list)
{
    return run(QVLSIM_OP_REMOVE_DEVICES, {count, raw(list)}, [&](SimState &s) {
        int32_t r = removalCheck(s, count, list);
        if (r != 0)
            return r;
        for (uint32_t i = 0; i < count; ++i)
            eraseDisk(s, list[i]);
        return 0;
    });
}

int32_t QVLDEVAPI qvl_get_event(DeviceEvent *event)
{
    return run(QVLSIM_OP_GET_EVENT, {raw(event)}, [&](SimState &s) {
        if (!event)
            return -1;
        if (s.eventCount == 0)
            return 1;
        *event = s.events[s.eventHead];
        s.eventHead = (s.eventHead + 1) % kEventCapacity;
        --s.eventCount;
        return 0;
    });
}

} // extern "C"
