#include "app/rowfile.h"

#include "stickdata/csvrow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

// Open failures said more plainly than the system says them for a file
// opened to be written.
constexpr std::array<std::pair<int, const char *>, 3> kOpenFailures{{
    {ENOTDIR, "a part of the path is no folder"},
    {EISDIR, "it is a folder"},
    {EACCES, "permission denied"},
}};

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A file that cannot be created is mostly one whose folder is missing.
QString openFailure(const QString &path, int error)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    if (error == ENOENT && !folder.exists())
        return QStringLiteral("no such folder %1").arg(folder.path());
    for (const auto &[number, text] : kOpenFailures)
        if (number == error)
            return QString::fromLatin1(text);
    return systemReason(error);
}

// Where rows go on in the regular file at `path`, which is not empty, or
// why they cannot follow what it holds.
std::variant<AppendPoint, QString> appendPointOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read to check its header: ") + file.errorString();
    return appendPoint(file);
}

} // namespace

RowFile::RowFile(QString name, int descriptor, bool owned)
    : name_(std::move(name))
    , descriptor_(descriptor)
    , owned_(owned)
{
}

// Opened without waiting, so that a pipe nobody reads is refused rather
// than waited on, then made to wait again for writes.
std::unique_ptr<RowFile> RowFile::append(const QString &path)
{
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    std::unique_ptr<RowFile> file(new RowFile(path, descriptor, true));
    if (descriptor < 0) {
        const int error = errno;
        file->fail(error, openFailure(path, error));
        return file;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    struct stat status {};
    ::fstat(descriptor, &status);
    file->regular_ = S_ISREG(status.st_mode);
    if (!file->regular_ || status.st_size == 0) {
        file->write(csvHeader());
        return file;
    }
    std::variant<AppendPoint, QString> point = appendPointOf(path);
    if (const auto *problem = std::get_if<QString>(&point))
        file->fail(0, *problem);
    else
        file->appendPoint_ = std::get<AppendPoint>(std::move(point));
    return file;
}

std::unique_ptr<RowFile> RowFile::standardOutput()
{
    std::unique_ptr<RowFile> file(new RowFile(QStringLiteral("standard output"), STDOUT_FILENO, false));
    struct stat status {};
    file->regular_ = ::fstat(STDOUT_FILENO, &status) == 0 && S_ISREG(status.st_mode);
    file->write(csvHeader());
    return file;
}

RowFile::~RowFile()
{
    if (isOpen() && regular_)
        ::fsync(descriptor_);
    release();
}

// A write cut short is finished by the next; a write that fails takes back
// what went in of the row, so that the file ends with a whole row. Should
// even that fail, the file is refused for appending later.
bool RowFile::write(const QByteArray &row)
{
    if (!isOpen())
        return false;
    qsizetype written = 0;
    while (written < row.size()) {
        const ssize_t count = ::write(descriptor_, row.constData() + written, size_t(row.size() - written));
        if (count > 0) {
            written += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        const int error = count < 0 ? errno : EIO;
        if (written > 0 && regular_) {
            const off_t end = ::lseek(descriptor_, 0, SEEK_END);
            [[maybe_unused]] const int truncated = ::ftruncate(descriptor_, end - written);
        }
        fail(error, systemReason(error));
        return false;
    }
    return true;
}

void RowFile::fail(int error, const QString &why)
{
    error_ = error;
    problem_ = name_ + QStringLiteral(": ") + why;
    release();
}

void RowFile::release()
{
    if (owned_ && descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}
