// vantor-sim: the game's simulation without a window.
//   vantor-sim race --data DIR --track NAME (--controls FILE | --hold S,B,T) [--max-ticks N] [--trace FILE] [--splits]
//   vantor-sim bot --data DIR --track NAME [--out FILE] [--max-ticks N]
//   vantor-sim verify --data DIR [--laps] SAVEFILE
//   vantor-sim bench --data DIR --track NAME [--controls FILE] [--repeat N]
//   vantor-sim ghost export --data DIR SAVEFILE TRACK OUT
//   vantor-sim ghost verify --data DIR FILE...
//   vantor-sim compare --data DIR --track NAME A B
//   vantor-sim practice --data DIR --track NAME --run R --lap L --segment S --controls P [--trace FILE] [--max-ticks N]
//   vantor-sim --help | -h
// Bad arguments and unreadable files: one line on standard error, exit status 2.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"

namespace {

struct Subcommand {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
    const char* usage;
};

// Every subcommand is one entry here.
const Subcommand subcommands[] = {
    {"race", raceCommand,
     "race --data DIR --track NAME (--controls FILE | --hold STEER,BRAKE,THROTTLE) [--max-ticks N] [--trace FILE] "
     "[--splits]"},
    {"bot", botCommand, "bot --data DIR --track NAME [--out FILE] [--max-ticks N]"},
    {"verify", verifyCommand, "verify --data DIR [--laps] SAVEFILE"},
    {"bench", benchCommand, "bench --data DIR --track NAME [--controls FILE] [--repeat N]"},
    {"ghost", ghostCommand, "ghost export --data DIR SAVEFILE TRACK OUT | ghost verify --data DIR FILE..."},
    {"compare", compareCommand, "compare --data DIR --track NAME A B"},
    {"practice", practiceCommand,
     "practice --data DIR --track NAME --run R --lap L --segment S --controls P [--trace FILE] [--max-ticks N]"},
};

} // namespace

int main(int argc, char** argv)
{
    std::string which = argc >= 2 ? argv[1] : "";
    // Asked for, the usage is the answer rather than an error: standard output, status 0.
    if (which == "--help" || which == "-h") {
        std::printf("usage:\n");
        for (const Subcommand& c : subcommands)
            std::printf("  vantor-sim %s\n", c.usage);
        std::printf("  vantor-sim --help\n");
        return 0;
    }
    for (const Subcommand& c : subcommands) {
        if (which == c.name)
            return c.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::string names;
    for (const Subcommand& c : subcommands)
        names += std::string(names.empty() ? "" : ", ") + c.name;
    return fail(which.empty() ? "no subcommand (one of: " + names + ")"
                              : "unknown subcommand '" + which + "' (one of: " + names + ")");
}
