// The latency of joystick-gamepad in a real kernel, for bench/RESULTS.md:
// run through tests/kernel/boot-guest, against a scripted board paced as a
// 9600-baud UART, each report moving A0 by a count so that each makes a
// frame of its own.
//
//   joystick-gamepad-figures [REPORTS]   (300)

#include "childprocess.h"
#include "evdev.h"
#include "inputdevices.h"
#include "scriptedboard.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <linux/input.h>

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

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

// Each report's A5 line written on the pty to the frame its ABS_X change
// came in, as evdev stamps it, from when the write began: on one CPU the
// kernel may run the program (which reads the line and sends the frame)
// before the write returns.
int latency(std::size_t reports)
{
    reports = std::min(reports, sweep - 20);
    ScriptedBoard board({.baud = 9600});
    board.setValues(sweeping);
    ChildProcess gamepad({JOYSTICK_GAMEPAD, "--port", board.path()});
    if (!waitForInputDevice(padName, patience))
        throw std::runtime_error("no pad; joystick-gamepad said:\n" + gamepad.errorOutput());
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
    std::vector<double> sinceBegun;
    for (const InputFrame &frame : frames) {
        const std::optional<std::int32_t> x = frame.value(EV_ABS, ABS_X);
        const auto answer = x ? answerWith.find(readingOf(*x)) : answerWith.end();
        if (answer == answerWith.end())
            continue;
        sinceBegun.push_back(milliseconds(frame.time - answer->second->writing));
    }
    const double span = milliseconds(answers[first + reports].written - answers[first].written) / 1000;
    const double perSecond = static_cast<double>(reports) / span;
    const double lineLimit = 960.0 / static_cast<double>(ScriptedBoard::answerText(answers[first].values).size());
    std::printf("%zu reports, %zu with their frame; %.2f reports a second, %.1f %% of the line's %.2f\n", reports,
                sinceBegun.size(), perSecond, 100 * perSecond / lineLimit, lineLimit);
    std::printf("A5 line's write begun -> frame: median %.2f ms, 90th percentile %.2f ms, 99th percentile %.2f ms, "
                "least %.2f ms, most %.2f ms\n",
                percentile(sinceBegun, 0.5), percentile(sinceBegun, 0.9), percentile(sinceBegun, 0.99),
                percentile(sinceBegun, 0), percentile(sinceBegun, 1));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    try {
        return latency(argc > 1 ? std::stoul(argv[1]) : 300);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "joystick-gamepad-figures: %s\n", error.what());
        return 1;
    }
}
