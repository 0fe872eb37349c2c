#include "frame/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace frame {

SingleInstance::SingleInstance(QString lockPath) : m_path(lockPath.isEmpty() ? defaultLockPath() : std::move(lockPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/trambelo.lock");
}

bool SingleInstance::acquire()
{
    if (held())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never take over the lock of a live holder because of the lock's age.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

bool SingleInstance::held() const
{
    return m_lock && m_lock->isLocked();
}

} // namespace frame
