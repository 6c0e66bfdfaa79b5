#include "session/detailsfeed.h"

#include "stickdata/lineassembler.h"

namespace {

qint64 msecsSinceEpoch(std::chrono::system_clock::time_point time)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

QString droppedLineText()
{
    return QStringLiteral("(a line over %1 characters, dropped)").arg(LineAssembler::kMaxLineLength);
}

} // namespace

DetailsFeed::DetailsFeed(BoardSession &session, QObject *parent)
    : QObject(parent)
    , session_(session)
{
    const Link &link = session.link();
    connect(&session.lines(), &BoardLines::arrived, this, &DetailsFeed::take);
    connect(&link, &Link::requestSent, this, [this] {
        stats_.countRequest();
        emit figuresChanged();
    });
    connect(&link, &Link::stateChanged, this, &DetailsFeed::followState);
    // The port changes at each try of a search.
    connect(&link, &Link::consoleChanged, this, &DetailsFeed::showPort);
    connect(&link, &Link::problemChanged, this, &DetailsFeed::showProblem);
    showPort();
}

void DetailsFeed::take(const BoardLine &line)
{
    switch (line.kind) {
    case LineKind::Ignored:
        stats_.countIgnoredLine();
        break;
    case LineKind::Dropped:
        stats_.countDroppedLine();
        break;
    case LineKind::Channel:
        if (line.completesWholeReport())
            takeReport(*line.report, line.arrival.steady);
        break;
    case LineKind::Keyword:
        break;
    }
    const bool dropped = line.kind == LineKind::Dropped;
    lines_.add({msecsSinceEpoch(line.arrival.wall), dropped ? droppedLineText() : line.text,
                dropped || line.kind == LineKind::Ignored});
    emit lineTaken();
}

void DetailsFeed::takeReport(const Report &report, Time at)
{
    stats_.addReport(report, at);
    recent_.add(at, report);
    if (const Calibration::Step before = calibration_.step(); before != Calibration::Step::Off) {
        calibration_.advance(stats_, at);
        if (calibration_.step() != before)
            moveCalibrationOn();
    }
    emit reportTaken(at);
}

// The board is lost when the link stops polling it for anything but its
// end, and found when it polls again.
void DetailsFeed::followState(LinkState state)
{
    if (state == LinkState::Polling) {
        stats_.boardFound();
        link_.lostSince.reset();
    } else if (link_.state == LinkState::Polling && state != LinkState::Closed) {
        stats_.boardLost();
        link_.lostSince = wallNow();
    }
    link_.state = state;
    showPort();
}

void DetailsFeed::showPort()
{
    const ReportOrigin origin = session_.origin();
    link_.port = origin.port;
    link_.device = origin.device;
    emit linkChanged();
}

void DetailsFeed::showProblem(const QString &reason)
{
    link_.problem = reason;
    emit linkChanged();
}

void DetailsFeed::startCalibration()
{
    calibration_.start(stats_);
    restart();
}

void DetailsFeed::cancelCalibration()
{
    calibration_.cancel();
    emit calibrationChanged();
}

void DetailsFeed::finishCalibration()
{
    calibration_.finish();
    moveCalibrationOn();
}

void DetailsFeed::reset()
{
    calibration_.cancel();
    stats_.reset();
    restart();
}

void DetailsFeed::moveCalibrationOn()
{
    if (calibration_.step() == Calibration::Step::Taken)
        calibrationTakenAt_ = wallNow();
    emit calibrationChanged();
}

void DetailsFeed::restart()
{
    recent_.restart();
    emit calibrationChanged();
    emit restarted();
}

QDateTime DetailsFeed::wallNow() const
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch(session_.now().wall));
}
