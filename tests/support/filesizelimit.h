#pragma once

#include <QtGlobal>

#include <sys/resource.h>

#include <csignal>

// While it stands, a write that would make a file larger than `bytes`
// writes what fits and then fails, as on a full disk (with EFBIG).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
        : previousHandler_(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        const rlimit limit{rlim_t(bytes), saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int);
};
