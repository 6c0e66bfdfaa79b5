#include "figures.h"

#include "stickdata/boardstats.h"

#include <cmath>
#include <cstdio>
#include <random>

// The board's statistics: what they cost a report, and which streams the
// rest band's width takes as a stick at rest.

using namespace std::chrono;

namespace {

// 10 s of the left stick at `rate` reports a second, its readings rounded
// from Gaussian noise of `sd` counts: at rest at a centre of its own, or
// with A0 moving at `speed` units a second. Whether it was seen at rest.
bool restSeen(int halfBand, double rate, double sd, double speed, std::mt19937 &random)
{
    BoardStats stats(halfBand);
    std::normal_distribution<double> noise(0, sd);
    const double centre = std::uniform_real_distribution<double>(400, 600)(random);
    for (int i = 0; i < int(rate * 10); ++i) {
        const auto reading = [&](double value) { return int16_t(std::lround(value + noise(random))); };
        const Report report{quint64(i),
                            {reading(speed > 0 ? 250 + speed * i / rate : centre), reading(centre), 0, 0},
                            {}};
        stats.addReport(report, nanoseconds(qint64(i * 1e9 / rate)));
    }
    return stats.axis(0).rest.has_value();
}

} // namespace

// Reports 1 ms apart (most skipped by the rest detector) and 50 ms apart
// (none skipped), half of them at rest, half moving.
int statsCostFigures(const QStringList &arguments)
{
    const int reports = CommandArguments(arguments).number(0, 20'000'000);
    std::mt19937 random(1);
    std::vector<Report> stream(4096);
    for (size_t i = 0; i < stream.size(); ++i) {
        const auto a0 = int16_t(i < 2048 ? 512 + int(random() % 5) : 512 + 400 * std::sin(double(i) / 100));
        stream[i] = {i, {a0, int16_t(510 + int(random() % 5)), 300, 700}, {i % 64 < 8, false}};
    }
    FigureTable table;
    for (const milliseconds gap : {1ms, 50ms}) {
        BoardStats stats;
        const double before = cpuSecondsOf(QStringLiteral("self"));
        for (int i = 0; i < reports; ++i)
            stats.addReport(stream[size_t(i) % stream.size()], gap * i);
        const double ns = (cpuSecondsOf(QStringLiteral("self")) - before) / reports * 1e9;
        table.row(QStringLiteral("Statistics (%1 bytes) fed %2 reports %3 ms apart")
                      .arg(sizeof(BoardStats))
                      .arg(reports)
                      .arg(gap.count()),
                  QStringLiteral("%1 ns of CPU a report").arg(fixed(ns, 1)),
                  target(QStringLiteral("< 1000 ns"), ns < 1000));
    }
    return 0;
}

// For each half width, the % of `trials` streams taken as a rest: noisy
// rests (should be all) and slow sweeps with quiet noise (should be none).
int restBandFigures(const QStringList &arguments)
{
    const int trials = CommandArguments(arguments).number(0, 100);
    const std::vector<std::pair<double, double>> streams{{0.5, 0}, {1, 0},    {2, 0},    {3, 0},    {4, 0},
                                                         {0.5, 5}, {0.5, 10}, {0.5, 20}, {0.5, 30}, {0.5, 50}};
    std::mt19937 random(1);
    for (const double rate : {5.0, 20.0, 1000.0}) {
        std::printf("\nAt %g reports a second, %% of %d streams of 10 s taken as a rest:\n\n| Half band |", rate,
                    trials);
        for (const auto &[sd, speed] : streams)
            speed > 0 ? std::printf(" sweep %g/s |", speed) : std::printf(" rest, SD %g |", sd);
        std::printf("\n|---|---|---|---|---|---|---|---|---|---|---|\n");
        for (const int halfBand : {2, 4, 6, 8, 9, 10, 11, 12, 16}) {
            std::printf("| +-%d |", halfBand);
            for (const auto &[sd, speed] : streams) {
                int seen = 0;
                for (int trial = 0; trial < trials; ++trial)
                    seen += restSeen(halfBand, rate, sd, speed, random);
                std::printf(" %d |", 100 * seen / trials);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    return 0;
}
