// Scenario files: what loads, what is refused, and that show gives back what was loaded.
#include <algorithm>

#include "simFixture.h"

namespace {

// Every kind of word, including hostile data: texts that fill their fields, escapes, a parent
// loop, unknown codes, per-object faults, an undescribed channel and a pending disk.
const char kEverything[] =
    "capabilities version=-3 max_controllers=20 features=0x0D flag_a=1 value_c=9 value_d=8 flag_b=3 value_e=0"
    " types=0x01,0x12,0x21 limits=8,4\n"
    "controller chip=0x80 irq=15 channels=32 product=\"12345678901234567890123456789012345\""
    " manufacturer=\"Q\\\"uo\\\\rv\\x01l\"\n"
    "channel controller=0 index=0 io=0x1F0 control=0x3F6\n"
    "channel controller=0 index=31 fail=-7   # comment after an item\n"
    "controller chip=1 irq=0 channels=1 fail=0xC0000005\n"
    "disk id=0x10 controller=0 channel=0 position=0 capacity=1000 mode=15"
    " model=\"1234567890123456789012345678901234567890\" revision=\"ABCDEFGH\" status=0x40 bootable=1 rack=1\n"
    "disk id=0x11 controller=0 channel=0 position=1 type=9 capacity=500 model=\"  lead\" revision=\"r\\x00v\""
    " spare=1 parent=0x30 busy=1 disabled=1\n"
    "disk id=0x12 controller=0 channel=5 position=1 type=tape pending=1 fail=3\n"
    "disk id=0x13 controller=1 channel=0 position=0 capacity=700\n"
    "array id=0x30 name=\"0123456789ABCDEF\" level=1.5 block=12 status=0x105 members=0x10,0x13 progress=10000"
    " text=\"second\"\n"
    "array id=0x31 name=\"odd\" raid_code=0x42 members=0x31 parent=0x31 capacity=77\n"
    "array id=0x32 name=\"\" level=jbod members=0x30 fail=-1\n";

std::vector<std::vector<uint8_t>> records(const std::vector<DeviceId> &ids)
{
    std::vector<std::vector<uint8_t>> out;
    for (DeviceId id : ids) {
        std::vector<uint8_t> buf(QVL_DEVICE_INFO_SIZE);
        int32_t r = qvl_get_device_info(id, reinterpret_cast<DeviceInfo *>(buf.data()));
        buf.push_back(static_cast<uint8_t>(r));
        out.push_back(buf);
    }
    return out;
}

} // namespace

TEST_F(SimTest, ShowGivesBackWhatWasLoaded)
{
    load(kEverything);
    const std::vector<DeviceId> ids = {0x10, 0x11, 0x12, 0x13, 0x30, 0x31, 0x32};
    auto before = records(ids);
    std::string first = show();
    load(first);
    EXPECT_EQ(show(), first);
    EXPECT_EQ(records(ids), before);
}

TEST_F(SimTest, RecordsHoldTextsExactlyAsGiven)
{
    load(kEverything);
    ControllerRecord c{};
    ASSERT_EQ(qvl_get_controller_info(0, &c), 0);
    EXPECT_EQ(c.chipCode, 0x80);
    EXPECT_EQ(c.channelCount, 32);
    EXPECT_EQ(std::string(c.product, 36), std::string("12345678901234567890123456789012345") + '\0');
    EXPECT_STREQ(c.manufacturer, "Q\"uo\\rv\x01l");
    EXPECT_EQ(qvl_get_controller_info(1, &c), static_cast<int32_t>(0xC0000005));

    ChannelRecord undescribed = channel(0, 7);
    EXPECT_EQ(undescribed.ioPort, 0u);
    EXPECT_EQ(undescribed.master, QVL_NO_DEVICE);
    ChannelRecord ch{};
    EXPECT_EQ(qvl_get_channel_info(0, 31, &ch), -7);
    EXPECT_EQ(qvl_get_channel_info(0, 32, &ch), -1);

    DeviceInfo d = record(0x10);
    EXPECT_EQ(std::string(d.u.disk.model, 40), "1234567890123456789012345678901234567890");
    EXPECT_EQ(std::string(d.u.disk.revision, 8), "ABCDEFGH");
    EXPECT_EQ(d.u.disk.status, 0x40u | QVL_DISK_BOOTABLE | QVL_DISK_IN_RACK);
    EXPECT_EQ(d.parent, 0x30u);
    d = record(0x11);
    EXPECT_EQ(std::string(d.u.disk.model, 40), "  lead" + std::string(34, ' '));
    EXPECT_EQ(std::string(d.u.disk.revision, 8), std::string("r\0v\0\0\0\0\0", 8));
    EXPECT_EQ(d.u.disk.deviceType, 9);

    DeviceInfo a = record(0x30);
    EXPECT_EQ(std::string(a.u.array.name, 16), "0123456789ABCDEF");
    EXPECT_EQ(a.u.array.raidType, QVL_RAID1);
    EXPECT_EQ(a.u.array.status, 0x105u | QVL_ARRAY_RAID15);
    EXPECT_EQ(a.capacity, 700u) << "a mirror is as large as its smallest member";
    EXPECT_EQ(a.parent, 0x32u);
    a = record(0x31);
    EXPECT_EQ(a.parent, 0x31u) << "a loop is loaded as given";
    EXPECT_EQ(a.capacity, 77u);
    EXPECT_EQ(qvl_get_device_info(0x32, &a), -1) << "fail= answers the query";
    EXPECT_EQ(qvl_get_device_info(0x12, &a), -1) << "a pending disk is not there yet";
}

TEST_F(SimTest, RefusedScenarioNamesLineAndChangesNothing)
{
    const std::string head = "controller chip=1 irq=14 channels=2\ndisk id=0x10 controller=0 channel=0 position=0\n";
    struct Case {
        std::string line;
        std::string error;
    } cases[] = {
        {"bogus x=1", "test:3: unknown item 'bogus'"},
        {"controller chip=1 irq=2 channels=1 colour=3", "test:3: unknown word 'colour' for controller"},
        {"controller chip=x1 irq=2 channels=1", "test:3: bad number 'x1' for chip="},
        {"controller chip=1 irq=2 channels=33", "test:3: channels=33 out of range"},
        {"controller chip=1 irq=256 channels=1", "test:3: irq=256 out of range"},
        {"controller chip=1 irq=2", "test:3: controller needs channels="},
        {"controller chip=1 chip=2 irq=2 channels=1", "test:3: chip= given twice"},
        {"controller chip=1 irq=2 channels=1 product=\"1234567890123456789012345678901234567\"",
         "test:3: product= text too long (max 35 characters)"},
        {"controller chip=1 irq=2 channels=1 product=\"open", "test:3: unterminated string in product="},
        {"controller chip=1 irq=2 channels=1 product=\"a\\qb\"", "test:3: bad escape in product="},
        {"controller chip=1 irq=2 channels=1 lonely", "test:3: expected key=value, got 'lonely'"},
        {"channel controller=0 index=2", "test:3: channel 2 out of range for controller 0"},
        {"channel controller=3 index=0", "test:3: controller 3 out of range"},
        {"disk id=0x10 controller=0 channel=1 position=0", "test:3: duplicate id 0x10"},
        {"disk id=0 controller=0 channel=1 position=0", "test:3: id=0 is no device identifier"},
        {"disk id=0xFFFFFFFF controller=0 channel=1 position=0", "test:3: id=0xFFFFFFFF is no device identifier"},
        {"disk id=0x11 controller=0 channel=0 position=0", "test:3: position 0/0/0 taken by 0x10"},
        {"disk id=0x11 controller=0 channel=0 position=2", "test:3: position=2 out of range"},
        {"disk id=0x11 controller=1 channel=0 position=0", "test:3: controller 1 out of range"},
        {"disk id=0x11 controller=0 channel=0 position=1 type=floppy", "test:3: bad number 'floppy' for type="},
        {"disk id=0x11 controller=0 channel=1 position=0 revision=\"123456789\"",
         "test:3: revision= text too long (max 8 characters)"},
        {"disk controller=0 channel=1 position=0", "test:3: disk needs id="},
        {"array id=0x20 name=\"12345678901234567\" level=0", "test:3: name= text too long (max 16 characters)"},
        {"array id=0x20 level=6", "test:3: unknown level '6'"},
        {"array id=0x20 members=0x10", "test:3: array needs level= or raid_code="},
        {"array id=0x20 level=0 members=0x10,0x99", "test:3: member 0x99 not found"},
        {"array id=0x20 level=0 members=1,2,3,4,5,6,7,8,9", "test:3: more than 8 members"},
        {"array id=0x20 level=1 members=0x10\narray id=0x21 level=1 members=0x10",
         "test:4: 0x10 is already a member of 0x20"},
        {"array id=0x20 level=1 members=0x10,0x10", "test:3: 0x10 is already a member of 0x20"},
        {"capabilities types=1\ncapabilities", "test:4: capabilities given twice"},
        {"capabilities types=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", "test:3: more than 16 types"},
    };
    load(kEverything);
    const std::string before = show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        char error[256] = "";
        EXPECT_EQ(qvlsim_load_text((head + c.line + "\n").c_str(), "test", error, sizeof error), -1);
        EXPECT_EQ(std::string(error).substr(0, c.error.size()), c.error) << error;
        EXPECT_EQ(show(), before);
    }
}

TEST_F(SimTest, SeventeenthControllerIsRefused)
{
    std::string text;
    for (int i = 0; i < 17; ++i)
        text += "controller chip=1 irq=1 channels=1\n";
    char error[128] = "";
    EXPECT_EQ(qvlsim_load_text(text.c_str(), "many", error, sizeof error), -1);
    EXPECT_STREQ(error, "many:17: too many controllers (max 16)");
    // The reason is cut to the buffer and still ends with a zero.
    char small[8];
    std::memset(small, 'x', sizeof small);
    qvlsim_load_text(text.c_str(), "many", small, sizeof small);
    EXPECT_STREQ(small, "many:17");
}

TEST_F(SimTest, DemoHasEveryKindOfThing)
{
    EXPECT_EQ(qvl_get_controller_count(), 2);
    DriverCapabilities caps{};
    caps.size = sizeof caps;
    ASSERT_EQ(qvl_get_driver_capabilities(&caps), 0);
    EXPECT_EQ(caps.maxControllers, 4);
    EXPECT_TRUE(caps.features & QVL_FEATURE_HOT_SWAP);
    const uint8_t *types = caps.typeCodes, *types_end = caps.typeCodes + 16;
    EXPECT_NE(std::find(types, types_end, 0x12), types_end);
    EXPECT_NE(std::find(types, types_end, 0x21), types_end);

    // Walk every position and sort what is found.
    int cdroms = 0, spares = 0, freePositions = 0, rackDisks = 0;
    std::vector<DeviceId> disks;
    for (uint32_t c = 0; c < 2; ++c) {
        ControllerRecord cr{};
        ASSERT_EQ(qvl_get_controller_info(c, &cr), 0);
        EXPECT_STREQ(cr.manufacturer, "Quorvel");
        for (uint32_t h = 0; h < cr.channelCount; ++h) {
            ChannelRecord ch = channel(c, h);
            EXPECT_NE(ch.ioPort, 0u);
            for (DeviceId id : {ch.master, ch.slave}) {
                if (!qvl_valid_id(id)) {
                    ++freePositions;
                    continue;
                }
                DeviceInfo d = record(id);
                EXPECT_EQ(d.kind, QVL_KIND_DISK);
                cdroms += d.u.disk.deviceType == QVL_DEVTYPE_CDROM;
                spares += (d.u.disk.status & QVL_DISK_SPARE) != 0;
                if ((d.u.disk.status & QVL_DISK_IN_RACK) && !qvl_valid_id(d.parent)) {
                    ++rackDisks;
                    DeviceId list[] = {id};
                    EXPECT_EQ(qvl_query_remove(1, list), 0) << "the rack disk can be unplugged";
                }
            }
        }
    }
    EXPECT_EQ(cdroms, 1);
    EXPECT_EQ(spares, 1);
    EXPECT_EQ(rackDisks, 1);
    EXPECT_GE(freePositions, 1);

    // Top level: the bootable mirror, the RAID 1/0 and the rack disk.
    int bootableMirrors = 0, raid10 = 0;
    for (DeviceId id : logical()) {
        DeviceInfo a = record(id);
        if (a.kind != QVL_KIND_ARRAY)
            continue;
        bootableMirrors +=
            a.u.array.raidType == QVL_RAID1 && (a.u.array.status & QVL_ARRAY_BOOTABLE) && a.u.array.memberCount == 2;
        if (a.u.array.raidType == QVL_RAID0 && a.u.array.memberCount == 2) {
            bool mirrors = true;
            for (int m = 0; m < 2; ++m) {
                DeviceInfo inner = record(a.u.array.members[m]);
                mirrors = mirrors && inner.kind == QVL_KIND_ARRAY && inner.u.array.raidType == QVL_RAID1 &&
                          inner.parent == id;
            }
            raid10 += mirrors;
        }
    }
    EXPECT_EQ(bootableMirrors, 1);
    EXPECT_EQ(raid10, 1);
    EXPECT_EQ(logical().size(), 3u);
}
