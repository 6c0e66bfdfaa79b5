#include "seriallink/boardlink.h"

#include "stickdata/interpreter.h"
#include "stickdata/protocol.h"

#include <QLoggingCategory>

#include <chrono>

// Why ports fail and what the board does, for users who start the monitor
// from a terminal; they can silence it with
// QT_LOGGING_RULES="joystick.ports.warning=false".
Q_LOGGING_CATEGORY(lcPorts, "joystick.ports")

namespace {

bool isWorthRetrying(PortProblem problem)
{
    return problem == PortProblem::Busy || problem == PortProblem::PermissionDenied;
}

int wholeSeconds(std::chrono::milliseconds span)
{
    return int(std::chrono::round<std::chrono::seconds>(span).count());
}

} // namespace

BoardLink::BoardLink(std::unique_ptr<SerialControl> control, std::shared_ptr<ComPortMap> ports, LinkTiming timing,
                     QObject *parent)
    : Link(parent)
    , MSComm1(std::move(control))
    , ports_(std::move(ports))
    , timing_(timing)
{
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(timing_.pollInterval);
    portWait_.setSingleShot(true);
    portWait_.setTimerType(Qt::PreciseTimer);
    settle_.setSingleShot(true);
    settle_.setInterval(timing_.settle);
    retry_.setSingleShot(true);

    connect(MSComm1.get(), &SerialControl::OnComm, this, &BoardLink::MSComm1_OnComm);
    connect(&Timer1, &QTimer::timeout, this, &BoardLink::Timer1_Timer);
    connect(&portWait_, &QTimer::timeout, this, &BoardLink::portWaitOver);
    connect(&settle_, &QTimer::timeout, this, &BoardLink::searchAppearedDevices);
    connect(&retry_, &QTimer::timeout, this, &BoardLink::retryBusyPorts);
    connect(ports_.get(), &ComPortMap::devicesMayHaveChanged, this, &BoardLink::devicesMayHaveChanged);
}

void BoardLink::buscarPuerto()
{
    if (state_ == LinkState::Closed)
        return;
    forgetBoard();
    known_ = ports_->readDevices();
    startSearch(portsInOrder());
}

// A request that cannot be written (no port open, or the port went away)
// is shown in the console; if it was the board's port, the board is lost.
void BoardLink::sendRequest()
{
    try {
        MSComm1->setOutput(QString::fromLatin1(protocol::kRequestLine));
    } catch (const SerialError &error) {
        emit consoleChanged(statustext::portMessage(statustext::kFailurePrefix, puerto));
        showProblem(QString::fromStdString(error.what()));
        if (portok == 1)
            boardLost(error);
    }
}

void BoardLink::close()
{
    enter(LinkState::Closed);
    releasePort();
}

void BoardLink::releasePortLock()
{
    MSComm1->releasePortLock();
}

// Sets up port `puerto`: closes the port open, configures and opens the new
// one, and says how that went.
void BoardLink::serial()
{
    const QString device = ports_->deviceName(puerto);
    try {
        if (MSComm1->PortOpen())
            MSComm1->setPortOpen(false);
        MSComm1->setCommPort(puerto);
        MSComm1->setSettings(QString::fromLatin1(kLineSettings));
        MSComm1->setSThreshold(kThreshold);
        MSComm1->setRThreshold(kThreshold);
        MSComm1->setPortOpen(true);
        MSComm1->setInputMode(SerialControl::kInputModeText);
        MSComm1->setInputLen(kReadLength);
        emit infoChanged(statustext::portMessage(statustext::kConnectedPrefix, puerto));
        emit consoleChanged(statustext::portMessage(statustext::kSuccessPrefix, puerto));
        showProblem(QString());
        recordOutcome(statustext::noBoardAnswered(puerto, device));
    } catch (const SerialError &error) {
        emit consoleChanged(statustext::portMessage(statustext::kFailurePrefix, puerto));
        const QString reason = QString::fromStdString(error.what());
        showProblem(reason);
        recordOutcome({puerto, device, error.problem(), reason});
    }
}

void BoardLink::MSComm1_OnComm()
{
    if (MSComm1->CommEvent() != SerialControl::kEventReceive)
        return;
    // Held const: iterating a string that is not would detach it from the
    // serial control's shared one-character strings, a copy per character.
    const QString received = MSComm1->Input();
    for (const QChar character : received)
        if (const auto line = assembler_.take(character))
            boardAnswered(*line);
}

void BoardLink::Timer1_Timer()
{
    emit polled();
    if (portok != 1)
        return;
    sendRequest();
    checkSilence();
}

// A new search: the reasons of the last one and its retries are forgotten.
void BoardLink::startSearch(const PortOrder &order)
{
    outcomes_.clear();
    retriesDone_ = 0;
    startScan(order);
}

// Tries the ports in `order`, each for the port wait.
void BoardLink::startScan(const PortOrder &order)
{
    scanOrder_ = order;
    nextInScan_ = 0;
    enter(LinkState::Scanning);
    tryNextPort();
}

void BoardLink::tryNextPort()
{
    if (nextInScan_ >= scanOrder_.size()) {
        scanEnded();
        return;
    }
    puerto = scanOrder_[nextInScan_++];
    assembler_.portChanged();
    serial();
    portWait_.start(timing_.portWait);
}

// The search ends at the first port after whose wait the board has been
// identified; polling started as soon as it was.
void BoardLink::portWaitOver()
{
    if (portok == 1)
        enter(LinkState::Polling);
    else
        tryNextPort();
}

// No board: nothing is kept open, the reasons stay on show, a device that
// appeared meanwhile is looked at at once, and busy ports are tried again.
void BoardLink::scanEnded()
{
    releasePort();
    const QString summary = statustext::summary(outcomes_);
    showProblem(summary);
    logOnce(QStringLiteral("no board found: ") + summary);
    if (searchAppearedDevices())
        return;
    enter(LinkState::Waiting);
    scheduleRetry();
}

// Leaves the state of the last step for `state`, stopping the timers that
// only that step uses.
void BoardLink::enter(LinkState state)
{
    if (state != LinkState::Scanning)
        portWait_.stop();
    if (state != LinkState::Waiting) {
        settle_.stop();
        retry_.stop();
    }
    if (state == LinkState::Waiting || state == LinkState::Closed)
        Timer1.stop();
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}

// Any line is an answer; the keyword line identifies the board.
void BoardLink::boardAnswered(const QString &line)
{
    sinceAnswer_.start();
    if (silenceReported_) {
        silenceReported_ = false;
        showProblem(QString());
    }
    if (isKeywordLine(line, CLAVE))
        boardIdentified();
    emit lineReceived(line);
}

// Polling starts with the first keyword line, the first request one poll
// interval later. A keyword line while polling changes nothing.
void BoardLink::boardIdentified()
{
    if (portok == 1)
        return;
    portok = 1;
    showProblem(QString());
    Timer1.start();
}

// The port went away under the board (cable pulled, USB reset): its
// device counts as gone, so that it is tried first once it is back.
void BoardLink::boardLost(const SerialError &error)
{
    logOnce(QStringLiteral("board lost: ") + QString::fromStdString(error.what()));
    const int lostAt = int(known_.indexOf(ports_->devicePath(puerto)));
    if (lostAt >= 0)
        known_[lostAt].clear();
    forgetBoard();
    releasePort();
    enter(LinkState::Waiting);
    settle_.start();
}

void BoardLink::checkSilence()
{
    const auto silent = std::chrono::milliseconds(sinceAnswer_.elapsed());
    if (silent >= timing_.silenceLimit) {
        recoverSilentBoard();
    } else if (silent >= timing_.silenceWarning && !silenceReported_) {
        silenceReported_ = true;
        const QString reason =
            statustext::silentBoard(puerto, ports_->devicePath(puerto), wholeSeconds(timing_.silenceWarning));
        showProblem(reason);
        logOnce(reason);
    }
}

// Opening the port again resets an Arduino-style board, which recovers a
// hung firmware; the search then starts with the board's own port.
void BoardLink::recoverSilentBoard()
{
    logOnce(statustext::silentBoard(puerto, ports_->devicePath(puerto), wholeSeconds(timing_.silenceLimit))
            + QStringLiteral(": opening its port again"));
    const int16_t boardPort = puerto;
    forgetBoard();
    releasePort();
    startSearch(withFirst({boardPort}));
}

void BoardLink::forgetBoard()
{
    portok = 0;
    Timer1.stop();
    assembler_.clear();
    silenceReported_ = false;
}

// While there is no board, a change is looked at once it has settled;
// notices that come meanwhile are covered by the same look.
void BoardLink::devicesMayHaveChanged()
{
    if (state_ == LinkState::Waiting && !settle_.isActive())
        settle_.start();
}

// Reads the devices; when some have appeared since the last look, starts a
// search with them first.
bool BoardLink::searchAppearedDevices()
{
    const QStringList appeared = appearedDevices(ports_->readDevices());
    known_ = ports_->devices();
    if (appeared.isEmpty())
        return false;
    startSearch(withFirst(portsOf(appeared)));
    return true;
}

QStringList BoardLink::appearedDevices(const QStringList &devices) const
{
    QStringList appeared;
    for (const QString &device : devices.first(qMin<qsizetype>(devices.size(), kLastPort)))
        if (!device.isEmpty() && !known_.contains(device))
            appeared.append(device);
    return appeared;
}

void BoardLink::scheduleRetry()
{
    retryDevices_.clear();
    for (const statustext::PortOutcome &outcome : std::as_const(outcomes_))
        if (isWorthRetrying(outcome.problem) && !outcome.device.isEmpty())
            retryDevices_.append(outcome.device);
    if (retryDevices_.isEmpty() || retriesDone_ >= qsizetype(timing_.retryGaps.size()))
        return;
    retry_.start(timing_.retryGaps[size_t(retriesDone_++)]);
}

// A busy port is tried again only while its device is still there.
void BoardLink::retryBusyPorts()
{
    const PortOrder ports = portsOf(retryDevices_);
    if (!ports.isEmpty())
        startScan(ports);
}

BoardLink::PortOrder BoardLink::portsInOrder() const
{
    PortOrder ports;
    for (int16_t p = kFirstPort; p <= kLastPort; ++p)
        ports.append(p);
    return ports;
}

BoardLink::PortOrder BoardLink::portsOf(const QStringList &devices) const
{
    PortOrder ports;
    for (const QString &device : devices) {
        const int port = ports_->portOf(device);
        if (port >= kFirstPort && port <= kLastPort)
            ports.append(int16_t(port));
    }
    return ports;
}

// `first`, then the other ports in their order.
BoardLink::PortOrder BoardLink::withFirst(const PortOrder &first) const
{
    PortOrder ports = first;
    for (int16_t p : portsInOrder())
        if (!ports.contains(p))
            ports.append(p);
    return ports;
}

void BoardLink::recordOutcome(const statustext::PortOutcome &outcome)
{
    for (statustext::PortOutcome &recorded : outcomes_) {
        if (recorded.port == outcome.port) {
            recorded = outcome;
            return;
        }
    }
    outcomes_.append(outcome);
}

void BoardLink::showProblem(const QString &reason)
{
    if (reason == problem_)
        return;
    problem_ = reason;
    emit problemChanged(reason);
}

// Each event is logged once: the retries of a busy port repeat their
// summary, which says nothing new.
void BoardLink::logOnce(const QString &message)
{
    if (message == logged_)
        return;
    logged_ = message;
    qCWarning(lcPorts).noquote() << message;
}

// Closing a port can fail only when it is already gone; either way it is
// no longer held.
void BoardLink::releasePort()
{
    try {
        if (MSComm1->PortOpen())
            MSComm1->setPortOpen(false);
    } catch (const SerialError &) {
    }
}
