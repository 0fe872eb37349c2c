#pragma once
// Counts what the database engine asks of the disk for the files whose path
// contains a given text: opens of the database file itself, flushes (sync) and
// exclusive locks (one per committed write transaction). Installed as the
// engine's default file layer while the object lives; connections opened
// before it keep the layer they had.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

class CountingVfs {
public:
    explicit CountingVfs(const QString &pathPart);
    ~CountingVfs();
    CountingVfs(const CountingVfs &) = delete;
    CountingVfs &operator=(const CountingVfs &) = delete;

    int opens() const;          // the main database file opened
    int syncs() const;          // flushes of the database file or its journal
    int exclusiveLocks() const; // write transactions committed on the database file
    int writes() const;         // writes into the database file itself
    void reset();
    // The names of the database files (not their journals) opened since the
    // last call, sorted: by the thread that made this object, or by the others.
    enum Whose { OwnThread, OtherThreads };
    QStringList takeOpened(Whose whose = OwnThread);
    // Ends the process at once, as a kill would, when the database file is
    // about to take its n-th write from now (0 = never).
    void exitAtWrite(int n);
};

} // namespace testsupport
