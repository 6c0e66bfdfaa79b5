#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

// A pseudo-terminal in raw mode standing in for a serial device. The test
// holds the master side; the slave path is what the program opens. The
// slave stays open on our side too, so the master reads no hang-up while
// the program has the port closed between attempts.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    QString slavePath() const { return slavePath_; }

    void write(const QByteArray &bytes);
    // Whatever the program wrote, waiting up to `timeout` for the first byte
    // while pumping the event loop.
    QByteArray read(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
    // Closes both sides: the device is gone, as when its cable is pulled.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};
