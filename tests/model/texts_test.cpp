#include <cmath>
#include <string>
#include <vector>

#include "GetInfo.h"
#include "deviceUnit.h"
#include "modelTest.h"

namespace {

TEST(CapacityText, TruncatesAtEachStep)
{
    const struct {
        uint32_t sectors;
        const char *text;
    } cases[] = {
        {78165360u, "40.01 GB"}, {19999999u, "10.23 GB"},     {0u, "0.00 GB"}, {1999u, "0.00 GB"}, {19999u, "0.00 GB"},
        {20000u, "0.01 GB"},     {0xFFFFFFFFu, "2199.02 GB"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sectors);
        EXPECT_EQ(CapacityText(c.sectors), c.text);
    }
}

TEST(HexText, UpperCaseWithoutLeadingZeros)
{
    EXPECT_EQ(HexText(0x1F0), "1F0h");
    EXPECT_EQ(HexText(0), "0h");
    EXPECT_EQ(HexText(0xFFFFFFFFu), "FFFFFFFFh");
}

TEST(StatusText, ArrayFlags)
{
    const struct {
        uint32_t flags;
        const char *text;
        int cls;
    } cases[] = {
        {0x0, "Available", 0},
        {0x20, "Not available", 0},
        {0x1, "Disabled", 0x2},
        {0x1 | 0x18 | 0x200, "Disabled", 0x2},
        {0x10, "Available,Bootable", 0x8},
        {0x30, "Available,Bootable", 0x8},
        {0x18, "Bootable,Broken", 0x18},
        {0x8, "Broken", 0x10},
        {0x20A, "Broken", 0x10},
        {0x200, "Initializing", 0x10},
        {0x204, "Initializing", 0x10},
        {0x2, "Need rebuilding", 0x10},
        {0x6, "Rebuilding", 0x10},
        {0x16, "Bootable,Rebuilding", 0x18},
        {0x4, "Duplicating", 0x10},
        {0x104, "Duplicating", 0x10},
        {0x100, "Verifying", 0x10},
        {0x110, "Bootable,Verifying", 0x18},
        {0x120, "Verifying", 0x10},
        {0x80000000u, "Available", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags);
        std::string text = "stale";
        EXPECT_EQ(StatusText(1, 0, c.flags, text), c.cls);
        EXPECT_EQ(text, c.text);
    }
}

TEST(StatusText, DiskFlags)
{
    const struct {
        uint32_t flags;
        DeviceId parent;
        const char *text;
        int cls;
    } cases[] = {
        {0x0, 0, "Available", 0},
        {0x8, 0, "Available", 0},
        {0x1, 0, "Disabled", 0x2},
        {0x2, 0, "Available,Bootable", 0x8},
        {0x80000000u, 0, "Available,Spare", 0x4},
        {0x80000000u, 0xFFFFFFFFu, "Available,Spare", 0x4},
        {0x80000000u, 0x40, "Dedicated spare", 0x4},
        {0x80000002u, 0, "Bootable,Spare", 0xC},
        {0x80000001u, 0x40, "Disabled,Dedicated spare", 0x6},
        {0x80000003u, 0, "Disabled,Bootable,Spare", 0xE},
        {0x3, 0, "Disabled,Bootable", 0xA},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.flags << " parent " << c.parent);
        std::string text = "stale";
        EXPECT_EQ(StatusText(2, c.parent, c.flags, text), c.cls);
        EXPECT_EQ(text, c.text);
    }
    std::string text = "stale";
    EXPECT_EQ(StatusText(3, 0, 0x3, text), 0);
    EXPECT_EQ(text, "");
}

// Eight disks on controller 1 (so a first-disk controller of 1 is told apart from 0 and -1);
// `first` adds words to disk 0x11.
std::string DiskScenario(const std::string &first = "")
{
    return "controller chip=1 irq=5 channels=1\n"
           "controller chip=1 irq=5 channels=4\n"
           "disk id=0x11 controller=1 channel=0 position=0 capacity=1000 " +
           first +
           "\n"
           "disk id=0x12 controller=1 channel=0 position=1 capacity=1000\n"
           "disk id=0x13 controller=1 channel=1 position=0 capacity=1000\n"
           "disk id=0x14 controller=1 channel=1 position=1 capacity=1000\n"
           "disk id=0x15 controller=1 channel=2 position=0 capacity=1000\n"
           "disk id=0x16 controller=1 channel=2 position=1 capacity=1000\n"
           "disk id=0x17 controller=1 channel=3 position=0 capacity=1000\n"
           "disk id=0x18 controller=1 channel=3 position=1 capacity=1000\n";
}
const std::string Disks = DiskScenario();

TEST(ReadArrayTexts, LevelsAndTwoLevelArrays)
{
    const struct {
        const char *label;
        const char *arrays;
        int type;
        const char *typeText;
        const char *block;
        int firstController;
        int members;
        const char *firstDisk = ""; // words added to disk 0x11
    } cases[] = {
        {"raid0", "array id=0xA0 level=0 block=7 members=0x11,0x12", 1, "RAID 0", "64k", 1, 2},
        {"raid1 has no block size", "array id=0xA0 level=1 block=7 members=0x11,0x12", 2, "RAID 1", "", 1, 2},
        {"raid1.5", "array id=0xA0 level=1.5 block=7 members=0x11,0x12", 10, "RAID 1.5", "", 1, 2},
        {"raid5", "array id=0xA0 level=5 block=3 members=0x11,0x12,0x13", 3, "RAID 5", "4k", 1, 3},
        {"jbod", "array id=0xA0 level=jbod block=7 members=0x11", 7, "JBOD", "", 1, 1},
        {"unknown code", "array id=0xA0 raid_code=4 block=7 members=0x11", 4, "Unknown", "", 1, 1},
        {"eight members, no terminator", "array id=0xA0 level=jbod members=0x11,0x12,0x13,0x14,0x15,0x16,0x17,0x18", 7,
         "JBOD", "", 1, 8},
        {"raid 1/0",
         "array id=0xB1 level=1 members=0x11,0x12\narray id=0xB2 level=1 members=0x13,0x14\n"
         "array id=0xA0 level=0 block=6 members=0xB1,0xB2",
         8, "RAID 1/0", "32k", 1, 2},
        {"raid 0/1",
         "array id=0xB1 level=0 members=0x11,0x12\narray id=0xB2 level=0 members=0x13,0x14\n"
         "array id=0xA0 level=1 block=4 members=0xB1,0xB2",
         9, "RAID 0/1", "8k", 1, 2},
        {"raid 1/0, member 0 fails",
         "array id=0xB1 level=1 members=0x11,0x12 fail=-1\narray id=0xB2 level=1 members=0x13,0x14\n"
         "array id=0xA0 level=0 block=6 members=0xB1,0xB2",
         1, "RAID 0", "32k", -1, 2},
        {"raid 0/1, member 0 fails",
         "array id=0xB1 level=0 members=0x11,0x12 fail=-1\narray id=0xB2 level=0 members=0x13,0x14\n"
         "array id=0xA0 level=1 block=4 members=0xB1,0xB2",
         2, "RAID 1", "", -1, 2},
        {"raid 1/0, first disk fails",
         "array id=0xB1 level=1 members=0x11,0x12\narray id=0xB2 level=1 members=0x13,0x14\n"
         "array id=0xA0 level=0 block=6 members=0xB1,0xB2",
         8, "RAID 1/0", "32k", -1, 2, "fail=-1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        LoadScenario(DiskScenario(c.firstDisk) + c.arrays + "\n");
        _Arrayinfo info;
        ASSERT_TRUE(ReadArrayTexts(0, 0xA0, info));
        EXPECT_EQ(info.RaidType, c.type);
        EXPECT_EQ(info.TypeStr, c.typeText);
        EXPECT_EQ(info.BlockSizeStr, c.block);
        EXPECT_EQ(info.FirstDiskController, c.firstController);
        EXPECT_EQ(info.MemberCount, c.members);
        EXPECT_EQ(info.Members[0], c.type == 8 || c.type == 9 || c.firstController == -1 ? 0xB1u : 0x11u);
    }
}

TEST(ReadArrayTexts, BlockSizeCodes)
{
    const struct {
        int code;
        const char *text;
    } cases[] = {{0, "2048k"},  {1, "2048k"},  {2, "2k"},     {3, "4k"},     {7, "64k"},
                 {11, "1024k"}, {12, "2048k"}, {13, "2048k"}, {255, "2048k"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        LoadScenario(Disks + "array id=0xA0 level=0 members=0x11 block=" + std::to_string(c.code) + "\n");
        _Arrayinfo info;
        ASSERT_TRUE(ReadArrayTexts(0, 0xA0, info));
        EXPECT_EQ(info.BlockSizeStr, c.text);
    }
}

TEST(ReadArrayTexts, FieldsAndStatusAdjustments)
{
    LoadScenario(Disks + "array id=0xA0 name=\"ABCDEFGHIJKLMNOP\" text=\"kept\" level=1 members=0x11,0x12 "
                         "status=0xA progress=10000 capacity=78165360\n"
                         "array id=0xA1 name=\"Off\" level=1 members=0x13 status=0x19\n");
    _Arrayinfo info;
    ASSERT_TRUE(ReadArrayTexts(0, 0xA0, info));
    EXPECT_EQ(info.Name, "ABCDEFGHIJKLMNOP"); // a full field has no zero byte
    EXPECT_EQ(info.IdStr, "A0h");
    EXPECT_EQ(info.SecondStr, "kept");
    EXPECT_EQ(info.Progress, 10000);
    EXPECT_EQ(info.CapacityStr, "40.01 GB");
    EXPECT_EQ(info.StatusFlags, 0x8u); // need-rebuilding dropped beside broken
    EXPECT_EQ(info.StatusStr, "Broken");
    EXPECT_EQ(info.StatusClass, 0x10);
    EXPECT_EQ(info.CreatorStr, "");

    ASSERT_TRUE(ReadArrayTexts(0, 0xA1, info));
    EXPECT_EQ(info.StatusFlags, 0x1u);
    EXPECT_EQ(info.StatusStr, "Disabled");
}

TEST(ReadArrayTexts, DiskOrMissingIsNoArray)
{
    LoadScenario(Disks);
    for (DeviceId id : {0x11u, 0x99u, 0u}) {
        SCOPED_TRACE(id);
        _Arrayinfo info;
        info.Name = "kept";
        info.FirstDiskController = 5;
        EXPECT_FALSE(ReadArrayTexts(0, id, info));
        EXPECT_EQ(info.Name, "kept");
        EXPECT_EQ(info.FirstDiskController, -1);
    }
}

TEST(ReadDeviceTexts, ModelRevisionAndPlace)
{
    LoadScenario("controller chip=1 irq=5 channels=1\ncontroller chip=1 irq=5 channels=3\n"
                 "disk id=0x21 controller=1 channel=2 position=1 capacity=19999999 mode=12 "
                 "model=\"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ\" revision=\"1x x3x4x\"\n"
                 "disk id=0x22 controller=1 channel=0 position=0 model=\"  QD 40  \" type=cdrom "
                 "capacity=5000\n");
    _PhyDeviceinfo info;
    ASSERT_TRUE(ReadDeviceTexts(0, 0x21, info));
    EXPECT_EQ(info.ModelStr, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXY"); // byte 117 ends it
    EXPECT_EQ(info.Name, info.ModelStr);
    EXPECT_EQ(info.RevisionStr, "143"); // bytes 72, 70, 76, 74, trimmed
    EXPECT_EQ(info.TypeStr, "Hard Disk");
    EXPECT_EQ(info.LocationStr, "Controller 2, Channel 3, Slave");
    EXPECT_EQ(info.CapacityStr, "10.23 GB");
    EXPECT_EQ(info.TransferModeStr, "ATA/66");
    EXPECT_EQ(info.IdStr, "21h");
    EXPECT_EQ(info.ManufacturerStr, "");

    ASSERT_TRUE(ReadDeviceTexts(0, 0x22, info));
    EXPECT_EQ(info.ModelStr, "QD 40");
    EXPECT_EQ(info.TypeStr, "CD_ROM");
    EXPECT_EQ(info.Capacity, 0);
    EXPECT_EQ(info.CapacityStr, "N/A");
    EXPECT_EQ(info.LocationStr, "Controller 2, Channel 1, Master");
}

TEST(ReadDeviceTexts, TransferModesTypesAndPositions)
{
    const struct {
        const char *words;
        const char *mode, *type, *position;
    } cases[] = {
        {"mode=0 type=hdd position=0", "PIO 0", "Hard Disk", "Master"},
        {"mode=4 type=tape position=1", "PIO 4", "Tape", "Slave"},
        {"mode=5 type=7 position=0", "MW DMA Mode 0", "Unknown", "Master"},
        {"mode=7 type=0 position=0", "MW DMA Mode 2", "Unknown", "Master"},
        {"mode=8 position=0", "ATA/16", "Hard Disk", "Master"},
        {"mode=15 position=0", "ATA/150", "Hard Disk", "Master"},
        {"mode=16 position=0", "Unknown", "Hard Disk", "Master"},
        {"mode=255 position=0", "Unknown", "Hard Disk", "Master"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.words);
        LoadScenario(std::string("controller chip=1 irq=5 channels=1\n"
                                 "disk id=0x21 controller=0 channel=0 ") +
                     c.words + "\n");
        _PhyDeviceinfo info;
        ASSERT_TRUE(ReadDeviceTexts(0, 0x21, info));
        EXPECT_EQ(info.TransferModeStr, c.mode);
        EXPECT_EQ(info.TypeStr, c.type);
        EXPECT_EQ(info.PositionStr, c.position);
    }
}

TEST(ReadDeviceTexts, ArrayNameIsTheTopmostReadable)
{
    const struct {
        const char *label;
        const char *arrays;
        const char *name;
    } cases[] = {
        {"no array", "", ""},
        {"one level", "array id=0xA0 name=\"Mirror\" level=1 members=0x11,0x12", "Mirror"},
        {"two levels",
         "array id=0xB1 name=\"Inner\" level=1 members=0x11,0x12\n"
         "array id=0xB2 name=\"Other\" level=1 members=0x13,0x14\n"
         "array id=0xA0 name=\"Outer\" level=0 members=0xB1,0xB2",
         "Outer"},
        {"outer fails",
         "array id=0xB1 name=\"Inner\" level=1 members=0x11,0x12\n"
         "array id=0xA0 name=\"Outer\" level=0 members=0xB1 fail=-1",
         "Inner"},
        {"parent fails", "array id=0xA0 name=\"Mirror\" level=1 members=0x11,0x12 fail=-1", ""},
        {"array is its own parent", "array id=0xA0 name=\"Self\" level=1 members=0x11,0x12 parent=0xA0", "Self"},
        {"two arrays name each other",
         "array id=0xA0 name=\"First\" level=1 members=0x11,0x12 parent=0xA1\n"
         "array id=0xA1 name=\"Second\" level=1 parent=0xA0",
         "Second"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        LoadScenario(Disks + c.arrays + "\n");
        _PhyDeviceinfo info;
        ASSERT_TRUE(ReadDeviceTexts(0, 0x11, info));
        EXPECT_EQ(info.ArrayName, c.name);
        EXPECT_LT(CountCalls(DriverCalls(), "get_device_info"), 12);
    }
}

TEST(ReadDeviceTexts, LongParentChainIsCut)
{
    // 100 arrays, each the parent of the one before: longer than any real nesting.
    std::string scenario = Disks;
    for (int i = 0; i < 100; ++i) {
        scenario.append("array level=1 id=").append(std::to_string(0x1000 + i));
        scenario.append(" name=N").append(std::to_string(i));
        if (i == 0)
            scenario.append(" members=0x11");
        if (i < 99)
            scenario.append(" parent=").append(std::to_string(0x1001 + i));
        scenario.append("\n");
    }
    LoadScenario(scenario);
    _PhyDeviceinfo info;
    ASSERT_TRUE(ReadDeviceTexts(0, 0x11, info));
    EXPECT_EQ(info.ArrayName, "N" + std::to_string(MaxArrayChain - 1));
}

TEST(ReadControllerTexts, ChipNamesPortsAndBounds)
{
    std::vector<std::string> names;
    for (int chip : {1, 2, 3, 4, 5, 6}) {
        SCOPED_TRACE(chip);
        LoadScenario("controller chip=" + std::to_string(chip) + " irq=5 channels=1\n");
        _ControllerInfo info;
        ASSERT_TRUE(ReadControllerTexts(0, 0, info));
        EXPECT_FALSE(info.ChipName.empty());
        for (const auto &n : names)
            EXPECT_NE(info.ChipName, n);
        names.push_back(info.ChipName);
    }
    for (int chip : {0, 7, 0x7F, 0x81}) {
        SCOPED_TRACE(chip);
        LoadScenario("controller chip=" + std::to_string(chip) + " irq=5 channels=1\n");
        _ControllerInfo info;
        info.ChipName = "kept";
        ASSERT_TRUE(ReadControllerTexts(0, 0, info));
        EXPECT_EQ(info.ChipName, "kept");
        EXPECT_EQ(info.ChipCode, chip);
    }

    LoadScenario("controller chip=0x80 irq=11 channels=10 product=\"QR ATA RAID\" manufacturer=\"Quorvel\"\n"
                 "channel controller=0 index=0 io=0x1F0 control=0x3F6\n"
                 "channel controller=0 index=1 io=0 control=0x376\n"
                 "channel controller=0 index=2 io=0x170 control=0 fail=-1\n");
    _ControllerInfo info;
    info.Channels[2].IoPortStr = "old";
    ASSERT_TRUE(ReadControllerTexts(0, 0, info));
    EXPECT_EQ(info.Name, "Controller 1");
    EXPECT_EQ(info.ChipName, "THIRD PARTY");
    EXPECT_EQ(info.InterruptStr, "11");
    EXPECT_EQ(info.ChannelCountStr, "10");
    EXPECT_EQ(info.Product, "QR ATA RAID");
    EXPECT_EQ(info.Manufacturer, "Quorvel");
    EXPECT_EQ(info.Channels[0].IoPortStr, "1F0h");
    EXPECT_EQ(info.Channels[0].ControlPortStr, "3F6h");
    EXPECT_EQ(info.Channels[1].IoPortStr, "N/A");
    EXPECT_EQ(info.Channels[1].ControlPortStr, "376h");
    EXPECT_EQ(info.Channels[2].IoPortStr, "old"); // a failed channel read keeps its texts
    // The record holds eight channels: channels 9 and 10 are never asked for.
    const auto calls = DriverCalls();
    EXPECT_EQ(CountCalls(calls, "get_channel_info"), 8);
    EXPECT_EQ(CountCalls(calls, "get_channel_info(0,8)"), 0);

    LoadScenario("controller chip=1 irq=5 channels=1 fail=-1\n");
    EXPECT_FALSE(ReadControllerTexts(0, 0, info));
    EXPECT_FALSE(ReadControllerTexts(0, 1, info));
}

TEST(ReadChannelTexts, DevicesAndFailure)
{
    LoadScenario("controller chip=1 irq=5 channels=3\n"
                 "channel controller=0 index=1 io=0x170 control=0x376\n"
                 "channel controller=0 index=2 fail=-1\n"
                 "disk id=0x31 controller=0 channel=1 position=0\n");
    _ChannelInfo info;
    ASSERT_TRUE(ReadChannelTexts(0, 0, 1, info));
    EXPECT_EQ(info.Name, "Channel 2");
    EXPECT_EQ(info.IoPortStr, "170h");
    EXPECT_EQ(info.Master, 0x31u);
    EXPECT_FALSE(IsValidId(info.Slave));
    EXPECT_EQ(info.DeviceCount, 1);

    ASSERT_TRUE(ReadChannelTexts(0, 0, 0, info));
    EXPECT_EQ(info.IoPortStr, "N/A");
    EXPECT_EQ(info.DeviceCount, 0);

    info.DeviceCount = 2;
    EXPECT_FALSE(ReadChannelTexts(0, 0, 2, info));
    EXPECT_EQ(info.DeviceCount, 0);
}

TEST(BayTemperature, TablePointsGiveTheirDegrees)
{
    const int x[] = {453, 416, 410, 394, 388, 369, 346, 340, 330, 320, 312, 304,
                     301, 299, 290, 285, 278, 276, 259, 243, 241, 238, 195};
    const double y[] = {30.8, 31.8, 32.8, 33.8, 35.0, 36.0, 37.0, 38.0, 39.2, 40.0, 41.0, 42.0,
                        44.0, 45.1, 46.0, 47.1, 48.1, 48.9, 49.9, 51.1, 52.4, 53.0, 54.1};
    for (int i = 0; i < 23; ++i) {
        SCOPED_TRACE(x[i]);
        BayInfo bay = {};
        bay.temperature = static_cast<uint16_t>(x[i]);
        EXPECT_NEAR(TDevice::BayTemperature(bay), y[i], 1e-4); // a degree-22 polynomial rounds
    }
    // Between two points the degrees stay within a degree of the two points' range.
    for (int i = 0; i + 1 < 23; ++i)
        for (int r = x[i + 1] + 1; r < x[i]; ++r) {
            SCOPED_TRACE(r);
            const double t = TDevice::BayTemperature(static_cast<uint16_t>(r));
            EXPECT_GE(t, y[i] - 1.0);
            EXPECT_LE(t, y[i + 1] + 1.0);
        }
}

TEST(BayTemperature, BeyondTheTableRunsOnWithTheEndSlopes)
{
    // Below 195 the slope of the last two points (1.1 degrees per 43 readings), above 453
    // that of the first two (1 degree per 37 readings).
    EXPECT_NEAR(TDevice::BayTemperature(uint16_t{0}), 54.1 + 195 * 1.1 / 43, 1e-9);
    EXPECT_NEAR(TDevice::BayTemperature(uint16_t{65535}), 30.8 - (65535 - 453) / 37.0, 1e-9);
    // No step where the table ends.
    EXPECT_NEAR(TDevice::BayTemperature(uint16_t{194}), TDevice::BayTemperature(uint16_t{195}), 0.1);
    EXPECT_NEAR(TDevice::BayTemperature(uint16_t{454}), TDevice::BayTemperature(uint16_t{453}), 0.1);
    // The nearest point is an end of the table: the one-sided slope is used there too.
    EXPECT_NEAR(TDevice::BayTemperature(uint16_t{450}), 30.8 + 3 / 37.0, 1.0);
    EXPECT_NEAR(TDevice::BayTemperature(uint16_t{200}), 54.1 - 5 * 1.1 / 43, 1.0);
    for (int r = 0; r <= 65535; ++r) {
        const double t = TDevice::BayTemperature(static_cast<uint16_t>(r));
        ASSERT_TRUE(std::isfinite(t)) << r;
        if (r < 195) {
            ASSERT_GE(t, 54.1 - 2.0) << r;
        }
        if (r > 453) {
            ASSERT_LE(t, 30.8 + 2.0) << r;
        }
    }
}

} // namespace
