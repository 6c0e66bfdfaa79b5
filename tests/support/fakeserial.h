#pragma once

#include "seriallink/comportmap.h"
#include "seriallink/receivequeue.h"
#include "seriallink/serialcontrol.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <memory>

// An in-memory SerialControl. A port whose device `ports` does not list
// fails to open as absent, and ports in `failing` with their problem; every port opened is added to `opened`; what is written is kept
// in `written`; bytes passed to receive() are delivered the way the real
// control delivers them.
class FakeSerial final : public SerialControl {
    Q_OBJECT

public:
    explicit FakeSerial(std::shared_ptr<const ComPortMap> ports = nullptr)
        : ports_(std::move(ports))
    {
    }

    QMap<int16_t, PortProblem> failing;
    QList<int16_t> attempts;
    QList<int16_t> openings;
    QByteArray written;

    void receive(const QByteArray &bytes);
    // The device goes away under the open port, as when its cable is pulled.
    void loseDevice();
    int16_t commPort() const { return commPort_; }

    bool PortOpen() const override { return open_; }
    void setPortOpen(bool open) override;
    void setCommPort(int16_t port) override;
    void setSettings(const QString &) override {}
    void setSThreshold(int16_t) override {}
    void setRThreshold(int16_t threshold) override { rThreshold_ = threshold; }
    void setInputMode(int32_t) override {}
    void setInputLen(int16_t length) override { inputLen_ = length; }
    void setOutput(const QString &text) override;
    QString Input() override { return waiting_.read(inputLen_); }
    int16_t CommEvent() const override { return commEvent_; }
    void releasePortLock() override {}

signals:
    void portOpened(int16_t port);
    void textWritten();

private:
    std::shared_ptr<const ComPortMap> ports_;
    bool open_ = false;
    bool lost_ = false;
    int16_t commPort_ = 1;
    int16_t rThreshold_ = 0;
    int16_t inputLen_ = 0;
    int16_t commEvent_ = 0;
    ReceiveQueue waiting_;
};
