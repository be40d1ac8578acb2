// qvlsim: drives the simulated RAID system from outside, as hardware events would.
// Exit status 0 on success, 2 with a one-line reason on stderr on bad input.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qvldev.h"
#include "simControl.h"
#include "simStore.h"

namespace {

const char kUsage[] = "usage: qvlsim COMMAND\n"
                      "  load FILE                 replace the system with a scenario file\n"
                      "  reset                     replace the system with the built-in demo\n"
                      "  show                      print the system as a scenario\n"
                      "  plug controller=C channel=H position=P [disk words]   attach a disk (prints its id)\n"
                      "  pull ID                   the disk leaves the system at once\n"
                      "  fail ID                   the disk fails; event code 1 is queued\n"
                      "  busy ID on|off            a busy disk refuses removal\n"
                      "  event CODE ID [PAYLOAD]   queue a device event; PAYLOAD is text or hex:0102...\n"
                      "  inject OPERATION RESULT [COUNT] | inject clear\n"
                      "  calls                     print the recorded driver calls\n"
                      "  events                    number of events waiting\n"
                      "  rescan                    call qvl_rescan_devices\n"
                      "  help\n";

struct Refusal {
    std::string reason;
};

[[noreturn]] void refuse(std::string reason) { throw Refusal{std::move(reason)}; }

uint32_t number(const char *text, const char *what)
{
    char *end = nullptr;
    bool negative = text[0] == '-';
    const char *digits = negative ? text + 1 : text;
    unsigned long long v = std::strtoull(digits, &end, 0);
    // strtoull takes "" (a lone "-"), blanks and a sign of its own without complaint.
    if (!std::isdigit(static_cast<unsigned char>(*digits)) || *end || v > 0xFFFFFFFFull ||
        (negative && v > 0x80000000ull))
        refuse(std::string("bad ") + what + " '" + text + "'");
    return static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v));
}

void needArgs(int argc, int least, int most)
{
    if (argc < least || argc > most)
        refuse("wrong number of arguments (see qvlsim help)");
}

// The shell has already removed quotes: quote values with blanks again for the word parser.
std::string joinWords(int argc, char **argv, int first)
{
    std::string out;
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        size_t eq = arg.find('=');
        if (eq != std::string::npos && eq + 1 < arg.size() && arg[eq + 1] != '"' &&
            arg.find_first_of(" \t\"#", eq + 1) != std::string::npos) {
            std::string quoted = arg.substr(0, eq + 1) + '"';
            for (char c : arg.substr(eq + 1)) {
                if (c == '"' || c == '\\')
                    quoted += '\\';
                quoted += c;
            }
            arg = quoted + '"';
        }
        if (!out.empty())
            out += ' ';
        out += arg;
    }
    return out;
}

std::vector<uint8_t> payload(const std::string &text)
{
    std::vector<uint8_t> bytes;
    if (text.rfind("hex:", 0) == 0) {
        std::string digits = text.substr(4);
        if (digits.size() % 2)
            refuse("odd number of hex digits in payload");
        for (size_t i = 0; i < digits.size(); i += 2) {
            char pair[3] = {digits[i], digits[i + 1], 0};
            char *end = nullptr;
            unsigned long v = std::strtoul(pair, &end, 16);
            if (*end || !std::isxdigit(static_cast<unsigned char>(pair[0])))
                refuse("bad hex payload '" + text + "'");
            bytes.push_back(static_cast<uint8_t>(v));
        }
    } else {
        bytes.assign(text.begin(), text.end());
    }
    if (bytes.size() > QVL_EVENT_PAYLOAD)
        refuse("payload longer than 32 bytes");
    return bytes;
}

uint32_t operationByName(const char *name)
{
    for (uint32_t op = 0; op < QVLSIM_OP_COUNT; ++op)
        if (std::strcmp(qvlsim_operation_name(op), name) == 0)
            return op;
    refuse(std::string("unknown operation '") + name + "'");
}

void printCalls()
{
    std::vector<QvlSimCall> calls(QVLSIM_CALL_RECORD);
    int32_t n = qvlsim_calls(calls.data(), QVLSIM_CALL_RECORD);
    for (int32_t i = 0; i < n; ++i) {
        const QvlSimCall &c = calls[i];
        const char *name = qvlsim_operation_name(c.operation);
        std::printf("%u %s(", c.sequence, name ? name : "?");
        for (uint32_t a = 0; a < c.argc && a < 4; ++a)
            std::printf(a ? ", 0x%X" : "0x%X", c.args[a]);
        std::printf(") = %d\n", c.result);
    }
}

// One function per command; argv[1] is the command, its arguments follow.
void runHelp(int, char **) { std::fputs(kUsage, stdout); }

void runLoad(int argc, char **argv)
{
    needArgs(argc, 3, 3);
    char error[512] = "";
    if (qvlsim_load_file(argv[2], error, sizeof error) != 0)
        refuse(error);
}

void runReset(int argc, char **)
{
    needArgs(argc, 2, 2);
    if (qvlsim_reset() != 0)
        refuse("the demo system could not be made");
}

void runShow(int argc, char **)
{
    needArgs(argc, 2, 2);
    int32_t n = qvlsim_show(nullptr, 0);
    if (n < 0)
        refuse("the system could not be printed");
    std::string text(static_cast<size_t>(n) + 1, '\0');
    qvlsim_show(text.data(), static_cast<uint32_t>(text.size()));
    std::fwrite(text.data(), 1, static_cast<size_t>(n), stdout);
    char error[512] = "";
    if (qvlsim_state_error(error, sizeof error) != 0)
        refuse(error);
}

void runPlug(int argc, char **argv)
{
    needArgs(argc, 3, 1000);
    DeviceId id = 0;
    char error[512] = "";
    if (qvlsim_plug(joinWords(argc, argv, 2).c_str(), &id, error, sizeof error) != 0)
        refuse(std::string("plug: ") + error);
    std::printf("0x%X\n", id);
}

void runPull(int argc, char **argv)
{
    needArgs(argc, 3, 3);
    if (qvlsim_pull(number(argv[2], "identifier")) != 0)
        refuse("no disk " + std::string(argv[2]));
}

void runFail(int argc, char **argv)
{
    needArgs(argc, 3, 3);
    if (qvlsim_fail(number(argv[2], "identifier")) != 0)
        refuse(qvlsim_pending_events() >= 1024 ? "the event queue is full" : "no disk " + std::string(argv[2]));
}

void runBusy(int argc, char **argv)
{
    needArgs(argc, 4, 4);
    std::string state = argv[3];
    if (state != "on" && state != "off")
        refuse("busy takes on or off");
    if (qvlsim_set_busy(number(argv[2], "identifier"), state == "on") != 0)
        refuse("no disk " + std::string(argv[2]));
}

void runEvent(int argc, char **argv)
{
    needArgs(argc, 4, 5);
    uint32_t code = number(argv[2], "event code");
    if (code > 255)
        refuse("event code above 255");
    DeviceId id = number(argv[3], "identifier");
    std::vector<uint8_t> bytes = argc == 5 ? payload(argv[4]) : std::vector<uint8_t>();
    if (qvlsim_queue_event(code, id, bytes.data(), static_cast<uint32_t>(bytes.size())) != 0)
        refuse("the event queue is full");
}

void runInject(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[2], "clear") == 0) {
        qvlsim_inject_clear();
        return;
    }
    needArgs(argc, 4, 5);
    uint32_t op = operationByName(argv[2]);
    int32_t result = static_cast<int32_t>(number(argv[3], "result"));
    uint32_t count = argc == 5 ? number(argv[4], "count") : 0;
    qvlsim_inject(op, result, count);
}

void runCalls(int argc, char **)
{
    needArgs(argc, 2, 2);
    printCalls();
}

void runEvents(int argc, char **)
{
    needArgs(argc, 2, 2);
    std::printf("%d\n", qvlsim_pending_events());
}

void runRescan(int argc, char **)
{
    needArgs(argc, 2, 2);
    qvl_rescan_devices();
}

struct Command {
    const char *name;
    void (*run)(int argc, char **argv);
};

const Command kCommands[] = {
    {"help", runHelp},   {"load", runLoad},     {"reset", runReset},   {"show", runShow},   {"plug", runPlug},
    {"pull", runPull},   {"fail", runFail},     {"busy", runBusy},     {"event", runEvent}, {"inject", runInject},
    {"calls", runCalls}, {"events", runEvents}, {"rescan", runRescan},
};

int run(int argc, char **argv)
{
    if (argc < 2)
        refuse("no command (see qvlsim help)");
    // --help and -h are what users try first: the same usage as help.
    const std::string given = argv[1];
    const std::string cmd = given == "--help" || given == "-h" ? "help" : given;
    for (const Command &c : kCommands) {
        if (cmd == c.name) {
            c.run(argc, argv);
            return 0;
        }
    }
    refuse("unknown command '" + cmd + "' (see qvlsim help)");
}

} // namespace

int main(int argc, char **argv)
{
    try {
        const char *instance = std::getenv("QVLDEV_INSTANCE");
        if (instance && *instance && !qvlsim::validInstanceName(instance))
            refuse(std::string("QVLDEV_INSTANCE '") + instance + "' is not a valid instance name");
        return run(argc, argv);
    } catch (const Refusal &r) {
        std::fflush(stdout);
        std::fprintf(stderr, "qvlsim: %s\n", r.reason.c_str());
        return 2;
    }
}
