#include "support/eventloop.h"
#include "support/fakeserial.h"
#include "window/ventana.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <benchmark/benchmark.h>

#include <memory>

// The receive path of the window, from a receive event to the redrawn
// sticks: every character goes through MSComm1_OnComm (receive assembly),
// every line through analizarIN, and every "A5" line redraws both pictures.

namespace {

constexpr int kReports = 64;

struct Report {
    QByteArray bytes;
    int x;
    int y;
};

// Full reports as the board puts them on the line, "A5" last and every line
// ended by CR LF, with the sticks moving and the buttons changing so that
// every redraw differs. With `tag` 'B' instead of 'A' the lines have the
// same length but name no channel, so the interpreter drops each after
// splitting it and no control is touched.
QList<Report> deviceReports(char tag = 'A')
{
    QList<Report> reports;
    for (int i = 0; i < kReports; ++i) {
        const int x = i * 16;
        const int y = 1023 - i * 16;
        const QByteArray bytes = QStringLiteral("A0 %1\r\nA1 %2\r\nA2 %2\r\nA3 %1\r\nA4 %3\r\nA5 %4\r\n")
                                     .replace(u'A', QChar::fromLatin1(tag))
                                     .arg(x)
                                     .arg(y)
                                     .arg(i % 2)
                                     .arg(i % 3 == 0 ? 0 : 1)
                                     .toLatin1();
        reports.append({bytes, x, y});
    }
    return reports;
}

qsizetype totalBytes(const QList<Report> &reports)
{
    qsizetype bytes = 0;
    for (const Report &report : reports)
        bytes += report.bytes.size();
    return bytes;
}

// The window with its port set up by its own procedure (COM 1, one
// character per read) and polling stopped, so only received bytes drive it.
struct ReceivingWindow {
    FakeSerial *port = new FakeSerial;
    ventana window{std::unique_ptr<SerialControl>(port)};

    ReceivingWindow()
    {
        window.Timer1->stop();
        window.CLAVE = QStringLiteral("JOYSTICK");
        window.puerto = 1;
        window.serial();
    }

    // Empty when the port is ready to receive one character per event.
    QString setupProblem() const
    {
        if (!port->PortOpen() || !port->calls.contains(QStringLiteral("InputLen=1")))
            return QStringLiteral("the port was not set up to read one character at a time");
        return {};
    }

    // Empty when the last report delivered has reached the window's fields.
    QString resultProblem(const Report &last) const
    {
        if (window.iA0 != last.x || window.iA1 != last.y || window.iA2 != last.y || window.iA3 != last.x)
            return QStringLiteral("the last report did not reach the window");
        return {};
    }
};

void reportThroughput(benchmark::State &state, qsizetype bytesPerIteration)
{
    const auto iterations = int64_t(state.iterations());
    state.SetBytesProcessed(iterations * bytesPerIteration);
    state.SetItemsProcessed(iterations * kReports);
    state.counters["chars_per_second"] =
        benchmark::Counter(double(iterations * bytesPerIteration), benchmark::Counter::kIsRate);
    state.counters["reports_per_second"] = benchmark::Counter(double(iterations * kReports), benchmark::Counter::kIsRate);
}

// Each report is delivered in one read, as a report arriving on its own is;
// the redraw ends with both sticks drawn into the pictures' images, and the
// screen update it asks for is left to the event loop.
void BM_ReceiveReports(benchmark::State &state)
{
    ReceivingWindow receiving;
    if (const QString problem = receiving.setupProblem(); !problem.isEmpty()) {
        state.SkipWithError(qPrintable(problem));
        return;
    }
    const QList<Report> reports = deviceReports();
    for (auto _ : state) {
        for (const Report &report : reports)
            receiving.port->receive(report.bytes);
    }
    if (const QString problem = receiving.resultProblem(reports.last()); !problem.isEmpty())
        state.SkipWithError(qPrintable(problem));
    reportThroughput(state, totalBytes(reports));
}
BENCHMARK(BM_ReceiveReports);

// The same bytes with lines that name no channel: receive assembly and the
// interpreter's split alone, without the text boxes, check boxes and
// pictures. The difference to BM_ReceiveReports is what the controls cost.
void BM_ReceiveUnknownTags(benchmark::State &state)
{
    ReceivingWindow receiving;
    if (const QString problem = receiving.setupProblem(); !problem.isEmpty()) {
        state.SkipWithError(qPrintable(problem));
        return;
    }
    const QList<Report> reports = deviceReports('B');
    for (auto _ : state) {
        for (const Report &report : reports)
            receiving.port->receive(report.bytes);
    }
    if (!receiving.window.linea.isEmpty() || receiving.window.iA0 != 0)
        state.SkipWithError("lines naming no channel were not assembled and dropped");
    reportThroughput(state, totalBytes(reports));
}
BENCHMARK(BM_ReceiveUnknownTags);

// As BM_ReceiveReports with the window on screen, the event loop run after
// every report: the screen is updated as the program updates it, at most
// once per frame of the display, whatever the rate of reports.
void BM_ReceiveReportsPainted(benchmark::State &state)
{
    ReceivingWindow receiving;
    if (const QString problem = receiving.setupProblem(); !problem.isEmpty()) {
        state.SkipWithError(qPrintable(problem));
        return;
    }
    // Shown and left quiet for a while, so the first report is painted at
    // once, as after any quiet spell.
    receiving.window.show();
    runFor(std::chrono::milliseconds(100));
    long long paints = 0;
    PaintWatch watch(receiving.window.Picture1, [&paints] { ++paints; });
    const QList<Report> reports = deviceReports();
    for (auto _ : state) {
        for (const Report &report : reports) {
            receiving.port->receive(report.bytes);
            QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
    if (const QString problem = receiving.resultProblem(reports.last()); !problem.isEmpty())
        state.SkipWithError(qPrintable(problem));
    else if (paints == 0)
        state.SkipWithError("the window was never painted");
    reportThroughput(state, totalBytes(reports));
}
BENCHMARK(BM_ReceiveReportsPainted);

} // namespace
