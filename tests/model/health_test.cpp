// The health verdict over small systems: disks before arrays, nested arrays reached from their
// disks, and work in progress that is no fault.
#include <string>

#include "health.h"
#include "modelTest.h"
#include "systemUnit.h"

namespace {

// A stripe "Data" over the mirrors "Mirror A" and "Mirror B"; the arguments are extra words (a
// status) of disk 0x111, Mirror A, Mirror B and Data.
std::string System(const std::string &disk, const std::string &a, const std::string &b, const std::string &data)
{
    return "capabilities max_controllers=4 features=0x09\n"
           "controller chip=5 irq=10 channels=4\n"
           "disk id=0x111 controller=0 channel=0 position=0 capacity=1000 " +
           disk +
           "\n"
           "disk id=0x112 controller=0 channel=1 position=0 capacity=1000\n"
           "disk id=0x113 controller=0 channel=2 position=0 capacity=1000\n"
           "disk id=0x114 controller=0 channel=3 position=0 capacity=1000\n"
           "array id=0x211 name=\"Mirror A\" level=1 block=7 members=0x111,0x112 " +
           a +
           "\n"
           "array id=0x212 name=\"Mirror B\" level=1 block=7 members=0x113,0x114 " +
           b +
           "\n"
           "array id=0x210 name=\"Data\" level=0 block=7 members=0x211,0x212 " +
           data + "\n";
}

} // namespace

TEST(Health, TheWorstItemIsNamed)
{
    const struct {
        const char *what;
        std::string scenario;
        HealthLevel level;
        std::string worst;
    } cases[] = {
        {"all well", System("", "", "", ""), HealthLevel::Good, ""},
        {"verifying and duplicating are work, not faults", System("", "status=0x100", "status=0x4", ""),
         HealthLevel::Good, ""},
        {"a mirror needs a rebuild", System("", "", "status=0x2", ""), HealthLevel::Degraded,
         "Array 'Mirror B' status: Need rebuilding."},
        {"a broken stripe over a degraded mirror", System("", "status=0x2", "", "status=0x8"), HealthLevel::Failed,
         "Array 'Data' status: Broken."},
        {"a failed disk before its broken array", System("status=0x1", "", "", "status=0x8"), HealthLevel::Failed,
         "Disk at Controller1-Channel1-Device1 failed."},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        LoadScenario(k.scenario);
        TRAIDSystem system(0);
        ASSERT_EQ(system.DeviceCount(), 4);
        const SystemHealth health = JudgeHealth(system);
        EXPECT_EQ(health.Level, k.level);
        EXPECT_EQ(health.Worst, k.worst);
    }
}
