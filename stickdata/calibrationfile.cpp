#include "stickdata/calibrationfile.h"

#include "stickdata/protocol.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <utility>

namespace {

// Far more than joystick-stats writes, a kilobyte or two; reading stops
// there, so that a device or a huge file given by mistake is refused
// rather than read whole.
constexpr qint64 kLargestFile = 1024 * 1024;

// A value that is not a number, as a refusal shows it.
QString shown(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::String:
        return u'"' + value.toString() + u'"';
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QString::number(value.toDouble());
    }
}

// One axis's object in "axes", and what it says.
class AxisEntry {
public:
    AxisEntry(QString tag, QJsonObject figures)
        : tag_(std::move(tag))
        , figures_(std::move(figures))
    {
    }

    // The figure `key`, when it is there: a number, or null where
    // `nullable`. Only the range is not, and it is null when the
    // statistics saw no report.
    std::variant<std::optional<double>, QString> figure(const char *key, bool nullable) const
    {
        const QJsonValue value = figures_.value(QLatin1StringView(key));
        if (value.isUndefined())
            return QStringLiteral("%1 has no \"%2\"").arg(tag_, QLatin1StringView(key));
        if (value.isDouble())
            return value.toDouble();
        if (value.isNull() && nullable)
            return std::nullopt;
        if (value.isNull())
            return QStringLiteral("%1's %2 is null: the statistics saw no report").arg(tag_, QLatin1StringView(key));
        return QStringLiteral("%1's %2 is not a number: %3").arg(tag_, QLatin1StringView(key), shown(value));
    }

    // The range, centre and dead zone, or why they are not there.
    std::variant<AxisCalibration, QString> calibration(QStringList &notes) const
    {
        std::array<std::optional<double>, 4> numbers;
        const std::array<const char *, 4> keys{"min", "max", "centre", "dead_zone"};
        for (size_t i = 0; i < keys.size(); ++i) {
            auto read = figure(keys[i], i >= 2);
            if (const auto *problem = std::get_if<QString>(&read))
                return *problem;
            numbers[i] = std::get<std::optional<double>>(read);
        }
        const auto [min, max, centre, deadZone] = numbers;
        if (!(*min < *max))
            return QStringLiteral("%1's min %2 is not below its max %3").arg(tag_).arg(*min).arg(*max);
        if (!centre) {
            notes << QStringLiteral("%1 has no centre (its stick never rested): the middle of its range, no dead zone")
                         .arg(tag_);
            return AxisCalibration{*min, *max, (*min + *max) / 2, 0};
        }
        if (!deadZone)
            return QStringLiteral("%1's dead_zone is null, yet its centre is %2").arg(tag_).arg(*centre);
        if (*deadZone < 0)
            return QStringLiteral("%1's dead_zone %2 is negative").arg(tag_).arg(*deadZone);
        return AxisCalibration{*min, *max, *centre, *deadZone};
    }

private:
    QString tag_;
    QJsonObject figures_;
};

} // namespace

std::variant<BoardCalibration, QString> calibrationFromJson(QByteArrayView json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("not JSON (%1 at offset %2)").arg(error.errorString()).arg(error.offset);
    const QJsonValue axes = document.object().value(QStringLiteral("axes"));
    if (!axes.isObject())
        return QStringLiteral("no \"axes\" object: is it joystick-stats --json output?");
    BoardCalibration calibration;
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const auto tag = QString::fromLatin1(protocol::kTags[size_t(channel)]);
        const QJsonValue figures = axes.toObject().value(tag);
        if (figures.isUndefined())
            return QStringLiteral("no %1 in \"axes\"").arg(tag);
        if (!figures.isObject())
            return QStringLiteral("%1 in \"axes\" is not an object: %2").arg(tag, shown(figures));
        auto axis = AxisEntry(tag, figures.toObject()).calibration(calibration.notes);
        if (const auto *problem = std::get_if<QString>(&axis))
            return *problem;
        calibration.axes[size_t(channel)] = std::get<AxisCalibration>(axis);
    }
    return calibration;
}

std::variant<BoardCalibration, QString> readCalibrationFile(const QString &path)
{
    const auto refusal = [&](const QString &problem) { return path + QStringLiteral(": ") + problem; };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refusal(file.errorString());
    const QByteArray json = file.read(kLargestFile + 1);
    if (json.size() > kLargestFile)
        return refusal(QStringLiteral("larger than a megabyte: no calibration"));
    auto calibration = calibrationFromJson(json);
    if (const auto *problem = std::get_if<QString>(&calibration))
        return refusal(*problem);
    return calibration;
}
