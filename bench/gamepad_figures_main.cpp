// Figures of joystick-gamepad in a real kernel, for bench/RESULTS.md: run
// through tests/kernel/boot-guest, against a scripted board paced as a
// 9600-baud UART, each report moving A0 by a count so that each makes a
// frame of its own.
//
//   joystick-gamepad-figures latency [REPORTS]   (300)
//   joystick-gamepad-figures cpu [SECONDS]       (60, for each program)
//   joystick-gamepad-figures memory [SECONDS]    (600)

#include "childprocess.h"
#include "evdev.h"
#include "inputdevices.h"
#include "scriptedboard.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <linux/input.h>
#include <unistd.h>

using namespace kernelinput;
using namespace std::chrono;
using namespace std::chrono_literals;

namespace {

constexpr auto padName = "TORVENK Serial Joystick";
constexpr auto patience = 10s;
// A0 runs from 100 up by a count a report, other values still.
constexpr int firstA0 = 100;
constexpr std::size_t sweep = 800;

BoardValues sweeping(std::size_t answer)
{
    return BoardValues{{firstA0 + static_cast<int>(answer % sweep), 512, 512, 512}};
}

// The reading the uncalibrated pad's ABS_X value came from: it maps 0 to
// 1023 linearly onto -32767 to 32767, 64 to a count.
int readingOf(std::int32_t value)
{
    return static_cast<int>(std::lround((value / 32767.0 + 1) * 511.5));
}

double milliseconds(nanoseconds time)
{
    return duration<double, std::milli>(time).count();
}

// The CPU the process has had, user and system, from /proc/PID/stat.
double cpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The fields after the command's name, which is in parentheses: utime
    // and stime are the 12th and 13th of them.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int skipped = 0; skipped < 11; ++skipped)
        fields >> field;
    double user = 0;
    double system = 0;
    fields >> user >> system;
    return (user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The resident set, from /proc/PID/status, in KiB.
long rssKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

std::unique_ptr<ChildProcess> startGamepad(ScriptedBoard &board)
{
    auto gamepad = std::make_unique<ChildProcess>(std::vector<std::string>{JOYSTICK_GAMEPAD, "--port", board.path()});
    if (!waitForInputDevice(padName, patience))
        throw std::runtime_error("no pad; joystick-gamepad said:\n" + gamepad->errorOutput());
    return gamepad;
}

// Each report's A5 line written on the pty to the frame its ABS_X change
// came in, as evdev stamps it: from when the write returned, and from when
// it began, since on one CPU the kernel may run the program (which reads
// the line and sends the frame) before the write returns.
int latency(std::size_t reports)
{
    reports = std::min(reports, sweep - 20);
    ScriptedBoard board({.baud = 9600});
    board.setValues(sweeping);
    const auto gamepad = startGamepad(board);
    EvdevDevice device(findInputDevice(padName)->event);
    const std::size_t first = board.answers().size() + 10;
    if (!board.waitForAnswers(first, patience))
        throw std::runtime_error("the board is not polled");
    std::vector<InputFrame> frames;
    while (board.answers().size() < first + reports + 1) {
        std::optional<InputFrame> frame = device.readFrame(patience);
        if (!frame)
            throw std::runtime_error("no frame within the patience");
        frames.push_back(*frame);
    }
    const std::vector<ScriptedBoard::Answer> answers = board.answers();
    std::map<int, const ScriptedBoard::Answer *> answerWith;
    for (std::size_t answer = first; answer < first + reports; ++answer)
        answerWith[answers[answer].values.sticks[0]] = &answers[answer];
    std::vector<double> sinceReturned;
    std::vector<double> sinceBegun;
    for (const InputFrame &frame : frames) {
        const std::optional<std::int32_t> x = frame.value(EV_ABS, ABS_X);
        const auto answer = x ? answerWith.find(readingOf(*x)) : answerWith.end();
        if (answer == answerWith.end())
            continue;
        sinceReturned.push_back(milliseconds(frame.time - answer->second->written));
        sinceBegun.push_back(milliseconds(frame.time - answer->second->writing));
    }
    const double span = milliseconds(answers[first + reports].written - answers[first].written) / 1000;
    const double perSecond = static_cast<double>(reports) / span;
    const double lineLimit = 960.0 / static_cast<double>(ScriptedBoard::answerText(answers[first].values).size());
    std::printf("%zu reports, %zu with their frame; %.2f reports a second, %.1f %% of the line's %.2f\n", reports,
                sinceReturned.size(), perSecond, 100 * perSecond / lineLimit, lineLimit);
    for (const auto &[from, latencies] : {std::pair{"returned", &sinceReturned}, std::pair{"began", &sinceBegun}})
        std::printf("A5 line's write %s -> frame: median %.2f ms, 90th percentile %.2f ms, 99th percentile %.2f ms, "
                    "least %.2f ms, most %.2f ms\n",
                    from, percentile(*latencies, 0.5), percentile(*latencies, 0.9), percentile(*latencies, 0.99),
                    percentile(*latencies, 0), percentile(*latencies, 1));
    return 0;
}

struct CpuFigure {
    double cpu;
    double reportsPerSecond;
};

// The CPU `process` takes over `period` while `board` sends, after a
// warm-up of two seconds.
CpuFigure cpuOver(ChildProcess &process, ScriptedBoard &board, seconds period)
{
    std::this_thread::sleep_for(2s);
    const double cpuBefore = cpuSeconds(process.pid());
    const std::size_t answersBefore = board.answers().size();
    const auto start = steady_clock::now();
    std::this_thread::sleep_for(period);
    const double elapsed = duration<double>(steady_clock::now() - start).count();
    const double cpu = cpuSeconds(process.pid()) - cpuBefore;
    return {cpu / elapsed, static_cast<double>(board.answers().size() - answersBefore) / elapsed};
}

void printCpu(const char *what, const CpuFigure &figure)
{
    std::printf("%s: %.2f %% of a CPU, %.2f reports a second, %.3f ms of CPU a report\n", what, 100 * figure.cpu,
                figure.reportsPerSecond, 1000 * figure.cpu / figure.reportsPerSecond);
}

// joystick-gamepad polling after each answer, then joystick-log (which
// polls at its fixed interval) from a board that streams at the line's
// rate: both take a report each time the line has carried one.
int cpu(seconds period)
{
    CpuFigure pad{};
    {
        ScriptedBoard board({.baud = 9600});
        board.setValues(sweeping);
        const auto gamepad = startGamepad(board);
        pad = cpuOver(*gamepad, board, period);
    }
    CpuFigure log{};
    {
        ScriptedBoard board({.baud = 9600, .streams = true});
        board.setValues(sweeping);
        ChildProcess logger({JOYSTICK_LOG, "--port", board.path()});
        if (!board.waitForAnswers(20, patience))
            throw std::runtime_error("joystick-log did not ask:\n" + logger.errorOutput());
        log = cpuOver(logger, board, period);
    }
    printCpu("joystick-gamepad", pad);
    printCpu("joystick-log", log);
    std::printf("joystick-gamepad / joystick-log: %.2f\n", pad.cpu / log.cpu);
    return 0;
}

// The resident set every ten seconds over `period`, and each minute's.
int memory(seconds period)
{
    ScriptedBoard board({.baud = 9600});
    board.setValues(sweeping);
    const auto gamepad = startGamepad(board);
    std::vector<long> samples{rssKiB(gamepad->pid())};
    std::string minutes = std::to_string(samples.front());
    const auto start = steady_clock::now();
    for (auto next = start + 10s; next <= start + period; next += 10s) {
        std::this_thread::sleep_until(next);
        samples.push_back(rssKiB(gamepad->pid()));
        if (samples.size() % 6 == 1)
            minutes.append(" ").append(std::to_string(samples.back()));
    }
    std::printf("RSS over %lld s, %zu reports: first %ld KiB, last %ld KiB, highest %ld KiB; each minute: %s KiB\n",
                static_cast<long long>(period.count()), board.answers().size(), samples.front(), samples.back(),
                *std::max_element(samples.begin(), samples.end()), minutes.c_str());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string command = argc > 1 ? argv[1] : "";
    const auto number = [&](long otherwise) { return argc > 2 ? std::stol(argv[2]) : otherwise; };
    try {
        if (command == "latency")
            return latency(static_cast<std::size_t>(number(300)));
        if (command == "cpu")
            return cpu(seconds(number(60)));
        if (command == "memory")
            return memory(seconds(number(600)));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "joystick-gamepad-figures: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: joystick-gamepad-figures latency [REPORTS] | cpu [SECONDS] | memory [SECONDS]\n");
    return 2;
}
