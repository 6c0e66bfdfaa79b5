#pragma once

#include <QDeadlineTimer>
#include <QTimer>

// The few services of the event loop the window's procedures call directly.
namespace toolkit {

// Keeps a timer armed for `deadline`, so that a blocking pump wakes up
// when the deadline passes even if nothing else happens.
class WakeUpAt {
public:
    explicit WakeUpAt(const QDeadlineTimer &deadline);

private:
    QTimer timer_;
};

// Handles every pending event; when none is pending, blocks until one
// arrives. Costs no CPU while it blocks.
void pumpEvents();

// Ends the process at once with status 0. No close or unload handling runs.
[[noreturn]] void endProgram();

} // namespace toolkit
