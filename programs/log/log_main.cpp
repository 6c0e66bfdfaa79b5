#include "programs/common/commandline.h"
#include "programs/common/terminationsignals.h"
#include "programs/log/logoptions.h"
#include "recording/recording.h"
#include "recording/rowfile.h"
#include "session/boardwait.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

// The board followed without a window: the same session as the monitor's,
// a CSV row for every report on standard output, the texts the window
// would show on standard error, and while there is no board, that it is
// still waited for, until --wait gives up.

namespace {

// A status text or why a port failed, on a line of its own.
void printStatus(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// A failure to write the rows; a reader that went away ends the rows as
// asked, without a word.
int outputFailed(const QString &why, const RowFile &output)
{
    return output.error() == EPIPE ? EXIT_SUCCESS : commandline::fail(why, EXIT_FAILURE);
}

} // namespace

int main(int argc, char *argv[])
{
    LogOptions options;
    if (const auto exitStatus = parseLogOptions(commandline::arguments(argc, argv), options))
        return *exitStatus;
    holdTerminationRequests();
    QCoreApplication app(argc, argv);
    // The reasons a port failed are printed as the window shows them; the
    // link's own log of them would print them twice.
    QLoggingCategory::setFilterRules(QStringLiteral("joystick.ports.warning=false"));

    std::unique_ptr<RowFile> output = RowFile::standardOutput();
    if (!output->isOpen())
        return outputFailed(Recording::refusal(*output), *output);
    BoardSession session(options.ports.isEmpty() ? ComPortMap::system() : ComPortMap::named(options.ports));
    forEachStatusText(session.link(), printStatus);
    Recording recording([&session] { return session.origin(); }, std::move(output), session.now());
    QObject::connect(&session.lines(), &BoardLines::arrived, &recording, &Recording::take);
    QObject::connect(&recording, &Recording::rowWritten, &app, [&] {
        if (recording.rows() == options.count) {
            recording.stop();
            QCoreApplication::quit();
        }
    });
    QObject::connect(&recording, &Recording::failed, &app, &QCoreApplication::quit);
    onTerminationRequest(&app, &QCoreApplication::quit);
    BoardWait wait(session.link(), options.wait);
    QObject::connect(&wait, &BoardWait::stillWaiting, &app, printStatus);
    QString gaveUp;
    QObject::connect(&wait, &BoardWait::gaveUp, &app, [&gaveUp](const QString &why) {
        gaveUp = why;
        QCoreApplication::quit();
    });

    session.link().buscarPuerto();
    QCoreApplication::exec();
    recording.stop();
    session.link().close();
    if (!recording.file().isOpen())
        return outputFailed(recording.status(), recording.file());
    if (!gaveUp.isEmpty())
        return commandline::fail(gaveUp, EXIT_FAILURE);
    printStatus(recording.status());
    return EXIT_SUCCESS;
}
