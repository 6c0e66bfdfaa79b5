#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// A recording as its file holds it: the header, each row split into its
// fields (none of them quoted), and whether every line ends with CRLF.
struct RecordedFile {
    QByteArray header;
    QList<QList<QByteArray>> rows;
    bool whole = false;

    // A row's A0 to A5, as written.
    static QList<QByteArray> values(const QList<QByteArray> &row) { return row.mid(4); }
};

inline RecordedFile readRecording(const QString &path)
{
    RecordedFile recorded;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return recorded;
    QList<QByteArray> lines = file.readAll().split('\n');
    recorded.whole = lines.takeLast().isEmpty();
    for (QByteArray &line : lines) {
        recorded.whole = recorded.whole && line.endsWith('\r');
        line.chop(1);
    }
    if (!lines.isEmpty())
        recorded.header = lines.takeFirst();
    for (const QByteArray &line : lines)
        recorded.rows.append(line.split(','));
    return recorded;
}
