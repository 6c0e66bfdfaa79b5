#include "gamepad/virtualpad.h"

#include "recordedpad.h"
#include "tests/support/virtualclock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr int32_t kFull = AxisMap::kFullScale;

// Every axis rests at 500 within 5 and reaches full scale inside 100 and
// 900; A1 inverted where asked.
struct Pad {
    explicit Pad(ButtonLayout layout = ButtonLayout::Face, bool invertA1 = false)
    {
        BoardCalibration calibration;
        calibration.axes.fill({90, 910, 500, 5});
        auto output = std::make_unique<RecordedPad>();
        record = output.get();
        pad = std::make_unique<VirtualPad>(PadSettings{{}, layout, calibration, {false, invertA1, false, false}},
                                           std::move(output), clock);
    }

    void report(std::array<int16_t, 4> coordinates, bool right = false, bool left = false)
    {
        pad->showReport({1, coordinates, {right, left}});
    }

    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    RecordedPad *record = nullptr;
    std::unique_ptr<VirtualPad> pad;
};

PadEvent axis(uint16_t code, int32_t value)
{
    return {EV_ABS, code, value};
}

PadEvent key(uint16_t code, bool pressed)
{
    return {EV_KEY, code, pressed ? 1 : 0};
}

const PadFrame kDeflected{axis(ABS_X, -kFull), key(BTN_SOUTH, true)};
const PadFrame kCentred{axis(ABS_X, 0), key(BTN_SOUTH, false)};

} // namespace

TEST(VirtualPad, IsMadeOnceWhenTheBoardIsFirstIdentifiedSendingNothingBeforeAndAgainWhereItCouldNotBe)
{
    Pad p;
    p.report({100, 900, 100, 900}, true, true);
    p.pad->boardLost();
    EXPECT_EQ(p.record->creations, 0);
    EXPECT_EQ(p.pad->status(), QStringLiteral("off"));
    for (const LinkState state : {LinkState::Polling, LinkState::Waiting, LinkState::Scanning, LinkState::Polling})
        p.pad->followLink(state);
    EXPECT_EQ(p.record->creations, 1);
    EXPECT_TRUE(p.record->frames.empty());
    EXPECT_EQ(p.pad->status(), QStringLiteral("/dev/input/event5 and /dev/input/js0, TORVENK Serial Joystick"));
    EXPECT_TRUE(p.pad->calibrated());

    // One that could not be made says why, and is tried again with the
    // next identification.
    Pad failing;
    failing.record->creationProblem = QStringLiteral("UI_DEV_CREATE failed: Invalid argument");
    failing.pad->boardIdentified();
    failing.report({100, 500, 500, 500}, false, true);
    EXPECT_EQ(failing.pad->status(), QStringLiteral("could not be made: UI_DEV_CREATE failed: Invalid argument"));
    failing.record->creationProblem.reset();
    failing.pad->boardIdentified();
    failing.report({100, 500, 500, 500}, false, true);
    EXPECT_EQ(failing.record->frames, std::vector<PadFrame>{kDeflected});
}

TEST(VirtualPad, EachFrameHoldsOnlyWhatChangedAndAFrameNotSentGoesWithTheNext)
{
    Pad p;
    p.pad->boardIdentified();
    p.report({500, 500, 500, 500});
    p.report({100, 502, 500, 900}, false, true);
    p.report({100, 498, 500, 900}, false, true);
    p.report({100, 498, 500, 800}, true, true);
    p.report({100, 498, 500, 800}, true, false);
    ASSERT_EQ(p.record->frames.size(), 3u) << "nothing for the first report at rest, nor within the dead zone";
    EXPECT_EQ(p.record->frames[0], (PadFrame{axis(ABS_X, -kFull), axis(ABS_RY, kFull), key(BTN_SOUTH, true)}));
    ASSERT_EQ(p.record->frames[1].size(), 2u);
    EXPECT_EQ(p.record->frames[1][0].code, ABS_RY);
    EXPECT_GT(p.record->frames[1][0].value, kFull / 2);
    EXPECT_LT(p.record->frames[1][0].value, kFull);
    EXPECT_EQ(p.record->frames[1][1], key(BTN_EAST, true));
    EXPECT_EQ(p.record->frames[2], PadFrame{key(BTN_SOUTH, false)});

    p.record->sendProblem = QStringLiteral("writing to the device failed: No such device");
    p.report({500, 498, 500, 800}, true, false);
    EXPECT_TRUE(p.pad->status().endsWith(" (writing to the device failed: No such device)"));
    p.record->sendProblem.reset();
    p.report({500, 498, 500, 800});
    EXPECT_EQ(p.record->frames.back(), (PadFrame{axis(ABS_X, 0), key(BTN_EAST, false)}));
}

TEST(VirtualPad, ALostOrSilentBoardIsCentredAndReleasedOnceUntilItsNextReport)
{
    Pad p;
    p.pad->boardIdentified();
    p.report({100, 500, 500, 500}, false, true);
    p.pad->followLink(LinkState::Waiting);
    p.pad->boardLost();
    p.clock->advance(2s);
    EXPECT_EQ(p.record->frames, (std::vector{kDeflected, kCentred}));

    p.pad->followLink(LinkState::Polling);
    for (int i = 0; i < 25; ++i) {
        p.report({100, 500, 500, 500}, false, true);
        p.clock->advance(200ms);
    }
    EXPECT_EQ(p.record->frames.size(), 3u) << "reports every 200 ms keep the values for five seconds";
    p.clock->advance(VirtualPad::kWatchdog / 2);
    EXPECT_EQ(p.record->frames.size(), 3u);
    p.clock->advance(VirtualPad::kWatchdog + 10s);
    p.report({100, 500, 500, 500}, false, true);
    EXPECT_EQ(p.record->frames, (std::vector{kDeflected, kCentred, kDeflected, kCentred, kDeflected}));
}

TEST(VirtualPad, InvertedAxesAndTheSticksLayout)
{
    Pad p(ButtonLayout::Sticks, true);
    p.pad->boardIdentified();
    p.report({900, 900, 500, 500}, true, false);
    p.report({900, 900, 500, 500}, false, true);
    EXPECT_EQ(p.record->frames, (std::vector<PadFrame>{{axis(ABS_X, kFull), axis(ABS_Y, -kFull), key(BTN_THUMBR, true)},
                                                       {key(BTN_THUMBL, true), key(BTN_THUMBR, false)}}));
}
