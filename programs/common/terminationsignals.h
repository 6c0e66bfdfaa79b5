#pragma once

#include <QObject>

#include <functional>

// The requests to end the program, handed to the event loop, which then
// ends normally, between two events, so that the program cleans up:
// SIGINT and SIGTERM on Linux; Ctrl-C, Ctrl-Break, the console window
// closed, logging off and shutting down on Windows.
//
// Called before any thread starts, so that every thread leaves the
// requests to the event loop. A write to a pipe nobody reads then fails
// with EPIPE instead of ending the program.
void holdTerminationRequests();

// From now on, and for a request held before, calls `end` in `context`'s
// thread at each request; once the application exists.
void onTerminationRequest(QObject *context, std::function<void()> end);
