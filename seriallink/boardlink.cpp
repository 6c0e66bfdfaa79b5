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

enum Timer : unsigned { kPortWait = 1, kPoll = 2, kPace = 4, kSettle = 8, kRetry = 16, kEveryTimer = 31 };

// What each state of the link shows and runs, in the order of BoardLink::Step.
struct StepTraits {
    LinkState phase;
    unsigned timers;
};

constexpr std::array<StepTraits, 11> kSteps{{
    {LinkState::Idle, 0},                    // Idle
    {LinkState::Scanning, kPortWait},        // Scanning
    {LinkState::Polling, kPortWait | kPoll}, // IdentifiedInPortWait
    {LinkState::Polling, kPoll},             // Polling
    {LinkState::Polling, kPoll},             // PollingSilent
    {LinkState::Polling, kPoll | kPace},     // NextRequestPaced
    {LinkState::Waiting, 0},                 // Waiting
    {LinkState::Waiting, kSettle},           // Settling
    {LinkState::Waiting, kRetry},            // RetryPending
    {LinkState::Waiting, kSettle | kRetry},  // SettlingBeforeRetry
    {LinkState::Closed, 0},                  // Closed
}};

constexpr const StepTraits &traitsOf(auto step)
{
    return kSteps[size_t(step)];
}

} // namespace

BoardLink::BoardLink(std::unique_ptr<SerialControl> control, std::shared_ptr<ComPortMap> ports, LinkTiming timing,
                     std::shared_ptr<LinkClock> clock, QObject *parent)
    : Link(parent)
    , MSComm1(std::move(control))
    , ports_(std::move(ports))
    , timing_(timing)
    , clock_(std::move(clock))
    , lastPort_(int16_t(qMin<int>(kLastPort, ports_->portCount())))
    , Timer1(clock_->makeTimer(LinkClock::Repeat::Periodic, [this] { poll(); }))
    , pace_(clock_->makeTimer(LinkClock::Repeat::Once, [this] { poll(); }))
    , portWait_(clock_->makeTimer(LinkClock::Repeat::Once, [this] { portWaitOver(); }))
    , settle_(clock_->makeTimer(LinkClock::Repeat::Once, [this] { settled(); }))
    , retry_(clock_->makeTimer(LinkClock::Repeat::Once, [this] { retryBusyPorts(); }))
{
    connect(MSComm1.get(), &SerialControl::OnComm, this, &BoardLink::MSComm1_OnComm);
    connect(ports_.get(), &ComPortMap::devicesMayHaveChanged, this, &BoardLink::lookAtDevicesOnceSettled);
}

void BoardLink::buscarPuerto()
{
    if (step_ == Step::Closed)
        return;
    assembler_.clear();
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
        return;
    }
    requestWritten();
}

void BoardLink::close()
{
    enter(Step::Closed);
    releasePort();
}

void BoardLink::releasePortLock()
{
    MSComm1->releasePortLock();
}

LinkState BoardLink::state() const
{
    return traitsOf(step_).phase;
}

// A rate of fewer requests than the fixed interval's would poll more slowly
// than the fixed mode: the poll interval bounds the gap.
void BoardLink::pollAfterEachAnswer(int mostPerSecond)
{
    const std::chrono::nanoseconds gap = std::chrono::nanoseconds(std::chrono::seconds(1)) / qMax(mostPerSecond, 1);
    leastRequestGap_ = qMin<std::chrono::nanoseconds>(gap, timing_.pollInterval);
}

// A request waiting for its pace is left to the next poll.
void BoardLink::pollAtFixedInterval()
{
    leastRequestGap_.reset();
    if (step_ == Step::NextRequestPaced)
        enter(Step::Polling);
}

// The answer's lines have ended any silence: a polled board is in one of
// these two states then. An answer during the wait on the board's port ends
// that wait, whose end would only have moved the link on to Polling.
void BoardLink::answerCompleted()
{
    if (leastRequestGap_ && (step_ == Step::Polling || step_ == Step::IdentifiedInPortWait))
        enter(Step::NextRequestPaced);
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
        emit portOpened();
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
    for (const QChar character : received) {
        const LineAssembler::Taken taken = assembler_.take(character);
        if (taken.dropped)
            emit lineDropped();
        if (taken.line)
            boardAnswered(*taken.line);
    }
}

// A poll tick, or the end of a pace. A request that finds the board gone
// leaves nothing to watch for silence.
void BoardLink::poll()
{
    emit polled();
    if (portok != 1)
        return;
    sendRequest();
    if (portok == 1)
        checkSilence();
}

// After answers, a request sent to a polled board, by a poll or by hand, is
// the one a completed answer was waiting for, and the poll's fallback
// counts from it.
void BoardLink::requestWritten()
{
    lastRequest_ = clock_->now();
    emit requestSent();
    if (leastRequestGap_ && portok == 1)
        enter(step_ == Step::NextRequestPaced ? Step::Polling : step_, Entry::PollAfresh);
}

// What is left of the least gap since the last request, in whole
// milliseconds rounded up, so that requests never come closer.
std::chrono::milliseconds BoardLink::paceLeft() const
{
    const std::chrono::nanoseconds left =
        lastRequest_ + leastRequestGap_.value_or(std::chrono::nanoseconds(0)) - clock_->now();
    return std::chrono::ceil<std::chrono::milliseconds>(qMax(left, std::chrono::nanoseconds(0)));
}

// Leaves the state the link is in for `step`: the timers of the state left
// that `step` does not run stop, those of `step` that were not running
// start (those `entry` restarts as well).
void BoardLink::enter(Step step, Entry entry)
{
    static_assert(kSteps.size() == size_t(Step::Closed) + 1, "one row for each state");
    const LinkState phaseBefore = state();
    const unsigned running = traitsOf(step_).timers;
    const unsigned wanted = traitsOf(step).timers;
    const unsigned restarted = entry == Entry::Afresh       ? unsigned(kEveryTimer)
                               : entry == Entry::PollAfresh ? unsigned(kPoll)
                                                            : 0U;
    const unsigned kept = running & wanted & ~restarted;
    stopTimers(running & ~kept);
    step_ = step;
    portok = state() == LinkState::Polling ? 1 : 0;
    startTimers(wanted & ~kept);
    if (state() != phaseBefore)
        emit stateChanged(state());
}

// The one place timers start: each with its interval, the pace with what
// is left of its gap, a retry with the next of its growing gaps.
void BoardLink::startTimers(unsigned timers)
{
    if (timers & kPortWait)
        portWait_->start(timing_.portWait);
    if (timers & kPoll)
        Timer1->start(timing_.pollInterval);
    if (timers & kPace)
        pace_->start(paceLeft());
    if (timers & kSettle)
        settle_->start(timing_.settle);
    if (timers & kRetry)
        retry_->start(timing_.retryGaps[size_t(retriesDone_++)]);
}

void BoardLink::stopTimers(unsigned timers)
{
    if (timers & kPortWait)
        portWait_->stop();
    if (timers & kPoll)
        Timer1->stop();
    if (timers & kPace)
        pace_->stop();
    if (timers & kSettle)
        settle_->stop();
    if (timers & kRetry)
        retry_->stop();
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
    tryNextPort();
}

// Each port is set up, then waited on for the whole port wait.
void BoardLink::tryNextPort()
{
    if (nextInScan_ >= scanOrder_.size()) {
        scanEnded();
        return;
    }
    puerto = scanOrder_[nextInScan_++];
    assembler_.portChanged();
    serial();
    enter(Step::Scanning, Entry::Afresh);
}

// The search ends at the first port after whose wait the board has been
// identified; polling started as soon as it was.
void BoardLink::portWaitOver()
{
    if (step_ == Step::IdentifiedInPortWait)
        enter(Step::Polling);
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
    enter(isRetryDue() ? Step::RetryPending : Step::Waiting);
}

// Any line is an answer; the keyword line identifies the board.
void BoardLink::boardAnswered(const QString &line)
{
    lastAnswer_ = clock_->now();
    if (step_ == Step::PollingSilent) {
        enter(Step::Polling);
        showProblem(QString());
    } else if (step_ == Step::Scanning && isKeywordLine(line, CLAVE)) {
        boardIdentified();
    }
    emit lineReceived(line);
}

// Polling starts with the first keyword line, the first request one poll
// interval later; the wait on the port runs to its end meanwhile.
void BoardLink::boardIdentified()
{
    enter(Step::IdentifiedInPortWait);
    showProblem(QString());
}

// The port went away under the board (cable pulled, USB reset): its
// device counts as gone, so that it is tried first once it is back.
void BoardLink::boardLost(const SerialError &error)
{
    logOnce(QStringLiteral("board lost: ") + QString::fromStdString(error.what()));
    const int lostAt = int(known_.indexOf(ports_->devicePath(puerto)));
    if (lostAt >= 0)
        known_[lostAt].clear();
    assembler_.clear();
    releasePort();
    enter(Step::Settling);
}

// A silence reported during the wait on the board's port ends that wait,
// whose end would only have moved the link on to Polling.
void BoardLink::checkSilence()
{
    const auto silent = clock_->now() - lastAnswer_;
    if (silent >= timing_.silenceLimit) {
        recoverSilentBoard();
    } else if (silent >= timing_.silenceWarning && step_ != Step::PollingSilent) {
        enter(Step::PollingSilent);
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
    assembler_.clear();
    releasePort();
    startSearch(withFirst({boardPort}));
}

// While there is no board, a change is looked at once it has settled;
// notices that come meanwhile are covered by the same look. A pending
// retry keeps its time.
void BoardLink::lookAtDevicesOnceSettled()
{
    if (step_ == Step::Waiting)
        enter(Step::Settling);
    else if (step_ == Step::RetryPending)
        enter(Step::SettlingBeforeRetry);
}

void BoardLink::settled()
{
    if (!searchAppearedDevices())
        enter(step_ == Step::SettlingBeforeRetry ? Step::RetryPending : Step::Waiting);
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
    for (const QString &device : devices.first(qMin<qsizetype>(devices.size(), lastPort_)))
        if (!device.isEmpty() && !known_.contains(device))
            appeared.append(device);
    return appeared;
}

// Whether the last search left busy or forbidden ports to try again, with
// tries left; notes their devices.
bool BoardLink::isRetryDue()
{
    retryDevices_.clear();
    for (const statustext::PortOutcome &outcome : std::as_const(outcomes_))
        if (isWorthRetrying(outcome.problem) && !outcome.device.isEmpty())
            retryDevices_.append(outcome.device);
    return !retryDevices_.isEmpty() && retriesDone_ < qsizetype(timing_.retryGaps.size());
}

// A busy port is tried again only while its device is still there.
void BoardLink::retryBusyPorts()
{
    const PortOrder ports = portsOf(retryDevices_);
    if (!ports.isEmpty())
        startScan(ports);
    else
        enter(step_ == Step::SettlingBeforeRetry ? Step::Settling : Step::Waiting);
}

BoardLink::PortOrder BoardLink::portsInOrder() const
{
    PortOrder ports;
    for (int16_t p = kFirstPort; p <= lastPort_; ++p)
        ports.append(p);
    return ports;
}

BoardLink::PortOrder BoardLink::portsOf(const QStringList &devices) const
{
    PortOrder ports;
    for (const QString &device : devices) {
        const int port = ports_->portOf(device);
        if (port >= kFirstPort && port <= lastPort_)
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
