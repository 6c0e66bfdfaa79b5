#include "programs/monitor/joystickmonitor.h"

#include "stickdata/calibrationfile.h"
#include "stickdata/statsreport.h"

#include <QApplication>
#include <QClipboard>
#include <QLoggingCategory>
#include <QSaveFile>

namespace {

Q_LOGGING_CATEGORY(lcRecording, "joystick.recording")
// The window's status texts as they change, off unless enabled with
// QT_LOGGING_RULES="joystick.status.info=true": the search step by step in
// a terminal, and the window's texts where a test cannot read the window.
Q_LOGGING_CATEGORY(lcStatus, "joystick.status", QtWarningMsg)

// The board's figures as a calibration file, whole or not at all: a file
// replaced is replaced only once the new one is written. Figures that
// would make no calibration (a stick never moved has no range) are not
// written: the game controller would refuse the file.
std::optional<QString> saveFigures(const BoardStats &stats, const QString &path)
{
    const QByteArray json = statsJson(stats);
    const auto calibration = calibrationFromJson(json);
    if (const auto *refusal = std::get_if<QString>(&calibration))
        return *refusal + QStringLiteral(": move each stick round its full range first (Calibrate…)");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

RecordingShown shownOf(const Recording &recording)
{
    return {.active = recording.isRecording(),
            .file = recording.file().name(),
            .rows = recording.rows(),
            .status = recording.status(),
            .failed = !recording.file().isOpen()};
}

} // namespace

JoystickMonitor::JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control,
                                 LinkTiming timing, const std::shared_ptr<LinkClock> &clock)
    : session_(std::move(ports), std::move(control), timing, clock)
    , window_(session_.link(), session_.lines(), clock)
    , feed_(session_)
    , details_(feed_, clock)
{
    QObject::connect(&window_, &ventana::recordRequested, &window_,
                     [this](const QString &path) { record(RowFile::append(path)); });
    QObject::connect(&window_, &ventana::stopRecordingRequested, &window_, [this] { stopRecording(); });
    QObject::connect(&window_, &ventana::detailsRequested, &window_, [this] { showDetails(); });
    answerDetailsRequests();
    window_.setExitAction([this] { endNow(); });
    forEachStatusText(session_.link(), [](const QString &text) { qCInfo(lcStatus).noquote() << text; });
}

void JoystickMonitor::answerDetailsRequests()
{
    QObject::connect(&details_, &DetailsWindow::recordRequested, &details_,
                     [this](const QString &path) { record(RowFile::append(path)); });
    QObject::connect(&details_, &DetailsWindow::stopRecordingRequested, &details_, [this] { stopRecording(); });
    QObject::connect(&details_, &DetailsWindow::calibrateRequested, &feed_, &DetailsFeed::startCalibration);
    QObject::connect(&details_, &DetailsWindow::cancelCalibrationRequested, &feed_, &DetailsFeed::cancelCalibration);
    QObject::connect(&details_, &DetailsWindow::calibrationDoneRequested, &feed_, &DetailsFeed::finishCalibration);
    QObject::connect(&details_, &DetailsWindow::resetRequested, &feed_, &DetailsFeed::reset);
    QObject::connect(&details_, &DetailsWindow::copyRequested, &details_,
                     [this] { QApplication::clipboard()->setText(statsTable(feed_.stats())); });
    QObject::connect(&details_, &DetailsWindow::saveCalibrationRequested, &details_, [this](const QString &path) {
        if (const auto problem = saveFigures(feed_.stats(), path))
            details_.showCalibrationSaved(QStringLiteral("Not saved to %1: %2").arg(path, *problem), true);
        else
            details_.showCalibrationSaved(QStringLiteral("Saved to %1").arg(path), false);
    });
}

void JoystickMonitor::start()
{
    window_.Form_Load();
}

bool JoystickMonitor::record(std::unique_ptr<RowFile> file)
{
    stopRecording();
    if (!file->isOpen()) {
        const QString reason = Recording::refusal(*file);
        qCWarning(lcRecording).noquote() << reason;
        showRecording({.active = false, .file = file->name(), .rows = 0, .status = reason, .failed = true});
        return false;
    }
    recording_ = std::make_unique<Recording>([this] { return session_.origin(); }, std::move(file), session_.now());
    QObject::connect(&session_.lines(), &BoardLines::arrived, recording_.get(), &Recording::take);
    QObject::connect(recording_.get(), &Recording::failed, &window_, [this] { showRecordingFailure(); });
    QObject::connect(recording_.get(), &Recording::statusChanged, &window_,
                     [this] { showRecording(shownOf(*recording_)); });
    QObject::connect(recording_.get(), &Recording::rowWritten, &window_,
                     [this] { details_.showRowsWritten(recording_->rows()); });
    showRecording(shownOf(*recording_));
    return true;
}

void JoystickMonitor::stopRecording()
{
    if (!recording_ || !recording_->isRecording())
        return;
    recording_->stop();
    const RecordingShown summary = shownOf(*recording_);
    recording_.reset();
    showRecording(summary);
}

// The failed recording stays, its file closed, for what it tells.
void JoystickMonitor::showRecordingFailure()
{
    qCWarning(lcRecording).noquote() << recording_->status();
    showRecording(shownOf(*recording_));
}

// The main window's tooltip and the details window tell the same.
void JoystickMonitor::showRecording(const RecordingShown &shown)
{
    window_.showRecording(shown.active, shown.status);
    details_.showRecording(shown);
    if (shown.failed)
        showDetails();
}

void JoystickMonitor::endNow()
{
    recording_.reset();
    session_.link().releasePortLock();
    ventana::endProgram();
}
