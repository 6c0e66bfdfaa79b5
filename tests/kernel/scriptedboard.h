#pragma once

#include "fd.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kernelinput {

// What the board reports: A0 to A3, and whether each button is held
// (the board sends a held button as 0).
struct BoardValues {
    std::array<int, 4> sticks{512, 512, 512, 512};
    bool rightPressed = false; // A4
    bool leftPressed = false;  // A5

    bool operator==(const BoardValues &) const = default;
};

// A joystick board on a pty of its own, on a thread of its own, that says
// exactly what the test tells it: it announces itself with "JOYSTICK"
// every half second while not asked for a second, as the firmware does,
// and answers each "DATA" line with the six lines of its values, A5 last,
// each ended by "\r\n". Its output can be paced as a UART sends it: ten
// bits a byte, each byte written once its stop bit would have arrived, on
// a schedule a late wake-up delays but never stretches.
class ScriptedBoard {
public:
    struct Options {
        // Bits a second of the line it sends on; 0 writes at once.
        int baud = 0;
    };

    // The values of the answer numbered `answer`, from 0.
    using ValueRule = std::function<BoardValues(std::size_t answer)>;

    // An answer's A5 line as it went out: when the write of its last byte
    // began and when it returned, on CLOCK_MONOTONIC, and what the answer
    // said. On one CPU the reader may run before the write returns.
    struct Answer {
        std::chrono::nanoseconds writing{};
        std::chrono::nanoseconds written{};
        BoardValues values;
    };

    ScriptedBoard();
    explicit ScriptedBoard(Options options);
    ~ScriptedBoard();
    ScriptedBoard(const ScriptedBoard &) = delete;
    ScriptedBoard &operator=(const ScriptedBoard &) = delete;

    // The pty's slave, the board's serial port.
    const std::string &path() const { return slavePath_; }

    // Every later answer says these values, or what the rule gives it.
    void setValues(const BoardValues &values);
    void setValues(ValueRule rule);
    // Whether later requests are answered; they are counted either way.
    void setAnswering(bool answering);

    // When each request arrived, on CLOCK_MONOTONIC.
    std::vector<std::chrono::nanoseconds> requestTimes() const;
    std::vector<Answer> answers() const;
    // Waits up to timeout until `count` answers have gone out whole.
    bool waitForAnswers(std::size_t count, std::chrono::milliseconds timeout) const;

    // Closes both sides of the pty, as a cable pulled out does: the slave's
    // path goes away. The time just before, on CLOCK_MONOTONIC.
    std::chrono::nanoseconds hangUp();

    // The bytes of one answer with these values, "\r\n" endings included.
    static std::string answerText(const BoardValues &values);

private:
    // A byte on its way through the line: when it may be written, and the
    // answer whose A5 line it ends, if it does.
    struct Outgoing {
        char byte;
        std::chrono::nanoseconds due;
        std::optional<BoardValues> endsAnswer;
    };

    void run();
    void readRequests(std::chrono::nanoseconds now);
    void handleRequest(std::chrono::nanoseconds now);
    void queueAnswer(std::chrono::nanoseconds now);
    void queue(const std::string &bytes, std::chrono::nanoseconds now, std::optional<BoardValues> answer = {});
    void writeDueBytes(std::chrono::nanoseconds now);
    void announceWhenDue(std::chrono::nanoseconds now);
    std::chrono::nanoseconds nextWakeUp(std::chrono::nanoseconds now) const;
    void stop();

    const Options options_;
    Fd master_;
    Fd slave_;
    std::string slavePath_;
    Fd wake_;

    mutable std::mutex mutex_;
    mutable std::condition_variable answered_;
    ValueRule rule_;
    bool answering_ = true;
    bool stopping_ = false;
    std::vector<std::chrono::nanoseconds> requests_;
    std::vector<Answer> answers_;

    // The board's thread's own.
    std::string received_;
    std::deque<Outgoing> line_;
    std::chrono::nanoseconds lineFreeAt_{};
    std::chrono::nanoseconds nextAnnouncement_{};
    std::optional<std::chrono::nanoseconds> lastRequest_;
    std::size_t queuedAnswers_ = 0;
    std::thread thread_;
};

} // namespace kernelinput
