#pragma once

#include "seriallink/comportmap.h"
#include "seriallink/linesettings.h"
#include "seriallink/portlock.h"
#include "seriallink/receivequeue.h"
#include "seriallink/serialcontrol.h"

#include <QSerialPort>

#include <memory>

// SerialControl over QSerialPort.
//
// Only what the device sends once its port is open is read. Every byte read
// from the device is queued and delivered one receive event per read (see
// ReceiveQueue). A device that goes away while open (cable pulled) closes
// the port. While a device is open on Unix, QSerialPort holds a lock file
// for it (see PortLocks), which it removes when it closes the port.
class SerialPortControl final : public SerialControl {
    Q_OBJECT

public:
    explicit SerialPortControl(std::shared_ptr<const ComPortMap> ports, QObject *parent = nullptr);

    bool PortOpen() const override;
    void setPortOpen(bool open) override;

    void setCommPort(int16_t port) override;
    void setSettings(const QString &settings) override;
    void setSThreshold(int16_t threshold) override;
    void setRThreshold(int16_t threshold) override;
    void setInputMode(int32_t mode) override;
    void setInputLen(int16_t length) override;

    void setOutput(const QString &text) override;
    QString Input() override;

    int16_t CommEvent() const override;

    void releasePortLock() override;

private:
    void open();
    void close();
    void discardWhatCameBefore();
    void raiseDataTerminalReady();
    void applySettings();
    void takeArrivedBytes();
    void deliverReceived();
    void handleError(QSerialPort::SerialPortError error);
    [[noreturn]] void failAbsent() const;
    [[noreturn]] void failNotOpen() const;

    std::shared_ptr<const ComPortMap> ports_;
    QSerialPort port_;
    const PortLocks locks_;
    ReceiveQueue received_;
    QString device_;
    // The lock file made for the open port, if it could be found.
    QString lockFile_;
    bool deviceLost_ = false;
    int16_t commPort_ = 1;
    LineSettings lineSettings_;
    int16_t rThreshold_ = 0;
    int16_t inputLen_ = 0;
    int16_t commEvent_ = 0;
};
