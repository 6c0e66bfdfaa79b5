#include "tools/boardsim.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cmath>
#include <numbers>

namespace {

constexpr auto kKeyword = "JOYSTICK";
constexpr auto kRequest = "DATA";
constexpr auto kLineEnd = "\r\n";
// Without a request for this long the board announces itself again.
constexpr int kQuietBeforeAnnouncingMs = 1000;

// Beyond this much unsent output nobody is reading: further output is lost,
// as on a serial line with nothing listening.
constexpr qsizetype kMaxPendingBytes = 4096;
// A UART's start bit, eight data bits and stop bit.
constexpr qint64 kBitsPerByte = 10;
constexpr int kMaxGarbageBytes = 6;
// Each tick sends the reports due by the elapsed time, so the tick length only
// bounds how late a report can be.
constexpr double kLongestReportTickMs = 1000;

// Each stick goes round its own circle inside 0..1023, the right one the other way.
constexpr double kStickCentre = 511.5;
constexpr double kLeftStickRadius = 400;
constexpr double kLeftStickPeriodMs = 3000;
constexpr double kRightStickRadius = 300;
constexpr double kRightStickPeriodMs = -4700;
constexpr qint64 kButtonTogglePeriodMs = 1500;
// While resting: a reading's noise, in counts either way, changes this often.
constexpr int kRestNoise = 2;
constexpr qint64 kRestNoisePeriodMs = 30;

// How long a byte takes on a line of `baud` bits a second.
qint64 byteTimeNs(int baud)
{
    return kBitsPerByte * 1'000'000'000 / baud;
}

std::array<int, 2> pointOnCircle(qint64 ms, double radius, double periodMs)
{
    const double angle = 2 * std::numbers::pi * double(ms) / periodMs;
    return {int(std::lround(kStickCentre + radius * std::cos(angle))),
            int(std::lround(kStickCentre + radius * std::sin(angle)))};
}

// Pressed during every other toggle period, counted from `offsetMs` before creation.
bool pressedAt(qint64 ms, qint64 offsetMs)
{
    return (ms + offsetMs) / kButtonTogglePeriodMs % 2 == 1;
}

// Active-low: "0" means pressed.
int buttonLevel(bool pressed)
{
    return pressed ? 0 : 1;
}

void setCloseOnExec(int fd)
{
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
}

} // namespace

BoardSimulator::BoardSimulator(const BoardOptions &options, QObject *parent)
    : QObject(parent)
    , options_(options)
    , garbageRandom_(options.garbageSeed)
{
    clock_.start();
    openPty();
    if (isHungUp())
        return;
    connect(&readNotifier_, &QSocketNotifier::activated, this, &BoardSimulator::readRequests);
    connect(&writeNotifier_, &QSocketNotifier::activated, this, &BoardSimulator::flush);
    lineTimer_.setSingleShot(true);
    lineTimer_.setTimerType(Qt::PreciseTimer);
    connect(&lineTimer_, &QTimer::timeout, this, &BoardSimulator::passBytesThroughTheLine);
    startAnnouncing();
    startUnsolicitedReports();
}

BoardSimulator::~BoardSimulator()
{
    hangUp();
}

QString BoardSimulator::slavePath() const
{
    return slavePath_;
}

int BoardSimulator::requestCount() const
{
    return int(requestTimesMs_.size());
}

qint64 BoardSimulator::reportsSent() const
{
    return reportsSent_;
}

void BoardSimulator::stopReports()
{
    unsolicitedTimer_.stop();
}

QList<qint64> BoardSimulator::requestTimesMs() const
{
    return requestTimesMs_;
}

void BoardSimulator::setAnswering(bool answering)
{
    options_.noAnswer = !answering;
}

void BoardSimulator::setValues(int a0, int a1, int a2, int a3, bool rightPressed, bool leftPressed)
{
    frozenValues_ = ChannelValues{{a0, a1, a2, a3}, rightPressed, leftPressed};
}

void BoardSimulator::restFor(int ms)
{
    restEndMs_ = clock_.elapsed() + ms;
}

void BoardSimulator::sendRaw(const QByteArray &bytes)
{
    if (!isHungUp())
        output(bytes);
}

void BoardSimulator::hangUp()
{
    if (isHungUp())
        return;
    announceTimer_.stop();
    unsolicitedTimer_.stop();
    lineTimer_.stop();
    readNotifier_.setEnabled(false);
    writeNotifier_.setEnabled(false);
    ::close(slave_);
    ::close(master_);
    slave_ = master_ = -1;
    onTheLine_.clear();
    pending_.clear();
}

bool BoardSimulator::isHungUp() const
{
    return master_ < 0;
}

// Raw slave so bytes pass unchanged and requests are not echoed; the fds are
// not inherited by child processes, so a hang-up really removes the port.
void BoardSimulator::openPty()
{
    std::array<char, 256> name{};
    if (::openpty(&master_, &slave_, name.data(), nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    setCloseOnExec(master_);
    setCloseOnExec(slave_);
    slavePath_ = QString::fromLocal8Bit(name.data());
    readNotifier_.setSocket(master_);
    readNotifier_.setEnabled(true);
    writeNotifier_.setSocket(master_);
}

void BoardSimulator::startAnnouncing()
{
    if (options_.noKeyword)
        return;
    connect(&announceTimer_, &QTimer::timeout, this, &BoardSimulator::announce);
    announceTimer_.start(options_.announceDelayMs);
}

void BoardSimulator::announce()
{
    send(framed(kKeyword));
    announceTimer_.start(options_.announceIntervalMs);
}

void BoardSimulator::startUnsolicitedReports()
{
    if (options_.reportsPerSecond <= 0)
        return;
    connect(&unsolicitedTimer_, &QTimer::timeout, this, &BoardSimulator::sendDueReports);
    unsolicitedTimer_.setTimerType(Qt::PreciseTimer);
    const int tickMs = int(qBound(1.0, 1000 / options_.reportsPerSecond, kLongestReportTickMs));
    reportsStartMs_ = qMax(0, options_.reportsDelayMs);
    if (reportsStartMs_ == 0) {
        unsolicitedTimer_.start(tickMs);
        return;
    }
    QTimer::singleShot(reportsStartMs_, this, [this, tickMs] {
        if (!isHungUp())
            unsolicitedTimer_.start(tickMs);
    });
}

void BoardSimulator::sendDueReports()
{
    const auto due = qint64(double(clock_.elapsed() - reportsStartMs_) * options_.reportsPerSecond / 1000);
    while (unsolicitedSent_ < due && sendReport())
        ++unsolicitedSent_;
    // Reports the pty had no room for are dropped rather than sent late in a burst.
    unsolicitedSent_ = due;
}

void BoardSimulator::readRequests()
{
    std::array<char, 512> chunk{};
    ssize_t count;
    while ((count = ::read(master_, chunk.data(), chunk.size())) > 0) {
        const QByteArray bytes(chunk.data(), count);
        received_.append(bytes);
        emit bytesReceived(bytes);
    }
    takeLines();
}

void BoardSimulator::takeLines()
{
    qsizetype end;
    while (!isHungUp() && (end = received_.indexOf('\n')) >= 0) {
        QByteArray line = received_.left(end);
        received_.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line == kRequest)
            handleRequest();
    }
}

void BoardSimulator::handleRequest()
{
    if (options_.hangUpAfterRequests > 0 && requestCount() == options_.hangUpAfterRequests) {
        hangUp();
        return;
    }
    requestTimesMs_.append(clock_.elapsed());
    if (!options_.noKeyword)
        announceTimer_.start(kQuietBeforeAnnouncingMs);
    if (!options_.noAnswer)
        sendReport();
    emit requestReceived();
}

bool BoardSimulator::sendReport()
{
    ChannelValues values = currentValues();
    if (options_.stampTime) {
        const qint64 ms = clock_.elapsed();
        values.sticks[0] = int(ms / 1000);
        values.sticks[1] = int(ms % 1000);
    }
    const std::array<int, 6> channels{values.sticks[0],
                                      values.sticks[1],
                                      values.sticks[2],
                                      values.sticks[3],
                                      buttonLevel(values.rightPressed),
                                      buttonLevel(values.leftPressed)};
    QByteArray report;
    for (size_t channel = 0; channel < channels.size(); ++channel)
        report += framed('A' + QByteArray::number(qulonglong(channel)) + ' ' + QByteArray::number(channels[channel]));
    if (!send(report))
        return false;
    ++reportsSent_;
    return true;
}

BoardSimulator::ChannelValues BoardSimulator::currentValues() const
{
    if (frozenValues_)
        return *frozenValues_;
    const qint64 ms = clock_.elapsed();
    if (ms < restEndMs_) {
        const int noise = int(ms / kRestNoisePeriodMs % (2 * kRestNoise + 1)) - kRestNoise;
        const int centre = int(kStickCentre);
        return {{centre + noise, centre - noise / 2, centre - noise, centre + noise / 2}, false, false};
    }
    const auto left = pointOnCircle(ms, kLeftStickRadius, kLeftStickPeriodMs);
    const auto right = pointOnCircle(ms, kRightStickRadius, kRightStickPeriodMs);
    return {{left[0], left[1], right[0], right[1]}, pressedAt(ms, 0), pressedAt(ms, kButtonTogglePeriodMs / 2)};
}

QByteArray BoardSimulator::framed(const QByteArray &line)
{
    QByteArray garbage = garbageBytes();
    if (options_.garbageOnItsOwnLine && !garbage.isEmpty())
        garbage += kLineEnd;
    QByteArray bytes = garbage + line + kLineEnd;
    if (options_.noLineFeeds)
        bytes.replace('\n', '\r');
    return bytes;
}

QByteArray BoardSimulator::garbageBytes()
{
    QByteArray bytes;
    if (!options_.garbage)
        return bytes;
    const int count = garbageRandom_.bounded(1, kMaxGarbageBytes + 1);
    while (bytes.size() < count) {
        const auto byte = char(garbageRandom_.bounded(256));
        if (byte != '\n')
            bytes += byte;
    }
    return bytes;
}

bool BoardSimulator::send(const QByteArray &bytes)
{
    if (isHungUp() || onTheLine_.size() + pending_.size() >= kMaxPendingBytes)
        return false;
    output(bytes);
    return true;
}

// Without a baud rate, straight to the pty; with one, after what is on the
// line already, the line idle meanwhile.
void BoardSimulator::output(const QByteArray &bytes)
{
    if (options_.baud <= 0) {
        pending_ += bytes;
        flush();
        return;
    }
    lineFreeAtNs_ = qMax(lineFreeAtNs_, clock_.nsecsElapsed()) + qint64(bytes.size()) * byteTimeNs(options_.baud);
    onTheLine_ += bytes;
    passBytesThroughTheLine();
}

// Hands the pty the bytes whose stop bit has arrived, and wakes up when the
// next one's will have. The times follow from when the line became busy,
// not from when the timer fired, so a late wake-up delays bytes but never
// the line.
void BoardSimulator::passBytesThroughTheLine()
{
    const qint64 byteNs = byteTimeNs(options_.baud);
    const qint64 now = clock_.nsecsElapsed();
    const qint64 onTheLineNs = qMax<qint64>(lineFreeAtNs_ - now, 0);
    const qsizetype left = qMin(onTheLine_.size(), qsizetype((onTheLineNs + byteNs - 1) / byteNs));
    pending_ += onTheLine_.first(onTheLine_.size() - left);
    onTheLine_.remove(0, onTheLine_.size() - left);
    flush();
    if (left == 0)
        return;
    const qint64 nextThroughNs = lineFreeAtNs_ - qint64(left - 1) * byteNs;
    lineTimer_.start(int((nextThroughNs - now + 999'999) / 1'000'000));
}

void BoardSimulator::flush()
{
    while (!pending_.isEmpty()) {
        const ssize_t written = ::write(master_, pending_.constData(), size_t(pending_.size()));
        if (written <= 0)
            break;
        pending_.remove(0, written);
    }
    writeNotifier_.setEnabled(!pending_.isEmpty());
}
