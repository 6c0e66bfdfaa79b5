#include "support/pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

Pty::Pty()
{
    std::array<char, 256> name{};
    if (openpty(&master_, &slave_, name.data(), nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = QString::fromLocal8Bit(name.data());
}

Pty::~Pty()
{
    hangUp();
}

void Pty::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        pollfd pfd{master_, POLLOUT, 0};
        ::poll(&pfd, 1, 10);
        QCoreApplication::processEvents();
    }
}

QByteArray Pty::read(std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    QByteArray bytes;
    for (;;) {
        QCoreApplication::processEvents();
        std::array<char, 4096> chunk{};
        ssize_t n;
        while ((n = ::read(master_, chunk.data(), chunk.size())) > 0)
            bytes.append(chunk.data(), n);
        if (!bytes.isEmpty() || deadline.hasExpired())
            return bytes;
        pollfd pfd{master_, POLLIN, 0};
        ::poll(&pfd, 1, 5);
    }
}

void Pty::hangUp()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}
