#include "seriallink/linesettings.h"

#include "seriallink/serialcontrol.h"

#include <QStringList>

#include <array>
#include <utility>

namespace {

constexpr qint32 kHighestBaudRate = 4'000'000;

constexpr std::array<std::pair<char, QSerialPort::Parity>, 5> kParities{{
    {'n', QSerialPort::NoParity},
    {'e', QSerialPort::EvenParity},
    {'o', QSerialPort::OddParity},
    {'m', QSerialPort::MarkParity},
    {'s', QSerialPort::SpaceParity},
}};

const std::array<std::pair<QString, QSerialPort::StopBits>, 3> kStopBits{{
    {QStringLiteral("1"), QSerialPort::OneStop},
    {QStringLiteral("1.5"), QSerialPort::OneAndHalfStop},
    {QStringLiteral("2"), QSerialPort::TwoStop},
}};

[[noreturn]] void reject(const QString &text, const char *why)
{
    throw SerialError(QStringLiteral("invalid settings \"%1\": %2").arg(text, QLatin1String(why)).toStdString());
}

bool isDecimal(const QString &field)
{
    if (field.isEmpty())
        return false;
    for (QChar c : field)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

qint32 parseBaudRate(const QString &text, const QString &field)
{
    bool ok = false;
    const qint64 baud = field.toLongLong(&ok);
    if (!isDecimal(field) || !ok || baud < 1 || baud > kHighestBaudRate)
        reject(text, "baud rate must be a whole number from 1 to 4000000");
    return static_cast<qint32>(baud);
}

QSerialPort::Parity parseParity(const QString &text, const QString &field)
{
    if (field.size() == 1) {
        const char letter = field.at(0).toLower().toLatin1();
        for (const auto &[key, parity] : kParities)
            if (key == letter)
                return parity;
    }
    reject(text, "parity must be one of n, e, o, m, s");
}

QSerialPort::DataBits parseDataBits(const QString &text, const QString &field)
{
    if (field.size() == 1 && field.at(0) >= u'5' && field.at(0) <= u'8')
        return static_cast<QSerialPort::DataBits>(field.at(0).unicode() - u'0');
    reject(text, "data bits must be 5, 6, 7 or 8");
}

QSerialPort::StopBits parseStopBits(const QString &text, const QString &field)
{
    for (const auto &[key, stopBits] : kStopBits)
        if (key == field)
            return stopBits;
    reject(text, "stop bits must be 1, 1.5 or 2");
}

} // namespace

LineSettings parseLineSettings(const QString &text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        reject(text, "expected four comma-separated fields");
    return {parseBaudRate(text, fields[0]), parseParity(text, fields[1]), parseDataBits(text, fields[2]),
            parseStopBits(text, fields[3])};
}
