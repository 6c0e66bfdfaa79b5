#pragma once

#include "seriallink/serialcontrol.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>

// An in-memory SerialControl. It records every call as a line of `calls`
// (such as "CommPort=3" or "PortOpen=true"), fails to open the ports in
// `absentPorts`, keeps what is written in `written`, and delivers bytes
// passed to receive() one receive event per waiting character.
class FakeSerial final : public SerialControl {
    Q_OBJECT

public:
    using SerialControl::SerialControl;

    QStringList calls;
    QSet<int> absentPorts;
    QByteArray written;

    void receive(const QByteArray &bytes);

    bool PortOpen() const override;
    void setPortOpen(bool open) override;
    int16_t CommPort() const override { return commPort_; }
    void setCommPort(int16_t port) override;
    QString Settings() const override { return settings_; }
    void setSettings(const QString &settings) override;
    int16_t SThreshold() const override { return sThreshold_; }
    void setSThreshold(int16_t threshold) override;
    int16_t RThreshold() const override { return rThreshold_; }
    void setRThreshold(int16_t threshold) override;
    int32_t InputMode() const override { return inputMode_; }
    void setInputMode(int32_t mode) override;
    int16_t InputLen() const override { return inputLen_; }
    void setInputLen(int16_t length) override;
    void setOutput(const QString &text) override;
    QString Input() override;
    int16_t CommEvent() const override { return commEvent_; }

private:
    bool open_ = false;
    int16_t commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    int16_t sThreshold_ = 0;
    int16_t rThreshold_ = 0;
    int32_t inputMode_ = 0;
    int16_t inputLen_ = 0;
    int16_t commEvent_ = 0;
    QByteArray waiting_;
};
