#include "stickdata/statsreport.h"

#include "stickdata/protocol.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>

namespace {

QString tag(int channel)
{
    return QString::fromLatin1(protocol::kTags[size_t(channel)]);
}

// A figure with `decimals` places, or "-" without one.
QString text(std::optional<double> value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QStringLiteral("-");
}

QJsonValue json(std::optional<double> value, int decimals)
{
    const double scale = std::pow(10, decimals);
    return value ? QJsonValue(std::round(*value * scale) / scale) : QJsonValue(QJsonValue::Null);
}

constexpr int kColumnWidth = 11;

QString intervalText(const LinkFigures &link)
{
    if (!link.interval)
        return QStringLiteral("-");
    return QStringLiteral("mean %1 ms, sd %2 ms, max %3 ms")
        .arg(text(link.interval->meanMs, 2), text(link.interval->sdMs, 2), text(link.interval->maxMs, 0));
}

QString axisRow(const QString &first, const std::function<QString(size_t column)> &cell)
{
    QString row = first.leftJustified(6);
    for (size_t column = 0; column < std::size(kAxisColumns); ++column)
        row += cell(column).rightJustified(kColumnWidth);
    return row + u'\n';
}

} // namespace

AxisValues axisValues(const BoardStats &stats, int channel)
{
    const AxisFigures axis = stats.axis(channel);
    AxisValues values{};
    if (stats.link().reports > 0) {
        values[0] = axis.min;
        values[1] = axis.max;
    }
    if (const auto &rest = axis.rest) {
        const std::array<double, 6> known{rest->centre,           rest->noiseSd,   double(rest->noisePp),
                                          double(rest->deadZone), rest->spanBelow, rest->spanAbove};
        std::copy(known.begin(), known.end(), values.begin() + 2);
    }
    return values;
}

QString statsTable(const BoardStats &stats)
{
    const LinkFigures link = stats.link();
    QString table = QStringLiteral("reports   %1 in %2 session%3\n")
                        .arg(link.reports)
                        .arg(link.sessions)
                        .arg(link.sessions == 1 ? "" : "s");
    table += QStringLiteral("rate      %1 reports a second\n").arg(text(link.rate, 2));
    table += QStringLiteral("interval  %1\n\n").arg(intervalText(link));
    table += axisRow(QStringLiteral("axis"),
                     [](size_t column) { return QString::fromLatin1(kAxisColumns[column].heading); });
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const AxisValues values = axisValues(stats, channel);
        table +=
            axisRow(tag(channel), [&](size_t column) { return text(values[column], kAxisColumns[column].decimals); });
    }
    table += u'\n';
    for (int channel = BoardModel::kFirstButton; channel < BoardModel::kChannelCount; ++channel)
        table += QStringLiteral("%1 presses %2\n").arg(tag(channel)).arg(stats.presses(channel));
    return table;
}

QByteArray statsJson(const BoardStats &stats)
{
    const LinkFigures link = stats.link();
    const auto interval = [&](double IntervalFigures::*figure) {
        return json(link.interval ? std::optional<double>((*link.interval).*figure) : std::nullopt, 3);
    };
    QJsonObject axes;
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const AxisValues values = axisValues(stats, channel);
        QJsonObject axis;
        for (size_t column = 0; column < values.size(); ++column) {
            const AxisColumn &named = kAxisColumns[column];
            axis[QLatin1StringView(named.key)] = json(values[column], named.decimals);
        }
        axes[tag(channel)] = axis;
    }
    QJsonObject buttons;
    for (int channel = BoardModel::kFirstButton; channel < BoardModel::kChannelCount; ++channel)
        buttons[tag(channel)] = QJsonObject{{QStringLiteral("presses"), qint64(stats.presses(channel))}};
    const QJsonObject all{
        {QStringLiteral("reports"), qint64(link.reports)},
        {QStringLiteral("sessions"), qint64(link.sessions)},
        {QStringLiteral("rate"), json(link.rate, 3)},
        {QStringLiteral("interval_ms"), QJsonObject{{QStringLiteral("mean"), interval(&IntervalFigures::meanMs)},
                                                    {QStringLiteral("sd"), interval(&IntervalFigures::sdMs)},
                                                    {QStringLiteral("max"), interval(&IntervalFigures::maxMs)}}},
        {QStringLiteral("axes"), axes},
        {QStringLiteral("buttons"), buttons},
    };
    return QJsonDocument(all).toJson(QJsonDocument::Indented);
}
