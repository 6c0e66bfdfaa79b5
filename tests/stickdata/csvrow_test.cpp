#include "stickdata/csvrow.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const ReportOrigin kBoard{"COM3", "/dev/ttyACM0"};

QDateTime at(int utcOffsetSeconds)
{
    return QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7, 42), QTimeZone(utcOffsetSeconds));
}

} // namespace

TEST(CsvRow, ColumnsInOrderWithTheUtcOffsetAsANumberAndTheButtonsAsPressed)
{
    EXPECT_EQ(csvHeader(), "time,seconds,port,device,A0,A1,A2,A3,A4,A5\r\n");
    const Report report{7, {512, -3, 32767, -32768}, {true, false}};
    EXPECT_EQ(csvRow(at(3600), 3723456ms, kBoard, report),
              "2026-12-08T09:05:07.042+01:00,3723.456,COM3,/dev/ttyACM0,512,-3,32767,-32768,1,0\r\n");
    EXPECT_EQ(csvRow(at(0), 0ms, kBoard, {1, {}, {false, true}}),
              "2026-12-08T09:05:07.042+00:00,0.000,COM3,/dev/ttyACM0,0,0,0,0,0,1\r\n")
        << "a zero offset is written as a number, not Z";
    EXPECT_TRUE(csvRow(at(-(3 * 3600 + 1800)), 5ms, kBoard, {}).startsWith("2026-12-08T09:05:07.042-03:30,0.005,"));
}

TEST(CsvRow, ADeviceHoldingACommaOrAQuoteIsQuoted)
{
    const QByteArray row = csvRow(at(0), 0ms, {"COM1", "/tmp/my,\"board\""}, {});
    EXPECT_TRUE(row.contains(",COM1,\"/tmp/my,\"\"board\"\"\",0,")) << row.toStdString();
}
