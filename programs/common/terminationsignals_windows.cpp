#include "programs/common/terminationsignals.h"

#include <QWinEventNotifier>

#include <windows.h>

namespace {

// Set by the console's handler thread, watched by the event loop; it lives
// as long as the process, for a handler that may still be running.
HANDLE requestEvent = nullptr;

// Runs on a thread of its own. After a closed console, a log-off or a
// shutdown, Windows ends the process as soon as this returns (and after
// a few seconds anyway): it waits for the program to end itself first.
BOOL WINAPI handleConsoleEvent(DWORD event)
{
    SetEvent(requestEvent);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

} // namespace

void holdTerminationRequests()
{
    requestEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (requestEvent)
        SetConsoleCtrlHandler(handleConsoleEvent, TRUE);
}

void onTerminationRequest(QObject *context, std::function<void()> end)
{
    if (!requestEvent)
        return;
    auto *notifier = new QWinEventNotifier(requestEvent, context);
    QObject::connect(notifier, &QWinEventNotifier::activated, context, [end = std::move(end)] { end(); });
}
