#include "window/details/detailswindow.h"

#include "window/details/figurelabels.h"
#include "window/details/tracestyle.h"
#include "window/filedialogs.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

using namespace figurelabels;

namespace {

// The figures four times a second, not ten: the window open beside the
// monitor at 20 reports a second went from 2.15 to 1.96 times the CPU of
// the monitor without it (bench/RESULTS.md), and a figure is as readable.
constexpr PresentTiming kFigureTiming{.frame = std::chrono::milliseconds(40),
                                      .textRefresh = std::chrono::milliseconds(250)};

// Names the parts that are found from outside with QObject::findChild.
void nameParts(std::initializer_list<std::pair<QObject *, const char *>> parts)
{
    for (const auto &[part, name] : parts)
        part->setObjectName(QLatin1StringView(name));
}

// A button that pauses a view while held down, and says how to go on.
QPushButton *pauseButton(const char *name, std::function<void(bool paused)> pause)
{
    auto *button = new QPushButton(QPushButton::tr("Pause"));
    button->setObjectName(QLatin1StringView(name));
    button->setCheckable(true);
    QObject::connect(button, &QPushButton::toggled, button, [button, pause = std::move(pause)](bool paused) {
        pause(paused);
        button->setText(paused ? QPushButton::tr("Go on") : QPushButton::tr("Pause"));
    });
    return button;
}

QString colourWord(QRgb colour, const QString &word)
{
    return QStringLiteral("<span style=\"color:#%1\"><b>%2</b></span>").arg(colour, 6, 16, QLatin1Char('0')).arg(word);
}

void makeAlarm(QLabel &alert)
{
    alert.setWordWrap(true);
    alert.setMargin(8);
    alert.setAutoFillBackground(true);
    QPalette alarm = alert.palette();
    alarm.setColor(QPalette::Window, QColor(kAlarmBackground));
    alarm.setColor(QPalette::WindowText, QColor(kAlarmText));
    alert.setPalette(alarm);
    QFont bold = alert.font();
    bold.setBold(true);
    alert.setFont(bold);
    alert.hide();
}

} // namespace

DetailsWindow::DetailsWindow(const DetailsFeed &feed, const std::shared_ptr<LinkClock> &clock, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , feed_(feed)
    , plot_(new HistoryPlot(feed.recent().history(), clock))
    , sticks_{new StickView(feed.recent(), 0, clock), new StickView(feed.recent(), 1, clock)}
    , lines_(new RawLinesView(feed.lines(), clock))
    , pacer_([this](PresentSchedule::Parts) { showFigures(); }, clock, kFigureTiming)
{
    setWindowTitle(tr("Board details"));
    // The main window alone keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    nameParts({{alert_, "alert"},
               {plot_, "plot"},
               {sticks_[0], "left stick"},
               {sticks_[1], "right stick"},
               {lines_, "lines"}});
    makeAlarm(*alert_);

    auto *left = new QVBoxLayout;
    left->addWidget(makePlotPart(), 1);
    left->addWidget(makeSticksPart(), 1);
    left->addWidget(calibration_);
    // The right column keeps its width, so that its changing texts never
    // move the plot and the sticks.
    auto *rightColumn = new QWidget;
    rightColumn->setFixedWidth(64 * fontMetrics().averageCharWidth());
    auto *right = new QVBoxLayout(rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(link_);
    right->addWidget(recording_);
    right->addWidget(makeLinesPart(), 1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(rightColumn);
    auto *all = new QVBoxLayout(this);
    all->addWidget(alert_);
    all->addLayout(columns, 1);
    resize(QSize(1280, 900).boundedTo(screen()->availableSize()));

    forwardRequests();
    showLink();
    showCalibrationStep();
    showFigures();
}

QWidget *DetailsWindow::makePlotPart()
{
    auto *hint = new QLabel(tr("Point at the plot for the values at that time."));
    auto *bar = new QHBoxLayout;
    bar->addWidget(hint, 1);
    bar->addWidget(pauseButton("pausePlot", [this](bool paused) { plot_->setPaused(paused); }));
    auto *layout = new QVBoxLayout;
    layout->addLayout(bar);
    layout->addWidget(plot_, 1);
    return group(tr("The last 30 seconds"), layout);
}

QWidget *DetailsWindow::makeSticksPart()
{
    const std::array<QString, 2> titles{tr("Left stick: A0 across, A1 down, button A5"),
                                        tr("Right stick: A2 across, A3 down, button A4")};
    auto *sticks = new QHBoxLayout;
    for (size_t index = 0; index < sticks_.size(); ++index) {
        auto *layout = new QVBoxLayout;
        layout->addWidget(sticks_[index]);
        sticks->addWidget(group(titles[index], layout));
    }
    auto *legend = new QLabel(tr("The dot: now, red while its button is up, blue while pressed; the %1: the last "
                                 "two seconds; the %2: the farthest it went since the reset; the %3: its "
                                 "centre and dead zone, once it has rested.")
                                  .arg(colourWord(tracestyle::kTrail, tr("trail")),
                                       colourWord(tracestyle::kOutline, tr("outline")),
                                       colourWord(tracestyle::kCalibration, tr("cross and box"))));
    legend->setWordWrap(true);
    auto *part = new QWidget;
    auto *layout = new QVBoxLayout(part);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(sticks, 1);
    layout->addWidget(legend);
    return part;
}

QWidget *DetailsWindow::makeLinesPart()
{
    auto *bar = new QHBoxLayout;
    bar->addWidget(wrapping(new QLabel(tr("✗ marks a line the program made nothing of."))), 1);
    bar->addWidget(pauseButton("pauseLines", [this](bool paused) { lines_->setPaused(paused); }));
    auto *layout = new QVBoxLayout;
    layout->addLayout(bar);
    layout->addWidget(lines_, 1);
    return group(tr("The board's lines"), layout);
}

void DetailsWindow::forwardRequests()
{
    connect(calibration_, &CalibrationPanel::calibrateRequested, this, &DetailsWindow::calibrateRequested);
    connect(calibration_, &CalibrationPanel::cancelCalibrationRequested, this,
            &DetailsWindow::cancelCalibrationRequested);
    connect(calibration_, &CalibrationPanel::calibrationDoneRequested, this, &DetailsWindow::calibrationDoneRequested);
    connect(calibration_, &CalibrationPanel::resetRequested, this, &DetailsWindow::resetRequested);
    connect(calibration_, &CalibrationPanel::copyRequested, this, &DetailsWindow::copyRequested);
    connect(calibration_, &CalibrationPanel::saveRequested, this, [this] {
        askForCalibrationFile(this, [this](const QString &file) { emit saveCalibrationRequested(file); });
    });
    connect(link_, &LinkPanel::gameControllerSwitched, this, &DetailsWindow::gameControllerSwitched);
    connect(recording_, &RecordingPanel::recordRequested, this, &DetailsWindow::recordRequested);
    connect(recording_, &RecordingPanel::stopRecordingRequested, this, &DetailsWindow::stopRecordingRequested);
}

// Only while shown: hidden, the window costs the feed nothing a line or a
// report (a signal to it took a third of what the feed takes a line,
// bench/RESULTS.md), and everything is shown afresh when it is shown.
void DetailsWindow::followFeed()
{
    following_ = {
        connect(&feed_, &DetailsFeed::reportTaken, this, &DetailsWindow::showReport),
        connect(&feed_, &DetailsFeed::lineTaken, this,
                [this] {
                    lines_->showNewLines();
                    scheduleFigures();
                }),
        connect(&feed_, &DetailsFeed::figuresChanged, this, &DetailsWindow::scheduleFigures),
        connect(&feed_, &DetailsFeed::linkChanged, this, &DetailsWindow::showLink),
        connect(&feed_, &DetailsFeed::calibrationChanged, this, &DetailsWindow::showCalibrationStep),
        connect(&feed_, &DetailsFeed::restarted, this, &DetailsWindow::showRestart),
    };
}

void DetailsWindow::showReport(std::chrono::nanoseconds at)
{
    plot_->showNewReports();
    for (StickView *stick : sticks_)
        stick->showNewReport(at);
    scheduleFigures();
}

void DetailsWindow::scheduleFigures()
{
    if (isVisible())
        pacer_.changed(PresentSchedule::Part::Texts);
}

void DetailsWindow::showRecording(const RecordingShown &recording)
{
    recording_->showRecording(recording);
    showAlert();
}

void DetailsWindow::showRowsWritten(qint64 rows)
{
    recording_->countRows(rows);
    scheduleFigures();
}

void DetailsWindow::showGameController(bool on, const QString &state, const QString &details)
{
    link_->showGameController(on, state, details);
}

void DetailsWindow::showCalibrationSaved(const QString &outcome, bool failed)
{
    calibration_->showSaved(outcome, failed);
}

void DetailsWindow::bringUp()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void DetailsWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (following_.isEmpty())
        followFeed();
    showLink();
    showCalibrationStep();
    showFigures();
}

void DetailsWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    for (const QMetaObject::Connection &connection : std::as_const(following_))
        disconnect(connection);
    following_.clear();
}

void DetailsWindow::showFigures()
{
    calibration_->showFigures(feed_.stats());
    showStickCalibrations();
    link_->showFigures(feed_.stats().link());
    recording_->refresh();
}

// A stick's centre is drawn to the whole unit: its mean moves by fractions
// at every report while it rests, and each change draws the square anew.
void DetailsWindow::showStickCalibrations()
{
    for (size_t stick = 0; stick < sticks_.size(); ++stick) {
        const AxisFigures x = feed_.stats().axis(int(2 * stick));
        const AxisFigures y = feed_.stats().axis(int(2 * stick + 1));
        std::optional<StickCalibration> calibration;
        if (x.rest && y.rest)
            calibration = StickCalibration{QPointF(std::round(x.rest->centre), std::round(y.rest->centre)),
                                           QSizeF(x.rest->deadZone, y.rest->deadZone)};
        sticks_[stick]->setCalibration(calibration);
    }
}

void DetailsWindow::showLink()
{
    const LinkShown &link = feed_.link();
    link_->showLink(link);
    plot_->setLive(!link.lostSince);
    for (StickView *stick : sticks_)
        stick->setLive(!link.lostSince);
    showAlert();
    scheduleFigures();
}

void DetailsWindow::showCalibrationStep()
{
    calibration_->showStep(feed_.calibrationStep(), feed_.calibrationTakenAt());
}

void DetailsWindow::showRestart()
{
    for (StickView *stick : sticks_)
        stick->showRestart();
    showFigures();
}

void DetailsWindow::showAlert()
{
    QStringList alerts;
    if (const std::optional<QDateTime> &lostSince = feed_.link().lostSince)
        alerts << tr("The board was lost at %1: the plot and the sticks are greyed until it is back.")
                      .arg(clockTime(*lostSince));
    if (recording_->shown().failed)
        alerts << recording_->shown().status;
    alert_->setText(alerts.join(u'\n'));
    alert_->setVisible(!alerts.isEmpty());
}
