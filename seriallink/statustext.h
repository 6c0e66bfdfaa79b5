#pragma once

#include "seriallink/serialcontrol.h"

#include <QList>
#include <QString>

#include <cstdint>

// The texts the link shows about the ports it tries.
namespace statustext {

constexpr auto kConnectedPrefix = "Conectado a COM";
constexpr auto kSuccessPrefix = "OK PUERTO";
constexpr auto kFailurePrefix = "Error COM";

// `prefix` followed by `port` with a leading sign position: a space for a
// number that is not negative, a minus sign otherwise, then the digits.
QString portMessage(const char *prefix, int16_t port);

// COMn for n = `port` and the device it stands for: "COM3 (/dev/ttyUSB0)",
// or just "COM3" when there is no device or the device is "COM3" itself,
// as on Windows.
QString portName(int port, const QString &device);

// How one port fared in a search for the board.
struct PortOutcome {
    int16_t port;
    QString device;
    PortProblem problem;
    // The whole explanation, naming the port.
    QString reason;
};

// Why `port` (on `device`, if it has one) opened without a board on it.
PortOutcome noBoardAnswered(int16_t port, const QString &device);

// What the board's silence on `port` looks like after `seconds`.
QString silentBoard(int16_t port, const QString &device, int seconds);

// Every port's outcome in one line: the ones the user can do something
// about (permission, busy) first, then the others, then the ports with no
// device, with runs of those joined ("COM2-COM7: no such port").
QString summary(QList<PortOutcome> outcomes);

} // namespace statustext
