// Driver records filled with hostile bytes: texts without terminators, kind bytes that lie,
// counts of 255, member lists without an end, parent chains that loop, identifiers that point
// nowhere. The model's property texts and the library's event texts stay within their fields
// and every walk ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "GetInfo.h"
#include "systemUnit.h"
#include "qvlclient.h"
#include "support/simSystem.h"

using qvltest::DriverCalls;
using qvltest::LoadScenario;

namespace {

// Two controllers (the second for the hostile controller record), the disks the channels
// name, and arrays whose records the tests then overwrite.
const char kScenario[] = "capabilities max_controllers=4 features=0x08\n"
                         "controller chip=3 irq=11 channels=2 product=\"A\" manufacturer=\"B\"\n"
                         "controller chip=3 irq=11 channels=1 product=\"A\" manufacturer=\"B\"\n"
                         "disk id=0x101 controller=0 channel=0 position=0 capacity=1000 model=\"D1\"\n"
                         "disk id=0x102 controller=0 channel=0 position=1 capacity=1000 model=\"D2\"\n"
                         "disk id=0x103 controller=0 channel=1 position=0 capacity=1000 model=\"D3\"\n"
                         "disk id=0x104 controller=1 channel=0 position=0 capacity=1000 model=\"D4\"\n";

DeviceInfo Disk(DeviceId parent, char fill)
{
    DeviceInfo d;
    std::memset(&d, fill, sizeof d); // reserved bytes too
    d.kind = QVL_KIND_DISK;
    d.parent = parent;
    d.u.disk.deviceType = QVL_DEVTYPE_HDD;
    d.u.disk.controller = d.u.disk.channel = d.u.disk.position = 255;
    d.u.disk.transferMode = 255;
    d.u.disk.status = 0xFFFFFFFFu;
    return d;
}

DeviceInfo Array(DeviceId parent, std::initializer_list<DeviceId> members, char fill, uint8_t raidType = QVL_RAID0)
{
    DeviceInfo a;
    std::memset(&a, fill, sizeof a);
    a.kind = QVL_KIND_ARRAY;
    a.parent = parent;
    a.u.array.raidType = raidType;
    a.u.array.memberCount = 255;
    a.u.array.blockSizeCode = 255;
    size_t i = 0;
    for (DeviceId m : members)
        a.u.array.members[i++] = m;
    return a;
}

void Raw(DeviceId id, const DeviceInfo &info) { ASSERT_EQ(qvlsim_set_raw_device(id, &info), 0) << std::hex << id; }

int DeviceInfoCalls()
{
    int n = 0;
    for (const QvlSimCall &c : DriverCalls())
        n += c.operation == QVLSIM_OP_GET_DEVICE_INFO;
    return n;
}

class HostileRecords : public testing::Test {
protected:
    void SetUp() override
    {
        LoadScenario(kScenario);
        qvlsim_inject_clear();
    }
};

TEST_F(HostileRecords, DiskTextsStayWithinTheirFieldsAndParentWalksEnd)
{
    // Arrays 0x201..0x240 form a chain of 64 distinct parents; 0x301/0x302 loop on each
    // other; 0x303 is its own parent; 0x304's parent points nowhere.
    for (DeviceId id = 0x201; id <= 0x240; ++id)
        Raw(id, Array(id + 1, {id, id, id, id, id, id, id, id}, 'N'));
    Raw(0x301, Array(0x302, {0x101}, 'L'));
    Raw(0x302, Array(0x301, {0x301}, 'M'));
    Raw(0x303, Array(0x303, {0x303, 0x303, 0x303, 0x303, 0x303, 0x303, 0x303, 0x303}, 'S'));
    Raw(0x304, Array(0xDEAD, {0xBEEF}, 'P', 77));
    const struct {
        const char *name;
        DeviceId parent;
        char fill;
        int maxDeviceInfoCalls;
    } cases[] = {
        {"no parent, every byte set", QVL_NO_DEVICE, 'X', 2},
        // The disk, then per array its record, its first member and that member's first.
        {"a parent chain longer than any nesting", 0x201, 'Y', 1 + 3 * MaxArrayChain},
        {"two arrays that are each other's parent", 0x301, 'Z', 8},
        {"an array that is its own parent", 0x303, 0x7F, 6},
        {"a parent whose parent is nowhere", 0x304, static_cast<char>(0xFF), 6},
        {"a parent that is nowhere", 0xFFFFFFFE, 1, 3},
    };
    ASSERT_FALSE(HasFailure());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Raw(0x101, Disk(c.parent, c.fill));
        ASSERT_FALSE(HasFailure());
        qvlsim_clear_calls();
        _PhyDeviceinfo info;
        ASSERT_TRUE(ReadDeviceTexts(0, 0x101, info));
        EXPECT_LE(DeviceInfoCalls(), c.maxDeviceInfoCalls) << "the walk ended";
        // Byte 117 ends the model; blanks and control characters are trimmed.
        const bool printable = static_cast<unsigned char>(c.fill) > ' ';
        EXPECT_EQ(info.ModelStr, printable ? std::string(39, c.fill) : "");
        EXPECT_LE(info.RevisionStr.size(), 4u);
        EXPECT_LE(info.ArrayName.size(), 16u);
        EXPECT_EQ(info.LocationStr, "Controller 256, Channel 256, Unknown");
        EXPECT_EQ(info.TransferModeStr, "Unknown");
        EXPECT_EQ(info.StatusStr,
                  qvl_valid_id(c.parent) ? "Disabled,Bootable,Dedicated spare" : "Disabled,Bootable,Spare");
    }
}

TEST_F(HostileRecords, ArrayTextsAndMembersStayWithinTheirFields)
{
    const struct {
        const char *name;
        DeviceInfo record;
        const char *type;
    } cases[] = {
        // The fill bytes make every member slot a valid identifier: no list ends early.
        {"eight valid members, no end, count 255", Array(0x201, {1, 2, 3, 4, 5, 6, 7, 8}, 'Q'), "RAID 0"},
        {"a first member that is itself", Array(QVL_NO_DEVICE, {0x201}, 'R'), "RAID 1/0"},
        {"a mirror over a disk record", Array(0, {0x101}, 'T', QVL_RAID1), "RAID 1"},
        {"an unknown RAID type", Array(0, {}, 'U', 200), "Unknown"},
    };
    Raw(0x101, Disk(QVL_NO_DEVICE, 'D'));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Raw(0x201, c.record);
        _Arrayinfo info;
        ASSERT_TRUE(ReadArrayTexts(0, 0x201, info));
        EXPECT_EQ(info.Name, std::string(16, c.record.u.array.name[0]));
        EXPECT_EQ(info.SecondStr.size(), 84u);
        EXPECT_EQ(info.MemberCount, QVL_MAX_MEMBERS);
        EXPECT_EQ(info.TypeStr, c.type);
        EXPECT_LE(info.BlockSizeStr.size(), 5u);
    }
}

TEST_F(HostileRecords, KindBytesThatDoNotMatchDropTheObject)
{
    const struct {
        const char *name;
        uint8_t kind;
        bool kept;
    } cases[] = {{"an array where a disk sits", QVL_KIND_ARRAY, false},
                 {"kind 0", 0, false},
                 {"kind 255", 255, false},
                 {"a disk", QVL_KIND_DISK, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DeviceInfo d = Disk(QVL_NO_DEVICE, 'K');
        d.kind = c.kind;
        Raw(0x102, d);
        TRAIDSystem system(0);
        EXPECT_EQ(system.ControllerCount(), 2);
        EXPECT_EQ(system.ChannelCount(), 3);
        EXPECT_EQ(system.DeviceCount(), c.kept ? 4 : 3);
        _Arrayinfo array;
        EXPECT_EQ(ReadArrayTexts(0, 0x102, array), c.kind == QVL_KIND_ARRAY);
    }
}

TEST_F(HostileRecords, ControllerRecordsWithFullTextsAndHugeCounts)
{
    ControllerRecord rec;
    std::memset(&rec, 'C', sizeof rec);
    rec.channelCount = 255;
    rec.chipCode = 0xEE;
    ASSERT_EQ(qvlsim_set_raw_controller(0, &rec), 0);
    std::memset(rec.manufacturer, 'M', sizeof rec.manufacturer);
    ASSERT_EQ(qvlsim_set_raw_controller(1, &rec), 0);

    _ControllerInfo info;
    ASSERT_TRUE(ReadControllerTexts(0, 0, info));
    EXPECT_EQ(info.Product, std::string(36, 'C'));
    EXPECT_EQ(info.Manufacturer, std::string(36, 'C'));
    EXPECT_EQ(info.ChannelCountStr, "255");
    EXPECT_TRUE(info.ChipName.empty());

    // A driver that claims 255 controllers of 255 channels: the tables keep their capacities.
    const struct {
        const char *name;
        const char *capabilities;
        int32_t count;
        int controllers;
    } cases[] = {{"4 controllers at most", "capabilities max_controllers=4 features=8\n", 0x7FFFFFFF, 2},
                 {"255 controllers at most", "capabilities max_controllers=255 features=8\n", 255, 2},
                 {"no controllers at most", "capabilities max_controllers=0 features=8\n", 0x7FFFFFFF, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoadScenario(std::string(c.capabilities) +
                     (kScenario + std::strlen("capabilities max_controllers=4 features=0x08\n")));
        ASSERT_EQ(qvlsim_set_raw_controller(0, &rec), 0);
        ASSERT_EQ(qvlsim_set_raw_controller(1, &rec), 0);
        qvlsim_inject(QVLSIM_OP_GET_CONTROLLER_COUNT, c.count, 0);
        TRAIDSystem system(0);
        EXPECT_EQ(system.ControllerCount(), c.controllers);
        EXPECT_LE(system.ChannelCount(), 8 * system.MaxControllers) << "the channel table holds 8 a controller";
        EXPECT_LE(system.DeviceCount(), 16 * system.MaxControllers);
        for (int i = 0; i < system.ControllerCount(); ++i)
            EXPECT_LE(system.Controllers[i]->Info.Product.size(), 36u);
        system.Reload();
        EXPECT_EQ(system.ControllerCount(), c.controllers);
        qvlsim_inject_clear();
    }
}

// Event texts of the client library over the same hostile records.
TEST_F(HostileRecords, EventTextsStayWithinTheEntry)
{
    Raw(0x101, Disk(0x203, 'D'));
    Raw(0x102, Disk(0xDEAD, 'E'));
    Raw(0x201, Array(QVL_NO_DEVICE, {1, 2, 3, 4, 5, 6, 7, 8}, 'N')); // 16-byte name
    Raw(0x202, Array(0x203, {0x101}, 'O'));                          // member of 0x203
    Raw(0x203, Array(0x203, {9, 9, 9, 9, 9, 9, 9, 0x202}, 'P'));     // own parent
    DeviceInfo lying = Disk(QVL_NO_DEVICE, 'Z');
    Raw(0x204, lying); // a disk, not an array
    uint8_t longName[QVL_EVENT_PAYLOAD];
    std::memset(longName, 'W', sizeof longName);

    const std::string n16(16, 'N'), p16(16, 'P');
    const struct {
        const char *name;
        uint8_t code;
        DeviceId id;
        const uint8_t *payload;
        int32_t result;
        std::string text;
    } cases[] = {
        {"array name of 16", 9, 0x201, nullptr, 0, "Array '" + n16 + "' verifying started."},
        {"member 8 of a parent with 255 members", 12, 0x202, nullptr, 0,
         "Array 'Member 8 of " + p16 + "' verifying completed."},
        {"an array that is its own parent", 17, 0x203, nullptr, 0, "Array '' data is not consistent."},
        {"a disk where an array belongs", 9, 0x204, nullptr, -1, ""},
        {"disk at positions of 255", 1, 0x101, nullptr, 0, "Disk at Controller256-Channel256-Device256 failed."},
        {"spare into an array of 16", 7, 0x101, nullptr, 0, "Spare disk took over.(Array: " + p16 + ")"},
        {"spare whose array is nowhere", 7, 0x102, nullptr, -1, ""},
        {"a payload name of 32 without end", 14, 0x201, longName, 0,
         "Array '" + std::string(32, 'W') + "' initializing aborted, the array is deleted."},
        {"an identifier that points nowhere", 6, 0x999, nullptr, -1, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(qvlsim_queue_event(c.code, c.id, c.payload, c.payload ? QVL_EVENT_PAYLOAD : 0), 0);
        struct {
            EventEntry entry;
            uint8_t guard[64];
        } out;
        std::memset(&out, 0xCC, sizeof out);
        EXPECT_EQ(cs_qvl_get_log_event(0, &out.entry), c.result);
        for (uint8_t g : out.guard)
            ASSERT_EQ(g, 0xCC) << "written past the entry";
        if (c.result == 0) {
            ASSERT_NE(std::memchr(out.entry.text, 0, sizeof out.entry.text), nullptr);
            EXPECT_EQ(std::string(out.entry.text), c.text);
        }
    }
    EXPECT_EQ(qvlsim_pending_events(), 0);
}

} // namespace
