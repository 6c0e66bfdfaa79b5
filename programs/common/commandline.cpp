#include "programs/common/commandline.h"

#include <QCoreApplication>

#include <cstdio>

namespace commandline {

namespace {

struct QtWindowOption {
    const char *name;
    bool takesValue;
};

// The options QGuiApplication, its X11 platform plugin and QApplication read
// from the command line themselves. A session manager restoring the program
// adds -session.
constexpr QtWindowOption kQtWindowOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"geometry", true},
    {"qwindowtitle", true},    {"title", true},
    {"qwindowicon", true},     {"icon", true},
    {"reverse", false},        {"session", true},
    {"display", true},         {"name", true},
    {"visual", true},          {"nograb", false},
    {"dograb", false},         {"style", true},
    {"stylesheet", true},      {"widgetcount", false},
};

// Without an application object Qt's usage line holds this in place of the
// program's name.
const QString kNamePlaceholder = QStringLiteral("<executable_name>");

void addQtWindowOptions(QCommandLineParser &parser)
{
    for (const QtWindowOption &qtOption : kQtWindowOptions) {
        QCommandLineOption option(QString::fromLatin1(qtOption.name), QString());
        if (qtOption.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

QString helpText(const QCommandLineParser &parser)
{
    return parser.helpText().replace(kNamePlaceholder, QCoreApplication::applicationName());
}

// What is wrong with the arguments that are no options, if anything.
std::optional<QString> positionalArgumentProblem(const Program &program, const QCommandLineParser &parser)
{
    const QStringList given = parser.positionalArguments();
    const qsizetype expected = program.positionalArguments.size();
    if (given.size() > expected && !(expected > 0 && program.positionalArguments.constLast().repeats))
        return QStringLiteral("Unexpected argument '%1'.").arg(given[expected]);
    if (given.size() < expected)
        return QStringLiteral("Missing argument %1.").arg(program.positionalArguments[given.size()].name);
    return std::nullopt;
}

} // namespace

QStringList arguments(int argc, char *argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

std::optional<int> parse(const Program &program, QCommandLineParser &parser, const QStringList &arguments)
{
    QCoreApplication::setApplicationName(program.name);
    QCoreApplication::setApplicationVersion(QStringLiteral(JOYSTICK_VERSION));

    // Qt's own window options are single-dash words, as -platform.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(program.description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    parser.addOptions({help, version});
    parser.addOptions(program.options);
    for (const PositionalArgument &argument : program.positionalArguments)
        parser.addPositionalArgument(argument.name, argument.description,
                                     argument.repeats ? argument.name + QStringLiteral("...") : argument.name);
    if (program.qtWindowOptions)
        addQtWindowOptions(parser);

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help)) {
        print(stdout, helpText(parser));
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, program.name + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return 0;
    }
    if (const auto problem = positionalArgumentProblem(program, parser))
        return refuse(*problem);
    return std::nullopt;
}

int fail(const QString &message, int exitStatus)
{
    print(stderr, QCoreApplication::applicationName() + QStringLiteral(": ") + message + u'\n');
    return exitStatus;
}

int refuse(const QString &message)
{
    return fail(message, kUsageError);
}

} // namespace commandline
