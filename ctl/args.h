// The command line: one command, its positional argument (if it takes one) and its options,
// checked against the table of commands before anything touches the driver.
#ifndef QVL_CTL_ARGS_H
#define QVL_CTL_ARGS_H

#include <map>
#include <string>
#include <vector>

namespace ctl {

struct OptionInfo {
    const char *Name;  // "--json"
    const char *Value; // name of its value, or nullptr for a switch
    const char *Help;
};

struct CommandSpec {
    const char *Name;
    const char *Argument; // name of the positional argument, or nullptr
    const char *Summary;
    std::vector<OptionInfo> Options;
};

struct Args {
    std::string Command; // empty with --help alone
    std::string Argument;
    std::map<std::string, std::string> Options; // switches map to ""
    bool Help = false;

    bool Has(const char *option) const { return Options.count(option) != 0; }
    std::string Value(const char *option) const;
};

const std::vector<CommandSpec> &Commands();
const CommandSpec *FindCommand(const std::string &name);

// False with a message for the user; the caller exits 2 (3 for check).
bool ParseArgs(const std::vector<std::string> &argv, Args &out, std::string &error);
// A whole number of at least `least`; false when the text is anything else.
bool ParseCount(const std::string &text, long least, long &value);

std::string UsageText();
std::string CommandHelpText(const CommandSpec &command);

} // namespace ctl

#endif
