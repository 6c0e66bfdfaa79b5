#include "stickdata/calibrationfile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A file as joystick-stats --json writes it, with `a1` for A1's figures.
QByteArray statsFile(const char *a1)
{
    return QByteArray(R"({"reports": 90, "axes": {
        "A0": {"min": 12, "max": 1010, "centre": 498.4, "noise_sd": 1.2, "noise_pp": 6, "dead_zone": 6},
        "A1": )")
           + a1 + R"(, "A2": {"min": 30, "max": 990, "centre": 520, "dead_zone": 4},
        "A3": {"min": 25, "max": 1000, "centre": 507.25, "dead_zone": 5}}, "buttons": {}})";
}

BoardCalibration calibrationIn(const std::variant<BoardCalibration, QString> &read)
{
    if (const auto *problem = std::get_if<QString>(&read))
        ADD_FAILURE() << problem->toStdString();
    return read.index() == 0 ? std::get<BoardCalibration>(read) : BoardCalibration{};
}

} // namespace

TEST(CalibrationFile, TakesEachAxissFiguresTheRangesMiddleWithoutARestAndRefusesWhatIsNoCalibration)
{
    BoardCalibration calibration =
        calibrationIn(calibrationFromJson(statsFile(R"({"min": 40, "max": 980, "centre": 470.5, "dead_zone": 7})")));
    EXPECT_EQ(calibration.axes[0], (AxisCalibration{12, 1010, 498.4, 6}));
    EXPECT_EQ(calibration.axes[1], (AxisCalibration{40, 980, 470.5, 7}));
    EXPECT_EQ(calibration.axes[3], (AxisCalibration{25, 1000, 507.25, 5}));
    EXPECT_TRUE(calibration.notes.isEmpty());

    calibration =
        calibrationIn(calibrationFromJson(statsFile(R"({"min": 40, "max": 980, "centre": null, "dead_zone": null})")));
    EXPECT_EQ(calibration.axes[1], (AxisCalibration{40, 980, 510, 0}));
    EXPECT_EQ(calibration.notes,
              QStringList{"A1 has no centre (its stick never rested): the middle of its range, no dead zone"});

    const std::pair<QByteArray, const char *> cases[] = {
        {R"({"axes": {"A0": {"min": 1})", "not JSON (unterminated object at offset 26)"},
        {R"({"axes": [1, 2]})", "no \"axes\" object: is it joystick-stats --json output?"},
        {R"({"axes": {"A1": {}}})", "no A0 in \"axes\""},
        {statsFile("7"), "A1 in \"axes\" is not an object: 7"},
        {statsFile(R"({"min": null, "max": null, "centre": null, "dead_zone": null})"),
         "A1's min is null: the statistics saw no report"},
        {statsFile(R"({"min": 40, "max": "980", "centre": 500, "dead_zone": 7})"), "A1's max is not a number: \"980\""},
        {statsFile(R"({"min": 40, "max": 980, "dead_zone": 7})"), "A1 has no \"centre\""},
        {statsFile(R"({"min": 40, "max": 980, "centre": 500, "dead_zone": null})"),
         "A1's dead_zone is null, yet its centre is 500"},
        {statsFile(R"({"min": 40, "max": 980, "centre": 500, "dead_zone": -3})"), "A1's dead_zone -3 is negative"},
        {statsFile(R"({"min": 700, "max": 300, "centre": 500, "dead_zone": 7})"),
         "A1's min 700 is not below its max 300"},
        {statsFile(R"({"min": 512, "max": 512, "centre": null, "dead_zone": null})"),
         "A1's min 512 is not below its max 512"},
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
