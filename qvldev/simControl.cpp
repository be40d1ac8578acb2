// The control exports of the simulated device library (simControl.h).
#include "simControl.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "guarded.h"
#include "scenario.h"
#include "simStore.h"

using namespace qvlsim;

namespace {

void putError(const std::string &reason, char *error, uint32_t size)
{
    if (!error || size == 0)
        return;
    size_t n = reason.size() < size - 1 ? reason.size() : size - 1;
    std::memcpy(error, reason.data(), n);
    error[n] = '\0';
}

SimDisk *anyDisk(SimState &s, DeviceId id) { return qvl_valid_id(id) ? findDisk(s, id) : nullptr; }

bool pushEvent(SimState &s, uint32_t code, DeviceId id, const uint8_t *payload, uint32_t size)
{
    if (s.eventCount >= kEventCapacity || size > QVL_EVENT_PAYLOAD || code > 255)
        return false;
    SYSTEMTIME t;
    GetLocalTime(&t);
    DeviceEvent &e = s.events[(s.eventHead + s.eventCount) % kEventCapacity];
    std::memset(&e, 0, sizeof e);
    e.time = qvl_pack_time(t.wYear - 2000u, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    e.device = id;
    e.code = static_cast<uint8_t>(code);
    if (payload && size)
        std::memcpy(e.payload, payload, size);
    ++s.eventCount;
    return true;
}

// The names of the driver's list, as qvlsim inject takes them ("get_device_info").
#define QVLSIM_OP_NAME(name, NAME, params) #name,
const char *const kOperationNames[QVLSIM_OP_COUNT] = {QVLDEV_OPERATIONS(QVLSIM_OP_NAME)};
#undef QVLSIM_OP_NAME

// No exception leaves an export; a failure to reach the state reads as refused.
template <class Body> int32_t guarded(Body body)
{
    return qvl::GuardedCall("qvlsim control", body, [] { return int32_t{-1}; });
}

} // namespace

extern "C" {

int32_t QVLSIMAPI qvlsim_load_text(const char *text, const char *source, char *error, uint32_t errorSize)
{
    return qvl::GuardedCall(
        "qvlsim_load_text",
        [&]() -> int32_t {
            if (!text) {
                putError("no scenario text", error, errorSize);
                return -1;
            }
            // Parse aside, then swap in whole: a refused scenario leaves nothing behind.
            auto scratch = std::make_unique<SimState>();
            std::string reason;
            if (!parseScenario(text, source, *scratch, reason)) {
                putError(reason, error, errorSize);
                return -1;
            }
            StateLock lock;
            lock.state() = *scratch;
            putError("", error, errorSize);
            return 0;
        },
        [&]() -> int32_t {
            putError("out of memory", error, errorSize);
            return -1;
        });
}

int32_t QVLSIMAPI qvlsim_load_file(const char *path, char *error, uint32_t errorSize)
{
    return qvl::GuardedCall(
        "qvlsim_load_file",
        [&]() -> int32_t {
            std::string text, reason;
            if (!path || !readWholeFile(path, text, reason)) {
                putError(path ? reason : "no file name", error, errorSize);
                return -1;
            }
            return qvlsim_load_text(text.c_str(), path, error, errorSize);
        },
        [&]() -> int32_t {
            putError("out of memory", error, errorSize);
            return -1;
        });
}

int32_t QVLSIMAPI qvlsim_state_error(char *error, uint32_t errorSize)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        const SimState &s = lock.state();
        std::string reason(s.error, strnlen(s.error, sizeof s.error));
        putError(reason, error, errorSize);
        return reason.empty() ? 0 : -1;
    });
}

int32_t QVLSIMAPI qvlsim_reset(void) { return qvlsim_load_text(kDemoScenario, "demo", nullptr, 0); }

int32_t QVLSIMAPI qvlsim_show(char *buffer, uint32_t size)
{
    return qvl::GuardedCall(
        "qvlsim_show",
        [&]() -> int32_t {
            std::string text;
            {
                StateLock lock;
                text = printScenario(lock.state());
            }
            if (buffer && size > text.size())
                std::memcpy(buffer, text.c_str(), text.size() + 1);
            return static_cast<int32_t>(text.size());
        },
        [&]() -> int32_t { return -1; });
}

int32_t QVLSIMAPI qvlsim_plug(const char *words, DeviceId *id, char *error, uint32_t errorSize)
{
    return qvl::GuardedCall(
        "qvlsim_plug",
        [&]() -> int32_t {
            StateLock lock;
            DeviceId made = QVL_NO_DEVICE;
            std::string reason;
            if (!plugDisk(words ? words : "", lock.state(), made, reason)) {
                putError(reason, error, errorSize);
                return -1;
            }
            if (id)
                *id = made;
            putError("", error, errorSize);
            return 0;
        },
        [&]() -> int32_t {
            putError("out of memory", error, errorSize);
            return -1;
        });
}

int32_t QVLSIMAPI qvlsim_pull(DeviceId id)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        SimState &s = lock.state();
        SimDisk *d = anyDisk(s, id);
        if (!d)
            return -1;
        if (SimArray *a = findArray(s, effectiveParent(s, id, d->parentSet, d->parent)))
            a->status |= QVL_ARRAY_BROKEN;
        if (SimArray *a = listingArray(s, id))
            dropMember(*a, id);
        eraseDisk(s, id);
        return 0;
    });
}

int32_t QVLSIMAPI qvlsim_fail(DeviceId id)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        SimState &s = lock.state();
        SimDisk *d = anyDisk(s, id);
        // The event comes with the failure, so refuse both when the queue is full.
        if (!d || !pushEvent(s, 1, id, nullptr, 0))
            return -1;
        d->status |= QVL_DISK_DISABLED;
        if (SimArray *a = findArray(s, effectiveParent(s, id, d->parentSet, d->parent)))
            a->status |= QVL_ARRAY_BROKEN;
        return 0;
    });
}

int32_t QVLSIMAPI qvlsim_set_busy(DeviceId id, int32_t busy)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        SimDisk *d = anyDisk(lock.state(), id);
        if (!d)
            return -1;
        d->busy = busy != 0;
        return 0;
    });
}

int32_t QVLSIMAPI qvlsim_queue_event(uint32_t code, DeviceId id, const uint8_t *payload, uint32_t size)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        return pushEvent(lock.state(), code, id, payload, size) ? 0 : -1;
    });
}

int32_t QVLSIMAPI qvlsim_pending_events(void)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        return static_cast<int32_t>(lock.state().eventCount);
    });
}

int32_t QVLSIMAPI qvlsim_inject(uint32_t operation, int32_t result, uint32_t count)
{
    return guarded([&]() -> int32_t {
        if (operation >= QVLSIM_OP_COUNT)
            return -1;
        StateLock lock;
        lock.state().injections[operation] = SimInjection{1, result, count};
        return 0;
    });
}

int32_t QVLSIMAPI qvlsim_inject_clear(void)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        std::memset(lock.state().injections, 0, sizeof lock.state().injections);
        return 0;
    });
}

int32_t QVLSIMAPI qvlsim_set_raw_device(DeviceId id, const DeviceInfo *info)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        SimState &s = lock.state();
        SimRawDevice *r = findRawDevice(s, id);
        if (!info) {
            if (!r)
                return -1;
            *r = s.rawDevices[--s.rawDeviceCount];
            std::memset(&s.rawDevices[s.rawDeviceCount], 0, sizeof(SimRawDevice));
            return 0;
        }
        if (!r) {
            if (s.rawDeviceCount >= kMaxRawDevices)
                return -1;
            r = &s.rawDevices[s.rawDeviceCount++];
        }
        std::memset(r, 0, sizeof *r);
        r->id = id;
        std::memcpy(r->bytes, info, QVL_DEVICE_INFO_SIZE);
        return 0;
    });
}

int32_t QVLSIMAPI qvlsim_set_raw_controller(uint32_t index, const ControllerRecord *rec)
{
    return guarded([&]() -> int32_t {
        if (index >= kMaxControllers)
            return -1;
        StateLock lock;
        SimRawController &c = lock.state().rawControllers[index];
        c.set = rec != nullptr;
        c.record = rec ? *rec : ControllerRecord{};
        return 0;
    });
}

const char *QVLSIMAPI qvlsim_operation_name(uint32_t operation)
{
    return operation < QVLSIM_OP_COUNT ? kOperationNames[operation] : nullptr;
}

int32_t QVLSIMAPI qvlsim_calls(QvlSimCall *calls, uint32_t capacity)
{
    return guarded([&]() -> int32_t {
        if (!calls)
            return capacity ? -1 : 0;
        StateLock lock;
        const SimState &s = lock.state();
        // The latest calls that fit, oldest first.
        uint32_t n = s.callCount < capacity ? s.callCount : capacity;
        uint32_t start = (s.callNext + QVLSIM_CALL_RECORD - n) % QVLSIM_CALL_RECORD;
        for (uint32_t i = 0; i < n; ++i)
            calls[i] = s.calls[(start + i) % QVLSIM_CALL_RECORD];
        return static_cast<int32_t>(n);
    });
}

int32_t QVLSIMAPI qvlsim_clear_calls(void)
{
    return guarded([&]() -> int32_t {
        StateLock lock;
        lock.state().callCount = 0;
        lock.state().callNext = 0;
        return 0;
    });
}

} // extern "C"
