#include "programs/common/terminationsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// Where the blocked signals are read; -1 when they could not be blocked.
int signalDescriptor = -1;

sigset_t terminationSignals()
{
    sigset_t requests;
    sigemptyset(&requests);
    sigaddset(&requests, SIGINT);
    sigaddset(&requests, SIGTERM);
    return requests;
}

} // namespace

// Should the descriptor fail, the signals are left to end the program at once.
void holdTerminationRequests()
{
    std::signal(SIGPIPE, SIG_IGN);
    const sigset_t requests = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &requests, nullptr);
    signalDescriptor = signalfd(-1, &requests, SFD_CLOEXEC);
    if (signalDescriptor < 0)
        pthread_sigmask(SIG_UNBLOCK, &requests, nullptr);
}

void onTerminationRequest(QObject *context, std::function<void()> end)
{
    if (signalDescriptor < 0)
        return;
    auto *notifier = new QSocketNotifier(signalDescriptor, QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [end = std::move(end)] {
        signalfd_siginfo taken{};
        [[maybe_unused]] const ssize_t size = ::read(signalDescriptor, &taken, sizeof taken);
        end();
    });
}
