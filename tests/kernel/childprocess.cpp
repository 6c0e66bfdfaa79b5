#include "childprocess.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace kernelinput {

using namespace std::chrono;

ChildProcess::ChildProcess(const std::vector<std::string> &arguments)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) < 0)
        throwErrno("pipe2");
    errorPipe_ = Fd(pipeEnds[0]);
    const Fd writeEnd(pipeEnds[1]);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
    std::vector<char *> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    const int error = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        errno = error;
        throwErrno("starting " + arguments.front());
    }
    // Readable once it has exited: waited for without a poll of its own.
    exitNotice_ = Fd(static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0)));
    if (!exitNotice_)
        throwErrno("pidfd_open");
}

ChildProcess::~ChildProcess()
{
    if (exitStatus_)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

void ChildProcess::readErrorOutput()
{
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(errorPipe_.get(), buffer, sizeof buffer)) > 0)
        errorOutput_.append(buffer, static_cast<std::size_t>(got));
}

const std::string &ChildProcess::errorOutput()
{
    readErrorOutput();
    return errorOutput_;
}

bool ChildProcess::waitForErrorOutput(std::string_view text, milliseconds timeout)
{
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        readErrorOutput();
        if (errorOutput_.find(text) != std::string::npos)
            return true;
        const auto left = ceil<milliseconds>(deadline - steady_clock::now());
        if (exitStatus_ || left.count() <= 0)
            return false;
        pollfd polled[2] = {{errorPipe_.get(), POLLIN, 0}, {exitNotice_.get(), POLLIN, 0}};
        if (::poll(polled, 2, static_cast<int>(left.count())) < 0 && errno != EINTR)
            throwErrno("poll");
        if (polled[1].revents != 0)
            waitForExit(0ms);
    }
}

void ChildProcess::signal(int number) const
{
    if (!exitStatus_)
        ::kill(pid_, number);
}

std::optional<int> ChildProcess::waitForExit(milliseconds timeout)
{
    if (exitStatus_)
        return exitStatus_;
    if (!waitReadable(exitNotice_.get(), timeout))
        return std::nullopt;
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_)
        throwErrno("waitpid");
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    readErrorOutput();
    return exitStatus_;
}

} // namespace kernelinput
