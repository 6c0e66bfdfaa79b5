#include "recording/csvrow.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const ReportOrigin kBoard{3, "/dev/ttyACM0"};

// The moment an ISO 8601 text with its offset names.
std::chrono::system_clock::time_point at(const char *iso)
{
    const QDateTime time = QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(time.toMSecsSinceEpoch()));
}

} // namespace

TEST(CsvRows, ColumnsInOrderWithTheUtcOffsetAsANumberTheButtonsAsPressedAndADeviceQuotedWhereItMustBe)
{
    EXPECT_EQ(csvHeader(), "time,seconds,port,device,A0,A1,A2,A3,A4,A5\r\n");
    const Report report{7, {512, -3, 32767, -32768}, {true, false}};
    EXPECT_EQ(CsvRows(QTimeZone(3600)).row(at("2026-12-08T08:05:07.042Z"), 3723456ms, kBoard, report),
              "2026-12-08T09:05:07.042+01:00,3723.456,COM3,/dev/ttyACM0,512,-3,32767,-32768,1,0\r\n");
    EXPECT_EQ(CsvRows(QTimeZone(0)).row(at("2026-12-08T08:05:07.000Z"), 0ms, kBoard, {1, {}, {false, true}}),
              "2026-12-08T08:05:07.000+00:00,0.000,COM3,/dev/ttyACM0,0,0,0,0,0,1\r\n")
        << "a zero offset is written as a number, not Z";
    EXPECT_TRUE(CsvRows(QTimeZone(-(3 * 3600 + 1800)))
                    .row(at("2026-12-08T08:05:07.042Z"), 5ms, kBoard, {})
                    .startsWith("2026-12-08T04:35:07.042-03:30,0.005,"));

    const QByteArray row = CsvRows(QTimeZone(0)).row(at("2026-12-08T08:05:07.042Z"), 0ms, {1, "/tmp/my,\"board\""}, {});
    EXPECT_TRUE(row.contains(",COM1,\"/tmp/my,\"\"board\"\"\",0,")) << row.toStdString();
}

// What one row shares with the row before is formatted anew once it changes:
// the second, the offset when summer time begins, the port and device.
TEST(CsvRows, ASecondAnOffsetOrAnOriginOfItsOwnShowsFromItsFirstRow)
{
    const QTimeZone madrid("Europe/Madrid");
    ASSERT_TRUE(madrid.isValid());
    CsvRows rows(madrid);
    const auto timeOf = [&](const char *iso, const ReportOrigin &origin) {
        return rows.row(at(iso), 0ms, origin, {}).split(',').mid(0, 4).join(',');
    };
    EXPECT_EQ(timeOf("2026-03-29T00:59:59.999Z", kBoard), "2026-03-29T01:59:59.999+01:00,0.000,COM3,/dev/ttyACM0");
    EXPECT_EQ(timeOf("2026-03-29T01:00:00.000Z", kBoard), "2026-03-29T03:00:00.000+02:00,0.000,COM3,/dev/ttyACM0");
    EXPECT_EQ(timeOf("2026-03-29T01:00:00.001Z", {3, "/dev/ttyUSB0"}),
              "2026-03-29T03:00:00.001+02:00,0.000,COM3,/dev/ttyUSB0");
    EXPECT_EQ(timeOf("2026-03-29T01:00:00.002Z", {1, "/dev/ttyUSB0"}),
              "2026-03-29T03:00:00.002+02:00,0.000,COM1,/dev/ttyUSB0");
}
