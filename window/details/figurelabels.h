#pragma once

#include <QColor>
#include <QDateTime>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QRgb>
#include <QString>

#include <initializer_list>
#include <optional>

// What the details window's panels share: how a figure reads, the labels
// that hold figures, and the colours of an alarm.
namespace figurelabels {

inline constexpr QRgb kAlarmText = 0xb71c1c;
inline constexpr QRgb kAlarmBackground = 0xfdecea;

// What stands for a figure not known yet.
QString unknown();
// `value` with `decimals` places, or unknown().
QString figureText(std::optional<double> value, int decimals);
// "14:03:07".
QString clockTime(const QDateTime &time);

// The widest of `texts` in `metrics`.
QString widestOf(const QFontMetrics &metrics, std::initializer_list<QString> texts);
// A label for a figure that changes as reports come, of a fixed size that
// holds `widest`, so that its new texts leave the window's layout alone.
QLabel *figureLabel(const QFontMetrics &metrics, const QString &widest);
// `label` wrapping its words, its text selectable.
QLabel *wrapping(QLabel *label);
void colourText(QWidget &widget, const QColor &colour);
QGroupBox *group(const QString &title, QLayout *layout);

} // namespace figurelabels
