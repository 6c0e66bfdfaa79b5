#include "figures.h"

#include "stickdata/interpreter.h"
#include "support/eventloop.h"
#include "support/monitor.h"
#include "window/historyplot.h"
#include "window/rawlinesview.h"
#include "window/stickview.h"

#include <QDateTime>
#include <QGridLayout>

#include <array>

// What the details views cost beside the main window, fed with every
// report and line of a board that sends unasked.

using namespace std::chrono_literals;

namespace {

// The plot over both sticks and the lines, in a window of their own.
struct DetailViews {
    QWidget window;
    HistoryPlot *plot = new HistoryPlot;
    StickView *left = new StickView(kLeftStick);
    StickView *right = new StickView(kRightStick);
    RawLinesView *lines = new RawLinesView;

    explicit DetailViews(Monitor &monitor)
    {
        auto *grid = new QGridLayout(&window);
        grid->addWidget(plot, 0, 0, 1, 3);
        grid->addWidget(left, 1, 0);
        grid->addWidget(right, 1, 1);
        grid->addWidget(lines, 1, 2);
        window.resize(1100, 800);
        QObject::connect(&monitor.model, &BoardModel::reportCompleted, &window, [this](const Report &report) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            for (StickView *stick : {left, right})
                stick->add(now, report);
            plot->add(now, report);
        });
        QObject::connect(&monitor.link, &Link::lineReceived, &window, [this](const QString &line) {
            const bool ignored = std::holds_alternative<std::monostate>(analizarIN(line));
            lines->append({QDateTime::currentMSecsSinceEpoch(), line, ignored});
        });
        window.show();
    }
};

} // namespace

// The monitor alone, then with the views, on a board of its own at each
// rate: the CPU of this process, and the plot's repaints a second.
int viewFigures(const QStringList &arguments)
{
    const std::chrono::seconds span(argument(arguments, 0, 20));
    const QStringList rates = arguments.size() > 1 ? arguments.mid(1) : QStringList{"20", "1000"};
    FigureTable table;
    for (const QString &rate : rates) {
        std::array<double, 2> percent{};
        double paintsPerSecond = 0;
        for (const bool withViews : {false, true}) {
            BoardProcess board({QStringLiteral("--rate"), rate, QStringLiteral("--no-answer")});
            Monitor monitor({board.slavePath()}, LinkTiming{});
            std::optional<DetailViews> views;
            if (withViews)
                views.emplace(monitor);
            long long paints = 0;
            std::optional<PaintWatch> watch;
            if (views)
                watch.emplace(views->plot, [&] { ++paints; });
            monitor.program.start();
            if (!runUntil([&] { return monitor.link.state() == LinkState::Polling; }, 10s))
                return failed("the board was not found");
            runFor(2s);
            paints = 0;
            const CostOverTime cost = costOver(QStringLiteral("self"), span);
            percent[withViews] = 100 * cost.cpuSeconds / cost.seconds;
            paintsPerSecond = double(paints) / cost.seconds;
        }
        const double ratio = percent[1] / percent[0];
        table.row(QStringLiteral("%1 reports/s sent unasked, the monitor alone then with the details views, 2 × %2 s")
                      .arg(rate)
                      .arg(span.count()),
                  QStringLiteral("CPU %1 % of one core alone, %2 % with the views (× %3); the plot painted %4 times/s")
                      .arg(percent[0], 0, 'f', 2)
                      .arg(percent[1], 0, 'f', 2)
                      .arg(ratio, 0, 'f', 2)
                      .arg(paintsPerSecond, 0, 'f', 1),
                  target(QStringLiteral("≤ 3 × the monitor alone, ≤ 25 paints/s"),
                         ratio <= 3 && paintsPerSecond <= 25.5));
    }
    return 0;
}
