#include "recording/recording.h"

#include <chrono>

namespace {

QString rowCount(qint64 rows)
{
    return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(rows);
}

} // namespace

Recording::Recording(const BoardModel &model, Origin origin, std::unique_ptr<RowFile> file)
    : model_(model)
    , origin_(std::move(origin))
    , file_(std::move(file))
    , startSeconds_(file_->appendPoint().secondsAt(std::chrono::system_clock::now()))
    , rows_(QTimeZone::systemTimeZone(), file_->appendPoint().lineEnd)
{
    clock_.start();
    connect(&model_, &BoardModel::reportCompleted, this, &Recording::write);
}

void Recording::write(const Report &report)
{
    const QByteArray row =
        rows_.row(std::chrono::system_clock::now(), startSeconds_ + std::chrono::milliseconds(clock_.elapsed()),
                  origin_(), report);
    if (!file_->write(row)) {
        stop();
        emit failed();
        return;
    }
    ++rowsWritten_;
    emit rowWritten();
}

void Recording::stop()
{
    stopped_ = true;
    disconnect(&model_, nullptr, this, nullptr);
}

QString Recording::status() const
{
    if (!file_->isOpen())
        return QStringLiteral("Recording stopped after %1: %2").arg(rowCount(rowsWritten_), file_->problem());
    if (stopped_)
        return QStringLiteral("Recorded %1 to %2").arg(rowCount(rowsWritten_), file_->name());
    return QStringLiteral("Recording every report to %1").arg(file_->name());
}

QString Recording::refusal(const RowFile &file)
{
    return QStringLiteral("Not recording: ") + cannotRecordTo(file);
}

QString cannotRecordTo(const RowFile &file)
{
    return QStringLiteral("cannot record to ") + file.problem();
}
