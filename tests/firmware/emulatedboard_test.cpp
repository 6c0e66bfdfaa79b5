#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"
#include "tests/support/qtprinters.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace std::chrono_literals;

namespace {

#if defined(JOYSTICK_BOARD_EMU) && defined(JOYSTICK_BOARD_ELF)
constexpr const char *kEmulator = JOYSTICK_BOARD_EMU;
constexpr const char *kFirmware = JOYSTICK_BOARD_ELF;
#else
constexpr const char *kEmulator = nullptr;
constexpr const char *kFirmware = nullptr;
#endif

constexpr auto kStartLimit = 10s;
// Far beyond what any of these takes on an idle machine, so that a busy
// one cannot fail them.
constexpr auto kLimit = 30s;
constexpr QByteArrayView kPortLine = "joystick-board-emu: port ";

// The board's firmware on the emulator, a child process. Its pins are set
// through the emulator's standard input; it stops when that is closed.
class EmulatedBoard {
public:
    EmulatedBoard()
    {
        emulator_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        emulator_.start(kEmulator, {kFirmware});
        const QDeadlineTimer deadline(kStartLimit);
        while (port_.isEmpty() && emulator_.waitForReadyRead(int(deadline.remainingTime()))) {
            while (emulator_.canReadLine()) {
                const QByteArray line = emulator_.readLine().trimmed();
                if (line.startsWith(kPortLine))
                    port_ = QString::fromUtf8(line.mid(kPortLine.size()));
            }
        }
    }

    ~EmulatedBoard()
    {
        emulator_.closeWriteChannel();
        if (!emulator_.waitForFinished(int(std::chrono::milliseconds(kStartLimit).count())))
            emulator_.kill();
    }

    QString port() const { return port_; }

    void command(const QByteArray &line)
    {
        emulator_.write(line + '\n');
        emulator_.waitForBytesWritten();
    }

private:
    QProcess emulator_;
    QString port_;
};

class EmulatedBoardTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!kEmulator)
            GTEST_SKIP() << "the emulated board needs the AVR toolchain for its firmware (Debian: gcc-avr "
                            "avr-libc arduino-core-avr) and simavr for the emulator (Debian: simavr "
                            "libsimavr-dev libelf-dev)";
        board.emplace();
        ASSERT_FALSE(board->port().isEmpty()) << "the emulator printed no port";
        EXPECT_NE(QFileInfo("/tmp/simavr-uart0").symLinkTarget(), board->port())
            << "the emulator library's link to the port outlives the emulator";
    }

    std::optional<EmulatedBoard> board;
};

// Whether the right-hand end of a stick's circle (radius 128 units, 16 units
// a pixel), centred where the stick's values put it, has the given colour.
bool showsCircle(const PictureBox *picture, int x, int y, Qt::GlobalColor colour)
{
    return picture->drawing().pixelColor(x / 16 + 8, y / 16) == QColor(colour);
}

// Reads until `enough` holds for what has arrived, or kLimit passes.
template <typename Enough>
QByteArray readUntil(QSerialPort &port, Enough enough)
{
    QByteArray received;
    const QDeadlineTimer deadline(kLimit);
    while (!enough(received) && port.waitForReadyRead(int(deadline.remainingTime())))
        received += port.readAll();
    return received;
}

} // namespace

TEST_F(EmulatedBoardTest, AnnouncesUntilAskedThenAnswersEachRequestAloneInOrder)
{
    for (const char *pin : {"A0 0", "A1 1023", "A2 100", "A3 777", "A4 0"})
        board->command(pin);
    QSerialPort port(board->port());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    const QByteArray announced = readUntil(port, [](const QByteArray &bytes) { return bytes.count('\n') >= 2; });
    EXPECT_EQ(QString::fromLatin1(announced.left(18)), "JOYSTICK\nJOYSTICK\n");

    // A carriage return is ignored; an unknown line, and a request buried at
    // the end of an over-long line, get no answer; a request arriving while
    // the one before is answered is answered next.
    port.write("HELLO\nDATA\r\n" + QByteArray(64, 'x') + "DATA\nDATA\nDATA\n");
    const QByteArray answer = "A0 0\nA1 1023\nA2 100\nA3 777\nA4 0\nA5 1\n";
    const auto answers = [](QByteArray bytes) { return bytes.replace("JOYSTICK\n", ""); };
    QByteArray received = readUntil(port, [&](const QByteArray &bytes) { return answers(bytes).count('\n') >= 3 * 6; });
    const QDeadlineTimer nothingMore(500ms);
    while (port.waitForReadyRead(int(nothingMore.remainingTime())))
        received += port.readAll();
    EXPECT_EQ(QString::fromLatin1(answers(received)), QString::fromLatin1(answer + answer + answer));
}

// Found, then followed as pins change while polling and through a reset
// of the board, which the monitor does not notice.
TEST_F(EmulatedBoardTest, MonitorFindsTheBoardOnComTwoAndFollowsItsPinsThroughAReset)
{
    for (const char *pin : {"A0 512", "A1 256", "A2 96", "A3 1008", "A4 0"})
        board->command(pin);
    // COM 1 absent and the board on COM 2. The firmware announces itself
    // every half second, so the monitor listens on each port as long as it
    // does for real boards.
    const auto monitor = std::make_unique<Monitor>(QStringList{QString(), board->port()}, LinkTiming{});
    ventana &w = monitor->window;
    monitor->program.start();
    // The texts are shown up to a text refresh after the sticks.
    ASSERT_TRUE(
        runUntil([&] { return showsCircle(w.Picture1, 512, 256, Qt::red) && w.vA3->text() == "1008"; }, kLimit));
    const QStringList found{"Bconsola: Error COM 1", "Info: Conectado a COM 2", "Bconsola: OK PUERTO 2"};
    EXPECT_EQ(monitor->status, found);
    EXPECT_TRUE(showsCircle(w.Picture2, 96, 1008, Qt::blue));
    EXPECT_EQ(w.vA0->text(), "512");
    EXPECT_EQ(monitor->model.coordinates(), (std::array<int16_t, 4>{512, 256, 96, 1008}));
    EXPECT_TRUE(w.vA4->isChecked());
    EXPECT_FALSE(w.vA5->isChecked());

    int polls = 0;
    QObject::connect(&monitor->link, &Link::polled, &monitor->link, [&] { ++polls; });
    for (const char *pin : {"A0 704", "A1 320", "A4 1", "A5 0"})
        board->command(pin);
    ASSERT_TRUE(
        runUntil([&] { return showsCircle(w.Picture1, 704, 320, Qt::blue) && w.vA0->text() == "704"; }, kLimit));
    // One or two polls on an idle machine.
    EXPECT_LE(polls, 10);
    EXPECT_TRUE(showsCircle(w.Picture2, 96, 1008, Qt::red));
    EXPECT_TRUE(w.vA5->isChecked());

    board->command("reset");
    board->command("A2 48");
    ASSERT_TRUE(runUntil([&] { return w.vA2->text() == "48"; }, kLimit));
    runFor(1s);
    EXPECT_EQ(monitor->status, found);
    EXPECT_EQ(monitor->link.state(), LinkState::Polling);
    EXPECT_EQ(monitor->link.port(), 2);
    EXPECT_EQ(w.vA0->text(), "704");
    EXPECT_FALSE(w.vA4->isChecked());
}
