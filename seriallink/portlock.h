#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Who holds a port, as its lock file tells.
struct LockHolder {
    qint64 pid = 0;
    // The holder's program name; empty when the lock file does not say.
    QString program;
};

// The UUCP-style lock files Qt's serial layer keeps for the ports it has
// open on Unix: "LCK.." and the device's name under /dev, slashes as
// underscores ("LCK..pts_3"), holding the holder's process id and then its
// program name. Qt takes the first of its lock folders that is readable and
// either holds the device's lock file already or may be written to; the
// temporary folder is its last resort. Windows keeps no lock files: there
// the folders are none and nothing is ever found.
class PortLocks {
public:
    // The folders Qt's serial layer tries on this system, in its order.
    static QStringList standardFolders();

    explicit PortLocks(QStringList folders = standardFolders());

    // Where the lock file of `device` is or would be made; empty when no
    // folder takes it.
    QString lockFile(const QString &device) const;
    // Who the lock file of `device` names, when there is one that names a
    // process.
    std::optional<LockHolder> holder(const QString &device) const;
    // The lock file of `device` when it names this process, else empty.
    QString ownLockFile(const QString &device) const;

private:
    QStringList folders_;
};
