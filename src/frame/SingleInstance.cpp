#include "frame/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace frame {

SingleInstance::SingleInstance(QString lockPath) : m_path(lockPath.isEmpty() ? defaultLockPath() : std::move(lockPath)) {}

SingleInstance::~SingleInstance()
{
    // Closing the file drops the lock; the file stays, and counts for nothing.
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SingleInstance::defaultLockPath()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // The temporary folder is shared by every user: the lock there names its user.
    if (dir.isEmpty())
        return fallbackLockPath();
    return dir + QStringLiteral("/trambelo.lock");
}

QString SingleInstance::fallbackLockPath()
{
    return QDir::tempPath() + QStringLiteral("/trambelo-") + QString::number(::getuid()) + QStringLiteral(".lock");
}

// Tries the lock at `path`: Held, Taken by a live instance, or Unusable (the
// file cannot be opened there, so it tells nothing about other instances).
SingleInstance::Outcome SingleInstance::tryAt(const QString &path)
{
    // Never through a link: in a shared folder it could point anywhere.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Outcome::Unusable;
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r == 0) {
        m_fd = fd;
        return Outcome::Held;
    }
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    return taken ? Outcome::Taken : Outcome::Unusable;
}

bool SingleInstance::acquire()
{
    if (held())
        return true;
    Outcome o = tryAt(m_path);
    if (o == Outcome::Unusable && m_path != fallbackLockPath())
        o = tryAt(fallbackLockPath());
    // A folder where no lock can be made is no proof of another instance: the
    // program starts (without the guard) rather than refuse with a false message.
    return o != Outcome::Taken;
}

} // namespace frame
