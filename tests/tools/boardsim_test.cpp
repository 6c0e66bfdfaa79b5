#include "tools/boardsim.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

using namespace std::chrono_literals;

namespace {

const QByteArray kKeywordLine = "JOYSTICK\r\n";

// The program's end of the line: the slave opened with plain POSIX calls.
class SerialEnd {
public:
    explicit SerialEnd(const QString &path)
        : fd_(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~SerialEnd() { ::close(fd_); }
    SerialEnd(const SerialEnd &) = delete;
    SerialEnd &operator=(const SerialEnd &) = delete;

    int fd() const { return fd_; }
    void write(const QByteArray &bytes)
    {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), bytes.size());
    }

    // Reads, pumping the event loop, until `done` holds for what arrived or `timeout` passes.
    QByteArray readUntil(const std::function<bool(const QByteArray &)> &done,
                         std::chrono::milliseconds timeout)
    {
        QByteArray bytes;
        const QDeadlineTimer deadline(timeout);
        while (!done(bytes) && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            pollfd pfd{fd_, POLLIN, 0};
            ::poll(&pfd, 1, 5);
            char chunk[4096];
            ssize_t count;
            while ((count = ::read(fd_, chunk, sizeof chunk)) > 0)
                bytes.append(chunk, count);
        }
        return bytes;
    }
    QByteArray readFor(std::chrono::milliseconds duration)
    {
        return readUntil([](const QByteArray &) { return false; }, duration);
    }
    QByteArray readUntilCount(const QByteArray &needle, int count)
    {
        return readUntil([&](const QByteArray &bytes) { return bytes.count(needle) >= count; }, 1s);
    }

private:
    int fd_;
};

BoardOptions announcingEvery(int intervalMs)
{
    BoardOptions options;
    options.announceIntervalMs = intervalMs;
    return options;
}

BoardOptions silent()
{
    BoardOptions options;
    options.noKeyword = true;
    return options;
}

QByteArray firstAnswer(const BoardOptions &options)
{
    BoardSimulator board(options);
    board.setValues(1, 2, 3, 4, false, false);
    SerialEnd port(board.slavePath());
    port.write("DATA\n");
    return port.readUntilCount("A5 1\r\n", 1);
}

void expectHungUp(SerialEnd &port)
{
    pollfd pfd{port.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 100), 1);
    EXPECT_TRUE(pfd.revents & POLLHUP);
    char byte;
    EXPECT_LE(::read(port.fd(), &byte, 1), 0);
}

} // namespace

TEST(BoardSimulator, AnswersEachRequestWithTheSixChannelsEndingWithA5)
{
    BoardSimulator board(silent());
    board.setValues(0, 1023, 17, 512, true, false);
    int signalled = 0;
    QObject::connect(&board, &BoardSimulator::requestReceived, &board, [&] { ++signalled; });
    SerialEnd port(board.slavePath());

    port.write("HELLO\nDATAX\nDATA\n");
    port.write("DATA\n");
    const QByteArray answers = port.readUntilCount("A5 ", 2);

    const QByteArray report = "A0 0\r\nA1 1023\r\nA2 17\r\nA3 512\r\nA4 0\r\nA5 1\r\n";
    EXPECT_EQ(answers, report + report);
    EXPECT_EQ(board.lastReport(), report);
    EXPECT_EQ(board.requestCount(), 2);
    EXPECT_EQ(signalled, 2);
    ASSERT_EQ(board.requestTimesMs().size(), 2);
    EXPECT_LE(board.requestTimesMs()[0], board.requestTimesMs()[1]);
}

TEST(BoardSimulator, NoLineFeedsNeverEndsALine)
{
    BoardOptions options = announcingEvery(20);
    options.noLineFeeds = true;
    BoardSimulator board(options);
    SerialEnd port(board.slavePath());

    QByteArray bytes = port.readUntilCount("JOYSTICK", 2);
    port.write("DATA\n");
    bytes += port.readUntilCount("A5 ", 1);
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_TRUE(bytes.contains("JOYSTICK\r"));
    EXPECT_TRUE(bytes.contains("A5 "));
}

TEST(BoardSimulator, GarbageGoesBeforeLinesButNeverEndsOne)
{
    BoardOptions options = announcingEvery(20);
    options.garbage = true;
    options.reportsPerSecond = 500;
    BoardSimulator board(options);
    board.setValues(1, 2, 3, 4, false, false);
    SerialEnd port(board.slavePath());

    const QList<QByteArray> expectedEnds{"JOYSTICK\r", "A0 1\r", "A1 2\r", "A2 3\r",
                                         "A3 4\r",     "A4 1\r", "A5 1\r"};
    const QList<QByteArray> lines = port.readFor(200ms).split('\n');
    ASSERT_GT(lines.size(), 300);
    for (const QByteArray &line : lines.first(lines.size() - 1)) {
        const auto end = std::find_if(expectedEnds.begin(), expectedEnds.end(),
                                      [&](const QByteArray &e) { return line.endsWith(e); });
        ASSERT_NE(end, expectedEnds.end()) << line.toHex().constData();
        EXPECT_GT(line.size(), end->size());
    }

    BoardOptions quiet = silent();
    quiet.garbage = true;
    EXPECT_EQ(firstAnswer(quiet), firstAnswer(quiet));
    EXPECT_NE(firstAnswer(quiet), firstAnswer(silent()));
}

TEST(BoardSimulator, HangsUpAtTheRequestAfterTheLastAnswered)
{
    BoardOptions options = silent();
    options.hangUpAfterRequests = 2;
    BoardSimulator board(options);
    SerialEnd port(board.slavePath());

    for (int request = 1; request <= 2; ++request) {
        port.write("DATA\n");
        EXPECT_EQ(port.readUntilCount("A5 ", 1).count("A5 "), 1);
    }
    EXPECT_FALSE(board.isHungUp());

    port.write("DATA\n");
    port.readUntil([&](const QByteArray &) { return board.isHungUp(); }, 1s);
    EXPECT_TRUE(board.isHungUp());
    EXPECT_EQ(board.requestCount(), 2);
    expectHungUp(port);
    EXPECT_FALSE(QFile::exists(board.slavePath()));
}

TEST(BoardSimulator, PortOutlivesClosesUntilHangUp)
{
    BoardSimulator board(announcingEvery(30));
    {
        SerialEnd firstOpen(board.slavePath());
        EXPECT_TRUE(firstOpen.readUntilCount(kKeywordLine, 1).contains(kKeywordLine));
    }
    SerialEnd port(board.slavePath());
    EXPECT_TRUE(port.readUntilCount(kKeywordLine, 1).contains(kKeywordLine));

    board.hangUp();
    EXPECT_TRUE(board.isHungUp());
    expectHungUp(port);
}

