// The command line: one command, its positional argument (if it takes one) and its options,
// checked against the table of commands before anything touches the driver.
#ifndef QVL_CTL_ARGS_H
#define QVL_CTL_ARGS_H

#include <map>
#include <string>
#include <vector>

namespace ctl {

struct CommandSpec;

// What an option's value must be.
enum class ValueKind {
    None,   // a switch: no value
    Count,  // a whole number, at least 1
    Text,   // any text but an empty one
    Choice, // one of the words of Value, "ok|warning"
};

struct OptionInfo {
    const char *Name;  // "--json"
    const char *Value; // name of its value, or nullptr for a switch
    ValueKind Kind;
    const char *Help;
    const char *Invalid; // the message for a value of another kind
};

// Every option of every command, in the order their values are checked.
const std::vector<OptionInfo> &Options();
const OptionInfo *FindOption(const std::string &name);

struct Args {
    std::string Command; // empty with --help alone
    std::string Argument;
    std::map<std::string, std::string> Options; // switches map to ""
    bool Help = false;

    bool Has(const char *option) const { return Options.count(option) != 0; }
    std::string Value(const char *option) const;
};

// False with a message for the user; the caller exits 2 (3 for check).
bool ParseArgs(const std::vector<std::string> &argv, Args &out, std::string &error);
// A whole number of at least `least`; false when the text is anything else.
bool ParseCount(const std::string &text, long least, long &value);

std::string UsageText();
std::string CommandHelpText(const CommandSpec &command);

} // namespace ctl

#endif
