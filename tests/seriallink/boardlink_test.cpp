#include "seriallink/boardlink.h"
#include "tests/support/fakeserial.h"
#include "tests/support/qtprinters.h"
#include "tests/support/virtualclock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// The link alone, in virtual time: a fake serial control over a device
// list the test sets, and everything the link tells recorded. Waits are
// short, the poll interval is the real one.

namespace {

constexpr std::array<std::chrono::milliseconds, 3> kTestRetryGaps{200ms, 400ms, 800ms};

LinkTiming fastTiming()
{
    LinkTiming timing;
    timing.portWait = 150ms;
    timing.settle = 100ms;
    timing.silenceWarning = 700ms;
    timing.silenceLimit = 2500ms;
    timing.retryGaps = kTestRetryGaps;
    return timing;
}

const QByteArray kReport = "A0 1\nA1 2\nA2 3\nA3 4\nA4 1\nA5 1\n";

class LinkTest : public testing::Test {
protected:
    LinkTest()
    {
        QObject::connect(&link, &Link::infoChanged, &link,
                         [this](const QString &text) { texts.append("Info: " + text); });
        QObject::connect(&link, &Link::consoleChanged, &link,
                         [this](const QString &text) { texts.append("Bconsola: " + text); });
        QObject::connect(&link, &Link::problemChanged, &link, [this](const QString &reason) { problem = reason; });
        QObject::connect(&link, &Link::lineReceived, &link, [this](const QString &line) { lines.append(line); });
        // As the session does, whose model completes a report with its "A5" line.
        QObject::connect(&link, &Link::lineReceived, &link, [this](const QString &line) {
            if (line.startsWith("A5"))
                link.answerCompleted();
        });
        QObject::connect(&link, &Link::stateChanged, &link, [this](LinkState state) { states.append(state); });
        QObject::connect(&link, &Link::requestSent, &link, [this] { ++requestsSent; });
        QObject::connect(&link, &Link::lineDropped, &link, [this] { ++linesDropped; });
        // The board announces itself once its port is opened and answers
        // every request, each a moment later (or answerDelay later), as a
        // real one does, but for the next answersToLose.
        QObject::connect(serial, &FakeSerial::portOpened, serial, [this](int16_t port) {
            if (port == boardPort)
                clock->after(20ms, [this] { serial->receive("JOYSTICK\n"); });
        });
        QObject::connect(serial, &FakeSerial::textWritten, serial, [this] {
            requestTimes.append(clock->now());
            if (serial->commPort() != boardPort || !answering)
                return;
            if (answersToLose > 0)
                --answersToLose;
            else
                clock->after(answerDelay, [this] { serial->receive(kReport); });
        });
    }

    void runFor(std::chrono::milliseconds span) { clock->advance(span); }

    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = 5s)
    {
        return clock->advanceUntil(done, limit);
    }

    void setDevices(const QStringList &present)
    {
        devices = present;
        emit ports->devicesMayHaveChanged();
    }

    bool runUntilState(LinkState state, std::chrono::milliseconds limit = 5s)
    {
        return runUntil([&] { return link.state() == state; }, limit);
    }

    // The board is found on COM `port` of `present` and polled until its
    // first request.
    void findTheBoard(const QStringList &present = {"/dev/ttyACM0"}, int16_t port = 1)
    {
        devices = present;
        boardPort = port;
        link.buscarPuerto();
        ASSERT_TRUE(runUntil([&] { return link.state() == LinkState::Polling && !requestTimes.isEmpty(); }));
    }

    // The board is found, then stops answering until the link says so.
    void silenceTheBoard(const QStringList &present = {"/dev/ttyACM0"}, int16_t port = 1)
    {
        ASSERT_NO_FATAL_FAILURE(findTheBoard(present, port));
        answering = false;
        ASSERT_TRUE(runUntil([&] { return problem.contains("has not answered"); }));
    }

    // The milliseconds between the requests written over the next `span`.
    QList<qint64> requestGapsOver(std::chrono::milliseconds span)
    {
        const qsizetype from = requestTimes.size();
        runFor(span);
        QList<qint64> gaps;
        for (qsizetype i = qMax<qsizetype>(from, 1); i < requestTimes.size(); ++i) {
            const auto gap = requestTimes[i] - requestTimes[i - 1];
            gaps.append(std::chrono::duration_cast<std::chrono::milliseconds>(gap).count());
        }
        return gaps;
    }

    QStringList devices;
    int looks = 0;
    const std::shared_ptr<ComPortMap> ports = std::make_shared<ComPortMap>([this] {
        ++looks;
        return devices;
    });
    const std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    FakeSerial *const serial = new FakeSerial(ports);
    BoardLink link{std::unique_ptr<SerialControl>(serial), ports, fastTiming(), clock};
    int16_t boardPort = 0;
    bool answering = true;
    std::chrono::milliseconds answerDelay = 0ms;
    int answersToLose = 0;

    QStringList texts;
    QString problem;
    QStringList lines;
    QList<LinkState> states;
    qsizetype requestsSent = 0;
    int linesDropped = 0;
    QList<std::chrono::nanoseconds> requestTimes;
};

// Every gap of `gaps` is `ms`, and there are some.
testing::AssertionResult allAre(const QList<qint64> &gaps, qint64 ms)
{
    if (!gaps.isEmpty() && gaps.count(ms) == gaps.size())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "gaps " << testing::PrintToString(gaps) << ", all expected to be " << ms;
}

} // namespace

TEST_F(LinkTest, TriesThePortsInOrderAndStopsAfterTheWaitOnTheBoardsPort)
{
    devices = {"", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0"};
    boardPort = 3;
    link.buscarPuerto();
    ASSERT_TRUE(runUntil([&] { return lines.contains("JOYSTICK"); }));
    EXPECT_EQ(link.state(), LinkState::Polling) << "polled from the keyword line on";
    runFor(fastTiming().portWait);
    EXPECT_EQ(states, QList<LinkState>({LinkState::Scanning, LinkState::Polling}))
        << "the wait on the board's port runs to its end, and the search with it";

    EXPECT_EQ(texts, QStringList({"Bconsola: Error COM 1", "Info: Conectado a COM 2", "Bconsola: OK PUERTO 2",
                                  "Info: Conectado a COM 3", "Bconsola: OK PUERTO 3"}));
    EXPECT_EQ(serial->openings, QList<int16_t>({2, 3}));
    EXPECT_EQ(link.port(), 3);
    EXPECT_TRUE(problem.isEmpty());
}

TEST_F(LinkTest, AScanWithoutABoardSendsNothingHoldsNothingAndLeavesEveryReasonInTheTooltip)
{
    devices = {"/dev/ttyS0", "", "/dev/ttyS2", "/dev/ttyS3"};
    serial->failing = {{1, PortProblem::PermissionDenied}, {4, PortProblem::Busy}};
    link.buscarPuerto();
    ASSERT_TRUE(runUntilState(LinkState::Waiting));

    EXPECT_TRUE(serial->written.isEmpty()) << "nothing is sent to a port without a board";
    EXPECT_FALSE(serial->PortOpen()) << "the last port opened is closed again";
    EXPECT_EQ(texts.constLast(), "Bconsola: Error COM 7");
    EXPECT_EQ(problem, "COM1: cannot open / COM4: cannot open / COM3 (/dev/ttyS2): opened, but no board answered"
                       " / COM2: no such port / COM5-COM7: no such port");
    runFor(100ms);
    EXPECT_FALSE(problem.isEmpty()) << "the reasons stay until the next scan";
}

TEST_F(LinkTest, PollsTheBoardWhetherItAnswersOrNot)
{
    answering = false;
    ASSERT_NO_FATAL_FAILURE(findTheBoard());
    runFor(1200ms);
    const qsizetype requests = serial->written.count("DATA\n");
    EXPECT_GE(requests, 3) << "requests are not paced by answers";
    EXPECT_LE(requests, 8);
    EXPECT_EQ(serial->written, QByteArray("DATA\n").repeated(requests));
}

TEST_F(LinkTest, ABusyOrForbiddenPortIsTriedAgainAtGrowingGapsWhileItIsThere)
{
    devices = {"/dev/ttyACM0", "/dev/ttyACM1"};
    serial->failing = {{1, PortProblem::Busy}, {2, PortProblem::PermissionDenied}};
    boardPort = 1;
    link.buscarPuerto();
    ASSERT_TRUE(runUntil([&] { return serial->attempts.count(1) == 2 && serial->attempts.count(2) == 2; }))
        << "both kinds are tried again";

    serial->failing.remove(1);
    ASSERT_TRUE(runUntilState(LinkState::Polling)) << "found once its port is free, with no device change";
    EXPECT_EQ(link.port(), 1);
}

TEST_F(LinkTest, BusyPortsAreTriedAFewTimesAndOnlyWhileTheirDeviceIsListed)
{
    devices = {"/dev/ttyACM0"};
    serial->failing = {{1, PortProblem::Busy}};
    link.buscarPuerto();
    const qsizetype everyTry = 1 + qsizetype(kTestRetryGaps.size());
    ASSERT_TRUE(runUntil([&] { return serial->attempts.count(1) == everyTry; }));
    runFor(1500ms);
    EXPECT_EQ(serial->attempts.count(1), everyTry) << "one try per gap, then rest";

    link.buscarPuerto();
    ASSERT_TRUE(runUntilState(LinkState::Waiting));
    const qsizetype before = serial->attempts.size();
    setDevices({});
    runFor(1s);
    EXPECT_EQ(serial->attempts.size(), before) << "a device that went away is not tried again";
}

TEST_F(LinkTest, DevicesThatAppearAreTriedFirstAfterOneLookPerSettledChange)
{
    devices = {"/dev/ttyS0"};
    link.buscarPuerto();
    ASSERT_TRUE(runUntilState(LinkState::Waiting));
    serial->openings.clear();
    const int looksBefore = looks;

    boardPort = 3;
    devices = {"/dev/ttyS0", "", "/dev/ttyUSB0"};
    emit ports->devicesMayHaveChanged();
    emit ports->devicesMayHaveChanged();
    ASSERT_TRUE(runUntilState(LinkState::Polling));
    EXPECT_EQ(looks, looksBefore + 1) << "two notices within the settle delay give one look";
    EXPECT_EQ(serial->openings, QList<int16_t>({3})) << "the new device first; the old ones are not touched";
    EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"Info: Conectado a COM 3", "Bconsola: OK PUERTO 3"}));
}

TEST_F(LinkTest, ADeviceThatAppearsDuringAScanIsTriedWhenTheScanEnds)
{
    devices = {"/dev/ttyS0"};
    link.buscarPuerto();
    ASSERT_TRUE(runUntil([&] { return serial->attempts.size() == 2; }));
    boardPort = 2;
    setDevices({"/dev/ttyS0", "/dev/ttyUSB0"});
    ASSERT_TRUE(runUntilState(LinkState::Polling));
    EXPECT_EQ(link.port(), 2);
    EXPECT_EQ(serial->openings.constLast(), 2);
}

TEST_F(LinkTest, ALostBoardStopsPollingStartsCleanAndIsFoundAgainOnALowerPort)
{
    devices = {"/dev/ttyS0", "", "/dev/ttyUSB0"};
    boardPort = 3;
    link.buscarPuerto();
    ASSERT_TRUE(runUntilState(LinkState::Polling));

    answering = false;
    serial->receive("A1 3");
    serial->loseDevice();
    ASSERT_TRUE(runUntilState(LinkState::Waiting));
    EXPECT_EQ(texts.constLast(), "Bconsola: Error COM 3");
    EXPECT_TRUE(problem.contains("went away")) << problem.toStdString();
    const QByteArray written = serial->written;
    setDevices({"/dev/ttyS0"});
    runFor(600ms);
    EXPECT_EQ(serial->written, written) << "nothing is written into a port that is gone";

    boardPort = 1;
    serial->failing = {};
    lines.clear();
    setDevices({"/dev/ttyUSB0", "", "/dev/ttyS0"});
    ASSERT_TRUE(runUntilState(LinkState::Polling));
    serial->receive("A0 512\n");
    EXPECT_EQ(link.port(), 1);
    EXPECT_EQ(lines, QStringList({"JOYSTICK", "A0 512"})) << "the half line of a lost connection is forgotten";
}

TEST_F(LinkTest, ASilentBoardIsReportedThenItsPortIsOpenedAgainFirst)
{
    ASSERT_NO_FATAL_FAILURE(silenceTheBoard({"/dev/ttyS0", "/dev/ttyACM0"}, 2));
    EXPECT_EQ(link.state(), LinkState::Polling) << "reported, but still polled";

    serial->openings.clear();
    ASSERT_TRUE(runUntilState(LinkState::Scanning));
    ASSERT_FALSE(serial->openings.isEmpty());
    EXPECT_EQ(serial->openings.constFirst(), 2) << "the board's own port first";
    answering = true;
    ASSERT_TRUE(runUntilState(LinkState::Polling));
    EXPECT_EQ(link.port(), 2);
}

// Answering again before the limit, the board is simply polled on. Gone
// while silent, its loss is the news: the silence is not reported over it.
TEST_F(LinkTest, ASilentBoardThatAnswersAgainIsPolledOnAndOneThatGoesAwayIsReportedGone)
{
    ASSERT_NO_FATAL_FAILURE(silenceTheBoard());
    answering = true;
    ASSERT_TRUE(runUntil([&] { return problem.isEmpty(); }));
    runFor(1500ms);
    EXPECT_EQ(serial->openings, QList<int16_t>({1}));
    EXPECT_EQ(link.state(), LinkState::Polling);

    answering = false;
    ASSERT_TRUE(runUntil([&] { return problem.contains("has not answered"); }));
    serial->loseDevice();
    ASSERT_TRUE(runUntilState(LinkState::Waiting));
    EXPECT_TRUE(problem.contains("went away")) << problem.toStdString();
}

TEST_F(LinkTest, ARequestWithNoPortOpenIsShownAndChangesNothingElse)
{
    link.sendRequest();
    EXPECT_EQ(texts, QStringList({"Bconsola: Error COM 0"}));
    EXPECT_TRUE(problem.contains("no port is open"));
    EXPECT_EQ(link.state(), LinkState::Idle);
    EXPECT_EQ(requestsSent, 0);
}

// What statistics count: every request written, by a poll or by hand, and
// every over-long line once, the one still under way included.
TEST_F(LinkTest, TellsEveryRequestWrittenAndEveryLineDropped)
{
    ASSERT_NO_FATAL_FAILURE(findTheBoard());
    runFor(1s);
    link.sendRequest();
    EXPECT_EQ(requestsSent, serial->written.count("DATA\n"));
    EXPECT_GE(requestsSent, 5);

    serial->receive(QByteArray(5000, '7') + "\nA0 1\n" + QByteArray(5000, '7'));
    EXPECT_EQ(linesDropped, 2);
    EXPECT_EQ(lines.constLast(), "A0 1");
}

// With the devices named, only their ports exist: COM 2 to 7 are neither
// tried nor reported.
TEST(NamedPorts, OnlyTheirPortsAreTriedAndSummedUp)
{
    const QTemporaryDir dir;
    const auto ports = ComPortMap::named({dir.filePath("ttyGone")});
    auto *serial = new FakeSerial(ports);
    const auto clock = std::make_shared<VirtualClock>();
    BoardLink link(std::unique_ptr<SerialControl>(serial), ports, fastTiming(), clock);
    QString problem;
    QObject::connect(&link, &Link::problemChanged, [&](const QString &reason) { problem = reason; });
    link.buscarPuerto();
    clock->advance(10s);
    EXPECT_EQ(serial->attempts, QList<int16_t>({1}));
    EXPECT_EQ(problem, "COM1: no such port");
}

TEST_F(LinkTest, ClosingWhileScanningReleasesThePortAndEndsTheLinkForGood)
{
    devices = {"/dev/ttyS0", "/dev/ttyACM0"};
    serial->failing = {{1, PortProblem::Busy}};
    link.buscarPuerto();
    ASSERT_TRUE(runUntil([&] { return serial->PortOpen(); }));
    link.close();
    EXPECT_EQ(link.state(), LinkState::Closed);
    EXPECT_FALSE(serial->PortOpen());
    const qsizetype attempts = serial->attempts.size();
    setDevices({"/dev/ttyS0", "/dev/ttyACM0", "/dev/ttyUSB0"});
    link.buscarPuerto();
    runFor(500ms);
    EXPECT_EQ(link.state(), LinkState::Closed) << "closed for good";
    EXPECT_EQ(serial->attempts.size(), attempts);
    EXPECT_TRUE(serial->written.isEmpty());
}

TEST_F(LinkTest, ClosingWhileWaitingAfterALossStopsEveryTimer)
{
    ASSERT_NO_FATAL_FAILURE(findTheBoard());
    serial->loseDevice();
    ASSERT_TRUE(runUntilState(LinkState::Waiting));
    link.close();
    const qsizetype attempts = serial->attempts.size();
    runFor(500ms);
    EXPECT_EQ(serial->attempts.size(), attempts) << "the look after the loss is called off";
    EXPECT_EQ(states.constLast(), LinkState::Closed);
}

// Polling after each answer: the next request goes out as the board's
// answer completes, but never sooner than the least gap after the last one;
// the poll interval is the fallback for answers that do not come.

TEST_F(LinkTest, AfterEachAnswerTheNextRequestGoesOutAsItCompletesButNeverSoonerThanTheLeastGap)
{
    link.pollAfterEachAnswer(50);
    devices = {"/dev/ttyACM0"};
    boardPort = 1;
    link.buscarPuerto();
    ASSERT_TRUE(runUntilState(LinkState::Polling));
    const auto identifiedAt = clock->now();
    serial->receive(kReport);
    runFor(0ms);
    EXPECT_EQ(requestTimes, QList({identifiedAt})) << "a report during the wait on the board's port counts";

    EXPECT_TRUE(allAre(requestGapsOver(1s), 20)) << "answered at once: 50 a second";
    answerDelay = 30ms;
    runFor(100ms);
    EXPECT_TRUE(allAre(requestGapsOver(1s), 30)) << "each as the answer before it completes";
    link.pollAfterEachAnswer(30);
    answerDelay = 0ms;
    runFor(100ms);
    const QList<qint64> gaps = requestGapsOver(1s);
    EXPECT_TRUE(allAre(gaps, 34)) << "1/30 s, rounded up";
    EXPECT_LE(gaps.size(), 30);
}

TEST_F(LinkTest, AfterEachAnswerALostAnswerIsAskedForAgainAtThePollIntervalAndSilenceIsReportedAsBefore)
{
    link.pollAfterEachAnswer(50);
    ASSERT_NO_FATAL_FAILURE(findTheBoard());
    runFor(100ms);
    answersToLose = 1;
    const QList<qint64> gaps = requestGapsOver(500ms);
    EXPECT_EQ(gaps.count(200), 1) << testing::PrintToString(gaps);
    EXPECT_EQ(gaps.count(20), gaps.size() - 1) << testing::PrintToString(gaps);

    answering = false;
    const auto silentFrom = clock->now();
    ASSERT_TRUE(runUntil([&] { return problem.contains("has not answered"); }));
    EXPECT_GE(clock->now() - silentFrom, fastTiming().silenceWarning);
    EXPECT_LE(clock->now() - silentFrom, fastTiming().silenceWarning + fastTiming().pollInterval);
    EXPECT_TRUE(allAre(requestGapsOver(1s), 200)) << "a silent board is still asked";
    answering = true;
    ASSERT_TRUE(runUntil([&] { return problem.isEmpty(); }));
    EXPECT_TRUE(allAre(requestGapsOver(500ms), 20));

    answering = false;
    ASSERT_TRUE(runUntilState(LinkState::Scanning));
    EXPECT_EQ(serial->openings, QList<int16_t>({1, 1})) << "its port opened again at the silence limit";
    EXPECT_EQ(requestsSent, serial->written.count("DATA\n"));
}

TEST_F(LinkTest, AfterEachAnswerPollingStopsWithTheBoardsLossAndResumesOnceItIsFoundAgain)
{
    link.pollAfterEachAnswer(50);
    ASSERT_NO_FATAL_FAILURE(findTheBoard());
    runFor(200ms);
    const auto lostAt = clock->now();
    serial->loseDevice();
    ASSERT_TRUE(runUntilState(LinkState::Waiting));
    EXPECT_LE(clock->now() - lostAt, 20ms) << "the next request finds it gone";
    const qsizetype requests = requestTimes.size();
    ASSERT_TRUE(runUntilState(LinkState::Polling)) << "its device counts as new, as after a USB reset";
    EXPECT_EQ(requestTimes.size(), requests);
    EXPECT_EQ(texts.count("Bconsola: Error COM 1"), 1) << "no request is tried after the one that failed";
    runFor(400ms);
    EXPECT_TRUE(allAre(requestGapsOver(1s), 20));
}

TEST_F(LinkTest, AfterEachAnswerAnswersWhileTheBoardIsNotPolledChangeNothing)
{
    link.pollAfterEachAnswer(50);
    devices = {"/dev/ttyS0"};
    link.buscarPuerto();
    ASSERT_TRUE(serial->PortOpen());
    serial->receive(kReport);
    ASSERT_TRUE(runUntilState(LinkState::Waiting));
    link.answerCompleted();
    runFor(1s);
    link.close();
    link.answerCompleted();
    runFor(1s);
    EXPECT_EQ(lines.count("A5 1"), 1);
    EXPECT_TRUE(serial->written.isEmpty());
}
