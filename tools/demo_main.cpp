#include "seriallink/comportmap.h"
#include "seriallink/serialportcontrol.h"
#include "tools/boardsim.h"
#include "window/ventana.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>

namespace {

// "--values a0,a1,a2,a3,right,left" freezes the simulated board's report,
// so a screenshot shows known circles.
bool freezeValues(BoardSimulator &board, const QString &text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 6)
        return false;
    std::array<int, 6> values{};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        bool ok = false;
        values[size_t(i)] = fields[i].toInt(&ok);
        if (!ok)
            return false;
    }
    board.setValues(values[0], values[1], values[2], values[3], values[4] != 0, values[5] != 0);
    return true;
}

} // namespace

// The ordinary monitor window with COM 1 and COM 2 absent and a simulated
// board on COM 3, for trying the program without hardware.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("The joystick monitor with a simulated board on COM 3.");
    parser.addHelpOption();
    const QCommandLineOption values("values", "Freeze the board's report at A0,A1,A2,A3,right,left (buttons 1 = pressed).",
                                    "a0,a1,a2,a3,right,left");
    parser.addOption(values);
    parser.process(app);

    BoardSimulator board;
    if (board.slavePath().isEmpty()) {
        std::fprintf(stderr, "cannot create a pseudo-terminal for the simulated board\n");
        return 1;
    }
    if (parser.isSet(values) && !freezeValues(board, parser.value(values))) {
        std::fprintf(stderr, "--values takes six whole numbers separated by commas\n");
        return 2;
    }

    ventana window(std::make_unique<SerialPortControl>(ComPortMap({QString(), QString(), board.slavePath()})));
    window.Form_Load();
    if (window.isUnloaded())
        return 0;
    return app.exec();
}
