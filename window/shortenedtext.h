#pragma once

#include <QString>

// `text` with every word (a run without spaces, such as a device path)
// longer than `longest` characters shortened to that length by an ellipsis
// in its middle, "/dev/serial/by-id/usb-…-if00-port0", so that a tooltip
// stays on the screen. Its start and end, which tell paths apart, stay.
QString shortenLongWords(const QString &text, qsizetype longest = 60);
