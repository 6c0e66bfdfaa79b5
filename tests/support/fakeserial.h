#pragma once

#include "seriallink/receivequeue.h"
#include "seriallink/serialcontrol.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>

// An in-memory SerialControl. It records every property written as a line
// of `calls` (such as "CommPort=3" or "PortOpen=true"), fails to open the
// ports in `absentPorts`, keeps what is written in `written`, and delivers
// bytes passed to receive() the way the real control does.
class FakeSerial final : public SerialControl {
    Q_OBJECT

public:
    using SerialControl::SerialControl;

    QStringList calls;
    QSet<int> absentPorts;
    QByteArray written;

    void receive(const QByteArray &bytes);
    int16_t commPort() const { return commPort_; }

    bool PortOpen() const override { return open_; }
    void setPortOpen(bool open) override;
    void setCommPort(int16_t port) override;
    void setSettings(const QString &settings) override;
    void setSThreshold(int16_t threshold) override;
    void setRThreshold(int16_t threshold) override;
    void setInputMode(int32_t mode) override;
    void setInputLen(int16_t length) override;
    void setOutput(const QString &text) override;
    QString Input() override { return waiting_.read(inputLen_); }
    int16_t CommEvent() const override { return commEvent_; }

private:
    bool open_ = false;
    int16_t commPort_ = 1;
    int16_t rThreshold_ = 0;
    int16_t inputLen_ = 0;
    int16_t commEvent_ = 0;
    ReceiveQueue waiting_;
};
