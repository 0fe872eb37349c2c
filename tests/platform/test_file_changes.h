#pragma once
// Changes to a file after it was read, as another program or an update makes
// them: replaced, touched, grown, written again with its old times put back.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace filechange {

inline bool statOf(const QString &path, struct stat &st)
{
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

inline bool later(const timespec &a, const timespec &b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// Waits until a file written now gets a later change time than `path` has
// (the clock of the file times moves by ticks): a change made afterwards is
// then told by its times.
inline void waitForNextChangeTime(const QString &path)
{
    struct stat st {}, probe {};
    if (!statOf(path, st))
        return;
    const QString probePath = path + ".orologio";
    do {
        QFile f(probePath);
        if (!f.open(QIODevice::WriteOnly))
            return;
        f.write("x");
        f.close();
        if (!statOf(probePath, probe))
            return;
    } while (!later(probe.st_ctim, st.st_ctim));
    QFile::remove(probePath);
}

// Puts a copy of the file in its place (another inode, the same size unless
// `edit` changes it); `edit` works on the copy first.
inline bool replace(const QString &path, const std::function<void(const QString &copy)> &edit = {})
{
    const QString copy = path + ".nuovo";
    QFile::remove(copy);
    if (!QFile::copy(path, copy))
        return false;
    if (edit)
        edit(copy);
    return ::rename(QFile::encodeName(copy).constData(), QFile::encodeName(path).constData()) == 0;
}

// Moves the modification time by `seconds`.
inline bool touch(const QString &path, int seconds)
{
    struct stat st {};
    if (!statOf(path, st))
        return false;
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_sec += seconds;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

inline bool grow(const QString &path, int bytes)
{
    QFile f(path);
    return f.open(QIODevice::Append) && f.write(QByteArray(bytes, '\0')) == bytes;
}

// Writes the file's first byte again, in place, and puts its access and
// modification times back: only its change time tells.
inline bool rewriteKeepingTimes(const QString &path)
{
    struct stat st {};
    if (!statOf(path, st))
        return false;
    waitForNextChangeTime(path);
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadWrite))
            return false;
        const QByteArray first = f.read(1);
        if (!f.seek(0) || f.write(first) != 1)
            return false;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// The same files under other names: `to` holds hard links to each file of `from`.
inline bool linkAll(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList(QDir::Files))
        if (::link(QFile::encodeName(from + "/" + name).constData(), QFile::encodeName(to + "/" + name).constData()) != 0)
            return false;
    return true;
}

} // namespace filechange
