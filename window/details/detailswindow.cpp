#include "window/details/detailswindow.h"

#include "stickdata/statsreport.h"
#include "window/recordingfiledialog.h"
#include "window/shortenedtext.h"
#include "window/details/tracestyle.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QScreen>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <utility>

namespace {

const QString kUnknown = QStringLiteral("—");
constexpr QRgb kAlarmText = 0xb71c1c;
constexpr QRgb kAlarmBackground = 0xfdecea;

QString figureText(std::optional<double> value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : kUnknown;
}

QString clockTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString milliseconds(const LinkFigures &link, double IntervalFigures::*figure, int decimals)
{
    return link.interval ? QStringLiteral("%1 ms").arg((*link.interval).*figure, 0, 'f', decimals) : kUnknown;
}

QString pressesText(quint64 right, quint64 left)
{
    return QLabel::tr("Presses: right button (A4) %1, left button (A5) %2").arg(right).arg(left);
}

// A label for a figure that changes as reports come, of a fixed size that
// holds `widest`: its new texts then leave the window's layout alone,
// which would otherwise be worked out afresh at each of them. At 20
// reports a second that took the window's CPU from 3.4 to 2.6 times the
// monitor's without it (bench/RESULTS.md).
QLabel *figureLabel(const QFontMetrics &metrics, const QString &widest)
{
    auto *label = new QLabel;
    label->setFixedSize(metrics.horizontalAdvance(widest), metrics.height());
    return label;
}

// The link's figures, a row each.
struct LinkFigureRow {
    const char *name;
    QString (*text)(const LinkFigures &link);
};
const LinkFigureRow kLinkFigureRows[] = {
    {"Reports",
     [](const LinkFigures &link) {
         return link.rate ? QStringLiteral("%1 (%2 a second)").arg(link.reports).arg(*link.rate, 0, 'f', 2)
                          : QString::number(link.reports);
     }},
    {"Interval, mean", [](const LinkFigures &link) { return milliseconds(link, &IntervalFigures::meanMs, 1); }},
    {"Jitter (interval SD)", [](const LinkFigures &link) { return milliseconds(link, &IntervalFigures::sdMs, 1); }},
    {"Longest interval", [](const LinkFigures &link) { return milliseconds(link, &IntervalFigures::maxMs, 0); }},
    {"Ignored lines", [](const LinkFigures &link) { return QString::number(link.ignoredLines); }},
    {"Over-long lines dropped", [](const LinkFigures &link) { return QString::number(link.longLinesDropped); }},
    {"Unanswered requests", [](const LinkFigures &link) { return QString::number(link.unansweredRequests); }},
    {"Boards lost / found again",
     [](const LinkFigures &link) { return QStringLiteral("%1 / %2").arg(link.losses).arg(link.recoveries); }},
};

QString stateInWords(const LinkShown &link)
{
    const QString lost = link.lostSince ? QStringLiteral("Board lost since %1; ").arg(clockTime(*link.lostSince))
                                        : QString();
    switch (link.state) {
    case LinkState::Idle:
        return QStringLiteral("Not started");
    case LinkState::Scanning:
        return lost + QStringLiteral("searching for the board: trying COM %1").arg(link.port);
    case LinkState::Polling:
        return QStringLiteral("Polling the board on COM %1").arg(link.port);
    case LinkState::Waiting:
        return link.lostSince ? lost + QStringLiteral("waiting for it to come back")
                              : QStringLiteral("No board found; waiting for a serial device to appear");
    case LinkState::Closed:
        return QStringLiteral("Closed");
    }
    return {};
}

// The first letter up: "searching ..." alone starts a sentence.
QString sentence(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QLabel *wrapping(QLabel *label)
{
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void colourText(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

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

QGroupBox *group(const QString &title, QLayout *layout)
{
    auto *box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

QString colourWord(QRgb colour, const QString &word)
{
    return QStringLiteral("<span style=\"color:#%1\"><b>%2</b></span>").arg(colour, 6, 16, QLatin1Char('0')).arg(word);
}

constexpr qsizetype kLinkFigureCount = std::size(kLinkFigureRows);

} // namespace

DetailsWindow::DetailsWindow(BoardStats &stats, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , stats_(stats)
{
    setWindowTitle(tr("Board details"));
    // The main window alone keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    nameParts({{alert_, "alert"},
               {plot_, "plot"},
               {sticks_[0], "left stick"},
               {sticks_[1], "right stick"},
               {lines_, "lines"},
               {recordingStatus_, "recordingStatus"}});

    alert_->setWordWrap(true);
    alert_->setMargin(8);
    alert_->setAutoFillBackground(true);
    QPalette alarm = alert_->palette();
    alarm.setColor(QPalette::Window, QColor(kAlarmBackground));
    alarm.setColor(QPalette::WindowText, QColor(kAlarmText));
    alert_->setPalette(alarm);
    QFont bold = alert_->font();
    bold.setBold(true);
    alert_->setFont(bold);
    alert_->hide();

    auto *left = new QVBoxLayout;
    left->addWidget(makePlotPart(), 1);
    left->addWidget(makeSticksPart(), 1);
    left->addWidget(makeCalibrationPart());
    // The right column keeps its width, so that its changing texts never
    // move the plot and the sticks.
    auto *rightColumn = new QWidget;
    rightColumn->setFixedWidth(64 * fontMetrics().averageCharWidth());
    auto *right = new QVBoxLayout(rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(makeLinkPart());
    right->addWidget(makeRecordingPart());
    right->addWidget(makeLinesPart(), 1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(rightColumn);
    auto *all = new QVBoxLayout(this);
    all->addWidget(alert_);
    all->addLayout(columns, 1);
    resize(QSize(1280, 900).boundedTo(screen()->availableSize()));

    showLink(link_);
    showRecording(recording_);
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

// A row a figure, a column an axis, beside the steps of a calibration and
// what to do with the figures.
QWidget *DetailsWindow::makeCalibrationPart()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        auto *heading = new QLabel(QString::fromLatin1(tracestyle::kChannels[size_t(channel)].label));
        colourText(*heading, QColor(tracestyle::kChannels[size_t(channel)].colour));
        grid->addWidget(heading, 0, channel + 1, Qt::AlignRight);
    }
    for (const AxisColumn &column : kAxisColumns) {
        const int row = int(table_.size()) + 1;
        grid->addWidget(new QLabel(tr(column.name)), row, 0);
        auto &labels = table_.emplace_back();
        for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
            QLabel *&label = labels[size_t(channel)];
            label = figureLabel(fontMetrics(), QStringLiteral("-0000.000"));
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setObjectName(QStringLiteral("%1 A%2").arg(column.name).arg(channel));
            grid->addWidget(label, row, channel + 1, Qt::AlignRight);
        }
    }
    presses_ = figureLabel(fontMetrics(), pressesText(1234567, 1234567));
    grid->addWidget(presses_, int(table_.size()) + 1, 0, 1, BoardModel::kAxisCount + 1);

    calibrate_->setObjectName(QStringLiteral("calibrate"));
    calibrationDone_->setObjectName(QStringLiteral("calibrationDone"));
    calibrationStep_->setObjectName(QStringLiteral("calibrationStep"));
    calibrate_->setToolTip(tr("Takes the calibration afresh: hands off both sticks until they have rested, then "
                              "sweep each round its full range."));
    connect(calibrate_, &QPushButton::clicked, this, &DetailsWindow::startOrCancelCalibration);
    connect(calibrationDone_, &QPushButton::clicked, this, [this] {
        calibration_.finish();
        calibrationMovedOn();
    });
    auto *reset = new QPushButton(tr("Reset"));
    reset->setToolTip(tr("Starts every figure afresh, the sticks' outlines too."));
    connect(reset, &QPushButton::clicked, this, &DetailsWindow::resetFigures);
    auto *copy = new QPushButton(tr("Copy"));
    copy->setObjectName(QStringLiteral("copy"));
    copy->setToolTip(tr("Puts the figures on the clipboard as text."));
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(statsTable(stats_)); });
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {calibrate_, calibrationDone_, reset, copy})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto *steps = new QVBoxLayout;
    steps->addWidget(wrapping(calibrationStep_), 1);
    steps->addLayout(buttons);

    auto *layout = new QHBoxLayout;
    layout->addLayout(grid);
    layout->addSpacing(16);
    layout->addLayout(steps, 1);
    return group(tr("Calibration"), layout);
}

QWidget *DetailsWindow::makeLinkPart()
{
    auto *rows = new QFormLayout;
    rows->addRow(tr("Port"), wrapping(port_));
    rows->addRow(tr("State"), wrapping(state_));
    rows->addRow(tr("Problem"), wrapping(problem_));
    rows->setRowVisible(problem_, false);
    for (const LinkFigureRow &row : kLinkFigureRows) {
        QLabel *value = figureLabel(fontMetrics(), QStringLiteral("0000000000 (0000.00 a second)"));
        value->setObjectName(QString::fromLatin1(row.name));
        rows->addRow(tr(row.name), value);
        linkFigures_.push_back(value);
    }
    return group(tr("Link"), rows);
}

QWidget *DetailsWindow::makeRecordingPart()
{
    connect(record_, &QPushButton::clicked, this, &DetailsWindow::recordOrStop);
    auto *top = new QHBoxLayout;
    top->addWidget(record_);
    top->addWidget(wrapping(recordingFile_), 1);
    rows_ = figureLabel(fontMetrics(), QStringLiteral("0000000000000"));
    rows_->setObjectName(QStringLiteral("rowsWritten"));
    auto *rows = new QFormLayout;
    rows->addRow(tr("Rows written"), rows_);
    auto *layout = new QVBoxLayout;
    layout->addLayout(top);
    layout->addLayout(rows);
    layout->addWidget(wrapping(recordingStatus_));
    return group(tr("Recording"), layout);
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

void DetailsWindow::addReport(Time at, const Report &report)
{
    plot_->add(at, report);
    for (StickView *stick : sticks_)
        stick->add(at, report);
    if (const Calibration::Step before = calibration_.step(); before != Calibration::Step::Off) {
        calibration_.reportTaken(stats_, at);
        if (calibration_.step() != before)
            calibrationMovedOn();
    }
    figuresChanged();
}

void DetailsWindow::addLine(const ReceivedLine &line)
{
    lines_->append(line);
    figuresChanged();
}

void DetailsWindow::figuresChanged()
{
    if (isVisible())
        pacer_.changed(PresentSchedule::Part::Texts);
}

void DetailsWindow::showLink(const LinkShown &link)
{
    link_ = link;
    port_->setText(link.port > 0 ? QStringLiteral("COM %1  %2").arg(link.port).arg(shortenLongWords(link.device, 40)) : kUnknown);
    state_->setText(sentence(stateInWords(link)));
    plot_->setLive(!link.lostSince);
    for (StickView *stick : sticks_)
        stick->setLive(!link.lostSince);
    showAlert();
    figuresChanged();
}

void DetailsWindow::showProblem(const QString &reason)
{
    problem_->setText(shortenLongWords(reason));
    static_cast<QFormLayout *>(problem_->parentWidget()->layout())->setRowVisible(problem_, !reason.isEmpty());
}

void DetailsWindow::showRecording(const RecordingShown &recording)
{
    recording_ = recording;
    rowsWritten_ = recording.rows;
    record_->setText(recording.active ? tr("Stop") : tr("Record…"));
    record_->setToolTip(recording.active ? tr("Stops the recording; its file keeps every row written.")
                                         : tr("Appends a row for every report to a CSV file."));
    recordingFile_->setText(recording.file.isEmpty() ? tr("Not recording") : recording.file);
    recordingStatus_->setText(recording.status);
    recordingStatus_->setVisible(!recording.status.isEmpty());
    colourText(*recordingStatus_, recording.failed ? QColor(kAlarmText) : palette().windowText().color());
    rows_->setText(recording.file.isEmpty() ? kUnknown : QString::number(rowsWritten_));
    showAlert();
}

void DetailsWindow::showRowsWritten(qint64 rows)
{
    rowsWritten_ = rows;
    figuresChanged();
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
    showFigures();
}

void DetailsWindow::showFigures()
{
    showCalibrationTable();
    showStickCalibrations();
    showLinkFigures();
    if (!recording_.file.isEmpty())
        rows_->setText(QString::number(rowsWritten_));
}

void DetailsWindow::showCalibrationTable()
{
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const AxisValues values = axisValues(stats_, channel);
        for (size_t row = 0; row < table_.size(); ++row)
            table_[row][size_t(channel)]->setText(figureText(values[row], kAxisColumns[row].decimals));
    }
    presses_->setText(
        pressesText(stats_.presses(BoardModel::kFirstButton), stats_.presses(BoardModel::kFirstButton + 1)));
}

// A stick's centre is drawn to the whole unit: its mean moves by fractions
// at every report while it rests, and each change draws the square anew.
void DetailsWindow::showStickCalibrations()
{
    for (size_t stick = 0; stick < sticks_.size(); ++stick) {
        const AxisFigures x = stats_.axis(int(2 * stick));
        const AxisFigures y = stats_.axis(int(2 * stick + 1));
        std::optional<StickCalibration> calibration;
        if (x.rest && y.rest)
            calibration = StickCalibration{QPointF(std::round(x.rest->centre), std::round(y.rest->centre)),
                                           QSizeF(x.rest->deadZone, y.rest->deadZone)};
        if (calibration != shownCalibrations_[stick]) {
            shownCalibrations_[stick] = calibration;
            sticks_[stick]->setCalibration(calibration);
        }
    }
}

void DetailsWindow::showLinkFigures()
{
    const LinkFigures link = stats_.link();
    for (qsizetype row = 0; row < kLinkFigureCount; ++row)
        linkFigures_[size_t(row)]->setText(kLinkFigureRows[row].text(link));
}

void DetailsWindow::calibrationMovedOn()
{
    if (calibration_.step() == Calibration::Step::Taken)
        calibrationTakenAt_ = QDateTime::currentDateTime();
    showCalibrationStep();
}

void DetailsWindow::showCalibrationStep()
{
    using Step = Calibration::Step;
    const Step step = calibration_.step();
    const bool taking = step == Step::HandsOff || step == Step::Sweeps;
    calibrate_->setText(taking ? tr("Cancel") : tr("Calibrate…"));
    calibrationDone_->setVisible(step == Step::Sweeps);
    switch (step) {
    case Step::Off:
        calibrationStep_->setText(tr("The figures count from the start or the last reset. Calibrate takes them "
                                     "afresh, with the sticks at rest and then swept round."));
        break;
    case Step::HandsOff:
        calibrationStep_->setText(tr("Step 1 of 2: let go of both sticks and leave them at rest, until each has "
                                     "stayed still for a second."));
        break;
    case Step::Sweeps:
        calibrationStep_->setText(tr("Step 2 of 2: move each stick round its full range in wide circles, a few "
                                     "times, then press Done. It ends by itself once the ranges stop growing."));
        break;
    case Step::Taken:
        calibrationStep_->setText(
            tr("Calibration taken at %1. Copy puts the table on the clipboard.").arg(clockTime(*calibrationTakenAt_)));
        break;
    }
}

void DetailsWindow::showAlert()
{
    QStringList alerts;
    if (link_.lostSince)
        alerts << tr("The board was lost at %1: the plot and the sticks are greyed until it is back.")
                      .arg(clockTime(*link_.lostSince));
    if (recording_.failed)
        alerts << recording_.status;
    alert_->setText(alerts.join(u'\n'));
    alert_->setVisible(!alerts.isEmpty());
}

void DetailsWindow::resetFigures()
{
    calibration_.cancel();
    stats_.reset();
    for (StickView *stick : sticks_)
        stick->reset();
    showCalibrationStep();
    showFigures();
}

void DetailsWindow::startOrCancelCalibration()
{
    if (calibration_.step() == Calibration::Step::HandsOff || calibration_.step() == Calibration::Step::Sweeps) {
        calibration_.cancel();
    } else {
        calibration_.start(stats_);
        for (StickView *stick : sticks_)
            stick->reset();
    }
    showCalibrationStep();
    showFigures();
}

void DetailsWindow::recordOrStop()
{
    if (recording_.active)
        emit stopRecordingRequested();
    else
        askForRecordingFile(this, [this](const QString &file) { emit recordRequested(file); });
}
