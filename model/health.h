// The system's health at a glance: the worst thing wrong after a reload (a failed or disabled
// disk, an array that is not optimal), as the notification area and the command line tell it.
#ifndef QVL_HEALTH_H
#define QVL_HEALTH_H

#include <string>

class TRAIDSystem;

// Ordered: a larger value is worse.
enum class HealthLevel { Good = 0, Degraded = 1, Failed = 2 };

struct SystemHealth {
    HealthLevel Level = HealthLevel::Good;
    // One sentence naming the worst item, e.g. "Disk at Controller1-Channel2-Device1 failed.";
    // empty while all is well.
    std::string Worst;
    bool Healthy() const { return Level == HealthLevel::Good; }
    bool operator==(const SystemHealth &) const = default;
};

// Judged from the devices the system read at its last reload and the arrays they belong to.
SystemHealth JudgeHealth(const TRAIDSystem &system);

#endif
