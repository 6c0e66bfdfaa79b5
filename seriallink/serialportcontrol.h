#pragma once

#include "seriallink/comportmap.h"
#include "seriallink/linesettings.h"
#include "seriallink/serialcontrol.h"

#include <QByteArray>
#include <QSerialPort>

// SerialControl over QSerialPort.
//
// Every byte read from the device is queued; OnComm is then raised with
// CommEvent 2 once per read that takes characters off the queue, until the
// queue is empty, so a handler reading one character per event receives a
// burst of any size complete and in order. A device that goes away while
// open (cable pulled) closes the port.
class SerialPortControl final : public SerialControl {
    Q_OBJECT

public:
    explicit SerialPortControl(ComPortMap ports, QObject *parent = nullptr);

    bool PortOpen() const override;
    void setPortOpen(bool open) override;

    int16_t CommPort() const override;
    void setCommPort(int16_t port) override;

    QString Settings() const override;
    void setSettings(const QString &settings) override;

    int16_t SThreshold() const override;
    void setSThreshold(int16_t threshold) override;
    int16_t RThreshold() const override;
    void setRThreshold(int16_t threshold) override;

    int32_t InputMode() const override;
    void setInputMode(int32_t mode) override;
    int16_t InputLen() const override;
    void setInputLen(int16_t length) override;

    void setOutput(const QString &text) override;
    QString Input() override;

    int16_t CommEvent() const override;

private:
    void open();
    void close();
    void applySettings();
    void takeArrivedBytes();
    void raiseReceiveEvents();
    void handleError(QSerialPort::SerialPortError error);
    [[noreturn]] void failNotOpen() const;

    ComPortMap ports_;
    QSerialPort port_;
    QByteArray received_;
    QString device_;
    bool deviceLost_ = false;
    int16_t commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    LineSettings lineSettings_;
    int16_t sThreshold_ = 0;
    int16_t rThreshold_ = 0;
    int32_t inputMode_ = kInputModeText;
    int16_t inputLen_ = 0;
    int16_t commEvent_ = 0;
    bool raisingEvents_ = false;
};
