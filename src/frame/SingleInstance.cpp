#include "frame/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace frame {

SingleInstance::SingleInstance(QString lockPath) : m_path(lockPath.isEmpty() ? defaultLockPath() : std::move(lockPath)) {}

SingleInstance::~SingleInstance() = default;

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
// file cannot be created there, so it tells nothing about other instances).
SingleInstance::Outcome SingleInstance::tryAt(const QString &path)
{
    m_lock = std::make_unique<QLockFile>(path);
    // Never take over the lock of a live holder because of the lock's age.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Outcome::Held;
    const bool taken = m_lock->error() == QLockFile::LockFailedError;
    m_lock.reset();
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

bool SingleInstance::held() const
{
    return m_lock && m_lock->isLocked();
}

} // namespace frame
