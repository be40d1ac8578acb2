#include "args.h"

#include <cerrno>
#include <cstdlib>

namespace ctl {

namespace {

const OptionInfo Json{"--json", nullptr, "print one JSON document (schema version 1, see the help file)"};
const OptionInfo Interval{"--interval", "SECONDS", "seconds between two polls (default 10; events: 3)"};
const OptionInfo Cycles{"--cycles", "N", "stop after N polls (default: run until stopped)"};
const OptionInfo Exec{"--exec", "COMMAND", "run COMMAND (through %COMSPEC% /c) once per change, with QVL_* variables"};

} // namespace

const std::vector<CommandSpec> &Commands()
{
    static const std::vector<CommandSpec> commands = {
        {"list", nullptr, "controllers, channels and devices as the console's tree has them", {Json}},
        {"arrays", nullptr, "every array: level, status, members, capacity, progress", {Json}},
        {"show", "WHAT",
         "the properties of one item, as the information panel shows them; WHAT is an identifier "
         "(0x115) or a location (Controller2-Channel3-Device2, Controller1-Channel2, Controller1), or system",
         {Json}},
        {"rescan", nullptr, "ask the driver to look for newly attached disks (Rescan Devices)", {}},
        {"unplug", "WHAT", "prepare a single disk that belongs to no array for removal (Unplug)",
         {{"--yes", nullptr, "do not ask for confirmation"}}},
        {"watch", nullptr, "poll the system and print one line per change; takes no driver events",
         {Interval, Json, Exec, Cycles}},
        {"events", nullptr, "take the driver's waiting events and print their texts",
         {{"--follow", nullptr, "keep polling for events (every 3 seconds unless --interval)"}, Json,
          {"--save", nullptr, "append each event to the event log qvl.log (exit 2 when one cannot be written)"}, Exec, Interval, Cycles}},
        {"log", nullptr, "the event log qvl.log read back", {Json, {"--clear", nullptr, "delete the event log"}}},
        {"check", nullptr, "monitoring plugin: one status line with performance data, exit 0/1/2/3", {}},
        {"metrics", nullptr, "the state in the Prometheus text exposition format",
         {{"--output", "FILE", "write FILE atomically (for a textfile collector) instead of standard output"}}},
    };
    return commands;
}

const CommandSpec *FindCommand(const std::string &name)
{
    for (const CommandSpec &c : Commands())
        if (name == c.Name)
            return &c;
    return nullptr;
}

std::string Args::Value(const char *option) const
{
    auto it = Options.find(option);
    return it == Options.end() ? std::string() : it->second;
}

bool ParseCount(const std::string &text, long least, long &value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return value >= least;
}

bool ParseArgs(const std::vector<std::string> &argv, Args &out, std::string &error)
{
    out = Args();
    const CommandSpec *command = nullptr;
    bool haveArgument = false;
    for (size_t i = 0; i < argv.size(); ++i) {
        std::string word = argv[i];
        if (word == "--help" || word == "-h" || word == "/?") {
            out.Help = true;
            continue;
        }
        if (!command) {
            if (!word.empty() && word[0] == '-') {
                error = "unknown option " + word + " (a command comes first; see qvlctl --help)";
                return false;
            }
            command = FindCommand(word);
            if (!command) {
                error = "unknown command '" + word + "' (see qvlctl --help)";
                return false;
            }
            out.Command = word;
            continue;
        }
        if (word.size() > 1 && word[0] == '-') {
            std::string value;
            bool inlineValue = false;
            if (const size_t eq = word.find('='); eq != std::string::npos) {
                value = word.substr(eq + 1);
                word = word.substr(0, eq);
                inlineValue = true;
            }
            const OptionInfo *known = nullptr;
            for (const OptionInfo &o : command->Options)
                if (word == o.Name)
                    known = &o;
            if (!known) {
                error = "unknown option " + word + " for " + command->Name + " (see qvlctl " + command->Name + " --help)";
                return false;
            }
            if (known->Value && !inlineValue) {
                if (i + 1 >= argv.size()) {
                    error = word + " needs a value (" + known->Value + ")";
                    return false;
                }
                value = argv[++i];
            } else if (!known->Value && inlineValue) {
                error = word + " takes no value";
                return false;
            }
            if (out.Options.count(word)) {
                error = word + " given twice";
                return false;
            }
            out.Options[word] = value;
            continue;
        }
        if (!command->Argument || haveArgument) {
            error = "unexpected argument '" + word + "' for " + command->Name;
            return false;
        }
        out.Argument = word;
        haveArgument = true;
    }
    if (out.Help)
        return true;
    if (!command) {
        error = "no command given (see qvlctl --help)";
        return false;
    }
    if (command->Argument && !haveArgument) {
        error = std::string(command->Name) + " needs " + command->Argument;
        return false;
    }
    long n = 0;
    if (out.Has("--interval") && !ParseCount(out.Value("--interval"), 1, n)) {
        error = "--interval takes a whole number of seconds, at least 1";
        return false;
    }
    if (out.Has("--cycles") && !ParseCount(out.Value("--cycles"), 1, n)) {
        error = "--cycles takes a whole number, at least 1";
        return false;
    }
    if (out.Has("--exec") && out.Value("--exec").empty()) {
        error = "--exec needs a command";
        return false;
    }
    if (out.Has("--output") && out.Value("--output").empty()) {
        error = "--output needs a file name";
        return false;
    }
    return true;
}

std::string UsageText()
{
    std::string text = "Usage: qvlctl COMMAND [ARGUMENT] [OPTIONS]\n"
                       "The Quorvel Hot-Swap Utility's command line.\n\nCommands:\n";
    for (const CommandSpec &c : Commands()) {
        std::string head = std::string("  ") + c.Name + (c.Argument ? std::string(" ") + c.Argument : "");
        head.resize(head.size() < 16 ? 16 : head.size() + 1, ' ');
        text += head + c.Summary + "\n";
    }
    text += "\nqvlctl COMMAND --help lists a command's options.\n"
            "Exit codes: 0 done, 1 refused (unplug: in use, array member, not a disk), 2 error or bad arguments;\n"
            "check: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.\n";
    return text;
}

std::string CommandHelpText(const CommandSpec &command)
{
    std::string text = std::string("Usage: qvlctl ") + command.Name +
                       (command.Argument ? std::string(" ") + command.Argument : "") +
                       (command.Options.empty() ? "" : " [OPTIONS]") + "\n" + command.Summary + ".\n";
    if (!command.Options.empty())
        text += "\nOptions:\n";
    for (const OptionInfo &o : command.Options) {
        std::string head = std::string("  ") + o.Name + (o.Value ? std::string(" ") + o.Value : "");
        head.resize(head.size() < 22 ? 22 : head.size() + 1, ' ');
        text += head + o.Help + "\n";
    }
    return text;
}

} // namespace ctl
