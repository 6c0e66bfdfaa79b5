#include "stickdata/boardmodel.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

struct State {
    std::array<QString, 4> texts;
    std::array<int16_t, 4> coordinates;
    bool rightPressed;
    bool leftPressed;
    Report lastReport;
};

State stateOf(const BoardModel &model)
{
    return {{model.axisText(0), model.axisText(1), model.axisText(2), model.axisText(3)},
            model.coordinates(),
            model.pressed(4),
            model.pressed(5),
            model.lastReport()};
}

void expectState(const BoardModel &model, const State &expected)
{
    const State state = stateOf(model);
    EXPECT_EQ(state.texts, expected.texts);
    EXPECT_EQ(state.coordinates, expected.coordinates);
    EXPECT_EQ(state.rightPressed, expected.rightPressed);
    EXPECT_EQ(state.leftPressed, expected.leftPressed);
    EXPECT_EQ(state.lastReport, expected.lastReport);
}

struct Case {
    const char *name;
    QStringList lines;
    State expected;
};

TEST(BoardModel, LinesLeaveTheStateTheInterpreterGivesAndSayWhatEachWasAndWhenAReportCompletes)
{
    const Case cases[] = {
        {"a full report, texts as received and their leading numbers",
         {"A0 100", "A1 12.5", "A2 -3", "A3 7x", "A4 0", "A5 1"},
         {{"100", "12.5", "-3", "7x"}, {100, 12, -3, 7}, true, false, {1, {100, 12, -3, 7}, {true, false}}}},
        {"each report counted, a button released by a line that is not exactly 0",
         {"A4 0", "A5 0", "A4 00", "A5 1", "A4 0", "A4 ", "A5  0"},
         {{}, {}, false, false, {3, {}, {false, false}}}},
        {"lines the interpreter makes nothing of change nothing",
         {"A0 5", "A0 9 JOYSTICK", "A6 1", "A0", "A5", ""},
         {{"5", "", "", ""}, {5, 0, 0, 0}, false, false, {}}},
        {"a report keeps the values of its closing line; later lines are the next report's",
         {"A0 1", "A1 2", "A2 3", "A3 4", "A4 0", "A5 0", "A0 900", "A4 1"},
         {{"900", "2", "3", "4"}, {900, 2, 3, 4}, false, true, {1, {1, 2, 3, 4}, {true, true}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        BoardModel model;
        for (const QString &line : c.lines)
            model.apply(line);
        expectState(model, c.expected);
    }

    BoardModel model;
    std::vector<AppliedLine> applied;
    for (const char *line : {"A3 7", "JOYSTICK", "A6 1", "A4 0", "A5 1", "A0 2", "A5 0", "A5"})
        applied.push_back(model.apply(QString::fromLatin1(line)));

    EXPECT_EQ(applied, (std::vector<AppliedLine>{{LineKind::Channel, 3, false},
                                                 {LineKind::Keyword, -1, false},
                                                 {LineKind::Ignored, -1, false},
                                                 {LineKind::Channel, 4, false},
                                                 {LineKind::Channel, 5, true},
                                                 {LineKind::Channel, 0, false},
                                                 {LineKind::Channel, 5, true},
                                                 {LineKind::Ignored, -1, false}}));
    EXPECT_EQ(model.lastReport(), (Report{2, {2, 0, 0, 7}, {true, true}}));
}

} // namespace
