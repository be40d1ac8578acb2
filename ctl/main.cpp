// qvlctl.exe: the Hot-Swap Utility's command line, for scripts and monitoring systems.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "args.h"
#include "commands.h"

namespace {

void Put(FILE *stream, const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char **argv)
{
    // Lines end in a line feed alone, as JSON Lines and the exposition format expect.
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        std::vector<std::string> words(argv + 1, argv + argc);
        ctl::Args args;
        std::string error;
        if (!ctl::ParseArgs(words, args, error)) {
            // A monitoring plugin answers a bad command line with UNKNOWN.
            const bool check = !words.empty() && words[0] == "check";
            Put(stdout, check ? "QVL UNKNOWN - " + error + "\n" : "");
            Put(stderr, "qvlctl: " + error + "\n");
            return check ? 3 : 2;
        }
        if (args.Help) {
            const ctl::CommandSpec *command = ctl::FindCommand(args.Command);
            Put(stdout, command ? ctl::CommandHelpText(*command) : ctl::UsageText());
            return 0;
        }
        const ctl::Result result = ctl::RunCommand(args);
        Put(stdout, result.Out);
        Put(stderr, result.Err);
        return result.Code;
    } catch (const std::exception &e) {
        Put(stderr, std::string("qvlctl: ") + e.what() + "\n");
    } catch (...) {
        Put(stderr, "qvlctl: unexpected failure\n");
    }
    return 2;
}
