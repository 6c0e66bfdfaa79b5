#include "recording/recording.h"

#include "stickdata/protocol.h"

#include <QStringList>

#include <chrono>

namespace {

// A board found in the middle of a report completes one without the
// values before it; only a second one without them says that the board
// does not send them.
constexpr int kPartialReportsToName = 2;

QString rowCount(qint64 rows)
{
    return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

QString channelNames(ChannelSet channels)
{
    QStringList names;
    for (size_t channel = 0; channel < channels.size(); ++channel)
        if (channels.test(channel))
            names << QString::fromLatin1(protocol::kTags[channel]);
    return names.join(QStringLiteral(", "));
}

} // namespace

Recording::Recording(Origin origin, std::unique_ptr<RowFile> file, Arrival start)
    : origin_(std::move(origin))
    , file_(std::move(file))
    , start_(start)
    , startSeconds_(file_->appendPoint().secondsAt(start.wall))
    , rows_(QTimeZone::systemTimeZone(), file_->appendPoint().lineEnd)
{
}

void Recording::take(const BoardLine &line)
{
    if (stopped_ || !line.report)
        return;
    if (line.unseen.any())
        waitForWholeReports(line.unseen);
    else
        writeRow(*line.report, line.arrival);
}

void Recording::writeRow(const Report &report, const Arrival &arrival)
{
    const auto sinceStart = std::chrono::floor<std::chrono::milliseconds>(arrival.steady - start_.steady);
    const QByteArray row = rows_.row(arrival.wall, startSeconds_ + sinceStart, origin_(), report);
    if (!file_->write(row)) {
        stop();
        emit failed();
        return;
    }
    ++rowsWritten_;
    if (std::exchange(partialReports_, 0) > 0)
        emit statusChanged();
    emit rowWritten();
}

void Recording::waitForWholeReports(ChannelSet unseen)
{
    const QString before = status();
    lacking_ = unseen;
    ++partialReports_;
    if (status() != before)
        emit statusChanged();
}

void Recording::stop()
{
    stopped_ = true;
}

QString Recording::status() const
{
    if (!file_->isOpen())
        return QStringLiteral("Recording stopped after %1: %2").arg(rowCount(rowsWritten_), file_->problem());
    if (stopped_)
        return QStringLiteral("Recorded %1 to %2").arg(rowCount(rowsWritten_), file_->name());
    QString recording = QStringLiteral("Recording every report to %1").arg(file_->name());
    if (partialReports_ == 0)
        return recording;
    if (partialReports_ < kPartialReportsToName)
        return recording + QStringLiteral("; waiting for a whole report");
    return recording
           + QStringLiteral("; waiting for a whole report: the board sends no %1").arg(channelNames(lacking_));
}

QString Recording::refusal(const RowFile &file)
{
    return QStringLiteral("Not recording: ") + cannotRecordTo(file);
}

QString cannotRecordTo(const RowFile &file)
{
    return QStringLiteral("cannot record to ") + file.problem();
}
