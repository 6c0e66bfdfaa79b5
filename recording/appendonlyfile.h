#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <utility>

// A failure as the system reports it: its errno number, the same on every
// system for the failures a row file tells apart, and the system's words.
struct FileError {
    int number = 0;
    QString reason;

    explicit operator bool() const { return number != 0; }
};

// A file written at its end only, straight to the system, nothing held back
// in the program: what a row file writes through. One implementation per
// system.
class AppendOnlyFile {
public:
    // `path` opened for appending, created when missing; see openError().
    // On Linux a pipe nobody reads is refused rather than waited on.
    static AppendOnlyFile open(const QString &path);
    // The process's standard output, left open when this goes.
    static AppendOnlyFile standardOutput();

    AppendOnlyFile(AppendOnlyFile &&other) noexcept
        : handle_(std::exchange(other.handle_, -1))
        , owned_(other.owned_)
        , regular_(other.regular_)
        , openError_(std::move(other.openError_))
    {
    }
    AppendOnlyFile &operator=(AppendOnlyFile &&other) = delete;
    ~AppendOnlyFile() { close(); }

    // Why the file could not be opened; nothing when it was.
    const FileError &openError() const { return openError_; }
    // A file on a disk, not a terminal, a pipe or a device.
    bool isRegular() const { return regular_; }
    // The size of a regular file.
    qint64 size() const;
    // Opens `reader` on the same regular file, to read back what it holds.
    bool openToRead(QFile &reader) const;

    // Writes all of `data` at the end of the file. Should that fail, what
    // went in of it is cut off again from a regular file.
    FileError append(const QByteArray &data);
    // Waits until what was written to a regular file is on its disk.
    void sync();
    void close();

private:
    // Takes `handle`, closing it when `owned`.
    AppendOnlyFile(qintptr handle, bool owned);
    explicit AppendOnlyFile(FileError openError)
        : openError_(std::move(openError))
    {
    }

    // The descriptor or handle, -1 when none.
    qintptr handle_ = -1;
    bool owned_ = false;
    bool regular_ = false;
    FileError openError_;
};
