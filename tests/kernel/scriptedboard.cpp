#include "scriptedboard.h"

#include "pty.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kernelinput {

using namespace std::chrono;

namespace {

constexpr auto kKeywordLine = "JOYSTICK\r\n";
constexpr milliseconds kAnnounceInterval{500};
// Without a request for this long the board announces itself again.
constexpr seconds kQuietBeforeAnnouncing{1};
// A UART's start bit, eight data bits and stop bit.
constexpr long long kBitsPerByte = 10;

std::string channelLine(int channel, int value)
{
    return "A" + std::to_string(channel) + " " + std::to_string(value) + "\r\n";
}

} // namespace

std::string ScriptedBoard::answerText(const BoardValues &values)
{
    std::string text;
    for (int channel = 0; channel < 4; ++channel)
        text += channelLine(channel, values.sticks[static_cast<std::size_t>(channel)]);
    return text + channelLine(4, values.rightPressed ? 0 : 1) + channelLine(5, values.leftPressed ? 0 : 1);
}

ScriptedBoard::ScriptedBoard()
    : ScriptedBoard(Options{})
{
}

ScriptedBoard::ScriptedBoard(Options options)
    : options_(options)
    , wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    , rule_([](std::size_t) { return BoardValues{}; })
{
    if (!wake_)
        throwErrno("eventfd");
    RawPty pty = openRawPty();
    master_ = std::move(pty.master);
    slave_ = std::move(pty.slave);
    slavePath_ = pty.slavePath;
    nextAnnouncement_ = monotonicNow();
    thread_ = std::thread([this] { run(); });
}

ScriptedBoard::~ScriptedBoard()
{
    stop();
}

void ScriptedBoard::setValues(const BoardValues &values)
{
    setValues([values](std::size_t) { return values; });
}

void ScriptedBoard::setValues(ValueRule rule)
{
    std::lock_guard lock(mutex_);
    rule_ = std::move(rule);
}

void ScriptedBoard::setAnswering(bool answering)
{
    std::lock_guard lock(mutex_);
    answering_ = answering;
}

std::vector<nanoseconds> ScriptedBoard::requestTimes() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<ScriptedBoard::Answer> ScriptedBoard::answers() const
{
    std::lock_guard lock(mutex_);
    return answers_;
}

bool ScriptedBoard::waitForAnswers(std::size_t count, milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return answered_.wait_for(lock, timeout, [&] { return answers_.size() >= count; });
}

nanoseconds ScriptedBoard::hangUp()
{
    stop();
    const nanoseconds before = monotonicNow();
    master_.reset();
    slave_.reset();
    return before;
}

void ScriptedBoard::stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
    thread_.join();
}

void ScriptedBoard::run()
{
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        const nanoseconds now = monotonicNow();
        readRequests(now);
        announceWhenDue(now);
        writeDueBytes(monotonicNow());

        // A byte due and not written found the pty full: wait until it has room.
        const nanoseconds later = monotonicNow();
        const bool full = !line_.empty() && line_.front().due <= later;
        const nanoseconds wait = full ? nanoseconds(seconds(1)) : nextWakeUp(later);
        pollfd polled[2] = {{master_.get(), static_cast<short>(POLLIN | (full ? POLLOUT : 0)), 0},
                            {wake_.get(), POLLIN, 0}};
        // To the nanosecond: a byte a millisecond late is a slower line.
        const nanoseconds timeout = std::max(wait, nanoseconds(0));
        const timespec until{static_cast<time_t>(timeout.count() / 1'000'000'000),
                             static_cast<long>(timeout.count() % 1'000'000'000)};
        if (::ppoll(polled, 2, &until, nullptr) < 0 && errno != EINTR)
            throwErrno("ppoll on the board's pty");
    }
}

void ScriptedBoard::readRequests(nanoseconds now)
{
    char buffer[256];
    for (;;) {
        const ssize_t got = ::read(master_.get(), buffer, sizeof buffer);
        if (got <= 0)
            break;
        received_.append(buffer, static_cast<std::size_t>(got));
    }
    for (std::size_t end; (end = received_.find('\n')) != std::string::npos;) {
        std::string line = received_.substr(0, end);
        received_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "DATA")
            handleRequest(now);
    }
}

void ScriptedBoard::handleRequest(nanoseconds now)
{
    lastRequest_ = now;
    bool answering = false;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(now);
        answering = answering_;
    }
    if (answering)
        queueAnswer(now);
}

void ScriptedBoard::queueAnswer(nanoseconds now)
{
    BoardValues values;
    {
        std::lock_guard lock(mutex_);
        values = rule_(queuedAnswers_++);
    }
    queue(answerText(values), now, values);
}

// Each byte is due when its stop bit has arrived, the first when the line
// is free or now, whichever is later.
void ScriptedBoard::queue(const std::string &bytes, nanoseconds now, std::optional<BoardValues> answer)
{
    const nanoseconds start = options_.baud > 0 ? std::max(now, lineFreeAt_) : now;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto bits = static_cast<long long>(i + 1) * kBitsPerByte;
        const nanoseconds due = options_.baud > 0 ? start + nanoseconds(bits * 1'000'000'000LL / options_.baud) : now;
        line_.push_back({bytes[i], due, i + 1 == bytes.size() ? answer : std::nullopt});
    }
    if (!line_.empty())
        lineFreeAt_ = line_.back().due;
}

// Writes every byte that is due in one write, as much as the pty takes; the
// answers whose last byte went out are stamped with the write's times.
void ScriptedBoard::writeDueBytes(nanoseconds now)
{
    std::string due;
    for (const Outgoing &outgoing : line_) {
        if (outgoing.due > now)
            break;
        due += outgoing.byte;
    }
    if (due.empty())
        return;
    const nanoseconds writing = monotonicNow();
    const ssize_t written = ::write(master_.get(), due.data(), due.size());
    const nanoseconds returned = monotonicNow();
    if (written <= 0)
        return;
    std::vector<BoardValues> ended;
    for (ssize_t i = 0; i < written; ++i) {
        if (line_.front().endsAnswer)
            ended.push_back(*line_.front().endsAnswer);
        line_.pop_front();
    }
    if (ended.empty())
        return;
    {
        std::lock_guard lock(mutex_);
        for (const BoardValues &values : ended)
            answers_.push_back({writing, returned, values});
    }
    answered_.notify_all();
}

void ScriptedBoard::announceWhenDue(nanoseconds now)
{
    const bool quiet = !lastRequest_ || now - *lastRequest_ >= kQuietBeforeAnnouncing;
    if (!quiet || now < nextAnnouncement_)
        return;
    queue(kKeywordLine, now);
    nextAnnouncement_ = now + kAnnounceInterval;
}

// The next byte due, the next announcement, or when the board would fall
// quiet; at most a second away.
nanoseconds ScriptedBoard::nextWakeUp(nanoseconds now) const
{
    nanoseconds next = now + seconds(1);
    if (!line_.empty())
        next = std::min(next, line_.front().due);
    if (!lastRequest_)
        next = std::min(next, nextAnnouncement_);
    else
        next = std::min(next, std::max(nextAnnouncement_, *lastRequest_ + kQuietBeforeAnnouncing));
    return next - now;
}

} // namespace kernelinput
