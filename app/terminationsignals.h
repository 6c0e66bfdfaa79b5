#pragma once

// SIGINT and SIGTERM blocked and delivered through the descriptor returned,
// to be watched with a QSocketNotifier: the event loop then ends normally,
// between two events, and the program cleans up. Called before any thread
// starts, so that every thread inherits the blocked signals.
int terminationSignalFd();
