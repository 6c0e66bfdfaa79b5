#pragma once

#include <QObject>
#include <QString>

// The board's connection as the window sees it: three commands, and
// signals that tell what happened.
class Link : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Looks for the board on the ports in turn and, once found, polls it.
    virtual void buscarPuerto() = 0;
    // Sends one request now, whether or not a board has been found.
    virtual void sendRequest() = 0;
    // Releases the port and stops for good.
    virtual void close() = 0;
    // For a program that ends at once: removes what the end of the process
    // would leave behind (the port's lock file), and leaves the port open
    // for the process's end to release.
    virtual void releasePortLock() = 0;

signals:
    // The connection message.
    void infoChanged(const QString &text);
    // The port console message.
    void consoleChanged(const QString &text);
    // Why the port or the board does not work as it should; empty when
    // all is well.
    void problemChanged(const QString &reason);
    // Every device line received, in order.
    void lineReceived(const QString &line);
    // A poll tick: a request goes out now if there is a board.
    void polled();
};
