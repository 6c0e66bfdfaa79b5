#include "app/program.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcRecording, "joystick.recording")
// The window's status texts as they change, off unless enabled with
// QT_LOGGING_RULES="joystick.status.info=true": the search step by step in
// a terminal, and the window's texts where a test cannot read the window.
Q_LOGGING_CATEGORY(lcStatus, "joystick.status", QtWarningMsg)

} // namespace

JoystickMonitor::JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control,
                                 LinkTiming timing)
    : session_(std::move(ports), std::move(control), timing)
    , window_(session_.link(), session_.model())
{
    QObject::connect(&window_, &ventana::recordRequested, &window_,
                     [this](const QString &path) { record(RowFile::append(path)); });
    QObject::connect(&window_, &ventana::stopRecordingRequested, &window_, [this] { stopRecording(); });
    window_.setExitAction([this] { endNow(); });
    forEachStatusText(session_.link(), [](const QString &text) { qCInfo(lcStatus).noquote() << text; });
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
        window_.showRecording(false, reason);
        return false;
    }
    recording_ = std::make_unique<Recording>(
        session_.model(), [this] { return session_.origin(); }, std::move(file));
    QObject::connect(recording_.get(), &Recording::failed, &window_, [this] { recordingFailed(); });
    window_.showRecording(true, recording_->status());
    return true;
}

void JoystickMonitor::stopRecording()
{
    if (!recording_ || !recording_->isRecording())
        return;
    recording_->stop();
    const QString summary = recording_->status();
    recording_.reset();
    window_.showRecording(false, summary);
}

// The failed recording stays, its file closed, for what it tells.
void JoystickMonitor::recordingFailed()
{
    const QString reason = recording_->status();
    qCWarning(lcRecording).noquote() << reason;
    window_.showRecording(false, reason);
}

void JoystickMonitor::endNow()
{
    recording_.reset();
    session_.link().releasePortLock();
    ventana::endProgram();
}
