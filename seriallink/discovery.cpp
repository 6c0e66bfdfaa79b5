#include "seriallink/discovery.h"

#include "seriallink/serialcontrol.h"
#include "window/toolkit.h"
#include "window/ventana.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>

#include <cmath>
#include <limits>

// Why ports fail, for users who start the monitor from a terminal; they
// can silence it with QT_LOGGING_RULES="joystick.ports.warning=false".
Q_LOGGING_CATEGORY(lcPorts, "joystick.ports")

namespace discovery {

QString portMessage(const char *prefix, int16_t port)
{
    const QString sign = port < 0 ? QStringLiteral("-") : QStringLiteral(" ");
    return QString::fromLatin1(prefix) + sign + QString::number(std::abs(int(port)));
}

int waitLength(double milliseconds)
{
    if (!(milliseconds > 0))
        return 0;
    return int(std::ceil(std::min(milliseconds, double(std::numeric_limits<int>::max()))));
}

} // namespace discovery

void ventana::buscarPuerto()
{
    discovering_ = true;
    watchForBoardWhileThereIsNone();
    ports_->readDevices();
    for (int16_t p = discovery::kFirstPort; p <= discovery::kLastPort && !unloaded_; ++p) {
        puerto = p;
        // A line being dropped for its length ends with the port it came
        // from; otherwise the next port's first line (maybe its only
        // keyword line) would be dropped as the rest of it.
        skippingLongLine_ = false;
        serial();
        EsperaMiliseg(double(portWait_.count()));
        if (portok == 1)
            break;
    }
    discovering_ = false;
    watchForBoardWhileThereIsNone();
}

// A board plugged in later, or back after it was lost, is looked for the
// way it is at start, once the serial devices have changed.
void ventana::rediscover()
{
    portok = 0;
    buscarPuerto();
}

// Watching runs only while there is no board and no discovery: a working
// connection is never disturbed, and a change seen during a discovery is
// looked at once it is over.
void ventana::watchForBoardWhileThereIsNone()
{
    ports_->setWatching(portok == 0 && !discovering_ && !unloaded_);
}

void ventana::serial()
{
    try {
        if (MSComm1->PortOpen())
            MSComm1->setPortOpen(false);
        MSComm1->setCommPort(puerto);
        MSComm1->setSettings(QString::fromLatin1(discovery::kLineSettings));
        MSComm1->setSThreshold(discovery::kThreshold);
        MSComm1->setRThreshold(discovery::kThreshold);
        MSComm1->setPortOpen(true);
        MSComm1->setInputMode(SerialControl::kInputModeText);
        MSComm1->setInputLen(discovery::kReadLength);
        Info->setText(discovery::portMessage(discovery::kConnectedPrefix, puerto));
        Bconsola->setText(discovery::portMessage(discovery::kSuccessPrefix, puerto));
        clearPortProblem();
    } catch (const SerialError &error) {
        Bconsola->setText(discovery::portMessage(discovery::kFailurePrefix, puerto));
        reportPortProblem(error);
    }
}

// The status texts stay short; why a port failed goes in the console box's
// tooltip and, once per distinct problem, to the log.
void ventana::reportPortProblem(const SerialError &error)
{
    const QString problem = QString::fromStdString(error.what());
    Bconsola->setToolTip(problem);
    if (problem == reportedProblem_)
        return;
    reportedProblem_ = problem;
    qCWarning(lcPorts).noquote() << problem;
}

void ventana::clearPortProblem()
{
    Bconsola->setToolTip(QString());
    reportedProblem_.clear();
}

// Waits on a monotonic clock, blocking in the event loop between events,
// so the wait costs no CPU and still ends on time across midnight. Closing
// the window ends it at once.
void ventana::EsperaMiliseg(double Tiempo)
{
    const QDeadlineTimer end(discovery::waitLength(Tiempo), Qt::PreciseTimer);
    const toolkit::WakeUpAt alarm(end);
    while (!end.hasExpired() && !unloaded_)
        toolkit::pumpEvents();
}
