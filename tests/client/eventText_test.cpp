// Driver events turned into entries: type characters, texts, names and the deletion of arrays
// whose initialisation ended badly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qvlclient.h"
#include "support/simSystem.h"

using qvltest::DriverCalls;

namespace {

// Two controllers: a RAID 0 "Data" over two mirrors on the first, a mirror of two stripes on
// the second, and an array whose name fills its 16 bytes.
const char kSystem[] = R"(
controller chip=1 irq=10 channels=2 product="P0" manufacturer="M"
controller chip=2 irq=11 channels=2 product="P1" manufacturer="M"
disk id=0x11 controller=0 channel=0 position=0 type=hdd capacity=1000 model="A"
disk id=0x12 controller=0 channel=0 position=1 type=hdd capacity=1000 model="B"
disk id=0x13 controller=0 channel=1 position=0 type=hdd capacity=1000 model="C"
disk id=0x14 controller=0 channel=1 position=1 type=hdd capacity=1000 model="D"
disk id=0x15 controller=1 channel=0 position=0 type=hdd capacity=1000 model="E"
disk id=0x16 controller=1 channel=0 position=1 type=hdd capacity=1000 model="F"
disk id=0x17 controller=1 channel=1 position=0 type=hdd capacity=1000 model="G"
disk id=0x18 controller=1 channel=1 position=1 type=hdd capacity=1000 model="H"
array id=0x21 name="MirrorA" level=1 members=0x11,0x12
array id=0x22 name="MirrorB" level=1 members=0x13,0x14
array id=0x20 name="Data" level=0 members=0x21,0x22
array id=0x31 name="S1" level=0 members=0x15
array id=0x32 name="S2" level=0 members=0x16
array id=0x30 name="Mirror01" level=1 members=0x31,0x32
array id=0x40 name="ABCDEFGHIJKLMNOP" level=1 members=0x17,0x18
)";

class EventText : public testing::Test {
protected:
    void SetUp() override
    {
        qvltest::LoadScenario(kSystem);
        qvlsim_inject_clear();
    }

    // Queues one event and takes it through the library.
    int32_t Take(uint8_t code, DeviceId id, const std::string &payload = std::string())
    {
        EXPECT_EQ(qvlsim_queue_event(code, id, reinterpret_cast<const uint8_t *>(payload.data()),
                                     static_cast<uint32_t>(payload.size())),
                  0);
        std::memset(&entry, 0xAA, sizeof entry);
        return cs_qvl_get_log_event(0, &entry);
    }

    std::string Text() const { return std::string(entry.text, strnlen(entry.text, sizeof entry.text)); }

    int DeleteCalls()
    {
        int n = 0;
        for (const QvlSimCall &c : DriverCalls())
            if (c.operation == QVLSIM_OP_DELETE_ARRAY) {
                EXPECT_EQ(c.args[1], 0u) << "the library passes 0 as the second argument";
                ++n;
            }
        return n;
    }

    EventEntry entry;
};

struct Case {
    uint8_t code;
    DeviceId device;
    std::string payload;
    char type;
    std::string text;
};

TEST_F(EventText, EveryCodeHasItsTypeAndText)
{
    const std::string dup("\x01", 1);
    const Case cases[] = {
        {1, 0x13, "", 'E', "Disk at Controller1-Channel2-Device1 failed."},
        {2, 0x13, "", 'W', "Plugging disk detected.(Controller1-Channel2-Device1)"},
        {3, 0x18, "", 'E', "Disk at Controller2-Channel2-Device2 failed."},
        {4, 0x20, "", 'I', "Array 'Data' rebuilding started."},
        {4, 0x20, dup, 'I', "Array 'Data' duplicating started."},
        {5, 0x20, "", 'W', "Array 'Data' rebuilding aborted."},
        {5, 0x20, dup, 'W', "Array 'Data' duplicating aborted."},
        {6, 0x22, "", 'I', "Array 'Member 2 of Data' rebuilding completed."},
        {6, 0x21, dup, 'I', "Array 'Member 1 of Data' duplicating completed."},
        {7, 0x12, "", 'W', "Spare disk took over.(Array: MirrorA)"},
        {8, 0x20, "", 'W', "Array 'Data' rebuilding failed."},
        {8, 0x20, dup, 'W', "Array 'Data' duplicating failed."},
        {9, 0x20, "", 'I', "Array 'Data' verifying started."},
        {10, 0x20, "", 'W', "Array 'Data' verifying aborted."},
        {11, 0x20, "", 'W', "Array 'Data' verifying failed."},
        {12, 0x20, "", 'I', "Array 'Data' verifying completed."},
        {13, 0x20, "", 'I', "Array 'Data' initializing started."},
        {16, 0x20, "", 'I', "Array 'Data' initializing completed."},
        {17, 0x20, "", 'W', "Array 'Data' data is not consistent."},
        // A member of a mirror has no display name: only striped parents give one.
        {12, 0x31, "", 'I', "Array '' verifying completed."},
        {12, 0x30, "", 'I', "Array 'Mirror01' verifying completed."},
        // A name that fills its field has no terminator and is read to the field's end.
        {9, 0x40, "", 'I', "Array 'ABCDEFGHIJKLMNOP' verifying started."},
        // An unknown disk keeps the spaces around its empty location.
        {1, 0x99, "", 'E', "Disk at  failed."},
        {2, 0x99, "", 'W', "Plugging disk detected.()"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.code) + " device " + std::to_string(c.device));
        ASSERT_EQ(Take(c.code, c.device, c.payload), 0);
        EXPECT_EQ(entry.type, c.type);
        EXPECT_EQ(Text(), c.text);
        EXPECT_EQ(entry.flags, 3);
        EXPECT_EQ(entry.reserved2[0], 0);
        EXPECT_EQ(entry.reserved2[1], 0);
        EXPECT_EQ(entry.event.code, c.code);
        EXPECT_EQ(entry.event.device, c.device);
        EXPECT_NE(entry.event.time, 0u) << "the driver's time stamp is kept";
        for (size_t i = Text().size(); i < sizeof entry.text; ++i)
            ASSERT_EQ(entry.text[i], 0) << "the rest of the text is zero, byte " << i;
    }
}

TEST_F(EventText, EventsThatCannotBeTurnedIntoTextGiveMinusOne)
{
    const Case cases[] = {
        {0, 0x20, "", 0, ""},                                                       // unknown codes
        {18, 0x20, "", 0, ""},        {255, 0x20, "", 0, ""}, {9, 0x11, "", 0, ""}, // array check on a disk
        {4, 0x99, "", 0, ""},                                                       // array check on nothing
        {7, 0x20, "", 0, ""}, // spare take-over names an array, not a disk
        {7, 0x15 + 0x100, "", 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("code " + std::to_string(c.code) + " device " + std::to_string(c.device));
        EXPECT_EQ(Take(c.code, c.device, c.payload), -1);
        EXPECT_EQ(qvlsim_pending_events(), 0) << "the event is used up";
    }
}

TEST_F(EventText, SpareTakeOverNeedsAReadableParentArray)
{
    qvltest::LoadScenario(std::string(kSystem) +
                          "controller chip=3 irq=12 channels=1 product=\"P2\" manufacturer=\"M\"\n"
                          "disk id=0x50 controller=2 channel=0 position=0 "
                          "type=hdd capacity=10 model=\"X\"\n");
    EXPECT_EQ(Take(7, 0x50, ""), -1) << "a disk without an array";
}

TEST_F(EventText, NoEventLeavesTheEntryUntouched)
{
    ASSERT_EQ(qvlsim_pending_events(), 0);
    std::memset(&entry, 0x5A, sizeof entry);
    EXPECT_EQ(cs_qvl_get_log_event(0, &entry), -1);
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&entry);
    for (size_t i = 0; i < sizeof entry; ++i)
        ASSERT_EQ(bytes[i], 0x5A) << "byte " << i;
}

TEST_F(EventText, NullEntryUsesTheEventUpAndFails)
{
    ASSERT_EQ(qvlsim_queue_event(1, 0x11, nullptr, 0), 0);
    EXPECT_EQ(cs_qvl_get_log_event(0, nullptr), -1);
    EXPECT_EQ(qvlsim_pending_events(), 0);
}

TEST_F(EventText, EventsComeInDriverOrder)
{
    ASSERT_EQ(qvlsim_queue_event(1, 0x11, nullptr, 0), 0);
    ASSERT_EQ(qvlsim_queue_event(13, 0x30, nullptr, 0), 0);
    ASSERT_EQ(cs_qvl_get_log_event(0, &entry), 0);
    EXPECT_EQ(Text(), "Disk at Controller1-Channel1-Device1 failed.");
    ASSERT_EQ(cs_qvl_get_log_event(0, &entry), 0);
    EXPECT_EQ(Text(), "Array 'Mirror01' initializing started.");
    EXPECT_EQ(cs_qvl_get_log_event(0, &entry), -1);
}

TEST_F(EventText, FailedInitialisationDeletesTheArrayItNames)
{
    DeviceInfo info;
    for (DeviceId id : {0x30u, 0x40u, 0x22u})
        ASSERT_EQ(cs_qvl_set_array_state(0, id, QVL_ARRAY_INITIALIZING), 0);
    // Zero payload: the array's own name, then the array is gone.
    qvlsim_clear_calls();
    ASSERT_EQ(Take(15, 0x30), 0);
    EXPECT_EQ(entry.type, 'W');
    EXPECT_EQ(Text(), "Array 'Mirror01' initializing failed, the array is deleted.");
    EXPECT_EQ(DeleteCalls(), 1);
    EXPECT_NE(cs_qvl_get_device_info(0, 0x30, &info), 0);

    // A payload name wins, up to 32 characters, whether or not the array can be read.
    qvlsim_clear_calls();
    ASSERT_EQ(Take(14, 0x40, "Payload name that is exactly 32c"), 0);
    EXPECT_EQ(Text(), "Array 'Payload name that is exactly 32c' initializing aborted, the array is deleted.");
    EXPECT_EQ(DeleteCalls(), 1);

    // The display name of a member of a striped array.
    qvlsim_clear_calls();
    ASSERT_EQ(Take(14, 0x22), 0);
    EXPECT_EQ(Text(), "Array 'Member 2 of Data' initializing aborted, the array is deleted.");
    EXPECT_EQ(DeleteCalls(), 1);
}

// The texts are the driver's report whatever the array's state; only an array that still reads
// as initialising or not available is deleted.
TEST_F(EventText, OnlyAnArrayStillInitialisingOrNotAvailableIsDeleted)
{
    const struct {
        const char *label;
        uint32_t status;
        bool unreadable;
        int deletes;
    } cases[] = {
        {"healthy", 0, false, 0},
        {"bootable", QVL_ARRAY_BOOTABLE, false, 0},
        {"needs a rebuild", QVL_ARRAY_NEED_REBUILD | QVL_ARRAY_BROKEN, false, 0},
        {"verifying", QVL_ARRAY_VERIFYING, false, 0},
        {"initialising", QVL_ARRAY_INITIALIZING, false, 1},
        {"not available", QVL_ARRAY_NOT_AVAILABLE, false, 1},
        {"initialising, unreadable", QVL_ARRAY_INITIALIZING, true, 0},
    };
    for (uint8_t code : {14, 15}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.label) + ", code " + std::to_string(code));
            qvltest::LoadScenario(kSystem);
            ASSERT_EQ(cs_qvl_set_array_state(0, 0x40, c.status), 0);
            if (c.unreadable) {
                ASSERT_EQ(qvlsim_inject(QVLSIM_OP_GET_DEVICE_INFO, -1, 0), 0);
            }
            qvlsim_clear_calls();
            ASSERT_EQ(Take(code, 0x40, "Named"), 0);
            EXPECT_THAT(Text(), testing::StartsWith("Array 'Named' initializing"));
            EXPECT_EQ(DeleteCalls(), c.deletes);
            qvlsim_inject_clear();
            DeviceInfo info;
            EXPECT_EQ(cs_qvl_get_device_info(0, 0x40, &info) == 0, c.deletes == 0);
        }
    }
}

TEST_F(EventText, NothingIsDeletedWhenNoNameCanBeFound)
{
    for (uint8_t code : {14, 15}) {
        for (DeviceId id : {0x99u, 0x31u /* member of a mirror: no display name */}) {
            SCOPED_TRACE("code " + std::to_string(code) + " device " + std::to_string(id));
            qvlsim_clear_calls();
            EXPECT_EQ(Take(code, id), -1);
            EXPECT_EQ(DeleteCalls(), 0);
        }
    }
    DeviceInfo info;
    EXPECT_EQ(cs_qvl_get_device_info(0, 0x31, &info), 0) << "the array is still there";
}

TEST_F(EventText, InitialisationEndingOnADiskOrUnknownDeviceDeletesNothing)
{
    for (uint8_t code : {14, 15}) {
        for (DeviceId id : {0x17u /* a disk */, 0x99u /* unknown */}) {
            SCOPED_TRACE("code " + std::to_string(code) + " device " + std::to_string(id));
            qvlsim_clear_calls();
            ASSERT_EQ(Take(code, id, "Named"), 0);
            EXPECT_THAT(Text(), testing::StartsWith("Array 'Named' initializing"));
            EXPECT_EQ(DeleteCalls(), 0);
        }
    }
}

TEST_F(EventText, FailingDriverReadsGiveEmptyNamesOrFailures)
{
    ASSERT_EQ(qvlsim_inject(QVLSIM_OP_GET_DEVICE_INFO, -1, 0), 0);
    ASSERT_EQ(Take(1, 0x11), 0);
    EXPECT_EQ(Text(), "Disk at  failed.");
    EXPECT_EQ(Take(9, 0x20), -1);
    qvlsim_clear_calls();
    EXPECT_EQ(Take(15, 0x30), -1);
    EXPECT_EQ(DeleteCalls(), 0);
    qvlsim_inject_clear();
}

} // namespace
