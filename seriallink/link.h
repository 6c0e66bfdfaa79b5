#pragma once

#include <QObject>
#include <QString>

// Where the link stands in the board's life, as a view tells it: looking
// for the board, polling it, or waiting for it to (re)appear. Each phase
// covers a few finer states of the link that differ only in what it waits
// for next (see BoardLink); a view that wants to say since when the board
// is lost notes the time of the change to Waiting.
enum class LinkState {
    // Not started yet.
    Idle,
    // Trying the ports in turn, waiting on each for the keyword line.
    Scanning,
    // The board has been identified and is asked for a report every poll
    // interval, from its keyword line on (the wait on its port may still be
    // running out), whether it answers or not; polled after each answer, as
    // soon as one completes as well.
    Polling,
    // No board: waiting for devices to change, or for a busy port's next try.
    Waiting,
    // Closed for good.
    Closed,
};

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

    virtual LinkState state() const = 0;

signals:
    // The connection message.
    void infoChanged(const QString &text);
    // The port console message.
    void consoleChanged(const QString &text);
    // Why the port or the board does not work as it should; empty when
    // all is well.
    void problemChanged(const QString &reason);
    // A port was set up and opened: what comes next comes from it.
    void portOpened();
    // Every device line received, in order.
    void lineReceived(const QString &line);
    // A line too long to be a device line is being dropped whole; told once
    // per line, as soon as it passes the limit.
    void lineDropped();
    // A poll: a request goes out now if there is a board.
    void polled();
    // A request line was written to the port, by a poll or by hand.
    void requestSent();
    // The phase changed; told once per change.
    void stateChanged(LinkState state);
};
