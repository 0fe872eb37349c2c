#pragma once
// One running copy of the program per user: a lock taken on a file in the
// user's runtime folder, held for the whole run. The system drops the lock
// when its process ends, however it ends, so a file left by a program that has
// ended does not count, and a live holder counts however old its file is.
// Nothing is written into the file (nothing to flush to disk at start-up).
// When the file cannot be made in the runtime folder, one in the temporary
// folder is used; when it cannot be made there either, the program is not
// refused.
#include <QString>

namespace frame {

class SingleInstance {
public:
    // `lockPath` "" = trambelo.lock in the user's runtime folder.
    explicit SingleInstance(QString lockPath = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this is the only instance (the lock is now held).
    bool acquire();
    bool held() const { return m_fd >= 0; }
    const QString &lockPath() const { return m_path; }
    static QString defaultLockPath();
    // trambelo-<user id>.lock in the temporary folder.
    static QString fallbackLockPath();

private:
    enum class Outcome { Held, Taken, Unusable };
    Outcome tryAt(const QString &path);

    QString m_path;
    int m_fd = -1;
};

} // namespace frame
