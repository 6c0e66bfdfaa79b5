#include "app/recording.h"

#include <chrono>

Recording::Recording(BoardSession &session, std::unique_ptr<RowFile> file)
    : session_(session)
    , file_(std::move(file))
{
    clock_.start();
    connect(&session_.model, &BoardModel::reportCompleted, this, &Recording::write);
}

void Recording::write(const Report &report)
{
    const QByteArray row =
        rows_.row(std::chrono::system_clock::now(), std::chrono::milliseconds(clock_.elapsed()), origin(), report);
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
    disconnect(&session_.model, nullptr, this, nullptr);
}

ReportOrigin Recording::origin() const
{
    const int16_t port = session_.link.port();
    return {port, session_.ports->devicePath(port)};
}
