#pragma once
// One running copy of the program per user: a lock file in the user's runtime
// folder, held for the whole run. A lock left by a program that has ended does
// not count; a live holder counts however old its lock is. When the lock
// cannot be made in the runtime folder, one in the temporary folder is used;
// when it cannot be made there either, the program is not refused.
#include <QString>
#include <memory>

class QLockFile;

namespace frame {

class SingleInstance {
public:
    // `lockPath` "" = trambelo.lock in the user's runtime folder.
    explicit SingleInstance(QString lockPath = {});
    ~SingleInstance();
    // True when this is the only instance (the lock is now held).
    bool acquire();
    bool held() const;
    const QString &lockPath() const { return m_path; }
    static QString defaultLockPath();
    // trambelo-<user id>.lock in the temporary folder.
    static QString fallbackLockPath();

private:
    enum class Outcome { Held, Taken, Unusable };
    Outcome tryAt(const QString &path);

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace frame
