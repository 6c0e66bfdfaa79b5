#pragma once

// The command line as every program of the project reads it: --help and
// --version answered on standard output, a command line the program cannot
// run with named on standard error, all before any application object (and
// so any display connection) exists.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace commandline {

// The exit status for a command line the program cannot run with.
inline constexpr int kUsageError = 2;

struct PositionalArgument {
    QString name;
    QString description;
};

// What a program takes on its command line, and the name it goes by.
struct Program {
    // The name in the usage and version lines, and the application's name,
    // which is also the class X11 window managers know its windows by.
    QString name;
    QString description;
    QList<QCommandLineOption> options;
    // Each required exactly once, in this order.
    QList<PositionalArgument> positionalArguments;
    // Accepts the options QGuiApplication and QApplication take themselves
    // (-platform, -style, -session, ...) and leaves them to the application.
    bool qtWindowOptions = false;
};

// The arguments as Qt holds them, the program's path first.
QStringList arguments(int argc, char *argv[]);

// Sets `parser` up for `program`, with -h/--help and -v/--version, parses
// `arguments` and sets the application's name and version. Returns the
// status to exit with at once, after printing the help or the version, or
// the error and the usage; nothing when the program goes on with `parser`.
std::optional<int> parse(const Program &program, QCommandLineParser &parser, const QStringList &arguments);

// Prints `message` and the usage on standard error, for a value the program
// cannot use; returns kUsageError. Only after parse().
int usageError(const QCommandLineParser &parser, const QString &message);

} // namespace commandline
