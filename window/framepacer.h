#pragma once

#include "window/presentschedule.h"

#include <QObject>
#include <QTimer>

#include <functional>

// Paces the repaints of a view fed many times a second: whatever changes
// within a frame is shown once, a picture at most once a frame (40 ms), a
// text about ten times a second, which is as often as it can be read; a
// change after a quiet spell at once. Nothing runs while nothing changes.
class FramePacer final : public QObject {
    Q_OBJECT

public:
    FramePacer(PresentSchedule::Part part, std::function<void()> show, QObject *parent = nullptr);

    // The view has something new to show.
    void changed();

private:
    void armTimer();
    void frameDue();

    const PresentSchedule::Part part_;
    std::function<void()> show_;
    PresentSchedule schedule_;
    QTimer timer_;
    PresentSchedule::Time timerDue_{};
};
