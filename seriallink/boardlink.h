#pragma once

#include "seriallink/comportmap.h"
#include "seriallink/link.h"
#include "seriallink/serialcontrol.h"
#include "seriallink/statustext.h"
#include "stickdata/lineassembler.h"
#include "stickdata/protocol.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

// The gaps between tries of a port that was busy or not yet accessible:
// growing, over a minute in all.
inline constexpr std::array<std::chrono::milliseconds, 5> kRetryGaps{
    std::chrono::seconds(2), std::chrono::seconds(4), std::chrono::seconds(8), std::chrono::seconds(16),
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

// Where the link stands in the board's life.
enum class LinkState {
    // Not started yet.
    Idle,
    // Trying the ports in turn, waiting on each for the keyword line.
    Scanning,
    // The board was found and is asked for a report every poll interval.
    Polling,
    // No board: waiting for devices to change, or for a busy port's next try.
    Waiting,
    // Closed for good.
    Closed,
};

// The board's connection: finds the board on COM 1 to COM 7, polls it,
// turns what it sends into lines, and follows it when it goes away, comes
// back, or falls silent. Driven by timers and signals alone.
class BoardLink final : public Link {
    Q_OBJECT

public:
    static constexpr int16_t kFirstPort = 1;
    static constexpr int16_t kLastPort = 7;
    static constexpr auto kLineSettings = "9600,n,8,1";
    static constexpr int16_t kThreshold = 1;
    static constexpr int16_t kReadLength = 1;

    BoardLink(std::unique_ptr<SerialControl> control, std::shared_ptr<ComPortMap> ports, LinkTiming timing = {},
              QObject *parent = nullptr);

    void buscarPuerto() override;
    void sendRequest() override;
    void close() override;
    void releasePortLock() override;

    LinkState state() const { return state_; }
    // The port tried last, or the board's.
    int16_t port() const { return puerto; }
    // Whether the board has been identified on that port.
    bool boardFound() const { return portok == 1; }
    // The line being assembled.
    const QString &linea() const { return assembler_.linea(); }

signals:
    void stateChanged(LinkState state);

private:
    using PortOrder = QList<int16_t>;

    void serial();
    void MSComm1_OnComm();
    void Timer1_Timer();

    void startSearch(const PortOrder &order);
    void startScan(const PortOrder &order);
    void tryNextPort();
    void portWaitOver();
    void scanEnded();
    void enter(LinkState state);

    void boardAnswered(const QString &line);
    void boardIdentified();
    void boardLost(const SerialError &error);
    void checkSilence();
    void recoverSilentBoard();
    void forgetBoard();

    void devicesMayHaveChanged();
    bool searchAppearedDevices();
    QStringList appearedDevices(const QStringList &devices) const;
    void scheduleRetry();
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
    const QLatin1StringView CLAVE{protocol::kKeyword};

    LinkState state_ = LinkState::Idle;
    int16_t puerto = 0;
    uint8_t portok = 0;
    LineAssembler assembler_;

    QTimer Timer1;
    // Replaces the wait on each port during a search: one step of it.
    QTimer portWait_;
    QTimer settle_;
    QTimer retry_;

    PortOrder scanOrder_;
    qsizetype nextInScan_ = 0;
    // Every port's outcome in the last search, for the summary.
    QList<statustext::PortOutcome> outcomes_;
    // The devices as last looked at: a device not among them has appeared.
    QStringList known_;
    // Devices that were busy or not accessible, tried again at growing gaps.
    QStringList retryDevices_;
    qsizetype retriesDone_ = 0;

    QElapsedTimer sinceAnswer_;
    bool silenceReported_ = false;
    QString problem_;
    QString logged_;
};
