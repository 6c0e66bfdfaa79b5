#pragma once

// The command line as every program of the project reads it: --help and
// --version answered on standard output, a command line the program cannot
// run with refused in one line on standard error, all before any
// application object (and so any display connection) exists.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace commandline {

// The exit status for a command line the program cannot run with.
inline constexpr int kUsageError = 2;

struct PositionalArgument {
    QString name;
    QString description;
    // The last argument may be given more than once, as NAME...
    bool repeats = false;
};

// What a program takes on its command line, and the name it goes by.
struct Program {
    // The name in the usage and version lines, and the application's name,
    // which is also the class X11 window managers know its windows by.
    QString name;
    QString description;
    QList<QCommandLineOption> options;
    // Each required exactly once, in this order, but a last that repeats.
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
// after refusing the command line; nothing when the program goes on with
// `parser`.
std::optional<int> parse(const Program &program, QCommandLineParser &parser, const QStringList &arguments);

// Prints "NAME: MESSAGE" on standard error; returns `exitStatus`. Only
// after parse(), which names the application.
int fail(const QString &message, int exitStatus);
// fail() for a command line the program cannot run with: kUsageError.
int refuse(const QString &message);

// One option and what the program makes of it.
template <typename Settings>
struct OptionRule {
    QCommandLineOption option;
    // Stores the values given for the option (in order; none when it is
    // absent; for an option that takes no value, one empty value when it
    // is given) in `settings`, or says why the program cannot use them. The
    // rules are taken in the order of their table, so a rule can look at
    // what the rules before it stored.
    std::function<std::optional<QString>(const QStringList &values, Settings &settings)> take;
};

// What a rule of an option that takes no value makes of it: whether it is
// given, stored in `given`.
template <typename Settings>
auto whetherGiven(bool Settings::*given)
{
    return [given](const QStringList &values, Settings &settings) {
        settings.*given = !values.isEmpty();
        return std::optional<QString>();
    };
}

// parse() with the options of `rules` added to `program`'s, then each
// rule's values taken into `settings`; the first value a rule cannot use
// refuses the command line.
template <typename Settings>
std::optional<int> parseInto(Program program, const QList<OptionRule<Settings>> &rules, const QStringList &arguments,
                             Settings &settings)
{
    for (const OptionRule<Settings> &rule : rules)
        program.options.append(rule.option);
    QCommandLineParser parser;
    if (const auto exitStatus = parse(program, parser, arguments))
        return exitStatus;
    for (const OptionRule<Settings> &rule : rules) {
        const bool flag = rule.option.valueName().isEmpty();
        const QStringList values = flag ? QStringList(parser.isSet(rule.option) ? 1 : 0, QString())
                                        : parser.values(rule.option);
        if (const auto problem = rule.take(values, settings))
            return refuse(*problem);
    }
    return std::nullopt;
}

} // namespace commandline
