#pragma once

#include "recording/appendonlyfile.h"
#include "recording/recordingreader.h"

#include <QByteArray>
#include <QString>

#include <memory>

// A file of CSV rows written straight to the system: every row in one
// write of its own, nothing held back in the program, so that a reader, a
// crash or a kill never finds part of a row in it.
class RowFile {
public:
    // `path` opened for appending, created when missing. A new or empty
    // file, or one that is no regular file (a terminal, a pipe), gets the
    // header; a recording that starts with the header and ends with a whole
    // row is appended to, in its own line ends; any other file is refused,
    // and nothing is written to it.
    static std::unique_ptr<RowFile> append(const QString &path);
    // Standard output, taken as append() takes a file.
    static std::unique_ptr<RowFile> standardOutput();

    // Syncs a regular file to its disk, and closes the file if it was opened here.
    ~RowFile();
    RowFile(const RowFile &) = delete;
    RowFile &operator=(const RowFile &) = delete;

    // Whether rows can go in: not once opening or a write has failed.
    bool isOpen() const { return problem_.isEmpty(); }
    // What failed, naming the file; empty while it is open.
    const QString &problem() const { return problem_; }
    // That failure's errno number, on every system; 0 for a file refused
    // for what it holds.
    int error() const { return error_; }
    const QString &name() const { return name_; }
    // Where the rows written go on from: the last row of a file appended
    // to, or nothing before them in CRLF.
    const AppendPoint &appendPoint() const { return appendPoint_; }

    // Writes `row` whole, or nothing of it into a regular file: a write
    // that fails leaves the file as it was before the row and takes the
    // file out of use. False when `row` did not go in.
    bool write(const QByteArray &row);

private:
    RowFile(QString name, AppendOnlyFile file);

    void startRows();
    void fail(int error, const QString &why);

    QString name_;
    AppendOnlyFile file_;
    QString problem_;
    int error_ = 0;
    AppendPoint appendPoint_;
};
