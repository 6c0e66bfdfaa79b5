#include "seriallink/linesettings.h"
#include "seriallink/serialcontrol.h"
#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

TEST(LineSettings, ParsesEveryValidFieldAndRejectsAnythingElse)
{
    struct Case {
        const char *text;
        LineSettings expected;
    };
    const Case cases[] = {
        {"9600,n,8,1", {9600, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop}},
        {"115200,E,7,2", {115200, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::TwoStop}},
        {"300,o,5,1.5", {300, QSerialPort::OddParity, QSerialPort::Data5, QSerialPort::OneAndHalfStop}},
        {"1200,m,6,1", {1200, QSerialPort::MarkParity, QSerialPort::Data6, QSerialPort::OneStop}},
        {"2400,S,8,2", {2400, QSerialPort::SpaceParity, QSerialPort::Data8, QSerialPort::TwoStop}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseLineSettings(QString::fromLatin1(c.text)), c.expected) << c.text;

    const char *invalid[] = {
        "",           "9600",        "9600,n,8",    "9600,n,8,1,1",      "9600,x,8,1",  "9600,no,8,1",
        "9600,n,4,1", "9600,n,9,1",  "9600,n,8,3",  "9600,n,8,1.0",      "0,n,8,1",     "-9600,n,8,1",
        "96OO,n,8,1", " 9600,n,8,1", "9600,n,8,1 ", "99999999999,n,8,1", "+9600,n,8,1",
    };
    for (const char *text : invalid)
        EXPECT_THROW(parseLineSettings(QString::fromLatin1(text)), SerialError) << '"' << text << '"';
}
