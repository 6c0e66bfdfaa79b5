#include "stickdata/numberrule.h"
#include "support/fakeserial.h"
#include "window/ventana.h"

#include <QStringList>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kReports = 64;

// Full reports as the board sends them, "A5" last, with the sticks moving
// across the box and the buttons changing so that every redraw differs.
QStringList deviceReports()
{
    QStringList lines;
    for (int report = 0; report < kReports; ++report) {
        const int x = report * 16;
        const int y = 1023 - report * 16;
        lines << QStringLiteral("A0 %1").arg(x) << QStringLiteral("A1 %1").arg(y)
              << QStringLiteral("A2 %1").arg(y) << QStringLiteral("A3 %1").arg(x)
              << QStringLiteral("A4 %1").arg(report % 2) << QStringLiteral("A5 %1").arg(report % 3 == 0 ? 0 : 1);
    }
    return lines;
}

void BM_InterpretReports(benchmark::State &state)
{
    ventana window(std::make_unique<FakeSerial>());
    window.CLAVE = QStringLiteral("JOYSTICK");
    const QStringList lines = deviceReports();
    for (auto _ : state) {
        for (const QString &line : lines)
            window.analizarIN(line);
    }
    benchmark::DoNotOptimize(window.iA0);
    state.SetItemsProcessed(state.iterations() * lines.size());
    state.counters["reports"] = benchmark::Counter(double(state.iterations() * kReports), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InterpretReports);

void BM_NumberRule(benchmark::State &state)
{
    const QStringList texts{QStringLiteral("512"),    QStringLiteral("1023"),  QStringLiteral("0"),
                            QStringLiteral("12.5"),   QStringLiteral("-3"),    QStringLiteral("1E2"),
                            QStringLiteral("&H1F"),   QStringLiteral(" 7 x"),  QStringLiteral("70000"),
                            QStringLiteral("0.0005")};
    for (auto _ : state) {
        for (const QString &text : texts)
            benchmark::DoNotOptimize(leadingNumberToInt16(text));
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(BM_NumberRule);

} // namespace
