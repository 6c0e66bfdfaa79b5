#include "programs/desktop/display.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

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
            qt_message_output(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                              message.text);
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
        const bool displayUnreached = first.category.startsWith("qt.qpa.xcb")
                                      || first.category.startsWith("qt.qpa.wayland");
        const bool noDisplayNamed = qEnvironmentVariableIsEmpty("DISPLAY")
                                    && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        if (displayUnreached && noDisplayNamed)
            return QStringLiteral("DISPLAY and WAYLAND_DISPLAY are unset");
        return first.text;
    }

    static inline QtMessageHandler previous_ = nullptr;
    static inline std::mutex mutex_;
    static inline QList<HeldMessage> held_;
};

} // namespace

std::unique_ptr<QApplication> openDisplay(int &argc, char *argv[])
{
    prepareDisplay();
    DisplayConnection::open();
    auto application = std::make_unique<QApplication>(argc, argv);
    DisplayConnection::opened();
    return application;
}
