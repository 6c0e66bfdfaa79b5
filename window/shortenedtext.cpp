#include "window/shortenedtext.h"

#include <QRegularExpression>

namespace {

const QChar kEllipsis(0x2026);

// `word` cut to `longest` characters, the ellipsis counted, never between
// the two halves of a character outside the Basic Multilingual Plane.
QString shortened(const QString &word, qsizetype longest)
{
    qsizetype head = (longest - 1) / 2;
    qsizetype tail = longest - 1 - head;
    if (head > 0 && word.at(head - 1).isHighSurrogate())
        --head;
    if (tail > 0 && word.at(word.size() - tail).isLowSurrogate())
        --tail;
    return word.first(head) + kEllipsis + word.last(tail);
}

} // namespace

QString shortenLongWords(const QString &text, qsizetype longest)
{
    const QRegularExpression longWord(QStringLiteral("\\S{%1,}").arg(longest + 1));
    QString shown;
    qsizetype done = 0;
    for (QRegularExpressionMatchIterator words = longWord.globalMatch(text); words.hasNext();) {
        const QRegularExpressionMatch word = words.next();
        shown += text.sliced(done, word.capturedStart() - done) + shortened(word.captured(), longest);
        done = word.capturedEnd();
    }
    return shown + text.sliced(done);
}
