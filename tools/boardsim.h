#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

// How the simulated board behaves. Every fault is off by default.
struct BoardOptions {
    // Time between two keyword lines while no request has arrived for a
    // second, as the firmware does: from the start, and again once a monitor
    // has stopped asking.
    int announceIntervalMs = 500;
    // Time from creation to the first keyword line.
    int announceDelayMs = 0;
    // Requests are counted but never answered.
    bool noAnswer = false;
    // The board never sends its keyword line.
    bool noKeyword = false;
    // A few random bytes (any value except the line feed) go before every line.
    bool garbage = false;
    quint32 garbageSeed = 1;
    // With garbage, the random bytes go on a line of their own, so that the
    // board's own lines arrive whole between lines of noise.
    bool garbageOnItsOwnLine = false;
    // Every line feed is sent as a carriage return, so no line ever ends.
    bool noLineFeeds = false;
    // After this many requests the board hangs up when the next one arrives;
    // that request is neither counted nor answered. 0 never hangs up.
    int hangUpAfterRequests = 0;
    // Full reports sent unasked at this rate, in reports per second; 0 is off.
    // A rate beyond what the pty takes sends as fast as it is read.
    double reportsPerSecond = 0;
    // Time from creation to the first of those reports; the rate counts from then.
    int reportsDelayMs = 0;
    // Every report tells when it was sent, in place of the left stick's
    // position: A0 the whole seconds since creation, A1 the milliseconds
    // past them. A recording then shows when each row left the board.
    bool stampTime = false;
    // Output goes out as a UART at this many bits a second sends it, ten
    // bits a byte (start, eight data, stop): each byte reaches the pty once
    // its stop bit would have arrived. 0 writes it as fast as the pty takes it.
    int baud = 0;

    // A device that says nothing: neither the keyword nor any answer.
    static BoardOptions silent()
    {
        BoardOptions options;
        options.noKeyword = true;
        options.noAnswer = true;
        return options;
    }
};

// A joystick board on a pseudo-terminal: open slavePath() as its serial port.
// The board keeps its own handle on the slave side, so the port stays usable
// while the program has it closed, until hangUp() makes it go away.
class BoardSimulator : public QObject {
    Q_OBJECT

public:
    explicit BoardSimulator(const BoardOptions &options = {}, QObject *parent = nullptr);
    ~BoardSimulator() override;

    // Empty if no pseudo-terminal could be created.
    QString slavePath() const;

    int requestCount() const;
    // Reports sent whole, asked for or not; a report the pty had no room
    // for is not sent at all.
    qint64 reportsSent() const;
    // Sends no more reports unasked.
    void stopReports();
    // When each request arrived, in milliseconds since the board was created.
    QList<qint64> requestTimesMs() const;

    // Whether later requests are answered; BoardOptions::noAnswer sets it at
    // creation. Requests are counted either way.
    void setAnswering(bool answering);

    // Stops the motion: every later report carries these values.
    void setValues(int a0, int a1, int a2, int a3, bool rightPressed, bool leftPressed);
    // Holds both sticks at their centres, with a count or two of noise, for
    // `ms` from now; then they go round again, where the time puts them.
    void restFor(int ms);

    // Sends `bytes` exactly as given, after any output still pending. Unlike
    // the board's own lines these are never dropped, however much is queued.
    void sendRaw(const QByteArray &bytes);

    // Closes both sides of the pty, as when the cable is pulled.
    void hangUp();
    bool isHungUp() const;

signals:
    void requestReceived();
    // Whatever the program wrote, as it arrived.
    void bytesReceived(const QByteArray &bytes);

private:
    struct ChannelValues {
        std::array<int, 4> sticks;
        bool rightPressed;
        bool leftPressed;
    };

    void openPty();
    void startAnnouncing();
    void announce();
    void startUnsolicitedReports();
    void sendDueReports();
    void readRequests();
    void takeLines();
    void handleRequest();
    bool sendReport();
    ChannelValues currentValues() const;
    QByteArray framed(const QByteArray &line);
    QByteArray garbageBytes();
    bool send(const QByteArray &bytes);
    void output(const QByteArray &bytes);
    void passBytesThroughTheLine();
    void flush();

    BoardOptions options_;
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QSocketNotifier readNotifier_{QSocketNotifier::Read};
    QSocketNotifier writeNotifier_{QSocketNotifier::Write};
    QTimer announceTimer_;
    QTimer unsolicitedTimer_;
    QElapsedTimer clock_;
    QRandomGenerator garbageRandom_;
    QByteArray received_;
    // Output on its way through a line of options_.baud, and when the last
    // of it will have gone through, in nanoseconds since creation.
    QByteArray onTheLine_;
    qint64 lineFreeAtNs_ = 0;
    QTimer lineTimer_;
    // Output through the line, not yet taken by the pty.
    QByteArray pending_;
    QList<qint64> requestTimesMs_;
    qint64 unsolicitedSent_ = 0;
    qint64 reportsSent_ = 0;
    qint64 reportsStartMs_ = 0;
    qint64 restEndMs_ = 0;
    std::optional<ChannelValues> frozenValues_;
};
