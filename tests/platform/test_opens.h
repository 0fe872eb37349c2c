#pragma once
// The database files opened while an object lives, through a file layer put
// before the engine's own: those of the thread that made the object, or those
// of the other threads.
#include <QFileInfo>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <sqlite3.h>
#include <thread>
#include <utility>

namespace dbtest {

class Opens {
public:
    enum Whose { OwnThread, OtherThreads };
    explicit Opens(Whose whose = OwnThread) : m_whose(whose)
    {
        s_base = sqlite3_vfs_find(nullptr);
        m_layer = *s_base;
        m_layer.zName = "opens_counted";
        m_layer.xOpen = &open;
        s_current = this;
        sqlite3_vfs_register(&m_layer, 1);
    }
    ~Opens()
    {
        sqlite3_vfs_unregister(&m_layer);
        s_current = nullptr;
    }
    Opens(const Opens &) = delete;
    Opens &operator=(const Opens &) = delete;

    // The names of the files opened since the last call, sorted.
    QStringList take()
    {
        const std::lock_guard lock(m_mutex);
        QStringList out = std::exchange(m_names, {});
        out.sort();
        return out;
    }

private:
    static int open(sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags)
    {
        if (Opens *self = s_current; self && name && (flags & SQLITE_OPEN_MAIN_DB) &&
                                     (std::this_thread::get_id() == self->m_owner) == (self->m_whose == OwnThread)) {
            const std::lock_guard lock(self->m_mutex);
            self->m_names << QFileInfo(QString::fromUtf8(name)).fileName();
        }
        return s_base->xOpen(s_base, name, file, flags, outFlags);
    }

    static inline sqlite3_vfs *s_base = nullptr;
    static inline std::atomic<Opens *> s_current = nullptr;
    const Whose m_whose;
    const std::thread::id m_owner = std::this_thread::get_id();
    sqlite3_vfs m_layer{};
    std::mutex m_mutex;
    QStringList m_names;
};

} // namespace dbtest
