// Where the simulated system lives: a named file mapping backed by a file in the temporary
// directory, one per Wine prefix and instance, so that it outlives the processes that use it
// the way a driver's state does. A named mutex serialises every access.
#pragma once

#include <string>

#include "simState.h"

namespace qvlsim {

// Instance names become object and file names: letters, digits, '_' and '-', 1 to 32 of them.
inline bool validInstanceName(const std::string &name)
{
    if (name.empty() || name.size() > 32)
        return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

// Reads a whole file; false with a reason when it cannot.
bool readWholeFile(const char *path, std::string &text, std::string &error);

class StateLock {
public:
    StateLock();
    ~StateLock();
    StateLock(const StateLock &) = delete;
    StateLock &operator=(const StateLock &) = delete;

    SimState &state() { return *state_; }

private:
    SimState *state_; // not owned
    bool locked_ = false;
};

} // namespace qvlsim
