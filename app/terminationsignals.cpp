#include "app/terminationsignals.h"

#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>

int terminationSignalFd()
{
    sigset_t terminationSignals;
    sigemptyset(&terminationSignals);
    sigaddset(&terminationSignals, SIGINT);
    sigaddset(&terminationSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &terminationSignals, nullptr);
    return signalfd(-1, &terminationSignals, SFD_CLOEXEC);
}
