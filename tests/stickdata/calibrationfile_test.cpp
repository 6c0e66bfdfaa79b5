#include "stickdata/calibrationfile.h"

#include "stickdata/statsreport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace std::chrono_literals;

namespace {

// A file as joystick-stats --json writes it, with `a1` for A1's figures.
QByteArray statsFile(const char *a1)
{
    return QByteArray(R"({"reports": 90, "axes": {
        "A0": {"min": 12, "max": 1010, "centre": 498.4, "noise_sd": 1.2, "noise_pp": 6, "dead_zone": 6},
        "A1": )") + a1 + R"(,
        "A2": {"min": 30, "max": 990, "centre": 520, "dead_zone": 4},
        "A3": {"min": 25, "max": 1000, "centre": 507.25, "dead_zone": 5}},
        "buttons": {"A4": {"presses": 2}, "A5": {"presses": 0}}})";
}

const BoardCalibration &calibrationIn(const std::variant<BoardCalibration, QString> &read)
{
    if (const auto *problem = std::get_if<QString>(&read))
        ADD_FAILURE() << problem->toStdString();
    static const BoardCalibration none;
    return read.index() == 0 ? std::get<BoardCalibration>(read) : none;
}

// The left stick left alone off the middle for three seconds, and the
// right one too or going round, then both swept round in full circles, at
// 20 reports a second.
void restThenSweep(BoardStats &stats, bool rightStickRests)
{
    std::chrono::nanoseconds at = 1s;
    quint64 number = 0;
    const auto circling = [&](double radius, double phase) {
        const double angle = 2 * std::numbers::pi * double(at / 1ms) / 1000 + phase;
        return std::array{int16_t(std::lround(512 + radius * std::cos(angle))),
                          int16_t(std::lround(512 + radius * std::sin(angle)))};
    };
    for (; at < 4s; at += 50ms, ++number) {
        const auto wobble = int16_t(number % 3);
        const auto right = rightStickRests ? std::array{int16_t(505 + wobble), int16_t(520)} : circling(430, 1);
        stats.reportCompleted({number + 1, {int16_t(490 + wobble), int16_t(530 - wobble), right[0], right[1]}, {}}, at);
    }
    for (const auto end = at + 4s; at < end; at += 50ms, ++number) {
        const auto left = circling(480, 0);
        const auto right = circling(430, 1);
        stats.reportCompleted({number + 1, {left[0], left[1], right[0], right[1]}, {}}, at);
    }
}

} // namespace

TEST(CalibrationFile, TakesEachAxissRangeCentreAndDeadZone)
{
    const auto read = calibrationFromJson(statsFile(R"({"min": 40, "max": 980, "centre": 470.5, "dead_zone": 7})"));
    const BoardCalibration &calibration = calibrationIn(read);
    EXPECT_EQ(calibration.axes[0], (AxisCalibration{12, 1010, 498.4, 6}));
    EXPECT_EQ(calibration.axes[1], (AxisCalibration{40, 980, 470.5, 7}));
    EXPECT_EQ(calibration.axes[3], (AxisCalibration{25, 1000, 507.25, 5}));
    EXPECT_TRUE(calibration.notes.isEmpty());
}

TEST(CalibrationFile, AnAxisThatNeverRestedTakesTheMiddleOfItsRangeAndSaysSo)
{
    const auto read = calibrationFromJson(statsFile(R"({"min": 40, "max": 980, "centre": null, "dead_zone": null})"));
    const BoardCalibration &calibration = calibrationIn(read);
    EXPECT_EQ(calibration.axes[1], (AxisCalibration{40, 980, 510, 0}));
    EXPECT_EQ(calibration.notes,
              QStringList{"A1 has no centre (its stick never rested): the middle of its range, no dead zone"});
}

TEST(CalibrationFile, AFileThatIsNoCalibrationIsRefusedSayingWhatWasFound)
{
    struct Case {
        QByteArray json;
        const char *refusal;
    };
    const Case cases[] = {
        {"", "not JSON (illegal value at offset 0)"},
        {R"({"axes": {"A0": {"min": 1})", "not JSON (unterminated object at offset 26)"},
        {"min,max\n1,2\n", "not JSON (illegal value at offset 1)"},
        {"[1, 2]", "no \"axes\" object: is it joystick-stats --json output?"},
        {R"({"reports": 3})", "no \"axes\" object: is it joystick-stats --json output?"},
        {R"({"axes": [1, 2]})", "no \"axes\" object: is it joystick-stats --json output?"},
        {R"({"axes": {"A0": {}, "A1": {}}})", "A0 has no \"min\""},
        {R"({"axes": {"A1": {"min": 1, "max": 2, "centre": 1, "dead_zone": 0}}})", "no A0 in \"axes\""},
        {statsFile("7"), "A1 in \"axes\" is not an object: 7"},
        {statsFile(R"({"min": null, "max": null, "centre": null, "dead_zone": null})"),
         "A1's min is null: the statistics saw no report"},
        {statsFile(R"({"min": 40, "max": "980", "centre": 500, "dead_zone": 7})"), "A1's max is not a number: \"980\""},
        {statsFile(R"({"min": 40, "max": 980, "dead_zone": 7})"), "A1 has no \"centre\""},
        {statsFile(R"({"min": 40, "max": 980, "centre": [500], "dead_zone": 7})"), "A1's centre is not a number: an array"},
        {statsFile(R"({"min": 40, "max": 980, "centre": 500, "dead_zone": true})"), "A1's dead_zone is not a number: true"},
        {statsFile(R"({"min": 40, "max": 980, "centre": 500, "dead_zone": null})"),
         "A1's dead_zone is null, yet its centre is 500"},
        {statsFile(R"({"min": 40, "max": 980, "centre": 500, "dead_zone": -3})"), "A1's dead_zone -3 is negative"},
        {statsFile(R"({"min": 700, "max": 300, "centre": 500, "dead_zone": 7})"), "A1's min 700 is not below its max 300"},
        {statsFile(R"({"min": 512, "max": 512, "centre": null, "dead_zone": null})"), "A1's min 512 is not below its max 512"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.json.toStdString());
        const auto read = calibrationFromJson(c.json);
        ASSERT_EQ(read.index(), 1u);
        EXPECT_EQ(std::get<QString>(read).toStdString(), c.refusal);
    }
}

TEST(CalibrationFile, ARefusalBeginsWithTheFilesName)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("board.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(statsFile(R"({"min": 700, "max": 300, "centre": 500, "dead_zone": 7})"));
    file.close();
    const auto read = readCalibrationFile(path);
    ASSERT_EQ(read.index(), 1u);
    EXPECT_EQ(std::get<QString>(read), path + QStringLiteral(": A1's min 700 is not below its max 300"));

    const QString missing = folder.filePath(QStringLiteral("none.json"));
    const auto absent = readCalibrationFile(missing);
    ASSERT_EQ(absent.index(), 1u);
    EXPECT_TRUE(std::get<QString>(absent).startsWith(missing + QStringLiteral(": "))) << std::get<QString>(absent).toStdString();
}

TEST(CalibrationFile, WhatTheStatisticsWriteReadsBackAsTheirCalibration)
{
    for (const bool rightStickRests : {true, false}) {
        SCOPED_TRACE(rightStickRests ? "both sticks rested" : "the right stick never rested");
        BoardStats stats;
        restThenSweep(stats, rightStickRests);
        const auto read = calibrationFromJson(statsJson(stats));
        const BoardCalibration &calibration = calibrationIn(read);
        for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
            SCOPED_TRACE(channel);
            const AxisFigures figures = stats.axis(channel);
            const AxisCalibration &axis = calibration.axes[size_t(channel)];
            EXPECT_EQ(axis.min, figures.min);
            EXPECT_EQ(axis.max, figures.max);
            EXPECT_GT(figures.max - figures.min, 800);
            if (figures.rest) {
                EXPECT_NEAR(axis.centre, figures.rest->centre, 0.005);
                EXPECT_EQ(axis.deadZone, figures.rest->deadZone);
            } else {
                EXPECT_EQ(axis.centre, (figures.min + figures.max) / 2.0);
                EXPECT_EQ(axis.deadZone, 0);
            }
        }
        ASSERT_EQ(stats.axis(0).rest.has_value(), true);
        EXPECT_EQ(stats.axis(2).rest.has_value(), rightStickRests);
        EXPECT_EQ(calibration.notes.size(), rightStickRests ? 0 : 2);
    }
}
