#include "recording/appendonlyfile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

FileError systemError(int number)
{
    return {number, QString::fromLocal8Bit(std::strerror(number))};
}

int descriptorOf(qintptr handle)
{
    return int(handle);
}

} // namespace

// Opened without waiting, so that a pipe nobody reads is refused rather
// than waited on, then made to wait again for writes.
AppendOnlyFile AppendOnlyFile::open(const QString &path)
{
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (descriptor < 0)
        return AppendOnlyFile(systemError(errno));
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return AppendOnlyFile(descriptor, true);
}

AppendOnlyFile AppendOnlyFile::standardOutput()
{
    return AppendOnlyFile(STDOUT_FILENO, false);
}

AppendOnlyFile::AppendOnlyFile(qintptr handle, bool owned)
    : handle_(handle)
    , owned_(owned)
{
    struct stat status {};
    regular_ = ::fstat(descriptorOf(handle_), &status) == 0 && S_ISREG(status.st_mode);
}

qint64 AppendOnlyFile::size() const
{
    struct stat status {};
    return ::fstat(descriptorOf(handle_), &status) == 0 ? qint64(status.st_size) : 0;
}

// The descriptor may be open for writing only, as standard output is: the
// file is opened anew through it.
bool AppendOnlyFile::openToRead(QFile &reader) const
{
    reader.setFileName(QStringLiteral("/proc/self/fd/%1").arg(descriptorOf(handle_)));
    return reader.open(QIODevice::ReadOnly);
}

// A write cut short is finished by the next.
FileError AppendOnlyFile::append(const QByteArray &data)
{
    const int descriptor = descriptorOf(handle_);
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t count = ::write(descriptor, data.constData() + written, size_t(data.size() - written));
        if (count > 0) {
            written += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        FileError error = systemError(count < 0 ? errno : EIO);
        if (written > 0 && regular_) {
            const off_t end = ::lseek(descriptor, 0, SEEK_END);
            [[maybe_unused]] const int truncated = ::ftruncate(descriptor, end - written);
        }
        return error;
    }
    return {};
}

void AppendOnlyFile::sync()
{
    if (regular_)
        ::fsync(descriptorOf(handle_));
}

void AppendOnlyFile::close()
{
    if (owned_ && handle_ >= 0)
        ::close(descriptorOf(handle_));
    handle_ = -1;
}
