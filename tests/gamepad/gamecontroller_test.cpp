#include "gamepad/gamecontroller.h"

#include "recordedpad.h"
#include "tests/support/fakeserial.h"
#include "tests/support/monitor.h"
#include "tests/support/virtualclock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A session in virtual time whose board on COM 1 announces itself when its
// port opens and answers every request at once.
struct AnsweringBoard {
    AnsweringBoard()
    {
        QObject::connect(serial, &FakeSerial::portOpened, serial,
                         [this] { clock->after(20ms, [this] { serial->receive("JOYSTICK\n"); }); });
        QObject::connect(serial, &FakeSerial::textWritten, serial, [this] {
            ++requests;
            if (answering)
                clock->after(0ms, [this] { serial->receive("A0 1023\nA1 0\nA2 512\nA3 512\nA4 1\nA5 0\n"); });
        });
    }

    int requestsOver(std::chrono::milliseconds span)
    {
        const int before = requests;
        clock->advance(span);
        return requests - before;
    }

    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::shared_ptr<ComPortMap> ports = fixedPorts({"/dev/ttyACM0"});
    FakeSerial *serial = new FakeSerial(ports);
    BoardSession session{ports, std::unique_ptr<SerialControl>(serial), testTiming(), clock};
    int requests = 0;
    bool answering = true;
};

} // namespace

// On, the pad is made once the board is found, polled as fast as it
// answers up to the rate, told of the board's loss and kept through it;
// off, the link polls five times a second again.
TEST(GameController, FollowsTheBoardFromTheSessionAndPollsAfterEachAnswerWhileOn)
{
    AnsweringBoard board;
    auto output = std::make_unique<RecordedPad>();
    RecordedPad &pad = *output;
    auto controller =
        std::make_unique<GameController>(board.session, PadSettings{}, std::move(output), 20, board.clock);
    int losses = 0;
    QObject::connect(controller.get(), &GameController::boardLost, [&] { ++losses; });
    EXPECT_EQ(controller->status(), "off");
    board.session.link().buscarPuerto();
    ASSERT_TRUE(board.clock->advanceUntil([&] { return pad.creations == 1; }, 5s));
    EXPECT_EQ(controller->status(), "/dev/input/event5 and /dev/input/js0, TORVENK Serial Joystick");

    const int fast = board.requestsOver(2s);
    EXPECT_GE(fast, 36);
    EXPECT_LE(fast, 41);
    ASSERT_FALSE(pad.frames.empty());
    EXPECT_EQ(pad.frames.front().front(), (PadEvent{EV_ABS, ABS_X, 32767}));

    board.serial->loseDevice();
    ASSERT_TRUE(board.clock->advanceUntil([&] { return losses == 1; }, 5s));

    emit board.ports->devicesMayHaveChanged();
    ASSERT_TRUE(board.clock->advanceUntil([&] { return board.session.link().state() == LinkState::Polling; }, 10s));
    EXPECT_EQ(pad.creations, 1) << "the pad is kept through a loss";
    controller.reset();
    EXPECT_EQ(board.requestsOver(2s), 10);
}
