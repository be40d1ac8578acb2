// The commands of qvlctl. A command builds its whole output in memory and returns it with its
// exit code; only watch and events --follow write as they go, one flushed line at a time.
#ifndef QVL_CTL_COMMANDS_H
#define QVL_CTL_COMMANDS_H

#include <string>

#include "args.h"

namespace ctl {

struct Result {
    int Code = 0;
    std::string Out; // standard output; empty when the command failed
    std::string Err; // standard error
};

Result RunCommand(const Args &args);

} // namespace ctl

#endif
