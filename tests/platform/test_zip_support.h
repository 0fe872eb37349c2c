#pragma once
// Zip archives written for the tests, and the contents of a folder tree.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <zip.h>

namespace ziptest {

struct Entry {
    enum Kind { File, Dir, Symlink };
    std::string name;
    QByteArray data;            // File: the content; Symlink: the link target
    Kind kind = File;
    const char *password = nullptr;
    bool stored = false;        // kept uncompressed
};

inline zip_uint16_t encryptionMethod()
{
    for (zip_uint16_t m : {zip_uint16_t(ZIP_EM_AES_256), zip_uint16_t(ZIP_EM_TRAD_PKWARE)})
        if (zip_encryption_method_supported(m, 1))
            return m;
    return ZIP_EM_NONE;
}

// Writes the archive; false when libzip refused something.
inline bool write(const QString &path, const std::vector<Entry> &entries)
{
    if (entries.empty()) {   // libzip writes no file for an empty archive: its end record alone
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')) == 22;
    }
    int err = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!za)
        return false;
    bool ok = true;
    for (const Entry &e : entries) {
        if (e.kind == Entry::Dir) {
            ok = zip_dir_add(za, e.name.c_str(), ZIP_FL_ENC_UTF_8) >= 0 && ok;
            continue;
        }
        void *copy = malloc(std::max<qsizetype>(1, e.data.size()));
        memcpy(copy, e.data.constData(), e.data.size());
        zip_source_t *src = zip_source_buffer(za, copy, e.data.size(), 1);
        const zip_int64_t idx = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (idx < 0) {
            zip_source_free(src);
            ok = false;
            continue;
        }
        if (e.stored)
            ok = zip_set_file_compression(za, idx, ZIP_CM_STORE, 0) == 0 && ok;
        if (e.kind == Entry::Symlink)
            ok = zip_file_set_external_attributes(za, idx, 0, ZIP_OPSYS_UNIX, (S_IFLNK | 0777u) << 16) == 0 && ok;
        if (e.password)
            ok = zip_file_set_encryption(za, idx, encryptionMethod(), e.password) == 0 && ok;
    }
    if (zip_close(za) != 0) {
        zip_discard(za);
        return false;
    }
    return ok;
}

// Changes the uncompressed size that the archive at `path` declares for every
// entry (in its local header and in the central directory), leaving the data
// as it is: an archive that lies about the room its files take. Returns the
// number of entries changed.
inline int declareSizes(const QString &path, quint32 size)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return 0;
    QByteArray bytes = f.readAll();
    auto put32 = [&](qsizetype at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((v >> (8 * i)) & 0xff);
    };
    int local = 0, central = 0;
    for (qsizetype at = bytes.indexOf("PK"); at >= 0 && at + 30 <= bytes.size(); at = bytes.indexOf("PK", at + 2)) {
        if (bytes[at + 2] == '\x03' && bytes[at + 3] == '\x04') {
            put32(at + 22, size);
            ++local;
        } else if (bytes[at + 2] == '\x01' && bytes[at + 3] == '\x02') {
            put32(at + 24, size);
            ++central;
        }
    }
    f.seek(0);
    return local == central && f.write(bytes) == bytes.size() ? central : 0;
}

// Gives the entries named `from` the name `to` (of the same length) in the
// archive's bytes: names that the archive library would not write.
inline bool renameEntries(const QString &path, const QByteArray &from, const QByteArray &to)
{
    QFile f(path);
    if (from.size() != to.size() || !f.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = f.readAll();
    if (!bytes.contains(from))
        return false;
    bytes.replace(from, to);
    f.seek(0);
    return f.write(bytes) == bytes.size();
}

// Every file under `folder` (hidden ones included) with its content, by relative path.
inline std::map<std::string, std::string> snapshot(const QString &folder)
{
    std::map<std::string, std::string> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString rel = QDir(folder).relativeFilePath(it.filePath());
        if (it.fileInfo().isDir()) {
            out[(rel + "/").toStdString()] = {};
        } else {
            QFile f(it.filePath());
            out[rel.toStdString()] = (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>")).toStdString();
        }
    }
    return out;
}

} // namespace ziptest
