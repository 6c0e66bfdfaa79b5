#include "recording/appendonlyfile.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <cerrno>
#include <utility>

namespace {

// The errno numbers of the failures a row file tells apart; any other
// failure is an input/output error, in the system's words.
constexpr std::array<std::pair<DWORD, int>, 9> kErrnoNumbers{{
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EBUSY},
    {ERROR_LOCK_VIOLATION, EBUSY},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_NO_DATA, EPIPE},
}};

FileError systemError(DWORD code)
{
    int number = EIO;
    for (const auto &[windowsCode, errnoNumber] : kErrnoNumbers)
        if (windowsCode == code)
            number = errnoNumber;
    return {number, qt_error_string(int(code))};
}

HANDLE handleOf(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

// Opened to write anywhere, so that a failed write can be cut off again
// (append() writes at the end only), and to read the file's size. Others
// may read, write and delete the file meanwhile, as on Linux.
AppendOnlyFile AppendOnlyFile::open(const QString &path)
{
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        FileError error = systemError(GetLastError());
        // Windows refuses to open a folder as it refuses a file it may not write.
        if (error.number == EACCES && QFileInfo(path).isDir())
            error.number = EISDIR;
        return AppendOnlyFile(std::move(error));
    }
    return AppendOnlyFile(reinterpret_cast<qintptr>(handle), true);
}

AppendOnlyFile AppendOnlyFile::standardOutput()
{
    return AppendOnlyFile(reinterpret_cast<qintptr>(GetStdHandle(STD_OUTPUT_HANDLE)), false);
}

AppendOnlyFile::AppendOnlyFile(qintptr handle, bool owned)
    : handle_(handle)
    , owned_(owned)
    , regular_(GetFileType(handleOf(handle)) == FILE_TYPE_DISK)
{
}

// The handle may be open for writing only, as standard output is: the file
// is opened anew through it.
bool AppendOnlyFile::openToRead(QFile &reader) const
{
    const HANDLE copy =
        ReOpenFile(handleOf(handle_), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (copy == INVALID_HANDLE_VALUE)
        return false;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(copy);
        return false;
    }
    return reader.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

qint64 AppendOnlyFile::size() const
{
    LARGE_INTEGER size{};
    return GetFileSizeEx(handleOf(handle_), &size) ? size.QuadPart : 0;
}

// Each write to a file on a disk goes to the file's end, as with
// FILE_APPEND_DATA: two programs appending to one file do not write over
// each other's rows. Pipes and consoles take no position.
FileError AppendOnlyFile::append(const QByteArray &data)
{
    const HANDLE handle = handleOf(handle_);
    qsizetype written = 0;
    while (written < data.size()) {
        OVERLAPPED atEnd{};
        atEnd.Offset = atEnd.OffsetHigh = 0xFFFFFFFF;
        DWORD count = 0;
        const bool ok = WriteFile(handle, data.constData() + written, DWORD(data.size() - written), &count,
                                  regular_ ? &atEnd : nullptr);
        if (ok && count > 0) {
            written += count;
            continue;
        }
        const FileError error = systemError(ok ? ERROR_WRITE_FAULT : GetLastError());
        if (written > 0 && regular_) {
            LARGE_INTEGER rowStart{};
            rowStart.QuadPart = size() - written;
            SetFilePointerEx(handle, rowStart, nullptr, FILE_BEGIN);
            SetEndOfFile(handle);
        }
        return error;
    }
    return {};
}

void AppendOnlyFile::sync()
{
    if (regular_)
        FlushFileBuffers(handleOf(handle_));
}

void AppendOnlyFile::close()
{
    if (owned_ && handle_ != -1)
        CloseHandle(handleOf(handle_));
    handle_ = -1;
}
