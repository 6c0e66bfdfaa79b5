#include "recording/rowfile.h"

#include "recording/csvrow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <utility>

namespace {

// Open failures said more plainly than the system says them for a file
// opened to be written.
constexpr std::array<std::pair<int, const char *>, 4> kOpenFailures{{
    {ENOTDIR, "a part of the path is no folder"},
    {EISDIR, "it is a folder"},
    {EACCES, "permission denied"},
    {EBUSY, "another program holds it open"},
}};

// A file that cannot be created is mostly one whose folder is missing.
QString openFailure(const QString &path, const FileError &error)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    if (error.number == ENOENT && !folder.exists())
        return QStringLiteral("no such folder %1").arg(folder.path());
    for (const auto &[number, text] : kOpenFailures)
        if (number == error.number)
            return QString::fromLatin1(text);
    return error.reason;
}

} // namespace

RowFile::RowFile(QString name, AppendOnlyFile file)
    : name_(std::move(name))
    , file_(std::move(file))
{
}

std::unique_ptr<RowFile> RowFile::append(const QString &path)
{
    std::unique_ptr<RowFile> file(new RowFile(path, AppendOnlyFile::open(path)));
    if (const FileError &error = file->file_.openError()) {
        file->fail(error.number, openFailure(path, error));
        return file;
    }
    file->startRows();
    return file;
}

// Standard output appended to a file (`>> board.csv`) goes on in it as a
// file named does, rather than putting a second header in its middle.
std::unique_ptr<RowFile> RowFile::standardOutput()
{
    std::unique_ptr<RowFile> file(new RowFile(QStringLiteral("standard output"), AppendOnlyFile::standardOutput()));
    file->startRows();
    return file;
}

// A new or empty file, or one that is no regular file (a terminal, a pipe),
// gets the header; a regular file that holds something must be a recording
// that rows can follow.
void RowFile::startRows()
{
    if (!file_.isRegular() || file_.size() == 0) {
        write(csvHeader());
        return;
    }
    QFile reader;
    if (!file_.openToRead(reader)) {
        fail(0, QStringLiteral("cannot be read to check its header: ") + reader.errorString());
        return;
    }
    std::variant<AppendPoint, QString> point = ::appendPoint(reader);
    if (const auto *problem = std::get_if<QString>(&point))
        fail(0, *problem);
    else
        appendPoint_ = std::get<AppendPoint>(std::move(point));
}

RowFile::~RowFile()
{
    if (isOpen())
        file_.sync();
}

// A write that fails leaves no part of the row in the file. Should even
// taking it back fail, the file is refused for appending later.
bool RowFile::write(const QByteArray &row)
{
    if (!isOpen())
        return false;
    if (const FileError error = file_.append(row)) {
        fail(error.number, error.reason);
        return false;
    }
    return true;
}

void RowFile::fail(int error, const QString &why)
{
    error_ = error;
    problem_ = name_ + QStringLiteral(": ") + why;
    file_.close();
}
