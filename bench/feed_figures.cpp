#include "figures.h"

#include "session/detailsfeed.h"
#include "session/session.h"
#include "tests/support/fakeserial.h"
#include "tests/support/monitor.h"
#include "window/details/detailswindow.h"

#include <QElapsedTimer>

#include <memory>

// What one line costs the board's side in this process, its reports fed to
// an in-memory port as fast as they are taken: the session alone (the line
// assembled, interpreted and stamped), with the details feed (statistics,
// recent reports and lines kept), and with the details window too, hidden.
// Instructions, which a busy machine does not change, come from
//   valgrind --tool=callgrind joystick-process-bench feed 20000
//   callgrind_annotate --inclusive=yes callgrind.out.* | grep nanosecondsALine

namespace {

enum class Stage { Session, Feed, HiddenWindow };

// A function a stage, so that a profile (callgrind) tells them apart.
template <Stage stage>
double nanosecondsALine(int reports)
{
    auto serial = std::make_unique<FakeSerial>();
    FakeSerial &port = *serial;
    BoardSession session(fixedPorts({QStringLiteral("memory")}), std::move(serial), testTiming());
    std::unique_ptr<DetailsFeed> feed;
    std::unique_ptr<DetailsWindow> window;
    if constexpr (stage != Stage::Session)
        feed = std::make_unique<DetailsFeed>(session);
    if constexpr (stage == Stage::HiddenWindow)
        window = std::make_unique<DetailsWindow>(*feed);
    session.link().buscarPuerto();
    port.receive("JOYSTICK\r\n");
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < reports; ++i)
        port.receive(QByteArray("A0 ") + QByteArray::number(100 + i % 800)
                     + "\r\nA1 512\r\nA2 300\r\nA3 700\r\nA4 1\r\nA5 " + (i % 8 ? "1" : "0") + "\r\n");
    return double(clock.nsecsElapsed()) / (6.0 * reports);
}

} // namespace

int feedFigures(const QStringList &arguments)
{
    const int reports = CommandArguments(arguments).number(0, 200'000);
    FigureTable table;
    const double session = nanosecondsALine<Stage::Session>(reports);
    const double feed = nanosecondsALine<Stage::Feed>(reports);
    const double window = nanosecondsALine<Stage::HiddenWindow>(reports);
    table.row(QStringLiteral("a line through the session alone"), QStringLiteral("%1 ns").arg(fixed(session, 0)));
    table.row(QStringLiteral("with the details feed: what it adds"),
              QStringLiteral("%1 ns").arg(fixed(feed - session, 0)));
    table.row(QStringLiteral("with the details window hidden: what it adds"),
              QStringLiteral("%1 ns").arg(fixed(window - feed, 0)));
    return 0;
}
