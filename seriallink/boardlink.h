#pragma once

#include "seriallink/comportmap.h"
#include "seriallink/link.h"
#include "seriallink/linkclock.h"
#include "seriallink/serialcontrol.h"
#include "seriallink/statustext.h"
#include "stickdata/lineassembler.h"
#include "stickdata/protocol.h"

#include <QList>
#include <QStringList>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

// The gaps between tries of a port that was busy or not yet accessible:
// growing, over a minute in all.
inline constexpr std::array<std::chrono::milliseconds, 5> kRetryGaps{std::chrono::seconds(2), std::chrono::seconds(4),
                                                                     std::chrono::seconds(8), std::chrono::seconds(16),
                                                                     std::chrono::seconds(30)};

// How long the link waits for each thing it waits for.
struct LinkTiming {
    // For the keyword line after a port has been set up.
    std::chrono::milliseconds portWait{2000};
    // Between two requests to the board.
    std::chrono::milliseconds pollInterval{200};
    // From a notice that the devices may have changed to the look at them:
    // udev sets a new node's group and mode just after creating it.
    std::chrono::milliseconds settle{1000};
    // Without an answer before the silence is reported, and before the
    // port is opened again (which resets an Arduino-style board).
    std::chrono::milliseconds silenceWarning{2000};
    std::chrono::milliseconds silenceLimit{5000};
    std::span<const std::chrono::milliseconds> retryGaps{kRetryGaps};
};

// The board's connection: finds the board on COM 1 to COM 7 (or on as many
// ports as the map has, when fewer), polls it, turns what it sends into
// lines, and follows it when it goes away, comes back, or falls silent.
// Driven by its timers and the serial control's signals alone.
//
// It is a state machine. Each state says which of its five timers run (the
// wait on a port during a search, the poll, the pace of requests sent after
// answers, the settle delay after a device notice, the next try of busy
// ports) and what a line, a completed answer or a notice means:
//
//   state                 timers           phase     a line, an answer, a device notice
//   Idle                  -                Idle
//   Scanning              port wait        Scanning  the keyword line identifies the board
//   IdentifiedInPortWait  port wait, poll  Polling   (the wait on the board's port runs out)
//   Polling               poll             Polling   any line is an answer; each poll checks the silence
//   PollingSilent         poll             Polling   any line ends the reported silence
//   NextRequestPaced      poll, pace       Polling   (the pace's end is a poll)
//   Waiting               -                Waiting   a notice starts the settle delay
//   Settling              settle           Waiting   (one look covers every notice)
//   RetryPending          retry            Waiting   a notice starts the settle delay
//   SettlingBeforeRetry   settle, retry    Waiting
//   Closed                -                Closed
//
// The board is polled in one of two modes. At the fixed interval (the
// default) a request goes out every poll interval whatever the board does.
// After each answer, a completed answer in IdentifiedInPortWait or Polling
// moves the link to NextRequestPaced, whose pace runs until the least gap
// between two requests has passed since the last one (at once when it has);
// every request the board is sent while polled starts the poll afresh, so
// that it goes on as the fallback for a lost answer: a request every poll
// interval after the last one while no answer completes. At 9600 baud that
// takes 21.4 reports a second, 98 % of what the line carries, where the
// fixed interval takes 5 (bench/RESULTS.md, "Polling after each answer").
// In either mode each poll checks the silence.
//
// enter() alone starts and stops the timers: a move between two states keeps
// running the timers both have, stops the others of the state left, and
// starts the others of the state entered.
class BoardLink final : public Link {
    Q_OBJECT

public:
    static constexpr int16_t kFirstPort = 1;
    static constexpr int16_t kLastPort = 7;
    static constexpr auto kLineSettings = "9600,n,8,1";
    static constexpr int16_t kThreshold = 1;
    static constexpr int16_t kReadLength = 1;

    BoardLink(std::unique_ptr<SerialControl> control, std::shared_ptr<ComPortMap> ports, LinkTiming timing = {},
              std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(), QObject *parent = nullptr);

    // The most requests a second after answers, unless the program says otherwise.
    static constexpr int kMostRequestsPerSecond = 50;

    void buscarPuerto() override;
    void sendRequest() override;
    void close() override;
    void releasePortLock() override;
    LinkState state() const override;

    // The port tried last, or the board's.
    int16_t port() const { return puerto; }

    // From now on, each answer the board completes while it is polled brings
    // the next request forward: it goes out as soon as 1/mostPerSecond s
    // (at most the poll interval) has passed since the last request.
    void pollAfterEachAnswer(int mostPerSecond = kMostRequestsPerSecond);
    // Back to a request every poll interval, answered or not.
    void pollAtFixedInterval();
    // The board's answer is complete. Told by whoever reads the lines, as
    // the link does not interpret them; it changes nothing unless the board
    // is polled after each answer.
    void answerCompleted();

private:
    // The states in the table above.
    enum class Step {
        Idle,
        Scanning,
        IdentifiedInPortWait,
        Polling,
        PollingSilent,
        NextRequestPaced,
        Waiting,
        Settling,
        RetryPending,
        SettlingBeforeRetry,
        Closed,
    };
    using PortOrder = QList<int16_t>;
    // A move into the state a link is in restarts that state's timers only
    // when asked to: the next port of a search gets a wait of its own, a
    // request after answers a poll of its own.
    enum class Entry { KeepTimers, PollAfresh, Afresh };

    void serial();
    void MSComm1_OnComm();
    void poll();
    void requestWritten();
    std::chrono::milliseconds paceLeft() const;

    void enter(Step step, Entry entry = Entry::KeepTimers);
    void startTimers(unsigned timers);
    void stopTimers(unsigned timers);

    void startSearch(const PortOrder &order);
    void startScan(const PortOrder &order);
    void tryNextPort();
    void portWaitOver();
    void scanEnded();

    void boardAnswered(const QString &line);
    void boardIdentified();
    void boardLost(const SerialError &error);
    void checkSilence();
    void recoverSilentBoard();

    void lookAtDevicesOnceSettled();
    void settled();
    bool searchAppearedDevices();
    QStringList appearedDevices(const QStringList &devices) const;
    bool isRetryDue();
    void retryBusyPorts();

    PortOrder portsInOrder() const;
    PortOrder portsOf(const QStringList &devices) const;
    PortOrder withFirst(const PortOrder &first) const;
    void recordOutcome(const statustext::PortOutcome &outcome);
    void showProblem(const QString &reason);
    void logOnce(const QString &message);
    void releasePort();

    const std::unique_ptr<SerialControl> MSComm1;
    const std::shared_ptr<ComPortMap> ports_;
    const LinkTiming timing_;
    const std::shared_ptr<LinkClock> clock_;
    const QLatin1StringView CLAVE{protocol::kKeyword};
    // The last COM number tried: kLastPort, or fewer where the map has fewer.
    const int16_t lastPort_;

    Step step_ = Step::Idle;
    int16_t puerto = 0;
    // 1 while the board is identified: in the states of the Polling phase.
    uint8_t portok = 0;
    LineAssembler assembler_;

    const std::unique_ptr<LinkTimer> Timer1;
    // After answers: the wait until the least gap since the last request.
    const std::unique_ptr<LinkTimer> pace_;
    // Replaces the wait on each port during a search: one step of it.
    const std::unique_ptr<LinkTimer> portWait_;
    const std::unique_ptr<LinkTimer> settle_;
    const std::unique_ptr<LinkTimer> retry_;

    PortOrder scanOrder_;
    qsizetype nextInScan_ = 0;
    // Every port's outcome in the last search, for the summary.
    QList<statustext::PortOutcome> outcomes_;
    // The devices as last looked at: a device not among them has appeared.
    QStringList known_;
    // Devices that were busy or not accessible, tried again at growing gaps.
    QStringList retryDevices_;
    qsizetype retriesDone_ = 0;

    // Polling after each answer: the least time from one request to the
    // next; none at the fixed interval.
    std::optional<std::chrono::nanoseconds> leastRequestGap_;
    std::chrono::nanoseconds lastRequest_{0};
    std::chrono::nanoseconds lastAnswer_{0};
    QString problem_;
    QString logged_;
};
