#pragma once

#include <chrono>
#include <optional>

// How often the window shows what changed.
struct PresentTiming {
    std::chrono::nanoseconds frame = std::chrono::milliseconds(40);
    std::chrono::nanoseconds textRefresh = std::chrono::milliseconds(100);
};

// When the window shows the board's latest state, so that a fast board
// costs a frame now and then rather than a frame a line.
//
// The sticks (their pictures and check boxes) go out at most once a frame;
// the number texts, which are laid out anew each time they are set and
// cannot be read when they change faster, about ten times a second. Texts
// ready to go ride along with a frame of the sticks; they get a frame of
// their own only when none comes before they have waited a refresh. After
// a quiet spell, whatever changes goes out at once.
class PresentSchedule {
public:
    // Monotonic time, from any fixed origin.
    using Time = std::chrono::nanoseconds;

    enum class Part { Sticks, Texts };

    // What goes out in one frame.
    struct Parts {
        bool sticks = false;
        bool texts = false;
        bool operator==(const Parts &) const = default;
    };

    explicit PresentSchedule(PresentTiming timing = {})
        : timing_(timing)
    {
    }

    // `part` of the window has something new to show.
    void changed(Part part, Time now);
    // When the next frame is due; nothing while nothing waits.
    std::optional<Time> due() const;
    // What goes out in a frame at `now`, no longer waiting once taken.
    Parts take(Time now);

private:
    Time frameOpens() const;
    Time textsReady() const;
    Time textsDue() const;

    const PresentTiming timing_;
    std::optional<Time> lastFrame_;
    std::optional<Time> lastTexts_;
    bool sticksWaiting_ = false;
    std::optional<Time> textsWaitingSince_;
};
