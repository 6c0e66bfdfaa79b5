// Any text, from the bytes read both as Latin-1 and as UTF-16, as a line
// settings string: it is either read into values in range or rejected with
// SerialError, and nothing else.

#include "fuzzcheck.h"

#include "seriallink/linesettings.h"
#include "seriallink/serialcontrol.h"

#include <QString>

#include <optional>

namespace {

constexpr qint32 kHighestBaudRate = 4'000'000;

std::optional<char> parityLetter(QSerialPort::Parity parity)
{
    switch (parity) {
    case QSerialPort::NoParity:
        return 'n';
    case QSerialPort::EvenParity:
        return 'e';
    case QSerialPort::OddParity:
        return 'o';
    case QSerialPort::MarkParity:
        return 'm';
    case QSerialPort::SpaceParity:
        return 's';
    }
    return std::nullopt;
}

std::optional<QString> stopBitsText(QSerialPort::StopBits stopBits)
{
    switch (stopBits) {
    case QSerialPort::OneStop:
        return QStringLiteral("1");
    case QSerialPort::OneAndHalfStop:
        return QStringLiteral("1.5");
    case QSerialPort::TwoStop:
        return QStringLiteral("2");
    }
    return std::nullopt;
}

bool isAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

// Accepted settings are in range, were written in plain ASCII with four
// fields, and read back the same once written out again.
void checkAccepted(const QString &text, const LineSettings &settings)
{
    fuzzCheck(settings.baudRate >= 1 && settings.baudRate <= kHighestBaudRate, "the baud rate is in range");
    fuzzCheck(settings.dataBits >= QSerialPort::Data5 && settings.dataBits <= QSerialPort::Data8,
              "the data bits are 5 to 8");
    const std::optional<char> parity = parityLetter(settings.parity);
    const std::optional<QString> stopBits = stopBitsText(settings.stopBits);
    fuzzCheck(parity.has_value(), "the parity is one of the five");
    fuzzCheck(stopBits.has_value(), "the stop bits are 1, 1.5 or 2");
    fuzzCheck(text.count(u',') == 3, "accepted text has four fields");
    fuzzCheck(isAscii(text), "accepted text is plain ASCII");
    const QString written = QStringLiteral("%1,%2,%3,%4")
                                .arg(settings.baudRate)
                                .arg(QLatin1Char(*parity))
                                .arg(int(settings.dataBits))
                                .arg(*stopBits);
    fuzzCheck(parseLineSettings(written) == settings, "settings written out read back the same");
}

void checkSettings(const QString &text)
{
    LineSettings settings;
    try {
        settings = parseLineSettings(text);
    } catch (const SerialError &) {
        return;
    } catch (...) {
        fuzzCheck(false, "only SerialError is thrown");
    }
    checkAccepted(text, settings);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkSettings(latin1Text(data, size));
    checkSettings(utf16Text(data, size));
    return 0;
}
