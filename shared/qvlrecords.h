/* Binary records that cross the boundaries between qvlswap, qvlclient and qvldev.
 *
 * Every record is a fixed little-endian layout: byte-packed, reserved bytes spelled out, and
 * every size and offset checked below. Texts are 8-bit characters in fixed fields; a text that
 * fills its field has no terminating zero, so read it with its bound (qvl_field_length). */
#ifndef QVL_RECORDS_H
#define QVL_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* An opaque identifier handed out by the device library; 0 and 0xFFFFFFFF mean no device. */
typedef uint32_t DeviceId;
#define QVL_NO_DEVICE ((DeviceId)0xFFFFFFFFu)

static inline int qvl_valid_id(DeviceId id) { return id != 0 && id != QVL_NO_DEVICE; }

/* A DeviceIdList is a plain array of DeviceId; its length travels beside it. */

typedef struct ControllerRecord {
    uint8_t chipCode; /* kind of controller chip */
    uint8_t irq;      /* interrupt line */
    uint8_t channelCount;
    uint8_t reserved3;
    char product[36];
    char manufacturer[36];
} ControllerRecord;

typedef struct ChannelRecord {
    uint32_t ioPort;      /* 0 = none given */
    uint32_t controlPort; /* 0 = none given */
    DeviceId master;      /* position 0 */
    DeviceId slave;       /* position 1 */
} ChannelRecord;

/* DeviceInfo.kind */
#define QVL_KIND_ARRAY 1
#define QVL_KIND_DISK 2

/* Array RAID types */
#define QVL_RAID0 1
#define QVL_RAID1 2
#define QVL_RAID5 3
#define QVL_JBOD 7

/* Array status flags */
#define QVL_ARRAY_DISABLED 0x1u
#define QVL_ARRAY_NEED_REBUILD 0x2u
#define QVL_ARRAY_REBUILDING 0x4u /* with NEED_REBUILD: rebuild; alone: duplication */
#define QVL_ARRAY_BROKEN 0x8u
#define QVL_ARRAY_BOOTABLE 0x10u
#define QVL_ARRAY_NOT_AVAILABLE 0x20u
#define QVL_ARRAY_VERIFYING 0x100u
#define QVL_ARRAY_INITIALIZING 0x200u
#define QVL_ARRAY_BACKGROUND_TASK 0x304u
#define QVL_ARRAY_RAID15 0x80000000u

/* Physical device types */
#define QVL_DEVTYPE_HDD 1
#define QVL_DEVTYPE_CDROM 2
#define QVL_DEVTYPE_TAPE 3

/* Physical device status flags */
#define QVL_DISK_DISABLED 0x1u
#define QVL_DISK_BOOTABLE 0x2u
#define QVL_DISK_IN_RACK 0x8u
#define QVL_DISK_SPARE 0x80000000u

#define QVL_MAX_MEMBERS 8

typedef struct ArrayInfo {
    char name[16]; /* zero-terminated only when shorter than 16 */
    char secondText[84];
    uint8_t raidType;
    uint8_t blockSizeCode; /* log2 of the stripe size in sectors */
    uint8_t memberCount;
    uint8_t reserved115;
    uint32_t status;
    DeviceId members[QVL_MAX_MEMBERS]; /* ends at the first invalid identifier or after 8 */
    uint32_t progress;                 /* 1/10000 units, 10000 = complete */
    uint8_t reserved156[18];
} ArrayInfo;

typedef struct DiskInfo {
    uint8_t controller;
    uint8_t channel;
    uint8_t position; /* 0 master, 1 slave */
    uint8_t transferMode;
    uint8_t deviceType;
    uint8_t reserved17[3];
    uint32_t status;
    uint8_t reserved24[46];
    char revision[8];
    char model[40]; /* space padded */
    uint8_t reserved118[56];
} DiskInfo;

typedef struct DeviceInfo {
    uint8_t kind;
    uint8_t reserved1[3];
    uint32_t capacity; /* sectors of 512 bytes */
    DeviceId parent;   /* invalid = top level */
    union {
        ArrayInfo array; /* kind 1 */
        DiskInfo disk;   /* kind 2 */
    } u;
} DeviceInfo;

#define QVL_DEVICE_INFO_SIZE 174
/* qvlclient reads a DeviceInfo into a buffer of this size; a filler writes at most 174 bytes. */
#define QVL_DEVICE_INFO_BUFFER 176

/* DriverCapabilities.features */
#define QVL_FEATURE_HOT_SWAP 0x08u

typedef struct DriverCapabilities {
    uint32_t size; /* 44, set by the caller */
    uint8_t maxControllers;
    uint8_t flagA;
    uint8_t valueC;
    uint8_t valueD;
    uint8_t reserved8;
    uint8_t flagB;
    uint8_t valueE;
    uint8_t features;
    uint8_t typeCodes[16]; /* ends at the first 0 */
    uint8_t typeLimits[16];
} DriverCapabilities;

typedef struct ServerInfo {
    uint8_t reserved0[8];
    char osName[64];
    char reservedText[64];
    char osBuild[68];
} ServerInfo;

typedef struct BayInfo {
    uint8_t reserved0[4];
    uint16_t temperature; /* raw sensor reading */
    uint16_t fanStatus;   /* 0 = running */
    uint8_t reserved8[8];
} BayInfo;

#define QVL_LIB_VERSION 0x1000000u
#define QVL_MODE_LOCAL 1

typedef struct LibInfo {
    uint32_t version;
    uint8_t mode;
    uint8_t platform; /* 1 = 95/98/Me, 2 = NT */
    uint8_t reserved6[2];
} LibInfo;

/* PackedTime: bits 0-5 second, 6-11 minute, 12-15 month, 16-21 hour, 22-26 day,
 * 27-31 year - 2000 (mod 32). */
typedef uint32_t PackedTime;

static inline PackedTime qvl_pack_time(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                                       unsigned second)
{
    return (PackedTime)((second & 0x3Fu) | (minute & 0x3Fu) << 6 | (month & 0xFu) << 12 | (hour & 0x3Fu) << 16 |
                        (day & 0x1Fu) << 22 | (year & 0x1Fu) << 27);
}
static inline unsigned qvl_time_second(PackedTime t) { return t & 0x3Fu; }
static inline unsigned qvl_time_minute(PackedTime t) { return (t >> 6) & 0x3Fu; }
static inline unsigned qvl_time_month(PackedTime t) { return (t >> 12) & 0xFu; }
static inline unsigned qvl_time_hour(PackedTime t) { return (t >> 16) & 0x3Fu; }
static inline unsigned qvl_time_day(PackedTime t) { return (t >> 22) & 0x1Fu; }
static inline unsigned qvl_time_year(PackedTime t) { return (t >> 27) & 0x1Fu; }

#define QVL_EVENT_PAYLOAD 32

typedef struct DeviceEvent {
    PackedTime time;
    DeviceId device; /* a disk for codes 1, 2, 3 and 7, else an array */
    uint8_t code;    /* 1 to 17 */
    uint8_t unused9[3];
    uint8_t payload[QVL_EVENT_PAYLOAD];
} DeviceEvent;

#define QVL_EVENT_TEXT 512

typedef struct EventEntry {
    char type;     /* 'E', 'W' or 'I' */
    uint8_t flags; /* 3 for an entry made from a device event */
    uint8_t reserved2[2];
    DeviceEvent event;
    char text[QVL_EVENT_TEXT]; /* at most 511 characters and a zero */
} EventEntry;

#pragma pack(pop)

#define QVL_CHECK(rec, field, off) _Static_assert(offsetof(rec, field) == (off), #rec "." #field " at " #off)
#ifdef __cplusplus
#undef QVL_CHECK
#define QVL_CHECK(rec, field, off) static_assert(offsetof(rec, field) == (off), #rec "." #field " at " #off)
#define QVL_SIZE(rec, n) static_assert(sizeof(rec) == (n), #rec " is " #n " bytes")
#else
#define QVL_SIZE(rec, n) _Static_assert(sizeof(rec) == (n), #rec " is " #n " bytes")
#endif

QVL_SIZE(DeviceId, 4);
QVL_SIZE(ControllerRecord, 76);
QVL_CHECK(ControllerRecord, chipCode, 0);
QVL_CHECK(ControllerRecord, irq, 1);
QVL_CHECK(ControllerRecord, channelCount, 2);
QVL_CHECK(ControllerRecord, reserved3, 3);
QVL_CHECK(ControllerRecord, product, 4);
QVL_CHECK(ControllerRecord, manufacturer, 40);

QVL_SIZE(ChannelRecord, 16);
QVL_CHECK(ChannelRecord, ioPort, 0);
QVL_CHECK(ChannelRecord, controlPort, 4);
QVL_CHECK(ChannelRecord, master, 8);
QVL_CHECK(ChannelRecord, slave, 12);

QVL_SIZE(DeviceInfo, QVL_DEVICE_INFO_SIZE);
QVL_CHECK(DeviceInfo, kind, 0);
QVL_CHECK(DeviceInfo, reserved1, 1);
QVL_CHECK(DeviceInfo, capacity, 4);
QVL_CHECK(DeviceInfo, parent, 8);
QVL_CHECK(DeviceInfo, u.array.name, 12);
QVL_CHECK(DeviceInfo, u.array.secondText, 28);
QVL_CHECK(DeviceInfo, u.array.raidType, 112);
QVL_CHECK(DeviceInfo, u.array.blockSizeCode, 113);
QVL_CHECK(DeviceInfo, u.array.memberCount, 114);
QVL_CHECK(DeviceInfo, u.array.reserved115, 115);
QVL_CHECK(DeviceInfo, u.array.status, 116);
QVL_CHECK(DeviceInfo, u.array.members, 120);
QVL_CHECK(DeviceInfo, u.array.progress, 152);
QVL_CHECK(DeviceInfo, u.array.reserved156, 156);
QVL_CHECK(DeviceInfo, u.disk.controller, 12);
QVL_CHECK(DeviceInfo, u.disk.channel, 13);
QVL_CHECK(DeviceInfo, u.disk.position, 14);
QVL_CHECK(DeviceInfo, u.disk.transferMode, 15);
QVL_CHECK(DeviceInfo, u.disk.deviceType, 16);
QVL_CHECK(DeviceInfo, u.disk.reserved17, 17);
QVL_CHECK(DeviceInfo, u.disk.status, 20);
QVL_CHECK(DeviceInfo, u.disk.reserved24, 24);
QVL_CHECK(DeviceInfo, u.disk.revision, 70);
QVL_CHECK(DeviceInfo, u.disk.model, 78);
QVL_CHECK(DeviceInfo, u.disk.reserved118, 118);

QVL_SIZE(DriverCapabilities, 44);
QVL_CHECK(DriverCapabilities, size, 0);
QVL_CHECK(DriverCapabilities, maxControllers, 4);
QVL_CHECK(DriverCapabilities, flagA, 5);
QVL_CHECK(DriverCapabilities, valueC, 6);
QVL_CHECK(DriverCapabilities, valueD, 7);
QVL_CHECK(DriverCapabilities, reserved8, 8);
QVL_CHECK(DriverCapabilities, flagB, 9);
QVL_CHECK(DriverCapabilities, valueE, 10);
QVL_CHECK(DriverCapabilities, features, 11);
QVL_CHECK(DriverCapabilities, typeCodes, 12);
QVL_CHECK(DriverCapabilities, typeLimits, 28);

QVL_SIZE(ServerInfo, 204);
QVL_CHECK(ServerInfo, reserved0, 0);
QVL_CHECK(ServerInfo, osName, 8);
QVL_CHECK(ServerInfo, reservedText, 72);
QVL_CHECK(ServerInfo, osBuild, 136);

QVL_SIZE(BayInfo, 16);
QVL_CHECK(BayInfo, reserved0, 0);
QVL_CHECK(BayInfo, temperature, 4);
QVL_CHECK(BayInfo, fanStatus, 6);
QVL_CHECK(BayInfo, reserved8, 8);

QVL_SIZE(LibInfo, 8);
QVL_CHECK(LibInfo, version, 0);
QVL_CHECK(LibInfo, mode, 4);
QVL_CHECK(LibInfo, platform, 5);
QVL_CHECK(LibInfo, reserved6, 6);

QVL_SIZE(PackedTime, 4);

QVL_SIZE(DeviceEvent, 44);
QVL_CHECK(DeviceEvent, time, 0);
QVL_CHECK(DeviceEvent, device, 4);
QVL_CHECK(DeviceEvent, code, 8);
QVL_CHECK(DeviceEvent, unused9, 9);
QVL_CHECK(DeviceEvent, payload, 12);

QVL_SIZE(EventEntry, 560);
QVL_CHECK(EventEntry, type, 0);
QVL_CHECK(EventEntry, flags, 1);
QVL_CHECK(EventEntry, reserved2, 2);
QVL_CHECK(EventEntry, event, 4);
QVL_CHECK(EventEntry, event.time, 4);
QVL_CHECK(EventEntry, event.device, 8);
QVL_CHECK(EventEntry, event.code, 12);
QVL_CHECK(EventEntry, event.payload, 16);
QVL_CHECK(EventEntry, text, 48);

#undef QVL_CHECK
#undef QVL_SIZE

/* Length of a text in a fixed field: up to its first zero byte or the field's end. */
static inline size_t qvl_field_length(const char *field, size_t size)
{
    size_t n = 0;
    while (n < size && field[n] != '\0')
        ++n;
    return n;
}

#ifdef __cplusplus
}
#endif

#endif
