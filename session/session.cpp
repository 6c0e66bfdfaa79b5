#include "session/session.h"

#include "seriallink/serialportcontrol.h"

namespace {

std::unique_ptr<SerialControl> orRealPorts(std::unique_ptr<SerialControl> control,
                                           const std::shared_ptr<ComPortMap> &ports)
{
    return control ? std::move(control) : std::make_unique<SerialPortControl>(ports);
}

} // namespace

BoardSession::BoardSession(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control, LinkTiming timing,
                           std::shared_ptr<LinkClock> clock)
    : ports_(std::move(ports))
    , link_(orRealPorts(std::move(control), ports_), ports_, timing, clock)
    , lines_(link_, std::move(clock))
{
    // A report's closing line ends the board's answer: polled after each
    // answer, the link asks again.
    QObject::connect(&lines_, &BoardLines::arrived, &link_, [this](const BoardLine &line) {
        if (line.report)
            link_.answerCompleted();
    });
}

ReportOrigin BoardSession::origin() const
{
    const int16_t port = link_.port();
    return {port, ports_->devicePath(port)};
}

void forEachStatusText(const Link &link, const std::function<void(const QString &)> &show)
{
    const auto showText = [show](const QString &text) {
        if (!text.isEmpty())
            show(text);
    };
    for (const auto signal : {&Link::infoChanged, &Link::consoleChanged, &Link::problemChanged})
        QObject::connect(&link, signal, &link, showText);
}
