#include "app/display.h"
#include "figures.h"

#include <QApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

// Each command takes one group of figures and prints it as a markdown
// table, each row with the load of the machine while it was taken.

namespace {

struct Command {
    const char *name;
    const char *arguments;
    const char *takes;
    int (*run)(const QStringList &arguments);
};

constexpr std::array kCommands{
    Command{"receive", "[SECONDS=5]", "receive throughput in this process (no board, no pty)", receiveFigures},
    Command{"latency", "[REPORTS=300]", "an \"A5\" line on the pty to the frame showing it, at 5 reports/s", latencyFigures},
    Command{"frames", "[SECONDS=10] [RATE...=100 1000]", "reports read and frames painted at each rate", frameFigures},
    Command{"views", "[SECONDS=20] [RATE...=20 1000]", "CPU without and with the details views", viewFigures},
    Command{"recording", "[SECONDS=30] [RATE...=5 1000]", "two monitors at once, one recording: CPU of each, row size", recordingFigures},
    Command{"memory", "[SECONDS=600] [GAP=30]", "CPU and resident memory while polling", memoryFigures},
    Command{"replug", "[CYCLES=100]", "the board replugged on COM 3 to its first report drawn", replugFigures},
    Command{"discovery", "[PORT_WAIT_MS=100] [SEARCHES=5]", "CPU of a search on this system's devices", discoveryFigures},
    Command{"idle", "[SECONDS=30]", "wake-ups of joystick-monitor waiting for a board", idleFigures},
    Command{"stats", "[REPORTS=20000000]", "CPU of the board's statistics a report", statsCostFigures},
    Command{"restband", "[TRIALS=100]", "rests and slow sweeps taken as a rest, per band width", restBandFigures},
    Command{"watch", "DEVICE", "no figure: the monitor on DEVICE until ended, for compare-cutecom", watchDevice},
};

// The commands on `out`: standard output when asked for with --help,
// standard error after a command line the bench cannot run.
int usage(FILE *out, int status)
{
    std::fprintf(out, "usage: joystick-process-bench COMMAND [ARGUMENTS]\n");
    for (const Command &command : kCommands)
        std::fprintf(out, "  %-10s %-34s %s\n", command.name, command.arguments, command.takes);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    const auto command = std::find_if(kCommands.begin(), kCommands.end(), [&](const Command &c) {
        return argc > 1 && std::strcmp(argv[1], c.name) == 0;
    });
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return usage(stdout, 0);
    if (command == kCommands.end())
        return usage(stderr, 2);
    prepareDisplay();
    QApplication app(argc, argv);
    return command->run(QCoreApplication::arguments().mid(2));
}
