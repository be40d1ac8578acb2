// The commands of qvlctl. A command builds its whole output in memory and returns it with its
// exit code; only watch and events --follow write as they go, one flushed line at a time.
#ifndef QVL_CTL_COMMANDS_H
#define QVL_CTL_COMMANDS_H

#include <string>
#include <vector>

#include "args.h"

namespace ctl {

struct Result {
    int Code = 0;
    std::string Out; // standard output; empty when the command failed
    std::string Err; // standard error
};

// What a command needs before it runs; without it qvlctl exits 2 saying why. check and metrics
// need nothing: they tell an unreachable driver in their own output.
enum class Needs {
    Nothing,
    Library, // the client library bound
    Driver,  // the library bound and the driver answering
};

struct CommandSpec {
    const char *Name;
    const char *Argument; // name of the positional argument, or nullptr
    const char *Summary;
    std::vector<const char *> Options; // names in the option table, in the order help lists them
    Needs Need;
    Result (*Run)(const Args &args);
};

const std::vector<CommandSpec> &Commands();
const CommandSpec *FindCommand(const std::string &name);

Result RunCommand(const Args &args);

} // namespace ctl

#endif
