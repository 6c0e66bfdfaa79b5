// Any bytes as a recording's file, read into the board's statistics: either
// one reason without a control character, or figures that hold together
// and make valid JSON. The same bytes as a file to be continued: a file
// that reads can be, and a refusal says why as any reason does.

#include "fuzzcheck.h"

#include "recording/recordingreader.h"
#include "stickdata/statsreport.h"

#include <QBuffer>
#include <QJsonDocument>

#include <cmath>

namespace {

void checkReason(const QString &reason)
{
    fuzzCheck(!reason.isEmpty(), "a refusal says why");
    for (const QChar character : reason)
        fuzzCheck(character.category() != QChar::Other_Control, "a reason holds no control character");
}

void checkFigures(const BoardStats &stats)
{
    const LinkFigures link = stats.link();
    fuzzCheck((link.sessions > 0) == (link.reports > 0) && link.sessions <= link.reports, "every session has a report");
    fuzzCheck(link.interval.has_value() == (link.reports > link.sessions), "intervals exactly within sessions");
    if (link.interval)
        fuzzCheck(link.interval->sdMs >= 0 && link.interval->maxMs >= link.interval->meanMs - 1e-6
                      && link.interval->meanMs >= 0,
                  "an interval's spread holds together");
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const AxisFigures axis = stats.axis(channel);
        fuzzCheck(axis.min <= axis.max, "an axis's minimum is at most its maximum");
        if (!axis.rest)
            continue;
        fuzzCheck(axis.rest->centre >= axis.min - 1e-6 && axis.rest->centre <= axis.max + 1e-6,
                  "a centre lies within the axis's range");
        fuzzCheck(std::isfinite(axis.rest->noiseSd) && axis.rest->noiseSd >= 0 && axis.rest->noisePp >= 0,
                  "noise is a number, never below 0");
        fuzzCheck(axis.rest->deadZone >= 1, "a dead zone is never 0");
    }
    fuzzCheck(QJsonDocument::fromJson(statsJson(stats)).isObject(), "the figures make one JSON object");
}

void checkContinuing(QByteArray &bytes, bool readable)
{
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const auto point = appendPoint(file);
    if (const auto *refusal = std::get_if<QString>(&point)) {
        fuzzCheck(!readable, "a recording that reads can be continued");
        checkReason(*refusal);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    BoardStats stats;
    RecordingReader reader(stats);
    const auto problem = reader.read(file);
    if (problem)
        checkReason(*problem);
    else
        checkFigures(stats);
    checkContinuing(bytes, !problem);
    return 0;
}
