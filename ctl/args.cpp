#include "args.h"

#include <algorithm>
#include <cstdlib>

#include "commands.h"
#include "format.h"

namespace ctl {

const std::vector<OptionInfo> &Options()
{
    static const std::vector<OptionInfo> options = {
        {"--json", nullptr, ValueKind::None, "print one JSON document (schema version 1, see the help file)", nullptr},
        {"--interval", "SECONDS", ValueKind::Count, "seconds between two polls (default 10; events: 3)",
         "--interval takes a whole number of seconds, at least 1"},
        {"--cycles", "N", ValueKind::Count, "stop after N polls (default: run until stopped)",
         "--cycles takes a whole number, at least 1"},
        {"--exec", "COMMAND", ValueKind::Text,
         "run COMMAND (through %COMSPEC% /c) once per change, with QVL_* variables", "--exec needs a command"},
        {"--output", "FILE", ValueKind::Text,
         "write FILE atomically (for a textfile collector) instead of standard output", "--output needs a file name"},
        {"--yes", nullptr, ValueKind::None, "do not ask for confirmation", nullptr},
        {"--follow", nullptr, ValueKind::None, "keep polling for events (every 3 seconds unless --interval)", nullptr},
        {"--save", nullptr, ValueKind::None,
         "append each event to the event log qvl.log (exit 2 when one cannot be written)", nullptr},
        {"--clear", nullptr, ValueKind::None, "delete the event log", nullptr},
        {"--timeout", "SECONDS", ValueKind::Count,
         "UNKNOWN (exit 3) when the driver has not answered within SECONDS (default 10)",
         "--timeout takes a whole number of seconds, at least 1"},
        {"--rebuild", "warning|critical", ValueKind::Choice, "the state of a rebuild under way (default warning)",
         "--rebuild takes warning or critical"},
        {"--tasks", "ok|warning", ValueKind::Choice,
         "the state of a verification, initialisation or duplication under way (default warning)",
         "--tasks takes ok or warning"},
        {"--version", nullptr, ValueKind::None, "print the version and exit 0", nullptr},
    };
    return options;
}

const OptionInfo *FindOption(const std::string &name)
{
    for (const OptionInfo &o : Options())
        if (name == o.Name)
            return &o;
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

namespace {

// The short forms of the monitoring-plugin conventions.
const std::pair<const char *, const char *> ShortOptions[] = {{"-t", "--timeout"}, {"-V", "--version"}};

std::string LongName(const std::string &word)
{
    for (const auto &[shortName, longName] : ShortOptions)
        if (word == shortName)
            return longName;
    return word;
}

const char *ShortName(const char *longName)
{
    for (const auto &[shortName, name] : ShortOptions)
        if (std::string(name) == longName)
            return shortName;
    return nullptr;
}

bool IsHelpWord(const std::string &word) { return word == "--help" || word == "-h" || word == "/?"; }

// The first word that is not a help request names the command.
bool TakeCommand(const std::string &word, const CommandSpec *&command, Args &out, std::string &error)
{
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
    return true;
}

const OptionInfo *CommandOption(const CommandSpec &command, const std::string &name)
{
    const auto &names = command.Options;
    const bool accepted = std::any_of(names.begin(), names.end(), [&](const char *n) { return name == n; });
    return accepted ? FindOption(name) : nullptr;
}

// "--name", "--name=value" or "--name value"; `i` moves on past a value taken from the next word.
bool TakeOption(const std::vector<std::string> &argv, size_t &i, const CommandSpec &command, Args &out,
                std::string &error)
{
    std::string word = LongName(argv[i]), value;
    const size_t eq = word.find('=');
    const bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
        value = word.substr(eq + 1);
        word = word.substr(0, eq);
    }
    const OptionInfo *known = CommandOption(command, word);
    if (!known) {
        error = "unknown option " + word + " for " + command.Name + " (see qvlctl " + command.Name + " --help)";
        return false;
    }
    const bool takesValue = known->Kind != ValueKind::None;
    if (takesValue && !inlineValue) {
        if (i + 1 >= argv.size()) {
            error = word + " needs a value (" + known->Value + ")";
            return false;
        }
        value = argv[++i];
    } else if (!takesValue && inlineValue) {
        error = word + " takes no value";
        return false;
    }
    if (out.Options.count(word)) {
        error = word + " given twice";
        return false;
    }
    out.Options[word] = value;
    return true;
}

bool TakeArgument(const std::string &word, const CommandSpec &command, bool &haveArgument, Args &out,
                  std::string &error)
{
    if (!command.Argument || haveArgument) {
        error = "unexpected argument '" + word + "' for " + command.Name;
        return false;
    }
    out.Argument = word;
    haveArgument = true;
    return true;
}

// One of the words of "ok|warning".
bool IsChoice(const std::string &choices, const std::string &value)
{
    size_t start = 0;
    for (size_t bar = 0; bar != std::string::npos; start = bar + 1) {
        bar = choices.find('|', start);
        if (choices.compare(start, bar == std::string::npos ? std::string::npos : bar - start, value) == 0)
            return true;
    }
    return false;
}

bool ValueFits(ValueKind kind, const char *choices, const std::string &value)
{
    long n = 0;
    switch (kind) {
    case ValueKind::Count:
        return ParseCount(value, 1, n);
    case ValueKind::Text:
        return !value.empty();
    case ValueKind::Choice:
        return IsChoice(choices, value);
    default:
        return true;
    }
}

// The whole line read: a command, its argument, and every value of the kind its option takes.
bool CheckComplete(const CommandSpec *command, bool haveArgument, const Args &out, std::string &error)
{
    if (!command) {
        error = "no command given (see qvlctl --help)";
        return false;
    }
    if (command->Argument && !haveArgument) {
        error = std::string(command->Name) + " needs " + command->Argument;
        return false;
    }
    for (const OptionInfo &o : Options())
        if (out.Has(o.Name) && !ValueFits(o.Kind, o.Value, out.Value(o.Name))) {
            error = o.Invalid;
            return false;
        }
    return true;
}

} // namespace

bool ParseArgs(const std::vector<std::string> &argv, Args &out, std::string &error)
{
    out = Args();
    const CommandSpec *command = nullptr;
    bool haveArgument = false;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string &word = argv[i];
        bool taken = true;
        if (IsHelpWord(word))
            out.Help = true;
        else if (!command)
            taken = TakeCommand(word, command, out, error);
        else if (word.size() > 1 && word[0] == '-')
            taken = TakeOption(argv, i, *command, out, error);
        else
            taken = TakeArgument(word, *command, haveArgument, out, error);
        if (!taken)
            return false;
    }
    return out.Help || CheckComplete(command, haveArgument, out, error);
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
    for (const char *name : command.Options) {
        const OptionInfo &o = *FindOption(name);
        const char *shortName = ShortName(o.Name);
        std::string head = std::string("  ") + (shortName ? std::string(shortName) + ", " : "") + o.Name +
                           (o.Value ? std::string(" ") + o.Value : "");
        head.resize(head.size() < 22 ? 22 : head.size() + 1, ' ');
        text += head + o.Help + "\n";
    }
    if (std::string(command.Name) == "check")
        text += CheckHelpDetails();
    return text;
}

} // namespace ctl
