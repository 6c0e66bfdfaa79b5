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
        "A1": )") + a1 + R"(, "A2": {"min": 30, "max": 990, "centre": 520, "dead_zone": 4},
        "A3": {"min": 25, "max": 1000, "centre": 507.25, "dead_zone": 5}}, "buttons": {}})";
}

BoardCalibration calibrationIn(const std::variant<BoardCalibration, QString> &read)
{
    if (const auto *problem = std::get_if<QString>(&read))
        ADD_FAILURE() << problem->toStdString();
    return read.index() == 0 ? std::get<BoardCalibration>(read) : BoardCalibration{};
}

} // namespace

TEST(CalibrationFile, TakesEachAxissFiguresAndTheMiddleOfTheRangeForAStickThatNeverRested)
{
    BoardCalibration calibration = calibrationIn(calibrationFromJson(statsFile(R"({"min": 40, "max": 980, "centre": 470.5, "dead_zone": 7})")));
    EXPECT_EQ(calibration.axes[0], (AxisCalibration{12, 1010, 498.4, 6}));
    EXPECT_EQ(calibration.axes[1], (AxisCalibration{40, 980, 470.5, 7}));
    EXPECT_EQ(calibration.axes[3], (AxisCalibration{25, 1000, 507.25, 5}));
    EXPECT_TRUE(calibration.notes.isEmpty());

    calibration = calibrationIn(calibrationFromJson(statsFile(R"({"min": 40, "max": 980, "centre": null, "dead_zone": null})")));
    EXPECT_EQ(calibration.axes[1], (AxisCalibration{40, 980, 510, 0}));
    EXPECT_EQ(calibration.notes, QStringList{"A1 has no centre (its stick never rested): the middle of its range, no dead zone"});
}

TEST(CalibrationFile, AFileThatIsNoCalibrationIsRefusedSayingWhatWasFound)
{
    const std::pair<QByteArray, const char *> cases[] = {
        {R"({"axes": {"A0": {"min": 1})", "not JSON (unterminated object at offset 26)"},
        {R"({"axes": [1, 2]})", "no \"axes\" object: is it joystick-stats --json output?"},
        {R"({"axes": {"A1": {}}})", "no A0 in \"axes\""},
        {statsFile("7"), "A1 in \"axes\" is not an object: 7"},
        {statsFile(R"({"min": null, "max": null, "centre": null, "dead_zone": null})"), "A1's min is null: the statistics saw no report"},
        {statsFile(R"({"min": 40, "max": "980", "centre": 500, "dead_zone": 7})"), "A1's max is not a number: \"980\""},
        {statsFile(R"({"min": 40, "max": 980, "dead_zone": 7})"), "A1 has no \"centre\""},
        {statsFile(R"({"min": 40, "max": 980, "centre": 500, "dead_zone": null})"), "A1's dead_zone is null, yet its centre is 500"},
        {statsFile(R"({"min": 40, "max": 980, "centre": 500, "dead_zone": -3})"), "A1's dead_zone -3 is negative"},
        {statsFile(R"({"min": 700, "max": 300, "centre": 500, "dead_zone": 7})"), "A1's min 700 is not below its max 300"},
        {statsFile(R"({"min": 512, "max": 512, "centre": null, "dead_zone": null})"), "A1's min 512 is not below its max 512"},
    };
    for (const auto &[json, refusal] : cases) {
        const auto read = calibrationFromJson(json);
        ASSERT_EQ(read.index(), 1u) << json.toStdString();
        EXPECT_EQ(std::get<QString>(read).toStdString(), refusal);
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("board.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(std::get<0>(cases[0]));
    file.close();
    const auto read = readCalibrationFile(path);
    ASSERT_EQ(read.index(), 1u);
    EXPECT_EQ(std::get<QString>(read), path + QStringLiteral(": not JSON (unterminated object at offset 26)"));
}

TEST(CalibrationFile, WhatTheStatisticsWriteReadsBackAsTheirCalibration)
{
    for (const bool rightStickRests : {true, false}) {
        SCOPED_TRACE(rightStickRests ? "both sticks rested" : "the right stick never rested");
        // Three seconds still off the middle (or the right stick going
        // round), then four seconds of both going round in full circles.
        BoardStats stats;
        for (int i = 0; i < 140; ++i) {
            const double angle = 2 * std::numbers::pi * i / 20;
            const auto circle = [&](double radius, double axis) {
                return int16_t(std::lround(512 + radius * std::cos(angle - axis * std::numbers::pi / 2)));
            };
            const bool still = i < 60;
            const auto wobble = int16_t(i % 3);
            stats.addReport({quint64(i + 1),
                                   {still ? int16_t(490 + wobble) : circle(480, 0), still ? int16_t(530 - wobble) : circle(480, 1),
                                    still && rightStickRests ? int16_t(505 + wobble) : circle(430, 0),
                                    still && rightStickRests ? int16_t(520) : circle(430, 1)},
                                   {}},
                                  i * 50ms);
        }
        const BoardCalibration calibration = calibrationIn(calibrationFromJson(statsJson(stats)));
        for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
            const AxisFigures figures = stats.axis(channel);
            const AxisCalibration &axis = calibration.axes[size_t(channel)];
            EXPECT_EQ(axis.min, figures.min);
            EXPECT_EQ(axis.max, figures.max);
            EXPECT_GT(figures.max - figures.min, 800);
            EXPECT_NEAR(axis.centre, figures.rest ? figures.rest->centre : (figures.min + figures.max) / 2.0, 0.005);
            EXPECT_EQ(axis.deadZone, figures.rest ? figures.rest->deadZone : 0);
            EXPECT_EQ(figures.rest.has_value(), channel < 2 || rightStickRests) << channel;
        }
        EXPECT_EQ(calibration.notes.size(), rightStickRests ? 0 : 2);
    }
}
