#pragma once

#include "stickdata/boardstats.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <chrono>
#include <optional>
#include <variant>

// Reads recordings, the CSV files of the monitor's recording and of
// joystick-log, into the board's statistics: the header (with CRLF or LF,
// with or without a UTF-8 byte order mark), then one row a report, as RFC
// 4180 writes them; blank lines are skipped.
//
// A file may hold several sessions, appended one after another. A new one
// begins where `seconds` goes back (files that restart it at 0 for each
// session) or where `seconds` or `time` moves on by more than kSessionGap:
// longer than the monitor lets a board stay silent before it takes it as
// lost, so such a gap is a board lost and found again, or a recording
// continued later. Each file begins a session of its own; no interval or
// rest spans two sessions.
class RecordingReader {
public:
    static constexpr std::chrono::seconds kSessionGap{5};
    // Far longer than any row: a device path is at most 4096 bytes.
    static constexpr qsizetype kLongestRow = 64 * 1024;

    explicit RecordingReader(BoardStats &stats);

    // Feeds the rows of `file` to the statistics. When the file is no
    // recording, says why in a few words, naming what was found; the rows
    // before the problem have been fed by then.
    std::optional<QString> read(QIODevice &file);

private:
    struct Row {
        // Since the epoch, and since the recording began.
        std::chrono::milliseconds time{};
        std::chrono::milliseconds seconds{};
        Report report;
    };

    std::optional<QString> readRecord(QIODevice &file, QByteArray &record, bool &more);
    std::optional<QString> parseRow(QByteArrayView record, Row &row) const;
    bool startsSession(const Row &row) const;
    void take(const Row &row);

    BoardStats &stats_;
    // The file's lines, counting from 1: where the record being read
    // begins, and the line after those read.
    qint64 line_ = 0;
    qint64 nextLine_ = 1;
    // The line read last, its memory kept for the next.
    QByteArray lineRead_;
    std::optional<Row> previous_;
};

// Where rows added to a recording go on from: the line end its file uses,
// and its last row's `seconds` and `time` (since the epoch), if it has one.
struct AppendPoint {
    QByteArray lineEnd = "\r\n";
    std::chrono::milliseconds seconds{0};
    std::optional<std::chrono::milliseconds> time;

    // `seconds` for a row at `now`: the last row's, plus the time passed
    // since it, so that `seconds` never goes back and keeps matching
    // `time`. When the last row's time does not read, or lies ahead of
    // `now`, no time is taken to have passed.
    std::chrono::milliseconds secondsAt(std::chrono::system_clock::time_point now) const;

    bool operator==(const AppendPoint &) const = default;
};

// Whether rows may be added to the end of the recording `file` holds, which
// is not empty: where they go on from, or why not, naming what was found.
// It may when its first line is the header (CRLF or LF, with or without a
// UTF-8 byte order mark) and it ends with a whole row, or with the header.
// Reads the first line and the last row only.
std::variant<AppendPoint, QString> appendPoint(QIODevice &file);
