#include "window/details/historyplot.h"

#include "window/details/tracestyle.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <array>
#include <utility>

using namespace std::chrono_literals;

namespace {

// Reports further apart than this are not joined by a line: the board was
// silent or lost in between. A polled board answers five times a second.
constexpr HistoryPlot::Time kLongestJoin = 1s;
constexpr HistoryPlot::Time kTimeMark = 5s;
constexpr std::array<int16_t, 5> kValueMarks{0, 256, 512, 768, 1023};
constexpr double kFullScale = 1023;
constexpr int kGap = 6;
constexpr int kSwatch = 16;

double secondsOf(HistoryPlot::Time time)
{
    return std::chrono::duration<double>(time).count();
}

// Where `value` goes on the fixed scale over `area`: 1023 at its top, 0 at
// its bottom.
double yOf(const QRectF &area, int16_t value)
{
    return area.bottom() - value * area.height() / kFullScale;
}

void drawRun(QPainter &painter, const QPolygonF &run)
{
    if (run.size() == 1)
        painter.drawPoint(run.front());
    else
        painter.drawPolyline(run);
}

// An axis on the scale of `area`, its first column at `left`: a line
// through the columns, broken where they are not joined, going in each
// column from its first value through its extremes to its last.
void drawAxis(QPainter &painter, const std::vector<PlotColumn> &columns, size_t channel, double left,
              const QRectF &area)
{
    QPolygonF run;
    for (size_t index = 0; index < columns.size(); ++index) {
        const PlotColumn &column = columns[index];
        if (column.empty)
            continue;
        if (!column.joinsPrevious && !run.isEmpty()) {
            drawRun(painter, run);
            run.clear();
        }
        const double x = left + double(index) + 0.5;
        for (const int16_t value :
             {column.first[channel], column.low[channel], column.high[channel], column.last[channel]})
            if (const QPointF point(x, yOf(area, value)); run.isEmpty() || run.back() != point)
                run << point;
    }
    if (!run.isEmpty())
        drawRun(painter, run);
}

// A button's lane filled from each column where it was pressed to where
// it was next seen up, or to the next break in the reports.
void drawButton(QPainter &painter, const std::vector<PlotColumn> &columns, size_t channel, double left,
                const QRectF &lane, const QColor &colour)
{
    bool pressed = false;
    size_t pressedFrom = 0;
    size_t lastSeen = 0;
    const auto fillTo = [&](size_t to) {
        const QRectF pressedPart(left + double(pressedFrom), lane.top(), double(to - pressedFrom), lane.height());
        painter.fillRect(pressedPart, colour);
        pressed = false;
    };
    for (size_t index = 0; index < columns.size(); ++index) {
        const PlotColumn &column = columns[index];
        if (column.empty)
            continue;
        if (pressed && !column.joinsPrevious)
            fillTo(lastSeen + 1);
        if (!pressed && column.high[channel]) {
            pressed = true;
            pressedFrom = index;
        }
        if (pressed && !column.last[channel])
            fillTo(index + 1);
        lastSeen = index;
    }
    if (pressed)
        fillTo(lastSeen + 1);
}

} // namespace

struct HistoryPlot::Areas {
    QRect legend;
    QRect axes;
    // A4's lane, then A5's.
    std::array<QRect, 2> buttons;
    QRect timeScale;
    // Where the columns are, a pixel each: inside the left and right edges
    // of the axes' and the lanes' frames, from the axes' top to the lanes'
    // bottom. Everything else drawn there is level, so the traces scroll.
    QRect traces;

    qint64 columns() const { return traces.width(); }
    Time columnWidth() const { return kSpan / columns(); }

    double xOf(Time before) const
    {
        return axes.left() + axes.width() * (1 - double(before.count()) / double(kSpan.count()));
    }
};

HistoryPlot::HistoryPlot(const ReportHistory &history, std::shared_ptr<LinkClock> clock, QWidget *parent)
    : QWidget(parent)
    , history_(history)
    , pacer_([this](PresentSchedule::Parts) { showNewSamples(); }, std::move(clock))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistoryPlot::showNewReports()
{
    if (!isPaused() && isVisible())
        pacer_.changed(PresentSchedule::Part::Sticks);
}

// The pause keeps a copy of the history, so that the frozen view stays
// whole however long the pause and however fast reports come in.
void HistoryPlot::setPaused(bool paused)
{
    if (paused == isPaused())
        return;
    if (paused)
        frozen_ = history_;
    else
        frozen_.reset();
    showAnew();
}

void HistoryPlot::setLive(bool live)
{
    if (live == live_)
        return;
    live_ = live;
    background_ = QPixmap();
    update();
}

// A frame of new samples: the traces scroll left by the columns the newest
// sample moved on, and only the columns from the newest sample shown
// before are painted again. Painting and sending the whole plot each frame
// triples what the details views cost at 20 reports a second (figures in
// bench/RESULTS.md). The pointer's line and values do not scroll: while
// they show, the plot is painted whole. At pixel densities other than 1, a
// scrolled plot was found to differ from one painted whole by a row of
// device pixels along a line: there the traces are painted whole.
void HistoryPlot::showNewSamples()
{
    if (isPaused() || history_.samples().empty())
        return;
    const std::optional<Time> before = std::exchange(shownEnd_, history_.samples().back().at);
    const Areas areas = this->areas();
    const qint64 shift = *shownEnd_ / areas.columnWidth() - (before ? *before / areas.columnWidth() : 0);
    if (!before || pointerX_ || shift < 0 || shift >= areas.columns()) {
        update();
        return;
    }
    if (shift > 0 && devicePixelRatio() != 1) {
        update(areas.traces);
        return;
    }
    if (shift > 0)
        scroll(-int(shift), 0, areas.traces);
    update(QRect(QPoint(areas.traces.right() - int(shift), areas.traces.top()), areas.traces.bottomRight()));
}

// The view aligned afresh to its newest sample and painted whole.
void HistoryPlot::showAnew()
{
    const Ring<HistorySample> &samples = shownHistory().samples();
    shownEnd_ = samples.empty() ? std::nullopt : std::optional(samples.back().at);
    update();
}

// A legend at the top; the value scale on the left; under the axes the
// buttons' lanes, then the time scale.
HistoryPlot::Areas HistoryPlot::areas() const
{
    const int line = fontMetrics().height();
    // Four digits' width, taken without laying out a text: the areas are
    // worked out at every frame.
    const int left = 4 * fontMetrics().horizontalAdvance(QLatin1Char('0')) + 2 * kGap;
    // At least one column inside the frame, however narrow the widget.
    const int width = qMax(3, this->width() - left - 2 * kGap);
    Areas areas;
    areas.legend = QRect(left, kGap, width, line);
    areas.timeScale = QRect(left, height() - kGap - line, width, line);
    areas.buttons[1] = QRect(left, areas.timeScale.top() - kGap - line, width, line);
    areas.buttons[0] = areas.buttons[1].translated(0, -line - kGap / 2);
    const int top = areas.legend.bottom() + kGap + line / 2;
    areas.axes = QRect(left, top, width, qMax(1, areas.buttons[0].top() - 2 * kGap - top));
    areas.traces = QRect(QPoint(left + 1, top), QPoint(areas.axes.right() - 1, areas.buttons[1].bottom()));
    return areas;
}

void HistoryPlot::paintEvent(QPaintEvent *event)
{
    const Areas areas = this->areas();
    const QRect dirty = event->rect();
    const qreal ratio = devicePixelRatio();
    QPainter painter(this);
    painter.drawPixmap(dirty.topLeft(), background(areas),
                       QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
    if (!shownEnd_) {
        painter.setPen(palette().text().color());
        painter.drawText(areas.axes, Qt::AlignCenter, tr("Waiting for reports"));
        return;
    }
    drawTraces(painter, areas, dirty);
    if (isPaused()) {
        painter.setPen(palette().text().color());
        painter.drawText(areas.axes.adjusted(kGap, kGap, -kGap, 0), Qt::AlignRight | Qt::AlignTop, tr("Paused"));
    }
    drawPointer(painter, areas);
}

void HistoryPlot::showEvent(QShowEvent *)
{
    showAnew();
}

void HistoryPlot::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange
        || event->type() == QEvent::StyleChange)
        background_ = QPixmap();
    QWidget::changeEvent(event);
}

// Laying the scale's texts out at every frame more than doubles what the
// details views cost at 20 reports a second (figures in bench/RESULTS.md).
const QPixmap &HistoryPlot::background(const Areas &areas)
{
    const qreal ratio = devicePixelRatio();
    if (background_.size() == size() * ratio)
        return background_;
    background_ = QPixmap(size() * ratio);
    background_.setDevicePixelRatio(ratio);
    QPainter painter(&background_);
    painter.fillRect(rect(), palette().base());
    drawScale(painter, areas);
    drawLegend(painter, areas);
    return background_;
}

void HistoryPlot::drawScale(QPainter &painter, const Areas &areas) const
{
    painter.setPen(palette().mid().color());
    painter.drawRect(areas.axes.adjusted(0, 0, -1, -1));
    for (const QRect &lane : areas.buttons)
        painter.drawRect(lane.adjusted(0, 0, -1, -1));
    const int line = fontMetrics().height();
    for (const int16_t value : kValueMarks) {
        const double y = yOf(areas.axes, value);
        painter.setPen(palette().mid().color());
        painter.drawLine(QPointF(areas.axes.left(), y), QPointF(areas.axes.right(), y));
        painter.setPen(palette().text().color());
        painter.drawText(QRectF(0, y - line / 2.0, areas.axes.left() - kGap, line), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(value));
    }
    for (size_t button = 0; button < areas.buttons.size(); ++button)
        painter.drawText(QRect(0, areas.buttons[button].top(), areas.axes.left() - kGap, line),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("A%1").arg(BoardModel::kFirstButton + button));
    for (Time before = 0s; before <= kSpan; before += kTimeMark) {
        const double x = areas.xOf(before);
        painter.setPen(palette().mid().color());
        painter.drawLine(QPointF(x, areas.traces.bottom() + 1), QPointF(x, areas.timeScale.top()));
        painter.setPen(palette().text().color());
        const QString label = before == 0s ? tr("now") : tr("-%1 s").arg(secondsOf(before));
        painter.drawText(QRectF(x - 40, areas.timeScale.top(), 80, line), Qt::AlignCenter, label);
    }
}

void HistoryPlot::drawLegend(QPainter &painter, const Areas &areas) const
{
    int x = areas.legend.left();
    const int middle = areas.legend.center().y();
    for (const tracestyle::ChannelStyle &channel : tracestyle::kChannels) {
        painter.setPen(QPen(tracestyle::shown(QColor(channel.colour), live_), 3));
        painter.drawLine(x, middle, x + kSwatch, middle);
        x += kSwatch + kGap / 2;
        const QString label = QString::fromLatin1(channel.label);
        painter.setPen(palette().text().color());
        painter.drawText(QRect(x, areas.legend.top(), areas.legend.right() - x, areas.legend.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
        x += fontMetrics().horizontalAdvance(label) + 2 * kGap;
    }
}

// The columns in `dirty`, and before them those a line into them may come
// from. The columns are counted in whole column widths of monotonic time,
// so that a column is the same wherever the plot's edge stands.
void HistoryPlot::drawTraces(QPainter &painter, const Areas &areas, const QRect &dirty) const
{
    const Time width = areas.columnWidth();
    const qint64 firstShown = *shownEnd_ / width - areas.columns() + 1;
    const qint64 joinable = kLongestJoin / width + 1;
    const qint64 first = qMax<qint64>(0, dirty.left() - areas.traces.left() - joinable);
    const qint64 end = qMin<qint64>(areas.columns(), dirty.right() - areas.traces.left() + 1);
    if (end <= first)
        return;
    const std::vector<PlotColumn> columns =
        plotColumns(shownHistory(), (firstShown + first) * width, width, size_t(end - first), kLongestJoin);
    const double left = areas.traces.left() + double(first);
    painter.save();
    painter.setClipRect(dirty & areas.traces);
    for (size_t channel = 0; channel < tracestyle::kChannels.size(); ++channel) {
        const QColor colour = tracestyle::shown(QColor(tracestyle::kChannels[channel].colour), live_);
        if (channel < size_t(BoardModel::kFirstButton)) {
            painter.setPen(QPen(colour, 0));
            drawAxis(painter, columns, channel, left, areas.axes);
        } else {
            const QRect lane = areas.buttons[channel - BoardModel::kFirstButton];
            drawButton(painter, columns, channel, left, QRectF(lane).adjusted(0, 2, 0, -2), colour);
        }
    }
    painter.restore();
}

void HistoryPlot::drawPointer(QPainter &painter, const Areas &areas) const
{
    if (!pointerX_ || *pointerX_ < areas.traces.left() || *pointerX_ > areas.traces.right())
        return;
    const QString values = valuesAt(*shownEnd_ - (areas.traces.right() - *pointerX_) * areas.columnWidth());
    if (values.isEmpty())
        return;
    painter.setPen(QPen(palette().text().color(), 1, Qt::DashLine));
    painter.drawLine(*pointerX_, areas.traces.top(), *pointerX_, areas.traces.bottom());
    const QRect box = fontMetrics().boundingRect(values).adjusted(-kGap / 2, 0, kGap / 2, 0);
    const QRect placed = box.translated(areas.axes.topLeft() - box.topLeft() + QPoint(kGap, kGap));
    QColor backdrop = palette().base().color();
    backdrop.setAlpha(220);
    painter.fillRect(placed, backdrop);
    painter.setPen(palette().text().color());
    painter.drawText(placed, Qt::AlignCenter, values);
}

// The sample nearest to `at` among those shown, with its time before the
// newest; a sample that merged several reports shows their latest.
QString HistoryPlot::valuesAt(Time at) const
{
    const Time end = *shownEnd_;
    const ReportHistory &history = shownHistory();
    const Ring<HistorySample> &samples = history.samples();
    size_t index = history.firstFrom(at);
    if (index == samples.size() || (index > 0 && at - samples[index - 1].at < samples[index].at - at))
        --index;
    const HistorySample &sample = samples[index];
    if (sample.at < end - kSpan || sample.at > end)
        return {};
    QString text = tr("%1 s").arg(-secondsOf(end - sample.at), 0, 'f', 2);
    for (size_t channel = 0; channel < sample.last.size(); ++channel) {
        const QString value = channel < size_t(BoardModel::kFirstButton) ? QString::number(sample.last[channel])
                              : sample.last[channel]                     ? tr("pressed")
                                                                         : tr("up");
        text += QStringLiteral("   A%1 %2").arg(channel).arg(value);
    }
    return text;
}

void HistoryPlot::mouseMoveEvent(QMouseEvent *event)
{
    pointerX_ = qRound(event->position().x());
    update();
}

void HistoryPlot::leaveEvent(QEvent *)
{
    pointerX_.reset();
    update();
}
