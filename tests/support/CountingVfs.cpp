#include "support/CountingVfs.h"

#include <QFileInfo>
#include <cstring>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>
#include <sqlite3.h>

namespace testsupport {

namespace {

struct Counts {
    QByteArray pathPart;
    int opens = 0, syncs = 0, exclusive = 0, writes = 0;
    int exitAt = 0;
    std::thread::id owner = std::this_thread::get_id();
    std::vector<std::pair<QString, std::thread::id>> opened;   // by any thread: under g_openedMutex
};

Counts g_counts;
std::mutex g_openedMutex;
sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_vfs;

// A file of the counting layer: the real file follows the header.
struct File {
    sqlite3_file base;
    bool counted;
    bool mainDb;
    sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
};

File *self(sqlite3_file *f) { return reinterpret_cast<File *>(f); }
sqlite3_file *real(sqlite3_file *f) { return self(f)->real(); }

int xClose(sqlite3_file *f)
{
    sqlite3_file *r = real(f);
    return r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
}
int xRead(sqlite3_file *f, void *b, int n, sqlite3_int64 o) { return real(f)->pMethods->xRead(real(f), b, n, o); }
int xWrite(sqlite3_file *f, const void *b, int n, sqlite3_int64 o)
{
    if (self(f)->counted && self(f)->mainDb) {
        ++g_counts.writes;
        if (g_counts.exitAt > 0 && g_counts.writes >= g_counts.exitAt)
            ::_exit(0);
    }
    return real(f)->pMethods->xWrite(real(f), b, n, o);
}
int xTruncate(sqlite3_file *f, sqlite3_int64 n) { return real(f)->pMethods->xTruncate(real(f), n); }
int xSync(sqlite3_file *f, int flags)
{
    if (self(f)->counted)
        ++g_counts.syncs;
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file *f, sqlite3_int64 *n) { return real(f)->pMethods->xFileSize(real(f), n); }
int xLock(sqlite3_file *f, int level)
{
    const int rc = real(f)->pMethods->xLock(real(f), level);
    if (rc == SQLITE_OK && level == SQLITE_LOCK_EXCLUSIVE && self(f)->counted && self(f)->mainDb)
        ++g_counts.exclusive;
    return rc;
}
int xUnlock(sqlite3_file *f, int level) { return real(f)->pMethods->xUnlock(real(f), level); }
int xCheckReservedLock(sqlite3_file *f, int *out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); }
int xFileControl(sqlite3_file *f, int op, void *arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); }
int xSectorSize(sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); }
int xDeviceCharacteristics(sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }
int xShmMap(sqlite3_file *f, int i, int sz, int ext, void volatile **p)
{
    return real(f)->pMethods->xShmMap(real(f), i, sz, ext, p);
}
int xShmLock(sqlite3_file *f, int off, int n, int flags) { return real(f)->pMethods->xShmLock(real(f), off, n, flags); }
void xShmBarrier(sqlite3_file *f) { real(f)->pMethods->xShmBarrier(real(f)); }
int xShmUnmap(sqlite3_file *f, int del) { return real(f)->pMethods->xShmUnmap(real(f), del); }
int xFetch(sqlite3_file *f, sqlite3_int64 o, int n, void **p) { return real(f)->pMethods->xFetch(real(f), o, n, p); }
int xUnfetch(sqlite3_file *f, sqlite3_int64 o, void *p) { return real(f)->pMethods->xUnfetch(real(f), o, p); }

const sqlite3_io_methods g_io = {3,         xClose,        xRead,         xWrite,     xTruncate,   xSync,
                                 xFileSize, xLock,         xUnlock,       xCheckReservedLock,      xFileControl,
                                 xSectorSize, xDeviceCharacteristics, xShmMap, xShmLock, xShmBarrier,
                                 xShmUnmap, xFetch,        xUnfetch};

int xOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *outFlags)
{
    File *file = self(f);
    file->counted = name && !g_counts.pathPart.isEmpty() && std::strstr(name, g_counts.pathPart.constData());
    file->mainDb = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    file->real()->pMethods = nullptr;
    const int rc = g_real->xOpen(g_real, name, file->real(), flags, outFlags);
    // The layer's methods only over a file really opened: a failed open is never closed.
    f->pMethods = file->real()->pMethods ? &g_io : nullptr;
    if (rc == SQLITE_OK && file->counted && file->mainDb) {
        const std::lock_guard<std::mutex> lock(g_openedMutex);
        ++g_counts.opens;
        g_counts.opened.emplace_back(QFileInfo(QString::fromUtf8(name)).fileName(), std::this_thread::get_id());
    }
    return rc;
}

int xDelete(sqlite3_vfs *, const char *n, int s) { return g_real->xDelete(g_real, n, s); }
int xAccess(sqlite3_vfs *, const char *n, int f, int *o) { return g_real->xAccess(g_real, n, f, o); }
int xFullPathname(sqlite3_vfs *, const char *n, int sz, char *o) { return g_real->xFullPathname(g_real, n, sz, o); }
void *xDlOpen(sqlite3_vfs *, const char *n) { return g_real->xDlOpen(g_real, n); }
void xDlError(sqlite3_vfs *, int n, char *m) { g_real->xDlError(g_real, n, m); }
void (*xDlSym(sqlite3_vfs *, void *h, const char *s))(void) { return g_real->xDlSym(g_real, h, s); }
void xDlClose(sqlite3_vfs *, void *h) { g_real->xDlClose(g_real, h); }
int xRandomness(sqlite3_vfs *, int n, char *o) { return g_real->xRandomness(g_real, n, o); }
int xSleep(sqlite3_vfs *, int us) { return g_real->xSleep(g_real, us); }
int xCurrentTime(sqlite3_vfs *, double *t) { return g_real->xCurrentTime(g_real, t); }
int xGetLastError(sqlite3_vfs *, int n, char *m) { return g_real->xGetLastError(g_real, n, m); }
int xCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *t) { return g_real->xCurrentTimeInt64(g_real, t); }

} // namespace

CountingVfs::CountingVfs(const QString &pathPart)
{
    g_counts = Counts{pathPart.toUtf8()};
    if (!g_real) {
        g_real = sqlite3_vfs_find(nullptr);
        g_vfs = sqlite3_vfs{2,       int(sizeof(File)) + g_real->szOsFile,
                            g_real->mxPathname, nullptr, "counting", nullptr, xOpen, xDelete, xAccess,
                            xFullPathname, xDlOpen, xDlError, xDlSym, xDlClose, xRandomness, xSleep, xCurrentTime,
                            xGetLastError, xCurrentTimeInt64, nullptr, nullptr, nullptr};
    }
    sqlite3_vfs_register(&g_vfs, 1);
}

CountingVfs::~CountingVfs()
{
    sqlite3_vfs_register(g_real, 1); // the real layer is the default again
    g_counts.pathPart.clear();
}

int CountingVfs::opens() const { return g_counts.opens; }
int CountingVfs::syncs() const { return g_counts.syncs; }
int CountingVfs::exclusiveLocks() const { return g_counts.exclusive; }
int CountingVfs::writes() const { return g_counts.writes; }
void CountingVfs::reset() { g_counts = Counts{g_counts.pathPart}; }

QStringList CountingVfs::takeOpened(Whose whose)
{
    const std::lock_guard<std::mutex> lock(g_openedMutex);
    QStringList names;
    std::vector<std::pair<QString, std::thread::id>> kept;
    for (auto &[name, thread] : g_counts.opened)
        if ((thread == g_counts.owner) == (whose == OwnThread))
            names << name;
        else
            kept.emplace_back(std::move(name), thread);
    g_counts.opened = std::move(kept);
    names.sort();
    return names;
}
void CountingVfs::exitAtWrite(int n)
{
    g_counts.writes = 0;
    g_counts.exitAt = n;
}

} // namespace testsupport
