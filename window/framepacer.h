#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

class QWidget;

// Lets a window reach the screen at most once per frame of its display, and
// at most about 33 times a second on a faster display.
//
// Every update() of a window's controls is collected by Qt into one
// UpdateRequest event to the window, which paints what is dirty and flushes
// it to the screen. The pacer lets that event through at once when a frame
// has passed since the last one, so a change after a quiet spell shows
// without delay. Otherwise it holds the event back until the frame is over;
// everything updated meanwhile goes out with it, in one paint and one flush.
// Controls and their contents change at once either way, except what the
// window leaves to be done just before a frame goes out: only the screen
// waits.
class FramePacer final : public QObject {
public:
    // Monotonic time, from any fixed origin.
    using Clock = std::function<std::chrono::nanoseconds()>;

    static std::chrono::nanoseconds steadyTime();

    explicit FramePacer(QWidget &window, Clock clock = steadyTime);

    // Called just before each frame goes out, for changes worth making only
    // once a frame, such as a text that is laid out anew each time it is set.
    void beforeEachFrame(std::function<void()> prepare) { prepare_ = std::move(prepare); }

    // Asks for a frame when nothing on the window is dirty yet: what the
    // window draws just before it goes out is painted with it.
    void requestFrame();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One refresh of the screen the window is on.
    std::chrono::nanoseconds frameInterval() const;
    std::chrono::nanoseconds untilNextFrame(std::chrono::nanoseconds now) const;
    void releaseHeldUpdate();
    void letFrameOut(std::chrono::nanoseconds now);

    QWidget &window_;
    const Clock clock_;
    std::function<void()> prepare_;
    std::optional<std::chrono::nanoseconds> lastFrame_;
    QTimer heldUpdate_;
    bool releasing_ = false;
    bool frameRequested_ = false;
};
