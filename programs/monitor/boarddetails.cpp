#include "programs/monitor/boarddetails.h"

#include "stickdata/lineassembler.h"

#include <QDateTime>

#include <chrono>
#include <utility>

namespace {

std::chrono::nanoseconds steadyNow()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

} // namespace

// The model takes each line before the handlers connected here, which
// come after the session's own: lineReceived() finds lineIgnored_ set by
// the same line.
BoardDetails::BoardDetails(BoardSession &session)
    : session_(session)
{
    const Link &link = session.link();
    const BoardModel &model = session.model();
    QObject::connect(&model, &BoardModel::reportCompleted, &window_,
                     [this](const Report &report) { reportCompleted(report); });
    QObject::connect(&model, &BoardModel::lineIgnored, &window_, [this] {
        stats_.lineIgnored();
        lineIgnored_ = true;
    });
    QObject::connect(&link, &Link::lineReceived, &window_, [this](const QString &line) { lineReceived(line); });
    QObject::connect(&link, &Link::lineDropped, &window_, [this] { lineDropped(); });
    QObject::connect(&link, &Link::requestSent, &window_, [this] {
        stats_.requestSent();
        window_.figuresChanged();
    });
    QObject::connect(&link, &Link::stateChanged, &window_, [this](LinkState state) { stateChanged(state); });
    // The port changes at each try of a search.
    QObject::connect(&link, &Link::consoleChanged, &window_, [this] { showLink(); });
    QObject::connect(&link, &Link::problemChanged, &window_, &DetailsWindow::showProblem);
    showLink();
}

void BoardDetails::reportCompleted(const Report &report)
{
    const std::chrono::nanoseconds at = steadyNow();
    stats_.reportCompleted(report, at);
    window_.addReport(at, report);
}

void BoardDetails::lineReceived(const QString &line)
{
    window_.addLine({QDateTime::currentMSecsSinceEpoch(), line, std::exchange(lineIgnored_, false)});
}

// The line itself never reaches the program: a marked line stands for it.
void BoardDetails::lineDropped()
{
    stats_.longLineDropped();
    window_.addLine({QDateTime::currentMSecsSinceEpoch(),
                     QStringLiteral("(a line over %1 characters, dropped)").arg(LineAssembler::kMaxLineLength),
                     true});
}

// The board is lost when the link stops polling it for anything but its
// end, and found when it polls again.
void BoardDetails::stateChanged(LinkState state)
{
    if (state == LinkState::Polling) {
        stats_.boardFound();
        link_.lostSince.reset();
    } else if (link_.state == LinkState::Polling && state != LinkState::Closed) {
        stats_.boardLost();
        link_.lostSince = QDateTime::currentDateTime();
    }
    link_.state = state;
    showLink();
}

void BoardDetails::showLink()
{
    const ReportOrigin origin = session_.origin();
    link_.port = origin.port;
    link_.device = origin.device;
    window_.showLink(link_);
}
