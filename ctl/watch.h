// What changed between two snapshots, one Change per disk or array that changed, and the
// running of an --exec command with the change in its environment.
#ifndef QVL_CTL_WATCH_H
#define QVL_CTL_WATCH_H

#include <string>
#include <utility>
#include <vector>

#include "snapshot.h"

namespace ctl {

struct Change {
    std::string Kind;     // disk-appeared, disk-disappeared, disk-failed, disk-recovered,
                          // array-appeared, array-disappeared, array-status, array-progress,
                          // driver-unreachable, driver-reachable
    std::string Severity; // info, warning, critical
    std::string Location; // a disk's location or an array's name
    std::string Id;       // 0x115, or empty
    std::string Model;    // a disk's model, or empty
    std::string Status;   // the new status text
    std::string Text;
};

std::vector<Change> Diff(const Snapshot &before, const Snapshot &after);

// "2024-05-01 10:00:00", local time.
std::string NowText();
std::string ChangeLine(const std::string &time, const Change &c);
std::string ChangeJson(const std::string &time, const Change &c);
std::vector<std::pair<std::string, std::string>> ChangeEnvironment(const std::string &time, const Change &c);

// Runs `%COMSPEC% /c command` with the variables added to (or replacing those of) this
// process's environment, and waits for it. Its exit code, or -1 when it could not start.
int RunWithEnvironment(const std::string &command, const std::vector<std::pair<std::string, std::string>> &vars);

} // namespace ctl

#endif
