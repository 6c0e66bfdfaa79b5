#include "gamepad/virtualpad.h"

#include "tests/support/virtualclock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Keeps what the pad made and sent, for the test to look at.
struct Record {
    int creations = 0;
    std::optional<QString> creationProblem;
    std::optional<QString> sendProblem;
    ButtonLayout layout{};
    std::vector<PadFrame> frames;
};

class RecordedOutput final : public PadOutput {
public:
    explicit RecordedOutput(Record &record)
        : record_(record)
    {
    }

    std::optional<QString> create(const PadIdentity &, ButtonLayout layout) override
    {
        ++record_.creations;
        record_.layout = layout;
        return record_.creationProblem;
    }
    QString location() const override { return QStringLiteral("/dev/input/event5 and /dev/input/js0"); }
    std::optional<QString> send(const PadFrame &frame) override
    {
        if (!record_.sendProblem)
            record_.frames.push_back(frame);
        return record_.sendProblem;
    }

private:
    Record &record_;
};

// Every axis rests at 500, with a dead zone of 5, and reaches full scale
// a little inside 100 and 900.
BoardCalibration evenSticks()
{
    BoardCalibration calibration;
    calibration.axes.fill({90, 910, 500, 5});
    return calibration;
}

PadSettings calibrated(BoardCalibration calibration, std::array<bool, 4> inverted = {})
{
    return {{}, ButtonLayout::Face, std::move(calibration), inverted};
}

constexpr Report kAtRest{1, {500, 500, 500, 500}, {false, false}};

Report with(std::array<int16_t, 4> coordinates, bool rightPressed = false, bool leftPressed = false)
{
    return {1, coordinates, {rightPressed, leftPressed}};
}

struct Pad {
    explicit Pad(PadSettings settings = calibrated(evenSticks()))
        : pad(std::move(settings), std::make_unique<RecordedOutput>(record), clock)
    {
    }

    explicit Pad(ButtonLayout layout)
        : Pad(PadSettings{{}, layout, evenSticks(), {}})
    {
    }

    Record record;
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    VirtualPad pad;
};

PadEvent axis(uint16_t code, int32_t value)
{
    return {EV_ABS, code, value};
}

PadEvent button(uint16_t code, bool pressed)
{
    return {EV_KEY, code, pressed ? 1 : 0};
}

const PadFrame kCentred{axis(ABS_X, 0), button(BTN_SOUTH, false)};

} // namespace

TEST(VirtualPad, NothingIsMadeOrSentBeforeTheBoardIsIdentified)
{
    Pad p;
    p.pad.reportCompleted(with({100, 900, 100, 900}, true, true));
    p.pad.boardLost();
    p.clock->advance(2s);
    EXPECT_EQ(p.record.creations, 0);
    EXPECT_TRUE(p.record.frames.empty());
    EXPECT_EQ(p.pad.status(), QStringLiteral("off"));
}

TEST(VirtualPad, TheDeviceIsMadeOnceAndKeptThroughLossesAndReconnections)
{
    Pad p;
    p.pad.followLink(LinkState::Polling);
    EXPECT_EQ(p.pad.status(), QStringLiteral("/dev/input/event5 and /dev/input/js0, TORVENK Serial Joystick"));
    p.pad.followLink(LinkState::Waiting);
    p.pad.followLink(LinkState::Scanning);
    p.pad.followLink(LinkState::Polling);
    p.pad.boardIdentified();
    EXPECT_EQ(p.record.creations, 1);
    EXPECT_EQ(p.record.layout, ButtonLayout::Face);
    EXPECT_TRUE(p.pad.calibrated());
    EXPECT_FALSE(Pad(PadSettings{}).pad.calibrated());
}

TEST(VirtualPad, ADeviceThatCouldNotBeMadeSaysWhyAndIsTriedAgainWithTheNextIdentification)
{
    Pad p;
    p.record.creationProblem = QStringLiteral("UI_DEV_CREATE failed: Invalid argument");
    p.pad.boardIdentified();
    EXPECT_EQ(p.pad.status(), QStringLiteral("could not be made: UI_DEV_CREATE failed: Invalid argument"));
    p.pad.reportCompleted(with({100, 500, 500, 500}));
    EXPECT_TRUE(p.record.frames.empty());

    p.record.creationProblem.reset();
    p.pad.boardIdentified();
    p.pad.reportCompleted(with({100, 500, 500, 500}));
    EXPECT_EQ(p.record.creations, 2);
    EXPECT_EQ(p.record.frames, std::vector<PadFrame>{{axis(ABS_X, -AxisMap::kFullScale)}});
}

TEST(VirtualPad, EachFrameHoldsOnlyTheValuesThatChangedAndNoChangeSendsNothing)
{
    Pad p;
    p.pad.boardIdentified();
    p.pad.reportCompleted(kAtRest);
    EXPECT_TRUE(p.record.frames.empty()) << "the device starts centred and released";

    p.pad.reportCompleted(with({100, 502, 500, 900}, false, true));
    p.pad.reportCompleted(with({100, 502, 500, 900}, false, true));
    p.pad.reportCompleted(with({100, 498, 500, 800}, true, true));
    const int32_t full = AxisMap::kFullScale;
    ASSERT_EQ(p.record.frames.size(), 2u) << "readings within the dead zone change nothing";
    EXPECT_EQ(p.record.frames[0], (PadFrame{axis(ABS_X, -full), axis(ABS_RY, full), button(BTN_SOUTH, true)}));
    ASSERT_EQ(p.record.frames[1].size(), 2u);
    EXPECT_EQ(p.record.frames[1][0].code, ABS_RY);
    EXPECT_GT(p.record.frames[1][0].value, full / 2);
    EXPECT_LT(p.record.frames[1][0].value, full);
    EXPECT_EQ(p.record.frames[1][1], button(BTN_EAST, true));
    p.pad.reportCompleted(with({100, 498, 500, 800}, true, false));
    p.pad.reportCompleted(with({100, 498, 500, 800}, false, false));
    ASSERT_EQ(p.record.frames.size(), 4u);
    EXPECT_EQ(p.record.frames[2], (PadFrame{button(BTN_SOUTH, false)}));
    EXPECT_EQ(p.record.frames[3], (PadFrame{button(BTN_EAST, false)}));
}

TEST(VirtualPad, ALostBoardCentresTheSticksAndReleasesTheButtonsAtOnceUntilTheNextReport)
{
    Pad p;
    p.pad.boardIdentified();
    p.pad.reportCompleted(with({100, 500, 500, 500}, false, true));
    p.pad.followLink(LinkState::Waiting);
    ASSERT_EQ(p.record.frames.size(), 2u);
    EXPECT_EQ(p.record.frames[1], kCentred);
    p.pad.boardLost();
    p.clock->advance(2s);
    EXPECT_EQ(p.record.frames.size(), 2u) << "centred once";

    p.pad.followLink(LinkState::Polling);
    p.pad.reportCompleted(with({100, 500, 500, 500}, false, true));
    ASSERT_EQ(p.record.frames.size(), 3u);
    EXPECT_EQ(p.record.frames[2], p.record.frames[0]);
}

TEST(VirtualPad, ASilentBoardIsCentredByTheWatchdogWhileReportsEvery200MsKeepItsValues)
{
    Pad p;
    p.pad.boardIdentified();
    for (int i = 0; i < 25; ++i) {
        p.pad.reportCompleted(with({100, 500, 500, 500}, false, true));
        p.clock->advance(200ms);
    }
    EXPECT_EQ(p.record.frames.size(), 1u) << "five seconds of reports, never centred";

    p.clock->advance(VirtualPad::kWatchdog / 2);
    EXPECT_EQ(p.record.frames.size(), 1u) << "not centred within the watchdog's time";
    p.clock->advance(VirtualPad::kWatchdog);
    ASSERT_EQ(p.record.frames.size(), 2u);
    EXPECT_EQ(p.record.frames[1], kCentred);
    p.clock->advance(10s);
    EXPECT_EQ(p.record.frames.size(), 2u) << "centred once";

    p.pad.reportCompleted(with({100, 500, 500, 500}, false, true));
    ASSERT_EQ(p.record.frames.size(), 3u);
    EXPECT_EQ(p.record.frames[2], p.record.frames[0]);
}

TEST(VirtualPad, MapsEachAxisThroughItsCalibrationInvertedWhereAsked)
{
    BoardCalibration calibration = evenSticks();
    calibration.axes[2] = {0, 1000, 300, 0};
    Pad p(calibrated(calibration, {false, true, false, false}));
    p.pad.boardIdentified();
    p.pad.reportCompleted(with({900, 900, 300, 500}));
    const int32_t full = AxisMap::kFullScale;
    EXPECT_EQ(p.record.frames, (std::vector<PadFrame>{{axis(ABS_X, full), axis(ABS_Y, -full)}}))
        << "A2 rests at its own centre, 300";
}

TEST(VirtualPad, TheSticksLayoutSendsStickClicks)
{
    Pad p(ButtonLayout::Sticks);
    p.pad.boardIdentified();
    EXPECT_EQ(p.record.layout, ButtonLayout::Sticks);
    p.pad.reportCompleted(with({500, 500, 500, 500}, true, false));
    p.pad.reportCompleted(with({500, 500, 500, 500}, false, true));
    EXPECT_EQ(p.record.frames, (std::vector<PadFrame>{{button(BTN_THUMBR, true)},
                                                      {button(BTN_THUMBL, true), button(BTN_THUMBR, false)}}));
}

TEST(VirtualPad, AFrameThatCouldNotBeSentIsSentAgainWithTheNextReport)
{
    Pad p;
    p.pad.boardIdentified();
    p.record.sendProblem = QStringLiteral("writing to the device failed: No such device");
    p.pad.reportCompleted(with({100, 500, 500, 500}));
    EXPECT_EQ(p.pad.status(), QStringLiteral("/dev/input/event5 and /dev/input/js0, TORVENK Serial Joystick "
                                             "(writing to the device failed: No such device)"));
    p.record.sendProblem.reset();
    p.pad.reportCompleted(with({100, 500, 500, 500}, false, true));
    EXPECT_EQ(p.record.frames,
              (std::vector<PadFrame>{{axis(ABS_X, -AxisMap::kFullScale), button(BTN_SOUTH, true)}}));
    EXPECT_EQ(p.pad.status(), QStringLiteral("/dev/input/event5 and /dev/input/js0, TORVENK Serial Joystick"));
}
