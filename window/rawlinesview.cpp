#include "window/rawlinesview.h"

#include <QAbstractListModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QDateTime>
#include <QFontDatabase>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr QRgb kIgnoredColour = 0xc62828;
constexpr char16_t kIgnoredMark = u'\u2717';

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

QString visible(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), needsEscape))
        return text;
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
    return time + QLatin1Char(' ') + mark + QLatin1Char(' ') + visible(line.text);
}

} // namespace

// The lines as last shown; only the rows in view are ever formatted.
class ReceivedLinesModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void show(const Ring<ReceivedLine> &lines)
    {
        beginResetModel();
        lines_ = lines;
        endResetModel();
    }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(lines_.size()); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const ReceivedLine &line = lines_[size_t(index.row())];
        if (role == Qt::DisplayRole)
            return shownLine(line);
        if (role == Qt::ForegroundRole && line.ignored)
            return QColor(kIgnoredColour);
        return {};
    }

private:
    Ring<ReceivedLine> lines_{RawLinesView::kKeptLines};
};

// Draws a line's text in its colour, over the highlight when selected: the
// style's item drawing lays out icons, check boxes and elision for every
// row, which costs several times more for rows that have none.
class PlainLineDelegate final : public QAbstractItemDelegate {
public:
    using QAbstractItemDelegate::QAbstractItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const QVariant colour = index.data(Qt::ForegroundRole);
        painter->setPen(selected            ? option.palette.highlightedText().color()
                        : colour.isValid() ? colour.value<QColor>()
                                           : option.palette.text().color());
        painter->drawText(option.rect.adjusted(kTextMargin, 0, 0, 0), Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data().toString());
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {option.fontMetrics.horizontalAdvance(index.data().toString()) + 2 * kTextMargin,
                option.fontMetrics.height()};
    }

private:
    static constexpr int kTextMargin = 3;
};

RawLinesView::RawLinesView(QWidget *parent)
    : QWidget(parent)
    , model_(new ReceivedLinesModel(this))
    , list_(new QListView(this))
    , pacer_(PresentSchedule::Part::Texts, [this] { showKept(); })
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    list_->setModel(model_);
    list_->setUniformItemSizes(true);
    list_->setItemDelegate(new PlainLineDelegate(list_));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *copy = new QAction(tr("Copy"), list_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &RawLinesView::copySelection);
    list_->addAction(copy);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void RawLinesView::append(ReceivedLine line)
{
    kept_.push(std::move(line));
    if (!paused_)
        pacer_.changed();
}

void RawLinesView::setPaused(bool paused)
{
    paused_ = paused;
    if (!paused_)
        pacer_.changed();
}

void RawLinesView::clear()
{
    kept_.clear();
    pacer_.changed();
}

// The view shows the kept lines anew, and stays at the newest line when it
// was there.
void RawLinesView::showKept()
{
    if (paused_)
        return;
    QScrollBar *const scroll = list_->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    model_->show(kept_);
    if (following)
        list_->scrollToBottom();
}

// In the order shown, whatever order they were selected in.
void RawLinesView::copySelection() const
{
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (const QModelIndex &row : rows)
        lines << row.data().toString();
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}
