#pragma once

#include "seriallink/boardlink.h"
#include "seriallink/comportmap.h"
#include "seriallink/serialcontrol.h"
#include "stickdata/boardmodel.h"

#include <functional>
#include <memory>

// The board's side of every program, without a window: the link over a
// serial control and the devices of `ports`, and the model that every line
// the link receives is applied to.
class BoardSession {
public:
    // Without a `control`, the link uses the real serial ports.
    explicit BoardSession(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control = nullptr,
                          LinkTiming timing = {});

    BoardLink &link() { return link_; }
    const BoardLink &link() const { return link_; }
    const BoardModel &model() const { return model_; }
    // The port the link is on now, and its device.
    ReportOrigin origin() const;
    // Polls the board again as soon as a report completes, at most
    // `mostPerSecond` times a second, as a game controller needs.
    void pollAfterEachAnswer(int mostPerSecond = BoardLink::kMostRequestsPerSecond);

private:
    const std::shared_ptr<ComPortMap> ports_;
    BoardLink link_;
    BoardModel model_;
};

// Calls `show` with each status text of `link` as the window shows it: the
// connection and port console messages, and why a port failed.
void forEachStatusText(const Link &link, const std::function<void(const QString &)> &show);
