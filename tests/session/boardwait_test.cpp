#include "session/boardwait.h"
#include "tests/support/fakelink.h"
#include "tests/support/qtprinters.h"
#include "tests/support/virtualclock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// The wait for the board in virtual time, over a link whose phase and
// problem the test sets; every text told is kept with the second it came at.

namespace {

const QString kNoAnswer = "COM1 (/dev/pts/4): opened, but no board answered";

class WaitTest : public testing::Test {
protected:
    void startWaiting(std::optional<std::chrono::milliseconds> limit, LinkState phase = LinkState::Scanning)
    {
        link.phase = phase;
        wait = std::make_unique<BoardWait>(link, limit, clock);
        QObject::connect(wait.get(), &BoardWait::stillWaiting, wait.get(),
                         [this](const QString &text) { told.append(at(text)); });
        QObject::connect(wait.get(), &BoardWait::gaveUp, wait.get(),
                         [this](const QString &text) { told.append(at("gave up: " + text)); });
    }

    void setPhase(LinkState phase)
    {
        link.phase = phase;
        emit link.stateChanged(phase);
    }

    QString at(const QString &text) const
    {
        return QString::number(std::chrono::duration_cast<std::chrono::seconds>(clock->now()).count()) + " " + text;
    }

    FakeLink link;
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::unique_ptr<BoardWait> wait;
    QStringList told;
};

} // namespace

TEST_F(WaitTest, SaysItStillWaitsEveryThirtySecondsWithTheLastReason)
{
    startWaiting(std::nullopt);
    emit link.problemChanged(kNoAnswer);
    // A port opening clears the problem; the reason told is still the last one.
    emit link.problemChanged(QString());
    setPhase(LinkState::Waiting);
    clock->advance(29s);
    EXPECT_TRUE(told.isEmpty());
    clock->advance(62s);
    EXPECT_EQ(told, (QStringList{"30 still waiting for a board after 30 s: " + kNoAnswer,
                                 "60 still waiting for a board after 60 s: " + kNoAnswer,
                                 "90 still waiting for a board after 90 s: " + kNoAnswer}));
}

TEST_F(WaitTest, GivesUpOnceAtTheLimitAndSaysNothingAfter)
{
    const struct {
        std::chrono::milliseconds limit;
        QStringList told;
    } cases[] = {
        {3s, {"3 gave up: no board answered within 3 s: " + kNoAnswer}},
        // Whole seconds are told without a fraction, others with theirs.
        {1500ms, {"1 gave up: no board answered within 1.5 s: " + kNoAnswer}},
        // A reminder due with the limit is not told.
        {60s,
         {"30 still waiting for a board after 30 s: " + kNoAnswer,
          "60 gave up: no board answered within 60 s: " + kNoAnswer}},
    };
    for (const auto &[limit, expected] : cases) {
        SCOPED_TRACE(limit.count());
        clock = std::make_shared<VirtualClock>();
        told.clear();
        startWaiting(limit);
        emit link.problemChanged(kNoAnswer);
        clock->advance(limit + 5min);
        // Neither a board nor its loss starts it again.
        setPhase(LinkState::Polling);
        setPhase(LinkState::Scanning);
        clock->advance(5min);
        EXPECT_EQ(told, expected);
    }
}

// A link that polls a board already, or is closed for good, has no board
// to wait for.
TEST_F(WaitTest, AlreadyPollingOrClosedItDoesNotWait)
{
    for (const LinkState phase : {LinkState::Polling, LinkState::Closed}) {
        startWaiting(1s, phase);
        clock->advance(5min);
    }
    EXPECT_EQ(told, QStringList());
}

// The reasons from before the board was found are not its loss's; the
// board found stopped the first wait's reminders and limit.
TEST_F(WaitTest, ABoardLostStartsTheWaitAgainWithTheReasonsSinceItWasFound)
{
    startWaiting(45s);
    emit link.problemChanged(kNoAnswer);
    clock->advance(10s);
    setPhase(LinkState::Polling);
    clock->advance(100s);
    const QString gone = "COM1 (/dev/pts/4): the device went away";
    emit link.problemChanged(gone);
    setPhase(LinkState::Waiting);
    // The search again, and the wait for devices after it, are one wait.
    clock->advance(20s);
    setPhase(LinkState::Scanning);
    clock->advance(1s);
    setPhase(LinkState::Waiting);
    clock->advance(5min);
    EXPECT_EQ(told, (QStringList{"140 still waiting for a board after 30 s: " + gone,
                                 "155 gave up: no board answered within 45 s: " + gone}));
}
