#include "seriallink/serialportcontrol.h"
#include "support/pty.h"
#include "support/qtprinters.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A control with COM1 absent and COM2 on a pseudo-terminal, configured
// the way the monitor configures its ports.
struct OpenedPort : ::testing::Test {
    Pty device;
    SerialPortControl control{ComPortMap(QStringList{QString(), device.slavePath()})};

    void open()
    {
        control.setCommPort(2);
        control.setSettings("9600,n,8,1");
        control.setRThreshold(1);
        control.setPortOpen(true);
        control.setInputMode(SerialControl::kInputModeText);
        control.setInputLen(1);
    }

    template <typename Done>
    static void pumpUntil(Done done, std::chrono::milliseconds limit = 3s)
    {
        const QDeadlineTimer deadline(limit);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

} // namespace

TEST_F(OpenedPort, OpensTheMappedDeviceAndFailsOnAbsentOrOpenPorts)
{
    control.setCommPort(1);
    EXPECT_THROW(control.setPortOpen(true), SerialError);
    EXPECT_FALSE(control.PortOpen());

    open();
    EXPECT_TRUE(control.PortOpen());
    EXPECT_THROW(control.setCommPort(3), SerialError);
    EXPECT_EQ(control.CommPort(), 2);
    EXPECT_THROW(control.setPortOpen(true), SerialError);

    control.setPortOpen(false);
    EXPECT_FALSE(control.PortOpen());
    EXPECT_NO_THROW(control.setCommPort(3));
    EXPECT_THROW(control.setPortOpen(true), SerialError);
}

TEST_F(OpenedPort, RejectsBadSettingsAndKeepsThePreviousOnes)
{
    EXPECT_THROW(control.setSettings("9600,n,8"), SerialError);
    EXPECT_EQ(control.Settings(), "9600,n,8,1");
    EXPECT_THROW(control.setInputMode(1), SerialError);
    EXPECT_THROW(control.setInputLen(-1), SerialError);
}

TEST_F(OpenedPort, WritesEachCharacterAsOneByte)
{
    open();
    control.setOutput(QString::fromLatin1("DATA\n\xE9"));
    EXPECT_EQ(device.read(2s), QByteArray("DATA\n\xE9"));
}

TEST_F(OpenedPort, DeliversABurstOneCharacterPerEventCompleteAndInOrder)
{
    open();
    QByteArray burst;
    for (int i = 0; i < 10'000; ++i)
        burst.append(char(i % 256));
    QByteArray delivered;
    int events = 0;
    QObject::connect(&control, &SerialControl::OnComm, &control, [&] {
        ++events;
        ASSERT_EQ(control.CommEvent(), SerialControl::kEventReceive);
        const QString character = control.Input();
        ASSERT_EQ(character.size(), 1);
        delivered.append(char(character.at(0).unicode()));
    });

    device.write(burst);
    pumpUntil([&] { return delivered.size() >= burst.size(); });

    EXPECT_EQ(events, burst.size());
    EXPECT_EQ(delivered, burst);
    EXPECT_TRUE(control.Input().isEmpty());
}

TEST_F(OpenedPort, AHandlerThatReadsNothingIsNotCalledAgainUntilMoreArrives)
{
    open();
    int events = 0;
    QObject::connect(&control, &SerialControl::OnComm, &control, [&] { ++events; });
    device.write("abc");
    pumpUntil([&] { return events > 0; });
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(control.Input(), "a");
}

TEST_F(OpenedPort, ClosesWhenTheDeviceGoesAwayWithoutSpinning)
{
    open();
    int errors = 0;
    auto *port = control.findChild<QSerialPort *>();
    ASSERT_NE(port, nullptr);
    QObject::connect(port, &QSerialPort::errorOccurred, &control, [&](QSerialPort::SerialPortError e) {
        if (e != QSerialPort::NoError)
            ++errors;
    });
    device.hangUp();
    pumpUntil([&] { return !control.PortOpen(); });
    EXPECT_FALSE(control.PortOpen());

    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_LE(errors, 5);
    EXPECT_THROW(control.setOutput("DATA\n"), SerialError);
}
