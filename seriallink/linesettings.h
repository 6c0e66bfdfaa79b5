#pragma once

#include <QSerialPort>
#include <QString>

// A parsed settings string such as "9600,n,8,1".
struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    bool operator==(const LineSettings &) const = default;
};

// Parses "baud,parity,data,stop": parity one of n e o m s (either case),
// data bits 5 to 8, stop bits 1, 1.5 or 2. Throws SerialError otherwise.
LineSettings parseLineSettings(const QString &text);
