#include "window/details/figurelabels.h"

#include <algorithm>

namespace figurelabels {

QString unknown()
{
    return QStringLiteral("—");
}

QString figureText(std::optional<double> value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : unknown();
}

QString clockTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString widestOf(const QFontMetrics &metrics, std::initializer_list<QString> texts)
{
    return *std::max_element(texts.begin(), texts.end(), [&](const QString &a, const QString &b) {
        return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
    });
}

// Laying the window out afresh at each new text of a label sized to it
// took the window's CPU at 20 reports a second from 2.6 to 3.4 times the
// monitor's without it (bench/RESULTS.md).
QLabel *figureLabel(const QFontMetrics &metrics, const QString &widest)
{
    auto *label = new QLabel;
    label->setFixedSize(metrics.horizontalAdvance(widest), metrics.height());
    return label;
}

QLabel *wrapping(QLabel *label)
{
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void colourText(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

QGroupBox *group(const QString &title, QLayout *layout)
{
    auto *box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

} // namespace figurelabels
