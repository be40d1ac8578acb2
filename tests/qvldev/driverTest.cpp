// The driver operations against small systems: records, hot-plug, removal, injection, the
// call record and the event queue.
#include <algorithm>
#include <cstdio>

#include "simFixture.h"

namespace {

// A free disk, a mirror member, a dedicated and a global spare, a busy disk, a CD-ROM.
const char kRemovals[] = "controller chip=1 irq=14 channels=4\n"
                         "disk id=0x10 controller=0 channel=0 position=0 capacity=100\n"
                         "disk id=0x11 controller=0 channel=0 position=1 capacity=100\n"
                         "disk id=0x12 controller=0 channel=1 position=0 capacity=100\n"
                         "disk id=0x13 controller=0 channel=1 position=1 capacity=100 spare=1 parent=0x20\n"
                         "disk id=0x14 controller=0 channel=2 position=0 capacity=100 spare=1\n"
                         "disk id=0x15 controller=0 channel=2 position=1 capacity=100 busy=1\n"
                         "disk id=0x16 controller=0 channel=3 position=0 type=cdrom\n"
                         "disk id=0x17 controller=0 channel=3 position=1 capacity=100\n"
                         "array id=0x20 name=\"M\" level=1 members=0x11,0x12\n";

} // namespace

TEST_F(SimTest, DeviceInfoWritesExactly174Bytes)
{
    for (DeviceId id : {0x101u, 0x201u}) {
        SCOPED_TRACE(id);
        uint8_t buf[QVL_DEVICE_INFO_BUFFER + 16];
        std::memset(buf, 0xCC, sizeof buf);
        ASSERT_EQ(qvl_get_device_info(id, reinterpret_cast<DeviceInfo *>(buf)), 0);
        for (size_t i = QVL_DEVICE_INFO_SIZE; i < sizeof buf; ++i)
            ASSERT_EQ(buf[i], 0xCC) << "byte " << i;
        // Reserved bytes are written, as zero.
        const DeviceInfo *d = reinterpret_cast<const DeviceInfo *>(buf);
        for (uint8_t b : d->reserved1)
            EXPECT_EQ(b, 0);
        if (d->kind == QVL_KIND_DISK) {
            for (uint8_t b : d->u.disk.reserved24)
                EXPECT_EQ(b, 0);
            for (uint8_t b : d->u.disk.reserved118)
                EXPECT_EQ(b, 0);
        } else {
            EXPECT_EQ(d->u.array.reserved115, 0);
            for (uint8_t b : d->u.array.reserved156)
                EXPECT_EQ(b, 0);
        }
    }
    uint8_t untouched[8];
    std::memset(untouched, 0xCC, sizeof untouched);
    EXPECT_NE(qvl_get_device_info(0x999, reinterpret_cast<DeviceInfo *>(untouched)), 0);
    EXPECT_EQ(untouched[0], 0xCC);
}

TEST_F(SimTest, PluggedDiskAppearsOnlyAfterRescan)
{
    char error[128] = "";
    DeviceId id = 0;
    EXPECT_EQ(qvlsim_plug("controller=1 channel=3 position=1 colour=red", &id, error, sizeof error), -1);
    EXPECT_STREQ(error, "unknown word 'colour' for disk");
    ASSERT_EQ(qvlsim_plug("controller=1 channel=3 position=1 capacity=5000 model=\"NEW\"", &id, error, sizeof error), 0)
        << error;
    EXPECT_TRUE(qvl_valid_id(id));
    EXPECT_TRUE(info(id).empty());
    EXPECT_EQ(channel(1, 3).slave, QVL_NO_DEVICE);
    DeviceId list[] = {id};
    EXPECT_EQ(qvl_query_remove(1, list), 1);
    EXPECT_EQ(qvlsim_plug("controller=1 channel=3 position=1", nullptr, error, sizeof error), -1)
        << "a pending disk holds its position";
    char taken[64];
    std::snprintf(taken, sizeof taken, "position 1/3/1 taken by 0x%X", id);
    EXPECT_STREQ(error, taken);

    ASSERT_EQ(qvl_rescan_devices(), 0);
    EXPECT_EQ(channel(1, 3).slave, id);
    DeviceInfo d = record(id);
    EXPECT_EQ(d.capacity, 5000u);
    EXPECT_EQ(d.u.disk.controller, 1);
    EXPECT_EQ(d.u.disk.channel, 3);
    EXPECT_EQ(d.u.disk.position, 1);
    auto top = logical();
    EXPECT_NE(std::find(top.begin(), top.end(), id), top.end());
    EXPECT_EQ(qvl_query_remove(1, list), 0);

    // A second plug gets another fresh identifier; a given id= is kept; bad words are refused.
    DeviceId second = 0;
    ASSERT_EQ(qvlsim_plug("controller=1 channel=1 position=1", &second, nullptr, 0), 0);
    EXPECT_NE(second, id);
    ASSERT_EQ(qvlsim_plug("id=0x777 controller=1 channel=0 position=1", &second, nullptr, 0), 0);
    EXPECT_EQ(second, 0x777u);
    EXPECT_EQ(qvlsim_plug("id=0x777 controller=0 channel=0 position=1", &second, error, sizeof error), -1);
    EXPECT_EQ(qvlsim_plug("controller=1 channel=4 position=0", &second, error, sizeof error), -1);
    EXPECT_EQ(qvlsim_plug("controller=1 channel=2 position=1", &second, error, sizeof error), -1);
    EXPECT_STREQ(error, "position 1/2/1 taken by 0x115");
}

TEST_F(SimTest, QueryRemoveNamesTheFirstBlockingDevice)
{
    load(kRemovals);
    struct Case {
        const char *what;
        std::vector<DeviceId> list;
        int32_t result;
    } cases[] = {
        {"free disk", {0x10}, 0},
        {"global spare", {0x14}, 0},
        {"cd-rom", {0x16}, 0},
        {"mirror member", {0x11}, 1},
        {"dedicated spare", {0x13}, 1},
        {"busy disk", {0x15}, 1},
        {"unknown id", {0x99}, 1},
        {"no device", {QVL_NO_DEVICE}, 1},
        {"array", {0x20}, 1},
        {"third blocks", {0x10, 0x14, 0x12, 0x15}, 3},
        {"all free", {0x10, 0x14, 0x17}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<DeviceId> list = c.list;
        EXPECT_EQ(qvl_query_remove(static_cast<uint32_t>(list.size()), list.data()), c.result);
    }
    EXPECT_EQ(qvl_query_remove(1, nullptr), -1);
    EXPECT_EQ(qvl_query_remove(0, nullptr), 0);

    // busy off makes the disk removable.
    DeviceId busy[] = {0x15};
    ASSERT_EQ(qvlsim_set_busy(0x15, 0), 0);
    EXPECT_EQ(qvl_query_remove(1, busy), 0);
}

TEST_F(SimTest, RemoveTakesAllOrNothing)
{
    load(kRemovals);
    DeviceId refused[] = {0x10, 0x17, 0x11};
    EXPECT_EQ(qvl_remove_devices(3, refused), 3);
    EXPECT_FALSE(info(0x10).empty());
    EXPECT_FALSE(info(0x17).empty());

    DeviceId both[] = {0x10, 0x17};
    ASSERT_EQ(qvl_remove_devices(2, both), 0);
    EXPECT_TRUE(info(0x10).empty());
    EXPECT_TRUE(info(0x17).empty());
    EXPECT_EQ(channel(0, 0).master, QVL_NO_DEVICE);
    EXPECT_EQ(channel(0, 0).slave, 0x11u);
    EXPECT_EQ(channel(0, 3).slave, QVL_NO_DEVICE);
    EXPECT_EQ(qvl_remove_devices(1, both), 1) << "already gone";
}

TEST_F(SimTest, PullAndFailBreakTheArray)
{
    load(kRemovals);
    ASSERT_EQ(qvlsim_fail(0x12), 0);
    EXPECT_EQ(record(0x12).u.disk.status & QVL_DISK_DISABLED, QVL_DISK_DISABLED);
    EXPECT_EQ(record(0x20).u.array.status & QVL_ARRAY_BROKEN, QVL_ARRAY_BROKEN);
    DeviceEvent e{};
    ASSERT_EQ(qvl_get_event(&e), 0);
    EXPECT_EQ(e.code, 1);
    EXPECT_EQ(e.device, 0x12u);

    load(kRemovals);
    ASSERT_EQ(qvlsim_pull(0x11), 0);
    EXPECT_TRUE(info(0x11).empty());
    DeviceInfo a = record(0x20);
    EXPECT_EQ(a.u.array.status & QVL_ARRAY_BROKEN, QVL_ARRAY_BROKEN);
    EXPECT_EQ(a.u.array.memberCount, 1);
    EXPECT_EQ(a.u.array.members[0], 0x12u);
    EXPECT_EQ(qvlsim_pull(0x11), -1);
    EXPECT_EQ(qvlsim_fail(0x99), -1);
    EXPECT_EQ(qvlsim_set_busy(0x99, 1), -1);
}

TEST_F(SimTest, DeleteArrayFreesItsMembers)
{
    DeviceInfo inner = record(0x211);
    ASSERT_EQ(inner.parent, 0x210u);
    EXPECT_EQ(qvl_delete_array(0x101, 0), -1) << "a disk is not an array";
    ASSERT_EQ(qvl_delete_array(0x211, 0), 0);
    EXPECT_TRUE(info(0x211).empty());
    DeviceInfo outer = record(0x210);
    EXPECT_EQ(outer.u.array.memberCount, 1);
    EXPECT_EQ(outer.u.array.members[0], 0x212u);
    EXPECT_EQ(outer.u.array.members[1], 0u);
    EXPECT_FALSE(qvl_valid_id(record(0x111).parent));
    auto top = logical();
    EXPECT_NE(std::find(top.begin(), top.end(), 0x111u), top.end());
}

TEST_F(SimTest, SmallerOperationsActOnTheSystem)
{
    EXPECT_EQ(qvl_set_device_info(0, reinterpret_cast<void *>(1)), 0) << "acknowledgement reads nothing";
    EXPECT_EQ(qvl_set_device_info(0x101, nullptr), 0);
    EXPECT_EQ(qvl_set_device_info(0x999, nullptr), -1);
    EXPECT_EQ(qvl_create_array(0), -1);
    EXPECT_EQ(qvl_add_spare_disk(0x115), 0);
    EXPECT_TRUE(record(0x115).u.disk.status & QVL_DISK_SPARE);
    EXPECT_EQ(qvl_remove_spare_disk(0x115), 0);
    EXPECT_EQ(qvl_remove_spare_disk(0x115), -1);
    EXPECT_EQ(qvl_set_array_state(0x201, 0x6), 0);
    EXPECT_EQ(record(0x201).u.array.status, 0x6u);
    EXPECT_EQ(qvl_set_array_info(0x201, 2500), 0);
    EXPECT_EQ(record(0x201).u.array.progress, 2500u);
    EXPECT_EQ(qvl_add_disk_to_array(0x201, 0x111), -1) << "already in an array";
    EXPECT_EQ(qvl_add_disk_to_array(0x201, 0x115), 0);
    EXPECT_EQ(record(0x115).parent, 0x201u);
    DeviceId small[1];
    EXPECT_EQ(qvl_get_logical_devices(small, 1), 1);
    EXPECT_EQ(qvl_get_logical_devices(nullptr, 4), -1);
}

TEST_F(SimTest, InjectionReplacesTheResultWithoutActing)
{
    ASSERT_EQ(qvlsim_inject(QVLSIM_OP_GET_CONTROLLER_COUNT, 7, 2), 0);
    EXPECT_EQ(qvl_get_controller_count(), 7);
    EXPECT_EQ(qvl_get_controller_count(), 7);
    EXPECT_EQ(qvl_get_controller_count(), 2) << "the count ran out";

    ASSERT_EQ(qvlsim_inject(QVLSIM_OP_REMOVE_DEVICES, 0, 0), 0);
    DeviceId rack[] = {0x115};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(qvl_remove_devices(1, rack), 0);
    EXPECT_FALSE(info(0x115).empty()) << "an injected result does nothing";
    ASSERT_EQ(qvlsim_inject(QVLSIM_OP_GET_DEVICE_INFO, -5, 0), 0);
    EXPECT_TRUE(info(0x115).empty());
    ASSERT_EQ(qvlsim_inject_clear(), 0);
    ASSERT_EQ(qvl_remove_devices(1, rack), 0);
    EXPECT_TRUE(info(0x115).empty());
    EXPECT_EQ(qvlsim_inject(QVLSIM_OP_COUNT, 1, 0), -1);

    auto c = calls();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c[0].operation, QVLSIM_OP_GET_CONTROLLER_COUNT);
    EXPECT_EQ(c[0].result, 7) << "injected calls are recorded";
}

TEST_F(SimTest, CallRecordKeepsRawArguments)
{
    DeviceInfo d{};
    ChannelRecord ch{};
    qvl_get_device_info(0x101, &d);
    qvl_get_channel_info(1, 2, &ch);
    qvl_get_channel_info(5, 0, &ch);
    qvl_get_version();
    auto c = calls();
    ASSERT_EQ(c.size(), 4u);
    struct Expect {
        uint32_t op, argc, args[3];
        int32_t result;
    } expected[] = {
        {QVLSIM_OP_GET_DEVICE_INFO, 2, {0x101, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&d))}, 0},
        {QVLSIM_OP_GET_CHANNEL_INFO, 3, {1, 2, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ch))}, 0},
        {QVLSIM_OP_GET_CHANNEL_INFO, 3, {5, 0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ch))}, -1},
        {QVLSIM_OP_GET_VERSION, 0, {}, 0x10002},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(c[i].operation, expected[i].op);
        EXPECT_EQ(c[i].argc, expected[i].argc);
        for (uint32_t a = 0; a < expected[i].argc; ++a)
            EXPECT_EQ(c[i].args[a], expected[i].args[a]);
        EXPECT_EQ(c[i].result, expected[i].result);
        if (i) {
            EXPECT_EQ(c[i].sequence, c[i - 1].sequence + 1);
        }
    }
    EXPECT_STREQ(qvlsim_operation_name(QVLSIM_OP_GET_EVENT), "get_event");
    EXPECT_EQ(qvlsim_operation_name(QVLSIM_OP_COUNT), nullptr);

    // The ring keeps the latest calls.
    for (int i = 0; i < QVLSIM_CALL_RECORD + 44; ++i)
        qvl_get_controller_count();
    qvl_rescan_devices();
    c = calls();
    ASSERT_EQ(c.size(), static_cast<size_t>(QVLSIM_CALL_RECORD));
    EXPECT_EQ(c.back().operation, QVLSIM_OP_RESCAN_DEVICES);
    EXPECT_EQ(c.back().sequence, c.front().sequence + QVLSIM_CALL_RECORD - 1);
    QvlSimCall two[2];
    ASSERT_EQ(qvlsim_calls(two, 2), 2);
    EXPECT_EQ(two[1].operation, QVLSIM_OP_RESCAN_DEVICES);
    qvlsim_clear_calls();
    EXPECT_TRUE(calls().empty());
}

TEST_F(SimTest, EventsComeOutInOrderAndAFullQueueRefuses)
{
    DeviceEvent e{};
    EXPECT_EQ(qvl_get_event(&e), 1);
    const uint8_t name[] = "Data";
    ASSERT_EQ(qvlsim_queue_event(2, 0x115, nullptr, 0), 0);
    ASSERT_EQ(qvlsim_queue_event(15, 0x210, name, sizeof name), 0);
    EXPECT_EQ(qvlsim_queue_event(4, 0x210, name, QVL_EVENT_PAYLOAD + 1), -1);
    EXPECT_EQ(qvlsim_pending_events(), 2);
    ASSERT_EQ(qvl_get_event(&e), 0);
    EXPECT_EQ(e.code, 2);
    EXPECT_EQ(e.device, 0x115u);
    EXPECT_NE(qvl_time_month(e.time), 0u);
    ASSERT_EQ(qvl_get_event(&e), 0);
    EXPECT_EQ(e.code, 15);
    EXPECT_STREQ(reinterpret_cast<const char *>(e.payload), "Data");
    EXPECT_EQ(qvl_get_event(&e), 1);

    int queued = 0;
    while (qvlsim_queue_event(9, static_cast<DeviceId>(queued + 1), nullptr, 0) == 0 && queued < 5000)
        ++queued;
    EXPECT_GE(queued, 1024);
    EXPECT_EQ(qvlsim_pending_events(), queued);
    EXPECT_EQ(qvlsim_fail(0x115), -1) << "no room for its event";
    for (int i = 0; i < queued; ++i) {
        ASSERT_EQ(qvl_get_event(&e), 0);
        ASSERT_EQ(e.device, static_cast<DeviceId>(i + 1)) << "nothing dropped, nothing reordered";
    }
    EXPECT_EQ(qvl_get_event(&e), 1);
}
