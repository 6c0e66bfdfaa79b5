// The joystick board's firmware on an emulated ATmega328P at 16 MHz, with its
// serial port on a pseudo-terminal and its analog and button pins set by
// commands on standard input.

#include "programs/common/commandline.h"

#include <avr_adc.h>
#include <avr_extint.h>
#include <avr_ioport.h>
#include <sim_avr.h>
#include <sim_elf.h>
extern "C" {
#include <uart_pty.h>
}

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Starts every line this program prints, to tell them from the emulator
// library's own.
constexpr const char *kMark = "joystick-board-emu:";

const commandline::Program kProgram{
    .name = "joystick-board-emu",
    .description = "Runs the joystick board's firmware on an emulated ATmega328P at 16 MHz, in\n"
                   "real time, and prints the pseudo-terminal its serial port is on:\n"
                   "  joystick-board-emu: port /dev/pts/N\n"
                   "Commands on standard input, one a line:\n"
                   "  A0 <0..1023> .. A3 <0..1023>  analog reading of a stick axis (A0, A1 left\n"
                   "                                x, y; A2, A3 right x, y); 512 at start\n"
                   "  A4 <0|1>, A5 <0|1>            level of the right (A4) or left (A5) button's\n"
                   "                                pin: 0 pressed, 1 released (at start)\n"
                   "  reset                         resets the chip, as opening an Uno's port does\n"
                   "  quit                          stops (so does the end of standard input)",
    .options = {},
    .positionalArguments = {{"FIRMWARE.elf", "The board's firmware, built for the ATmega328P."}},
    .qtWindowOptions = false,
};

constexpr uint32_t kClockHz = 16'000'000;
constexpr uint32_t kSupplyMillivolts = 5000;
constexpr int kAdcSteps = 1023;
constexpr size_t kStickCount = 4;
constexpr int kCentre = 512;
// The buttons' pins on port D, in the order of their tags A4 and A5.
constexpr std::array<uint8_t, 2> kButtonPins = {2, 3};
// The external interrupt each button's pin carries (INT0 on D2, INT1 on D3).
constexpr std::array<uint8_t, 2> kButtonInterrupts = {0, 1};
// How far emulated time may run ahead of the wall clock before it waits.
constexpr auto kMaxLead = 2ms;
// Emulated between two looks at the clock and at standard input: 1 ms.
constexpr uint64_t kCyclesPerSlice = kClockHz / 1000;

void report(const std::string &message)
{
    std::fprintf(stderr, "%s %s\n", kMark, message.c_str());
}

// What the board's pins see, set from the commands.
struct Inputs {
    std::array<int, kStickCount> sticks{kCentre, kCentre, kCentre, kCentre};
    std::array<bool, kButtonPins.size()> buttonLevels{true, true};
};

// The lowest input voltage the 10-bit converter reads as `reading`.
uint32_t millivoltsFor(int reading)
{
    return (uint32_t(reading) * kSupplyMillivolts + kAdcSteps - 1) / kAdcSteps;
}

class Board {
public:
    explicit Board(avr_t *avr)
        : avr_(avr)
    {
        applyInputs();
    }

    void setStick(size_t index, int reading)
    {
        inputs_.sticks[index] = reading;
        raise(avr_io_getirq(avr_, AVR_IOCTL_ADC_GETIRQ, int(ADC_IRQ_ADC0 + index)), millivoltsFor(reading));
    }

    void setButton(size_t index, bool level)
    {
        inputs_.buttonLevels[index] = level;
        holdButtonLevels();
        raise(buttonIrq(index), level);
    }

    void reset()
    {
        avr_reset(avr_);
        applyInputs();
    }

private:
    // Delivers the level even when the line last had it: a reset clears the
    // chip's pin registers, not the level the line remembers.
    static void raise(avr_irq_t *irq, uint32_t value)
    {
        irq->flags |= IRQ_FLAG_INIT;
        avr_raise_irq(irq, value);
    }

    avr_irq_t *buttonIrq(size_t index) const
    {
        return avr_io_getirq(avr_, AVR_IOCTL_IOPORT_GETIRQ('D'), kButtonPins[index]);
    }

    // Declares the button levels as driven from outside, so that switching on
    // the pin's pull-up does not lift a pressed button.
    void holdButtonLevels()
    {
        avr_ioport_external_t external{};
        external.name = 'D';
        for (size_t i = 0; i < kButtonPins.size(); ++i) {
            external.mask = uint8_t(external.mask | 1u << kButtonPins[i]);
            if (inputs_.buttonLevels[i])
                external.value = uint8_t(external.value | 1u << kButtonPins[i]);
        }
        avr_ioctl(avr_, AVR_IOCTL_IOPORT_SET_EXTERNAL('D'), &external);
    }

    // Every input again, at the start and after a reset. A reset also turns
    // back on the emulator's re-check, at every cycle while a pin is low, of
    // the pin's level-triggered interrupt, enabled or not: that slows the
    // emulation about threefold. Off, a low level triggers once, like an edge.
    void applyInputs()
    {
        for (uint8_t interrupt : kButtonInterrupts)
            avr_extint_set_strict_lvl_trig(avr_, interrupt, 0);
        for (size_t i = 0; i < kStickCount; ++i)
            setStick(i, inputs_.sticks[i]);
        for (size_t i = 0; i < kButtonPins.size(); ++i)
            setButton(i, inputs_.buttonLevels[i]);
    }

    avr_t *avr_;
    Inputs inputs_;
};

std::optional<int> parseNumber(std::string_view text, int highest)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > highest)
        return std::nullopt;
    return value;
}

enum class Outcome { Continue, Quit };

Outcome runCommand(Board &board, const std::string &command)
{
    if (command.empty())
        return Outcome::Continue;
    if (command == "quit")
        return Outcome::Quit;
    if (command == "reset") {
        board.reset();
        return Outcome::Continue;
    }
    const bool tagged = command.size() > 3 && command[0] == 'A' && command[1] >= '0' && command[1] <= '5'
                        && command[2] == ' ';
    if (tagged) {
        const auto channel = size_t(command[1] - '0');
        const std::string_view argument = std::string_view(command).substr(3);
        if (channel < kStickCount) {
            if (const auto reading = parseNumber(argument, kAdcSteps)) {
                board.setStick(channel, *reading);
                return Outcome::Continue;
            }
        } else if (const auto level = parseNumber(argument, 1)) {
            board.setButton(channel - kStickCount, *level == 1);
            return Outcome::Continue;
        }
    }
    report("unknown command: " + command + " (see --help)");
    return Outcome::Continue;
}

// Commands from standard input, taken whenever a line is complete.
class CommandReader {
public:
    // Waits up to `timeout` for input and runs every complete line.
    Outcome poll(Board &board, std::chrono::milliseconds timeout)
    {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, int(timeout.count())) <= 0)
            return Outcome::Continue;
        char chunk[256];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0)
            return Outcome::Quit;
        pending_.append(chunk, size_t(count));
        for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (runCommand(board, line) == Outcome::Quit)
                return Outcome::Quit;
        }
        return Outcome::Continue;
    }

private:
    std::string pending_;
};

// Keeps emulated time within kMaxLead of the wall clock, so that the serial
// line takes the time it takes on a real board.
class Pacer {
public:
    explicit Pacer(const avr_t *avr)
        : avr_(avr)
    {
        restart();
    }

    // How long to wait before emulating more.
    std::chrono::milliseconds lead()
    {
        if (avr_->cycle < startCycle_)
            restart();
        const auto emulated = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(double(avr_->cycle - startCycle_) / kClockHz));
        const auto ahead = emulated - (Clock::now() - start_);
        return ahead > kMaxLead ? std::chrono::duration_cast<std::chrono::milliseconds>(ahead) : 0ms;
    }

private:
    // Counts emulated time from now on: at the start, and after a reset that
    // set the cycle counter back.
    void restart()
    {
        startCycle_ = avr_->cycle;
        start_ = Clock::now();
    }

    const avr_t *avr_;
    avr_cycle_count_t startCycle_ = 0;
    Clock::time_point start_;
};

avr_t *loadFirmware(const char *path)
{
    elf_firmware_t firmware{};
    if (elf_read_firmware(path, &firmware) != 0) {
        report(std::string("cannot read firmware ") + path);
        return nullptr;
    }
    avr_t *avr = avr_make_mcu_by_name("atmega328p");
    if (!avr)
        return nullptr;
    avr_init(avr);
    avr_load_firmware(avr, &firmware);
    // The converter's reference would otherwise default to 3.3 V.
    avr->frequency = kClockHz;
    avr->vcc = avr->avcc = avr->aref = kSupplyMillivolts;
    return avr;
}

// Raw mode from the start, so that the terminal does not echo the board's
// own lines back to it before a program has opened the port.
void makeRaw(const char *device)
{
    const int fd = ::open(device, O_RDWR | O_NOCTTY);
    if (fd < 0)
        return;
    termios settings{};
    if (tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    ::close(fd);
}

// The library also points this symlink at the port. The port's path is
// printed instead, and the link would be left dangling once the process
// has ended, so it goes at once, unless another emulator has taken it over.
constexpr const char *kLibraryPortLink = "/tmp/simavr-uart0";

void removeLibraryPortLink(const std::string &port)
{
    std::array<char, 256> target{};
    const ssize_t length = ::readlink(kLibraryPortLink, target.data(), target.size() - 1);
    if (length > 0 && port == std::string_view(target.data(), size_t(length)))
        ::unlink(kLibraryPortLink);
}

// The serial port's pseudo-terminal, or an empty path when none could be
// made. The library keeps the terminal's program side open itself, so the
// port stays usable while no program has it open. Its stop function can hang
// and is left out: the port goes away with the process.
std::string connectSerialPort(avr_t *avr, uart_pty_t &pty)
{
    uart_pty_init(avr, &pty);
    if (pty.pty.slavename[0] == '\0')
        return {};
    uart_pty_connect(&pty, '0');
    removeLibraryPortLink(pty.pty.slavename);
    makeRaw(pty.pty.slavename);
    return pty.pty.slavename;
}

int run(const char *firmwarePath)
{
    avr_t *avr = loadFirmware(firmwarePath);
    if (!avr)
        return 1;
    static uart_pty_t pty;
    const std::string port = connectSerialPort(avr, pty);
    if (port.empty()) {
        report("cannot make a pseudo-terminal for the serial port");
        return 1;
    }
    Board board(avr);
    std::printf("%s port %s\n", kMark, port.c_str());

    Pacer pacer(avr);
    CommandReader commands;
    for (;;) {
        if (commands.poll(board, pacer.lead()) == Outcome::Quit)
            return 0;
        const avr_cycle_count_t sliceEnd = avr->cycle + kCyclesPerSlice;
        while (avr->cycle < sliceEnd) {
            const int state = avr_run(avr);
            if (state == cpu_Done || state == cpu_Crashed) {
                report(state == cpu_Done ? "the firmware stopped" : "the firmware crashed");
                return 1;
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    // Line by line even into a pipe, so that a program reading the port's
    // path gets it at once.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCommandLineParser parser;
    if (const auto exitStatus = commandline::parse(kProgram, parser, commandline::arguments(argc, argv)))
        return *exitStatus;
    return run(parser.positionalArguments().constFirst().toLocal8Bit().constData());
}
