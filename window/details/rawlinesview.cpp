#include "window/details/rawlinesview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr QRgb kIgnoredColour = 0xc62828;
constexpr char16_t kIgnoredMark = u'\u2717';
// Longer lines are cut here: a board's lines are a few characters long,
// and a line of thousands would cost its layout at every paint.
constexpr qsizetype kShownCharacters = 200;
constexpr int kTextMargin = 3;

// Controls, invisible format characters (a direction override among them)
// and line or paragraph separators would hide or rearrange what the board
// sent; each is shown as \xNN or \uNNNN instead.
bool needsEscape(QChar character)
{
    switch (character.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString visible(QStringView text)
{
    QString shown;
    for (const QChar character : text) {
        if (!needsEscape(character))
            shown += character;
        else if (character.unicode() < 0x100)
            shown += QStringLiteral("\\x%1").arg(character.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0'));
    }
    return shown;
}

QString shownLine(const ReceivedLine &line)
{
    const QString time = QDateTime::fromMSecsSinceEpoch(line.receivedAt).time().toString(Qt::ISODateWithMs);
    const QChar mark = line.ignored ? QChar(kIgnoredMark) : QChar(u' ');
    const QString shown = visible(QStringView(line.text).left(kShownCharacters));
    QString text = time + QLatin1Char(' ') + mark + QLatin1Char(' ') + shown;
    if (line.text.size() > kShownCharacters)
        text += QStringLiteral("… (%1 characters)").arg(line.text.size());
    return text;
}

} // namespace

RawLinesView::RawLinesView(const LineLog &log, std::shared_ptr<LinkClock> clock, QWidget *parent)
    : QAbstractScrollArea(parent)
    , log_(log)
    , pacer_([this](PresentSchedule::Parts) { showKept(); }, std::move(clock))
{
    // A fixed font laid out without shaping: each new line is laid out when
    // it is first drawn, and shaping took most of what that cost
    // (bench/RESULTS.md).
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleStrategy(QFont::PreferNoShaping);
    setFont(font);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    auto *copy = new QAction(tr("Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, [this] { QApplication::clipboard()->setText(shownText()); });
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void RawLinesView::showNewLines()
{
    if (!paused_ && isVisible())
        pacer_.changed(PresentSchedule::Part::Texts);
}

void RawLinesView::setPaused(bool paused)
{
    paused_ = paused;
    if (!paused_)
        showKept();
}

QString RawLinesView::shownText() const
{
    QStringList lines;
    for (size_t i = 0; i < shown_.size(); ++i)
        lines << shownLine(shown_[i]);
    return lines.join(QLatin1Char('\n'));
}

// The lines kept become the lines shown. At the newest line the view moves
// on to the new newest; elsewhere it stays on the line it shows, unless
// that was dropped.
void RawLinesView::showKept()
{
    if (paused_)
        return;
    const QScrollBar *scroll = verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    const quint64 shownBefore = shownEnd_;
    shown_ = log_.kept();
    shownEnd_ = log_.received();
    const quint64 newestTop = shownEnd_ - std::min<quint64>(shown_.size(), quint64(wholeRows()));
    moveTo(following ? newestTop : std::clamp(topLine_, firstShownLine(), newestTop));
    const qint64 firstNewRow = std::max<qint64>(0, qint64(shownBefore) - qint64(topLine_));
    if (firstNewRow <= wholeRows())
        viewport()->update(0, int(firstNewRow) * lineHeight(), viewport()->width(), viewport()->height());
    placeScrollBar();
}

// Rows already on screen are moved rather than painted again; only the
// rows that come into view are painted. At 20 reports a second that takes
// about a fifth off what the details views cost (figures in
// bench/RESULTS.md).
void RawLinesView::moveTo(quint64 topLine)
{
    const qint64 rows = qint64(topLine) - qint64(topLine_);
    topLine_ = topLine;
    if (rows == 0)
        return;
    if (std::abs(rows) >= wholeRows() + 1)
        viewport()->update();
    else
        viewport()->scroll(0, -int(rows) * lineHeight());
}

void RawLinesView::placeScrollBar()
{
    placingScrollBar_ = true;
    QScrollBar *scroll = verticalScrollBar();
    scroll->setRange(0, int(shown_.size()) - std::min(int(shown_.size()), wholeRows()));
    scroll->setPageStep(wholeRows());
    scroll->setValue(int(topLine_ - firstShownLine()));
    placingScrollBar_ = false;
}

// The user moved the scroll bar.
void RawLinesView::scrollContentsBy(int, int)
{
    if (!placingScrollBar_)
        moveTo(firstShownLine() + quint64(verticalScrollBar()->value()));
}

void RawLinesView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const int height = lineHeight();
    const int ascent = fontMetrics().ascent();
    const QRect dirty = event->rect();
    for (int row = dirty.top() / height; row <= dirty.bottom() / height; ++row) {
        const quint64 line = topLine_ + quint64(row);
        if (line < firstShownLine() || line >= shownEnd_)
            continue;
        const ReceivedLine &received = shown_[line - firstShownLine()];
        painter.setPen(received.ignored ? QColor(kIgnoredColour) : palette().text().color());
        painter.drawText(kTextMargin, row * height + ascent, shownLine(received));
    }
}

// A view at the newest line stays there as it grows or shrinks.
void RawLinesView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (paused_)
        placeScrollBar();
    else
        showKept();
}

void RawLinesView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    showKept();
}

int RawLinesView::lineHeight() const
{
    return qMax(1, fontMetrics().lineSpacing());
}

int RawLinesView::wholeRows() const
{
    return qMax(1, viewport()->height() / lineHeight());
}
