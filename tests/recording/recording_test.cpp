#include "recording/recording.h"
#include "recording/rowfile.h"
#include "tests/support/eventloop.h"
#include "tests/support/fakeserial.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/monitor.h"
#include "tests/support/qtprinters.h"
#include "tests/support/recordedfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

const QByteArray kHeader = "time,seconds,port,device,A0,A1,A2,A3,A4,A5";

QByteArray report(int a0)
{
    return "A0 " + QByteArray::number(a0) + "\r\nA1 512\r\nA2 0\r\nA3 1023\r\nA4 1\r\nA5 0\r\n";
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The board's session on an in-memory port, its board found on COM 1.
struct BoardOnComOne {
    BoardOnComOne()
    {
        session.link().buscarPuerto();
        serial->receive("JOYSTICK\r\n");
    }

    std::unique_ptr<Recording> recordTo(const QString &path)
    {
        auto recording =
            std::make_unique<Recording>([this] { return session.origin(); }, RowFile::append(path), session.now());
        QObject::connect(&session.lines(), &BoardLines::arrived, recording.get(), &Recording::take);
        return recording;
    }

    std::shared_ptr<ComPortMap> ports = fixedPorts({"/dev/ttyACM0"});
    FakeSerial *serial = new FakeSerial(ports);
    BoardSession session{ports, std::unique_ptr<SerialControl>(serial), testTiming()};
};

// The messages logged under the recording's category while it stands.
class RecordingLog {
public:
    RecordingLog() { previous_ = qInstallMessageHandler(keep); }
    ~RecordingLog() { qInstallMessageHandler(previous_); }
    static inline QStringList messages;

private:
    static void keep(QtMsgType, const QMessageLogContext &context, const QString &text)
    {
        if (context.category && std::strcmp(context.category, "joystick.recording") == 0)
            messages.append(text);
    }
    QtMessageHandler previous_;
};

} // namespace

TEST(Recording, EveryCompletedReportIsOneRowAfterOneHeader)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("board.csv");
    BoardOnComOne board;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    {
        const auto recording = board.recordTo(path);
        // Found in the middle of a report: the first row waits for a whole one.
        board.serial->receive("A3 413\r\nA4 0\r\nA5 1\r\n");
        EXPECT_EQ(recording->status(), "Recording every report to " + path + "; waiting for a whole report");
        board.serial->receive("A0 100\r\nA1 12.5\r\nA2 -3\r\nA3 7x\r\nA4 0\r\nA5 1\r\n");
        EXPECT_EQ(recording->status(), "Recording every report to " + path);
        board.serial->receive("A0 200\r\nJOYSTICK\r\nA6 1\r\nA5 0\r\n");
        board.serial->receive("A0 300\r\nA4 1\r\n");
        EXPECT_EQ(recording->rows(), 2) << "a report without its A5 line is no row yet";
        board.serial->receive("A5 1\r\n");
    }
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    const RecordedFile file = readRecording(path);
    EXPECT_TRUE(file.whole);
    EXPECT_EQ(file.header, kHeader);
    const QList<QList<QByteArray>> values{{"100", "12", "-3", "7", "1", "0"},
                                          {"200", "12", "-3", "7", "1", "1"},
                                          {"300", "12", "-3", "7", "0", "0"}};
    ASSERT_EQ(file.rows.size(), values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QList<QByteArray> &row = file.rows[i];
        SCOPED_TRACE(row.join(',').toStdString());
        ASSERT_EQ(row.size(), 10);
        const QDateTime time = QDateTime::fromString(QString::fromLatin1(row[0]), Qt::ISODateWithMs);
        EXPECT_TRUE(time >= before && time <= after);
        EXPECT_EQ(row[2], "COM1");
        EXPECT_EQ(row[3], "/dev/ttyACM0");
        EXPECT_EQ(RecordedFile::values(row), values[i]);
    }
}

// A recording is continued in its own line ends, `seconds` going on from
// its last row by the time passed since; any other file is left as it was.
TEST(RowFile, ContinuesARecordingInItsLineEndsWithSecondsGoingOnAndRefusesAnyOtherFile)
{
    const QTemporaryDir dir;
    const QDateTime lastTime = QDateTime::currentDateTimeUtc().addSecs(-10);
    const QByteArray lastRow =
        lastTime.toString(Qt::ISODateWithMs).toLatin1() + ",100.000,COM1,/dev/ttyACM0,1,2,3,4,0,0\r\n";
    const QByteArray recording = kHeader + "\r\n" + lastRow;
    struct Case {
        const char *name;
        QByteArray contents;
        QByteArray lineEnd;
        QString refusal;
    };
    const Case cases[] = {
        {"CRLF", recording, "\r\n", {}},
        {"LF", QByteArray(recording).replace("\r\n", "\n"), "\n", {}},
        {"a byte order mark", "\xEF\xBB\xBF" + recording, "\r\n", {}},
        {"a torn last row", recording.chopped(4), {}, "it ends inside a row"},
        {"another program's CSV",
         "name,score\r\nbob,3\r\n",
         {},
         "its first line is \"name,score\", not the header \"" + kHeader + "\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name) + ".csv");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.contents) == c.contents.size());
        file.close();
        BoardOnComOne board;
        {
            const auto continued = board.recordTo(path);
            EXPECT_EQ(continued->file().problem(), c.refusal.isEmpty() ? QString() : path + ": " + c.refusal);
            board.serial->receive(report(7) + report(8));
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray contents = file.readAll();
        ASSERT_TRUE(contents.startsWith(c.contents));
        const QList<QByteArray> rows = contents.sliced(c.contents.size()).split('\n');
        ASSERT_EQ(rows.size(), c.refusal.isEmpty() ? 3 : 1);
        for (const QByteArray &row : rows.first(rows.size() - 1)) {
            EXPECT_EQ(row.endsWith('\r'), c.lineEnd == "\r\n");
            EXPECT_NEAR(row.split(',')[1].toDouble(), 110, 1) << "seconds go on by the 10 s since the last row";
        }
    }
}

// Each refused file is named with the reason.
TEST(RowFile, RefusesWhatItCannotAppendTo)
{
    const QTemporaryDir dir;
    struct Refusal {
        const char *what;
        QString path;
        QStringList reasons;
    };
    const Refusal refusals[] = {
        {"no such folder", dir.filePath("none/board.csv"), {"no such folder " + dir.filePath("none")}},
        {"a folder", dir.path(), {"it is a folder"}},
        {"no permission", "/sys/joystick-board.csv", {"permission denied", systemReason(EROFS)}},
        {"a device that takes no byte", "/dev/full", {systemReason(ENOSPC)}},
    };
    for (const Refusal &refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        const auto file = RowFile::append(refusal.path);
        EXPECT_FALSE(file->isOpen());
        EXPECT_FALSE(file->write(report(1)));
        const QString prefix = refusal.path + ": ";
        EXPECT_TRUE(file->problem().startsWith(prefix) && refusal.reasons.contains(file->problem().mid(prefix.size())))
            << file->problem().toStdString();
    }
}

// The disk fills up in the middle of a row: what went in of it is taken
// back, the recording stops, and later reports are not written. The monitor
// goes on showing the board, says why in the window's own tooltip, not the
// ports', and logs it once.
TEST(MonitorRecording, AFailedWriteLeavesOnlyWholeRowsAndIsShownInTheWindowsOwnTooltipAndLoggedOnce)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("board.csv");
    auto serial = std::make_unique<FakeSerial>();
    FakeSerial &port = *serial;
    Monitor monitor({"/dev/ttyACM0"}, testTiming(), std::move(serial));
    const ventana &window = monitor.window;
    monitor.program.start();
    port.receive("JOYSTICK\r\n");
    ASSERT_TRUE(monitor.program.record(RowFile::append(path)));
    EXPECT_EQ(window.toolTip(), "Recording every report to " + path);

    const RecordingLog log;
    RecordingLog::messages.clear();
    port.receive(report(100));
    const qint64 sizeBefore = QFileInfo(path).size();
    {
        const FileSizeLimit limit(sizeBefore + 20);
        for (int a0 : {200, 300})
            port.receive(report(a0));
    }
    port.receive(report(400));
    const QString reason = "Recording stopped after 1 row: " + path + ": " + systemReason(EFBIG);
    EXPECT_EQ(RecordingLog::messages, QStringList{reason});
    EXPECT_EQ(window.toolTip(), reason);
    EXPECT_NE(window.Bconsola->toolTip(), reason);
    EXPECT_FALSE(monitor.program.recording()->file().isOpen());
    EXPECT_TRUE(runUntil([&] { return window.vA0->text() == "400"; }));
    const RecordedFile file = readRecording(path);
    EXPECT_TRUE(file.whole);
    EXPECT_EQ(QFileInfo(path).size(), sizeBefore);
    EXPECT_EQ(file.rows.size(), 1);
}

// A row holds only values the board sent since its port opened: a board
// that never sends some channels records nothing, and the status names them.
TEST(Recording, ABoardThatNeverSendsSomeChannelsRecordsNothingAndTheStatusSaysWhich)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("board.csv");
    BoardOnComOne partial;
    const auto waiting = partial.recordTo(path);
    int changes = 0;
    QObject::connect(waiting.get(), &Recording::statusChanged, [&] { ++changes; });
    for (int i = 0; i < 3; ++i)
        partial.serial->receive("A2 500\r\nA3 600\r\nA4 1\r\nA5 1\r\n");
    EXPECT_EQ(waiting->rows(), 0);
    EXPECT_EQ(waiting->status(),
              "Recording every report to " + path + "; waiting for a whole report: the board sends no A0, A1");
    EXPECT_EQ(changes, 2) << "waiting, then naming what is missing";
    EXPECT_TRUE(readRecording(path).rows.isEmpty());
}
