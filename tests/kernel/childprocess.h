#pragma once

#include "fd.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace kernelinput {

// A program run by the test, with its standard error kept for the test to
// read and its standard input and output on /dev/null. Killed and reaped
// with its owner, if still running.
class ChildProcess {
public:
    // Throws std::system_error where it cannot be started.
    explicit ChildProcess(const std::vector<std::string> &arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return pid_; }

    // What it wrote on standard error so far.
    const std::string &errorOutput();
    // Waits up to timeout for `text` on its standard error; whether it came.
    bool waitForErrorOutput(std::string_view text, std::chrono::milliseconds timeout);

    void signal(int number) const;
    // Its exit status, or 128 + the signal that ended it; nothing when it
    // still ran after timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    void readErrorOutput();

    pid_t pid_ = -1;
    Fd errorPipe_;
    Fd exitNotice_;
    std::string errorOutput_;
    std::optional<int> exitStatus_;
};

} // namespace kernelinput
