#pragma once

#include "window/presentschedule.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Paces the repaints of a view fed many times a second, on one single-shot
// timer: whatever changes within a frame is shown once, a picture at most
// once a frame (40 ms), a text about ten times a second, which is as often
// as it can be read; a change after a quiet spell at once. Nothing runs
// while nothing changes.
class FramePacer final : public QObject {
    Q_OBJECT

public:
    // `show` is given the parts due in a frame.
    using Show = std::function<void(PresentSchedule::Parts)>;

    explicit FramePacer(Show show, QObject *parent = nullptr);

    // `part` of the view has something new to show.
    void changed(PresentSchedule::Part part);

private:
    void armTimer();
    void frameDue();

    Show show_;
    PresentSchedule schedule_;
    QTimer timer_;
    PresentSchedule::Time timerDue_{};
};
