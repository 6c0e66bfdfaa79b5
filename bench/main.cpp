#include "figures.h"
#include "programs/desktop/display.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

// Each command takes one group of figures and prints it as a markdown
// table, each row with the load of the machine while it was taken. Options
// after "--" go to the joystick-monitor the figure starts.

namespace {

struct Command {
    const char *name;
    const char *arguments;
    const char *takes;
    int (*run)(const QStringList &arguments);
};

constexpr std::array kCommands{
    Command{"sidebyside", "[SECONDS=30] [RATE...=5 1000] [-- OPTION...]", "CPU of two monitors, one with OPTIONS",
            sideBySideFigures},
    Command{"memory", "[SECONDS=600] [GAP=30] [RATE=0] [-- OPTION...]", "CPU and memory of a monitor over time",
            memoryFigures},
    Command{"replug", "[CYCLES=100]", "the board replugged on COM 3 to its first report drawn", replugFigures},
    Command{"idle", "[SECONDS=30] [-- OPTION...]", "CPU of a search finding no board, wake-ups after", idleFigures},
    Command{"feed", "[REPORTS=200000]", "what a line costs the session, the details feed and a hidden details window",
            feedFigures},
};

} // namespace

int main(int argc, char *argv[])
{
    const std::string_view name = argc > 1 ? argv[1] : "";
    const auto named = [&](const Command &command) { return command.name == name; };
    const auto command = std::find_if(kCommands.begin(), kCommands.end(), named);
    if (command == kCommands.end()) {
        // On standard output when asked for, else after a command line the bench cannot run.
        const bool asked = name == "--help" || name == "-h";
        FILE *out = asked ? stdout : stderr;
        std::fprintf(out, "usage: joystick-process-bench COMMAND [ARGUMENTS]\n");
        for (const Command &c : kCommands)
            std::fprintf(out, "  %-10s %-46s %s\n", c.name, c.arguments, c.takes);
        std::fprintf(out, "A board of RATE 0 answers requests, any other sends RATE reports a second unasked.\n"
                          "OPTIONs go to joystick-monitor; with --record FILE, sidebyside gives the rows' size.\n");
        return asked ? 0 : 2;
    }
    prepareDisplay();
    QApplication app(argc, argv);
    return command->run(QCoreApplication::arguments().mid(2));
}
