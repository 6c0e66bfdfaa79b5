#pragma once

#include "session/session.h"
#include "stickdata/boardstats.h"
#include "window/details/detailswindow.h"

// The details window and the statistics it shows, fed from the board's
// session from the start, whether the window is shown or not: the
// statistics and the views take every report and line at the monotonic
// time it came, and every event of the link, so that the window, opened
// at any time, shows the last 30 seconds and the figures since the start.
// Hidden, the window paints nothing.
class BoardDetails {
public:
    explicit BoardDetails(BoardSession &session);

    DetailsWindow &window() { return window_; }

private:
    void reportCompleted(const Report &report);
    void lineReceived(const QString &line);
    void lineDropped();
    void stateChanged(LinkState state);
    void showLink();

    BoardSession &session_;
    BoardStats stats_;
    DetailsWindow window_{stats_};
    LinkShown link_;
    // Whether the model made nothing of the line it was given last.
    bool lineIgnored_ = false;
};
