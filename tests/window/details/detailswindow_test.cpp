#include "stickdata/calibrationfile.h"
#include "stickdata/statsreport.h"
#include "tests/support/virtualboard.h"
#include "window/details/detailswindow.h"

#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The details window shown and fed by the monitor, in virtual time.
struct FedWindow : BoardWithDetails {
    FedWindow() { details.show(); }
};

} // namespace

TEST(DetailsWindow, APauseFreezesThePlotAndTheLinesWhileTheFiguresCountOn)
{
    FedWindow fed;
    ASSERT_TRUE(fed.found);
    fed.reports(20, {200, 200});
    fed.serial->receive("A0 200\n");
    ASSERT_TRUE(fed.shows("Reports", "20 ("));
    const QImage running = fed.plot.grab().toImage();
    fed.click("pausePlot");
    fed.click("pauseLines");
    const QImage plot = fed.plot.grab().toImage();
    EXPECT_NE(plot, running) << "the pause is not shown";
    const QString lines = fed.lines.shownText();

    fed.reports(40, {800, 800});
    fed.serial->receive("A0 800\nB7\n");
    EXPECT_TRUE(fed.shows("Reports", "60 ("));
    EXPECT_TRUE(fed.shows("Ignored lines", "1"));
    EXPECT_EQ(fed.plot.grab().toImage(), plot);
    EXPECT_EQ(fed.lines.shownText(), lines);

    fed.click("pausePlot");
    fed.click("pauseLines");
    EXPECT_NE(fed.plot.grab().toImage(), plot);
    EXPECT_TRUE(fed.lines.shownText().endsWith(QString::fromUtf8("\u2717 B7")));
}

// Hands off, then sweeps: the table fills as the steps go, and "Copy"
// takes it as joystick-stats prints it.
TEST(DetailsWindow, CalibrateStartsAfreshAndLeadsThroughRestAndSweeps)
{
    FedWindow fed;
    ASSERT_TRUE(fed.found);
    fed.reports(30, {100, 900});
    ASSERT_TRUE(fed.shows("Minimum A0", "100"));
    fed.click("calibrate");
    EXPECT_EQ(fed.text("Minimum A0"), QStringLiteral("—"));
    EXPECT_TRUE(fed.text("calibrationStep").startsWith("Step 1 of 2"));

    fed.reports(30, {500, 520});
    EXPECT_TRUE(fed.text("calibrationStep").startsWith("Step 2 of 2"));
    EXPECT_TRUE(fed.shows("Centre A0", "501.0"));
    EXPECT_TRUE(fed.shows("Centre A1", "519.5"));
    fed.reports(10, {900, 100});
    fed.click("calibrationDone");
    EXPECT_TRUE(fed.text("calibrationStep").startsWith("Calibration taken at "));
    EXPECT_TRUE(fed.shows("Maximum A0", "902"));

    fed.click("copy");
    EXPECT_EQ(QApplication::clipboard()->text(), statsTable(fed.monitor.program.detailsFeed().stats()));
}

// "Save calibration…" writes the figures as a file the game controller
// takes, and says where they went or why not.
TEST(DetailsWindow, SavesTheCalibrationAsAFileTheGameControllerReads)
{
    const QTemporaryDir dir;
    FedWindow fed;
    ASSERT_TRUE(fed.found);
    fed.reports(30, {500, 520});
    fed.reports(10, {100, 900});
    const QString path = dir.filePath("board.json");
    emit fed.details.saveCalibrationRequested(path);
    EXPECT_EQ(fed.text("calibrationSaved"), "Not saved to " + path
                                                + ": A2's min 600 is not below its max 600: "
                                                  "move each stick round its full range first (Calibrate…)");
    EXPECT_FALSE(QFile::exists(path));

    fed.serial->receive("A0 300\nA1 300\nA2 100\nA3 900\nA4 1\nA5 1\nA2 900\nA3 100\nA5 1\n");
    emit fed.details.saveCalibrationRequested(path);
    EXPECT_EQ(fed.text("calibrationSaved"), "Saved to " + path);
    const auto calibration = readCalibrationFile(path);
    ASSERT_TRUE(std::holds_alternative<BoardCalibration>(calibration)) << std::get<QString>(calibration).toStdString();
    const AxisCalibration a0 = std::get<BoardCalibration>(calibration).axes[0];
    EXPECT_EQ(a0.min, 100);
    EXPECT_EQ(a0.max, 502);
    EXPECT_NEAR(a0.centre, 501, 1);

    emit fed.details.saveCalibrationRequested(dir.filePath("no such folder/board.json"));
    EXPECT_TRUE(fed.text("calibrationSaved").startsWith("Not saved to "));
}
