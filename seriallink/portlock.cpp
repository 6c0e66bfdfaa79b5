#include "seriallink/portlock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

// The lock file's name for `device`, as Qt derives it from the device's
// path: the part under /dev, or the whole path for a device elsewhere.
QString lockFileName(const QString &device)
{
    const QString devFolder = QStringLiteral("/dev/");
    QString name = device.startsWith(devFolder) ? device.mid(devFolder.size()) : device;
    return QStringLiteral("/LCK..") + name.replace(u'/', u'_');
}

// The holder on the first two lines of a lock file: the process id (a
// lock file of another kind may carry more words after it), then the
// program's name.
std::optional<LockHolder> parseHolder(const QByteArray &contents)
{
    const QList<QByteArray> lines = contents.split('\n');
    const QList<QByteArray> words = lines.constFirst().simplified().split(' ');
    bool isNumber = false;
    const qint64 pid = words.constFirst().toLongLong(&isNumber);
    if (!isNumber || pid <= 0)
        return std::nullopt;
    return LockHolder{pid, QString::fromUtf8(lines.value(1).trimmed())};
}

} // namespace

QStringList PortLocks::standardFolders()
{
#ifdef Q_OS_UNIX
    return {QStringLiteral("/var/lock"),
            QStringLiteral("/etc/locks"),
            QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"),
            QStringLiteral("/tmp"),
            QStringLiteral("/var/tmp"),
            QStringLiteral("/var/lock/lockdev"),
            QStringLiteral("/run/lock"),
            QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
#else
    return {};
#endif
}

PortLocks::PortLocks(QStringList folders)
    : folders_(std::move(folders))
{
}

QString PortLocks::lockFile(const QString &device) const
{
    const QString name = lockFileName(device);
    for (const QString &folder : folders_) {
        const QFileInfo info(folder);
        QString path = folder + name;
        if (info.isReadable() && (QFile::exists(path) || info.isWritable()))
            return path;
    }
    return QString();
}

std::optional<LockHolder> PortLocks::holder(const QString &device) const
{
    QFile lock(lockFile(device));
    if (lock.fileName().isEmpty() || !lock.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parseHolder(lock.read(256));
}

QString PortLocks::ownLockFile(const QString &device) const
{
    const std::optional<LockHolder> named = holder(device);
    return named && named->pid == QCoreApplication::applicationPid() ? lockFile(device) : QString();
}
