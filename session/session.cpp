#include "session/session.h"

#include "seriallink/serialportcontrol.h"

namespace {

std::unique_ptr<SerialControl> orRealPorts(std::unique_ptr<SerialControl> control,
                                           const std::shared_ptr<ComPortMap> &ports)
{
    return control ? std::move(control) : std::make_unique<SerialPortControl>(ports);
}

} // namespace

BoardSession::BoardSession(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control,
                           LinkTiming timing)
    : ports_(std::move(ports))
    , link_(orRealPorts(std::move(control), ports_), ports_, timing)
{
    QObject::connect(&link_, &Link::lineReceived, &model_, &BoardModel::apply);
}

ReportOrigin BoardSession::origin() const
{
    const int16_t port = link_.port();
    return {port, ports_->devicePath(port)};
}

void BoardSession::pollAfterEachAnswer(int mostPerSecond)
{
    link_.pollAfterEachAnswer(mostPerSecond);
    QObject::connect(&model_, &BoardModel::reportCompleted, &link_, &BoardLink::answerCompleted);
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
