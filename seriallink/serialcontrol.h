#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <stdexcept>

// Why a port could not be used, for telling the user what to do about it.
enum class PortProblem {
    Other,
    NoSuchDevice,
    PermissionDenied,
    Busy,
    DeviceGone,
    NotOpen,
    // The port works, but no board answers on it.
    NoAnswer,
};

// Raised by every SerialControl operation that cannot be carried out. The
// message is meant for the user: it names the port and, where there is
// one, the remedy.
class SerialError : public std::runtime_error {
public:
    explicit SerialError(const std::string &message, PortProblem problem = PortProblem::Other)
        : std::runtime_error(message)
        , problem_(problem)
    {
    }

    PortProblem problem() const { return problem_; }

private:
    PortProblem problem_;
};

// The serial communications control the window talks to: a port chosen by
// number, configured through a settings string, that hands received bytes
// out one read at a time and announces them through OnComm. It has the
// properties the port setup writes, and what polling and receiving use.
class SerialControl : public QObject {
    Q_OBJECT

public:
    static constexpr int16_t kEventReceive = 2;
    static constexpr int32_t kInputModeText = 0;

    using QObject::QObject;

    virtual bool PortOpen() const = 0;
    virtual void setPortOpen(bool open) = 0;

    virtual void setCommPort(int16_t port) = 0;
    virtual void setSettings(const QString &settings) = 0;
    virtual void setSThreshold(int16_t threshold) = 0;
    virtual void setRThreshold(int16_t threshold) = 0;
    virtual void setInputMode(int32_t mode) = 0;
    virtual void setInputLen(int16_t length) = 0;

    // Sends the characters of `text` in order, one byte each.
    virtual void setOutput(const QString &text) = 0;
    // Removes and returns up to InputLen waiting characters (all when 0).
    virtual QString Input() = 0;

    virtual int16_t CommEvent() const = 0;

    // Removes the lock file the serial layer keeps for the open port, which
    // a process that ends at once, without closing the port, would leave
    // behind; the port stays open until then.
    virtual void releasePortLock() = 0;

signals:
    void OnComm();
};
