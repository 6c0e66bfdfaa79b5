#pragma once

#include "seriallink/boardlink.h"
#include "seriallink/comportmap.h"
#include "seriallink/linkclock.h"
#include "seriallink/serialcontrol.h"
#include "session/boardlines.h"
#include "stickdata/boardmodel.h"

#include <functional>
#include <memory>

// The board's side of every program, without a window: the link over a
// serial control and the devices of `ports`, and the board's lines, each
// applied to the model and handed on once, all on one clock.
class BoardSession {
public:
    // Without a `control`, the link uses the real serial ports.
    explicit BoardSession(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control = nullptr,
                          LinkTiming timing = {}, std::shared_ptr<LinkClock> clock = LinkClock::eventLoop());

    BoardLink &link() { return link_; }
    const BoardLink &link() const { return link_; }
    const BoardLines &lines() const { return lines_; }
    const BoardModel &model() const { return lines_.model(); }
    // Now, as a line arriving now is stamped.
    Arrival now() const { return lines_.now(); }
    // The port the link is on now, and its device.
    ReportOrigin origin() const;

private:
    const std::shared_ptr<ComPortMap> ports_;
    BoardLink link_;
    BoardLines lines_;
};

// Calls `show` with each status text of `link` as the window shows it: the
// connection and port console messages, and why a port failed.
void forEachStatusText(const Link &link, const std::function<void(const QString &)> &show);
