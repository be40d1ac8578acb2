// Driver events turned into event entries: a type character and an English text naming the
// disk by its position or the array by its name.
#include <cstdio>
#include <cstring>

#include "localOps.h"
#include "qvldev.h"

namespace qvl::local {
namespace {

// The driver may write up to 176 bytes; the record itself is 174.
struct InfoBuffer {
    DeviceInfo info;
    uint8_t slack[QVL_DEVICE_INFO_BUFFER - sizeof(DeviceInfo)];
};
static_assert(sizeof(InfoBuffer) == QVL_DEVICE_INFO_BUFFER);

bool ReadInfo(DeviceId id, InfoBuffer &buf)
{
    std::memset(&buf, 0, sizeof buf);
    return qvl_get_device_info(id, &buf.info) == 0;
}

bool IsArray(const InfoBuffer &buf) { return buf.info.kind == QVL_KIND_ARRAY; }

int NameLength(const char (&name)[16]) { return static_cast<int>(qvl_field_length(name, 16)); }

// The array's name, or "Member n of " and the name of the striped array it belongs to.
// Empty when the device is no array or the striped parent cannot be confirmed. Returns whether
// the device itself read as an array; `self` keeps what it read.
bool DisplayName(DeviceId id, char (&out)[64], InfoBuffer &self)
{
    std::memset(out, 0, sizeof out);
    if (!ReadInfo(id, self) || !IsArray(self))
        return false;
    const ArrayInfo &a = self.info.u.array;
    if (!qvl_valid_id(self.info.parent)) {
        std::snprintf(out, sizeof out, "%.*s", NameLength(a.name), a.name);
        return true;
    }
    InfoBuffer parent;
    if (!ReadInfo(self.info.parent, parent) || parent.info.u.array.raidType != QVL_RAID0)
        return true;
    const ArrayInfo &p = parent.info.u.array;
    int count = p.memberCount < QVL_MAX_MEMBERS ? p.memberCount : QVL_MAX_MEMBERS;
    for (int i = 0; i < count; ++i) {
        if (p.members[i] == id) {
            std::snprintf(out, sizeof out, "Member %d of %.*s", i + 1, NameLength(p.name), p.name);
            return true;
        }
    }
    return true;
}

// "Controller1-Channel2-Device1", or empty when the disk cannot be read.
void DiskLocation(DeviceId id, char (&out)[255])
{
    std::memset(out, 0, sizeof out);
    InfoBuffer disk;
    if (!ReadInfo(id, disk) || disk.info.kind != QVL_KIND_DISK)
        return;
    const DiskInfo &d = disk.info.u.disk;
    std::snprintf(out, sizeof out, "Controller%d-Channel%d-Device%d", d.controller + 1, d.channel + 1, d.position + 1);
}

struct Message {
    char type;
    const char *format;      // one %s
    const char *duplicating; // alternative when the payload's first byte is set, or null
    enum Check { Disk, Array, SpareTookOver, Deleted } check;
};

const Message *MessageFor(uint8_t code)
{
    static const Message messages[] = {
        {'E', "Disk at %s failed.", nullptr, Message::Disk},
        {'W', "Plugging disk detected.(%s)", nullptr, Message::Disk},
        {'E', "Disk at %s failed.", nullptr, Message::Disk},
        {'I', "Array '%s' rebuilding started.", "Array '%s' duplicating started.", Message::Array},
        {'W', "Array '%s' rebuilding aborted.", "Array '%s' duplicating aborted.", Message::Array},
        {'I', "Array '%s' rebuilding completed.", "Array '%s' duplicating completed.", Message::Array},
        {'W', "Spare disk took over.(Array: %s)", nullptr, Message::SpareTookOver},
        {'W', "Array '%s' rebuilding failed.", "Array '%s' duplicating failed.", Message::Array},
        {'I', "Array '%s' verifying started.", nullptr, Message::Array},
        {'W', "Array '%s' verifying aborted.", nullptr, Message::Array},
        {'W', "Array '%s' verifying failed.", nullptr, Message::Array},
        {'I', "Array '%s' verifying completed.", nullptr, Message::Array},
        {'I', "Array '%s' initializing started.", nullptr, Message::Array},
        {'W', "Array '%s' initializing aborted, the array is deleted.", nullptr, Message::Deleted},
        {'W', "Array '%s' initializing failed, the array is deleted.", nullptr, Message::Deleted},
        {'I', "Array '%s' initializing completed.", nullptr, Message::Array},
        {'W', "Array '%s' data is not consistent.", nullptr, Message::Array},
    };
    if (code < 1 || code > sizeof messages / sizeof messages[0])
        return nullptr;
    return &messages[code - 1];
}

void PutText(EventEntry &entry, const char *format, const char *value)
{
    std::snprintf(entry.text, sizeof entry.text, format, value);
}

// What the event's device read as, once for every message: the array's display name (empty
// for anything else) and the record read.
struct Subject {
    char display[64];
    InfoBuffer self;
    bool isArray;
};

void DiskText(EventEntry &entry, const char *format, DeviceId id)
{
    char location[255];
    DiskLocation(id, location);
    PutText(entry, format, location);
}

// Names the array of the disk that took over; false when the disk or its array cannot be read.
bool SpareText(EventEntry &entry, const char *format, DeviceId id)
{
    InfoBuffer disk, array;
    if (!ReadInfo(id, disk) || disk.info.kind != QVL_KIND_DISK)
        return false;
    if (!ReadInfo(disk.info.parent, array))
        return false;
    char name[17] = "";
    std::snprintf(name, sizeof name, "%.*s", NameLength(array.info.u.array.name), array.info.u.array.name);
    PutText(entry, format, name);
    return true;
}

// Initialisation aborted or failed: the array is named by the payload or by its record, and
// deleted; false when nothing names it.
bool DeletedText(EventEntry &entry, const char *format, const DeviceEvent &event, const Subject &subject)
{
    char name[33] = "";
    if (event.payload[0] != 0) {
        const char *p = reinterpret_cast<const char *>(event.payload);
        std::snprintf(name, sizeof name, "%.*s", static_cast<int>(qvl_field_length(p, QVL_EVENT_PAYLOAD)), p);
        PutText(entry, format, name);
    } else if (subject.display[0] != '\0') {
        PutText(entry, format, subject.display);
    } else {
        return false; // nothing names the array: it is left alone
    }
    // The text is the driver's report and stands either way. Deleting is the most destructive
    // thing the library does, so it follows only an array that still reads as initialising or
    // as not available: never a disk, an unreadable device or a healthy array.
    if (subject.isArray && (subject.self.info.u.array.status & (QVL_ARRAY_INITIALIZING | QVL_ARRAY_NOT_AVAILABLE)))
        qvl_delete_array(event.device, 0);
    return true;
}

bool MakeEntry(const DeviceEvent *event, EventEntry *entry)
{
    if (!event || !entry)
        return false;
    const DeviceId id = event->device;
    Subject subject;
    subject.isArray = DisplayName(id, subject.display, subject.self);

    std::memset(entry, 0, sizeof *entry);
    std::memcpy(&entry->event, event, sizeof *event);
    entry->flags = 3;

    const Message *m = MessageFor(event->code);
    if (!m)
        return false;
    entry->type = m->type;
    const char *format = (m->duplicating && event->payload[0] != 0) ? m->duplicating : m->format;

    switch (m->check) {
    case Message::Disk:
        DiskText(*entry, format, id);
        return true;
    case Message::Array:
        if (!subject.isArray)
            return false;
        PutText(*entry, format, subject.display);
        return true;
    case Message::SpareTookOver:
        return SpareText(*entry, format, id);
    case Message::Deleted:
        return DeletedText(*entry, format, *event, subject);
    }
    return false;
}

} // namespace

int32_t __cdecl GetLogEvent(uint32_t, EventEntry *entry)
{
    DeviceEvent event{};
    if (qvl_get_event(&event) != 0)
        return QVL_FAILED;
    return MakeEntry(&event, entry) ? QVL_OK : QVL_FAILED;
}

} // namespace qvl::local
