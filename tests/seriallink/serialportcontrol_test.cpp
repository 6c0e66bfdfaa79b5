#include "seriallink/serialportcontrol.h"
#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"
#include "tests/support/qtprinters.h"
#include "tools/boardsim.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A control with COM1 absent and COM2 on a pseudo-terminal, configured
// the way the monitor configures its ports.
struct OpenedPort : ::testing::Test {
    BoardSimulator device{BoardOptions::silent()};
    SerialPortControl control{fixedPorts({QString(), device.slavePath()})};

    void open()
    {
        control.setCommPort(2);
        control.setSettings("9600,n,8,1");
        control.setRThreshold(1);
        control.setPortOpen(true);
        control.setInputMode(SerialControl::kInputModeText);
        control.setInputLen(1);
    }
};

// Why a port failed, as the user is told: only a device held by someone
// else is "busy".
PortProblem openFailure(SerialPortControl &control, int port)
{
    control.setCommPort(int16_t(port));
    try {
        control.setPortOpen(true);
    } catch (const SerialError &error) {
        return error.problem();
    }
    return PortProblem::NotOpen;
}

// Why a write fails, or Other when it does not.
PortProblem writeFailure(SerialPortControl &control)
{
    try {
        control.setOutput("DATA\n");
    } catch (const SerialError &error) {
        return error.problem();
    }
    return PortProblem::Other;
}

} // namespace

TEST_F(OpenedPort, OpensTheMappedDeviceAndTellsWhyOthersFail)
{
    EXPECT_EQ(openFailure(control, 1), PortProblem::NoSuchDevice);
    EXPECT_FALSE(control.PortOpen());

    open();
    EXPECT_TRUE(control.PortOpen());
    SerialPortControl other(fixedPorts({device.slavePath(), "/dev/no-such-device"}));
    EXPECT_EQ(openFailure(other, 1), PortProblem::Busy);
    EXPECT_EQ(openFailure(other, 2), PortProblem::NoSuchDevice);
    EXPECT_THROW(control.setCommPort(3), SerialError);
    EXPECT_THROW(control.setPortOpen(true), SerialError);

    control.setPortOpen(false);
    EXPECT_FALSE(control.PortOpen());
    EXPECT_NO_THROW(control.setCommPort(3));
    EXPECT_THROW(control.setPortOpen(true), SerialError);
}

TEST_F(OpenedPort, WritesEachCharacterAsOneByteAndDeliversABurstOneCharacterPerEventCompleteAndInOrder)
{
    QByteArray arrived;
    QByteArray delivered;
    int events = 0;
    // The connections end with this test's locals, not with the fixture.
    QObject receiver;
    QObject::connect(&device, &BoardSimulator::bytesReceived, &receiver,
                     [&](const QByteArray &bytes) { arrived += bytes; });
    QObject::connect(&control, &SerialControl::OnComm, &receiver, [&] {
        ++events;
        ASSERT_EQ(control.CommEvent(), SerialControl::kEventReceive);
        const QString character = control.Input();
        ASSERT_EQ(character.size(), 1);
        delivered.append(char(character.at(0).unicode()));
    });
    open();
    control.setOutput(QString::fromLatin1("DATA\n\xE9"));
    EXPECT_TRUE(runUntil([&] { return arrived.size() >= 6; }));
    EXPECT_EQ(arrived, QByteArray("DATA\n\xE9"));

    QByteArray burst;
    for (int i = 0; i < 10'000; ++i)
        burst.append(char(i % 256));
    device.sendRaw(burst);
    runUntil([&] { return delivered.size() >= burst.size(); });
    EXPECT_EQ(events, burst.size());
    EXPECT_EQ(delivered, burst);
    EXPECT_TRUE(control.Input().isEmpty());
}

TEST_F(OpenedPort, AHandlerThatReadsNothingIsNotCalledAgainUntilMoreArrives)
{
    open();
    int events = 0;
    QObject receiver;
    QObject::connect(&control, &SerialControl::OnComm, &receiver, [&] { ++events; });
    device.sendRaw("abc");
    runUntil([&] { return events > 0; });
    runFor(100ms);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(control.Input(), "a");
}

// What the device sent while its port was closed, before the first open and
// between two, waited in the pty's input: more than the line discipline's
// 4 KB, so that the pty's own buffer holds some too. None of it is read.
TEST_F(OpenedPort, DeliversNothingTheDeviceSentBeforeThePortWasOpened)
{
    QByteArray delivered;
    QObject::connect(&control, &SerialControl::OnComm, &control, [&] { delivered += control.Input().toLatin1(); });
    const QByteArray stale(6000, 'x');
    for (const QByteArray &fresh : {QByteArray("first\n"), QByteArray("second\n")}) {
        SCOPED_TRACE(fresh.constData());
        device.sendRaw(stale);
        open();
        device.sendRaw(fresh);
        runUntil([&] { return delivered.endsWith(fresh); });
        EXPECT_TRUE(delivered == fresh) << delivered.count('x') << " bytes from before the open delivered";
        control.setPortOpen(false);
        delivered.clear();
    }
}

TEST_F(OpenedPort, ClosesWhenTheDeviceGoesAwayWithoutSpinning)
{
    open();
    device.hangUp();
    EXPECT_TRUE(runUntil([&] { return !control.PortOpen(); }));

    const double cpuBefore = cpuSeconds();
    runFor(1s);
    EXPECT_LT(cpuSeconds() - cpuBefore, 0.3) << "a port that went away must not make the loop spin";
    EXPECT_EQ(writeFailure(control), PortProblem::DeviceGone);
}

// DTR is set on open, and a pty refuses it: that is no error of the port's.
// An error Qt cannot name while the port is open (a hang-up on Windows) is
// a lost device.
TEST_F(OpenedPort, ARefusedDtrKeepsThePortButAnUnknownErrorLosesIt)
{
    open();
    auto *port = control.findChild<QSerialPort *>();
    ASSERT_TRUE(port);
    EXPECT_EQ(port->error(), QSerialPort::NoError);
    emit port->errorOccurred(QSerialPort::UnknownError);
    EXPECT_FALSE(control.PortOpen());
    EXPECT_EQ(writeFailure(control), PortProblem::DeviceGone);
}
