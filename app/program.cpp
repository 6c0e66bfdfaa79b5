#include "app/program.h"

#include "app/displaydefaults.h"

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

Q_LOGGING_CATEGORY(lcRecording, "joystick.recording")
// The window's status texts as they change, off unless enabled with
// QT_LOGGING_RULES="joystick.status.info=true": the search step by step in
// a terminal, and the window's texts where a test cannot read the window.
Q_LOGGING_CATEGORY(lcStatus, "joystick.status", QtWarningMsg)

QString rowCount(qint64 rows)
{
    return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

// A message Qt logged while the application connected to the display.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

// What Qt logs while it connects to the display is held back: when it
// fails, its warnings and its fatal advice give way to one line; when it
// succeeds, they are logged as usual. Qt's display connection may log from
// a thread of its own.
class DisplayConnection {
public:
    static void open() { previous_ = qInstallMessageHandler(hold); }

    // Logs what was held and logs as before from now on.
    static void opened()
    {
        qInstallMessageHandler(previous_);
        const std::lock_guard lock(mutex_);
        for (const HeldMessage &message : std::as_const(held_))
            qt_message_output(message.type,
                              QMessageLogContext(nullptr, 0, nullptr, message.category.constData()), message.text);
        held_.clear();
    }

private:
    static void hold(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtFatalMsg)
            failed(text);
        const std::lock_guard lock(mutex_);
        held_.append({type, QByteArray(context.category), text});
    }

    [[noreturn]] static void failed(const QString &fatalText)
    {
        std::fprintf(stderr, "%s: no display (%s)\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(reason(fatalText)));
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }

    // Qt's first complaint says what went wrong: a platform plugin it could
    // not find, or a display its X11 or Wayland plugin could not reach,
    // which without the variables that name a display is no wonder.
    static QString reason(const QString &fatalText)
    {
        const std::lock_guard lock(mutex_);
        if (held_.isEmpty())
            return fatalText.section(u'\n', 0, 0);
        const HeldMessage &first = held_.first();
        const bool displayUnreached =
            first.category.startsWith("qt.qpa.xcb") || first.category.startsWith("qt.qpa.wayland");
        const bool noDisplayNamed =
            qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        if (displayUnreached && noDisplayNamed)
            return QStringLiteral("DISPLAY and WAYLAND_DISPLAY are unset");
        return first.text;
    }

    static inline QtMessageHandler previous_ = nullptr;
    static inline std::mutex mutex_;
    static inline QList<HeldMessage> held_;
};

} // namespace

JoystickMonitor::JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control,
                                 LinkTiming timing)
    : BoardSession(std::move(ports), std::move(control), timing)
    , window(link, model)
{
    QObject::connect(&window, &ventana::recordRequested, &window,
                     [this](const QString &path) { record(RowFile::append(path)); });
    QObject::connect(&window, &ventana::stopRecordingRequested, &window, [this] { stopRecording(); });
    forEachStatusText(link, [](const QString &text) { qCInfo(lcStatus).noquote() << text; });
}

void JoystickMonitor::prepareDisplay()
{
    setDisplayDefaults();
}

std::unique_ptr<QApplication> JoystickMonitor::openDisplay(int &argc, char *argv[])
{
    prepareDisplay();
    DisplayConnection::open();
    auto application = std::make_unique<QApplication>(argc, argv);
    DisplayConnection::opened();
    return application;
}

void JoystickMonitor::start()
{
    window.Form_Load();
}

bool JoystickMonitor::record(std::unique_ptr<RowFile> file)
{
    stopRecording();
    if (!file->isOpen()) {
        const QString reason = QStringLiteral("Not recording: cannot record to %1").arg(file->problem());
        qCWarning(lcRecording).noquote() << reason;
        window.showRecording(false, reason);
        return false;
    }
    recording_ = std::make_unique<Recording>(*this, std::move(file));
    QObject::connect(recording_.get(), &Recording::failed, &window, [this] { recordingFailed(); });
    window.showRecording(true, QStringLiteral("Recording every report to %1").arg(recording_->file().name()));
    return true;
}

void JoystickMonitor::stopRecording()
{
    if (!recording_ || !recording_->file().isOpen())
        return;
    const QString summary =
        QStringLiteral("Recorded %1 to %2").arg(rowCount(recording_->rows()), recording_->file().name());
    recording_.reset();
    window.showRecording(false, summary);
}

// The failed recording stays, its file closed, for what it tells.
void JoystickMonitor::recordingFailed()
{
    const QString reason = QStringLiteral("Recording stopped after %1: %2")
                               .arg(rowCount(recording_->rows()), recording_->file().problem());
    qCWarning(lcRecording).noquote() << reason;
    window.showRecording(false, reason);
}
