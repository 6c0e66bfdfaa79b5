#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <utility>

// Running the event loop from a test or a benchmark, and what the process
// costs meanwhile.

// Handles events for `span`, blocking between them. A precise timer armed
// for what is left wakes the loop at the deadline, not before or long after.
inline void runFor(std::chrono::milliseconds span)
{
    const QDeadlineTimer end(span, Qt::PreciseTimer);
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    while (!end.hasExpired()) {
        wakeUp.start(std::chrono::milliseconds(qMax<qint64>(end.remainingTime(), 0)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Handles events until `done()` holds or `limit` passes; returns `done()`.
// The wait ends as soon as `done()` holds, so the limit only bounds a
// failure, and is far beyond what a busy machine takes.
template <typename Done>
bool runUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(30))
{
    const QDeadlineTimer end(limit, Qt::PreciseTimer);
    while (!done() && !end.hasExpired())
        runFor(std::chrono::milliseconds(10));
    return done();
}

// User plus system CPU time used by the process so far.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Calls `onPaint` each time `widget` has been painted: the call is queued
// when the paint event arrives, so it runs once the whole repaint that
// event belongs to is done.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget *widget, std::function<void()> onPaint)
        : onPaint_(std::move(onPaint))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, onPaint_);
        return false;
    }

private:
    std::function<void()> onPaint_;
};
