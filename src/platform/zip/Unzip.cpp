#include "platform/zip/Unzip.h"
#include "platform/Files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <zip.h>

namespace platform::zip {

namespace {

using platform::files::withSep;

// Closes the archive on every path.
struct Archive {
    zip_t *za = nullptr;
    ~Archive()
    {
        if (za)
            zip_discard(za);   // opened read-only: nothing to write back
    }
};

QString libError(zip_error_t *err)
{
    return QString::fromLocal8Bit(zip_error_strerror(err));
}

bool renameFile(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// `target`'s content also reachable as `backup`: a second name for the same
// file where the file system allows it, else a copy.
bool keepCopy(const QString &target, const QString &backup)
{
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(backup).constData()) == 0)
        return true;
    return QFile::copy(target, backup);
}

// The path of `rel` inside `folder`, each part that exists taken with the
// letter case it has on disk, the others as written.
QString onDisk(const QString &folder, const QString &rel)
{
    QString current = withSep(folder);
    const QStringList parts = rel.split(u'/', Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QString found = platform::files::resolve(current, parts[i]);
        QString next = found.isEmpty() ? current + parts[i] : found;
        current = i + 1 < parts.size() ? withSep(next) : next;
    }
    return current;
}

bool isLink(zip_t *za, zip_uint64_t index)
{
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(za, index, 0, &opsys, &attributes) != 0)
        return false;
    return opsys == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

} // namespace

bool SafeEntryPath(const QString &name, QString &rel, bool &isDir)
{
    QString n = name;
    n.replace(u'\\', u'/');
    isDir = n.endsWith(u'/');
    rel.clear();
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (n.isEmpty() || n.startsWith(u'/') || drive.match(n).hasMatch())
        return false;
    QStringList kept;
    for (const QString &part : n.split(u'/')) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return false;
        kept << part;
    }
    rel = kept.join(u'/');
    return isDir || !rel.isEmpty();
}

Extraction::Extraction() = default;

Extraction::~Extraction() = default;   // the staging folder goes with m_staging

int Extraction::fail(int code, const QString &message)
{
    m_message = message;
    m_files.clear();
    m_dirs.clear();
    m_steps.clear();
    m_createdDirs.clear();
    m_staging.reset();
    return code;
}

QStringList Extraction::files() const
{
    QStringList out;
    for (const Step &s : m_steps)
        out << s.target;
    return out;
}

int Extraction::run(const QString &zipPath, const QString &destFolder, const PasswordAsker &askPassword)
{
    fail(code::Ok, {});
    const QString dest = withSep(destFolder);
    if (dest.isEmpty() || !QFileInfo(dest).isDir())
        return fail(code::Param, QStringLiteral("La cartella di destinazione non esiste: ") + destFolder);

    // Opened leniently, as other archivers do (some write slightly inconsistent
    // headers); the data of every entry is checked against its checksum as it is read.
    Archive archive;
    int errorCode = 0;
    archive.za = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &errorCode);
    if (!archive.za) {
        zip_error_t err;
        zip_error_init_with_code(&err, errorCode);
        const QString text = libError(&err);
        zip_error_fini(&err);
        return fail(code::NoZip, QStringLiteral("Impossibile aprire l'archivio ") + zipPath + QStringLiteral(": ") + text);
    }
    const zip_int64_t count = zip_get_num_entries(archive.za, 0);
    if (count <= 0)
        return fail(code::Empty, QStringLiteral("L'archivio non contiene file: ") + zipPath);

    m_staging = std::make_unique<QTemporaryDir>(dest + QStringLiteral(".aggiornamento-XXXXXX"));
    if (!m_staging->isValid())
        return fail(code::Disk, QStringLiteral("Impossibile scrivere nella cartella ") + dest);
    const QString staging = withSep(m_staging->path());

    std::map<QString, size_t> byName;   // the same file named twice: the last entry wins
    std::optional<QString> password;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char *raw = zip_get_name(archive.za, index, ZIP_FL_ENC_GUESS);
        const QString name = raw ? QString::fromUtf8(raw) : QString();
        QString rel;
        bool isDir = false;
        if (!SafeEntryPath(name, rel, isDir))
            return fail(code::Skipped, QStringLiteral("Nome non consentito nell'archivio: ") + name);
        if (isLink(archive.za, index))
            return fail(code::Skipped, QStringLiteral("Collegamento non consentito nell'archivio: ") + name);
        if (isDir) {
            if (!rel.isEmpty())
                m_dirs << rel;
            continue;
        }

        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.za, index, 0, &st) != 0)
            return fail(code::Damaged, QStringLiteral("Voce illeggibile nell'archivio: ") + name);
        if ((st.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(st.comp_method, 0))
            return fail(code::Unsupported, QStringLiteral("Metodo di compressione non supportato: ") + name);
        const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        if (encrypted && !zip_encryption_method_supported(st.encryption_method, 0))
            return fail(code::Unsupported, QStringLiteral("Metodo di cifratura non supportato: ") + name);

        zip_file_t *zf = nullptr;
        bool wrongPassword = false;
        if (!encrypted) {
            zf = zip_fopen_index(archive.za, index, 0);
        } else {
            // The password of the previous entry is tried first; then the user is
            // asked, up to three times for one entry.
            int asked = 0;
            while (!zf) {
                if (!password) {
                    if (asked == 3)
                        break;
                    ++asked;
                    password = askPassword ? askPassword(name) : std::nullopt;
                    if (!password || password->isEmpty())
                        return fail(code::BadPassword, QStringLiteral("Password non inserita per: ") + name);
                }
                zf = zip_fopen_index_encrypted(archive.za, index, 0, password->toUtf8().constData());
                if (zf || zip_error_code_zip(zip_get_error(archive.za)) != ZIP_ER_WRONGPASSWD)
                    break;
                wrongPassword = true;
                zip_error_clear(archive.za);
                password.reset();
            }
        }
        if (!zf) {
            if (wrongPassword)
                return fail(code::BadPassword, QStringLiteral("Password errata per: ") + name);
            return fail(code::Damaged, QStringLiteral("Voce illeggibile nell'archivio: ") + name + QStringLiteral(" (") +
                                           libError(zip_get_error(archive.za)) + QStringLiteral(")"));
        }

        const QString key = rel.toCaseFolded();
        auto it = byName.find(key);
        if (it == byName.end()) {
            it = byName.emplace(key, m_files.size()).first;
            m_files.push_back({rel, staging + QStringLiteral("n") + QString::number(m_files.size())});
        } else {
            m_files[it->second].rel = rel;
        }
        QFile out(m_files[it->second].staged);
        bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        bool readOk = true;
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        while (written) {
            const zip_int64_t n = zip_fread(zf, buffer.data(), static_cast<zip_uint64_t>(buffer.size()));
            if (n < 0) {
                readOk = false;
                break;
            }
            if (n == 0)
                break;
            written = out.write(buffer.constData(), n) == n;
        }
        const QString readError = readOk ? QString() : libError(zip_file_get_error(zf));
        if (zip_fclose(zf) != 0 && readOk)
            readOk = false;
        if (written && (st.valid & ZIP_STAT_MTIME))
            out.setFileTime(QDateTime::fromSecsSinceEpoch(st.mtime), QFileDevice::FileModificationTime);
        if (written)
            written = out.flush() && ::fsync(out.handle()) == 0;
        out.close();
        if (!readOk)
            return fail(encrypted ? code::BadPassword : code::Damaged,
                        QStringLiteral("Dati non validi nell'archivio: ") + name +
                            (readError.isEmpty() ? QString() : QStringLiteral(" (") + readError + QStringLiteral(")")));
        if (!written)
            return fail(code::Disk, QStringLiteral("Impossibile scrivere il file ") + rel + QStringLiteral(" in ") + dest);
    }
    if (m_files.empty() && m_dirs.isEmpty())
        return fail(code::Empty, QStringLiteral("L'archivio non contiene file: ") + zipPath);

    if (!commit(dest))
        return fail(code::Disk, m_message);
    return code::Ok;
}

bool Extraction::commit(const QString &dest)
{
    const QString backups = withSep(m_staging->path()) + QStringLiteral("old/");
    if (!QDir().mkpath(backups)) {
        m_message = QStringLiteral("Impossibile scrivere nella cartella ") + dest;
        return false;
    }
    // Missing folders, each part created once and remembered for undo().
    auto makeDirs = [&](const QString &relDir) {
        QString current = dest;
        for (const QString &part : relDir.split(u'/', Qt::SkipEmptyParts)) {
            const QString found = platform::files::resolve(current, part);
            if (!found.isEmpty()) {
                if (!QFileInfo(found).isDir())
                    return false;
                current = withSep(found);
                continue;
            }
            current = current + part + u'/';
            if (!QDir().mkdir(current))
                return false;
            m_createdDirs << current;
        }
        return true;
    };

    auto abort = [&](const QString &message) {
        undo();
        m_message = message;
        return false;
    };
    for (const QString &d : m_dirs)
        if (!makeDirs(d))
            return abort(QStringLiteral("Impossibile creare la cartella ") + dest + d);
    int n = 0;
    for (const Staged &f : m_files) {
        const int slash = f.rel.lastIndexOf(u'/');
        if (slash > 0 && !makeDirs(f.rel.left(slash)))
            return abort(QStringLiteral("Impossibile creare la cartella ") + dest + f.rel.left(slash));
        const QString target = onDisk(dest, f.rel);
        const QFileInfo info(target);
        Step step{target, {}};
        if (info.exists() || info.isSymLink()) {
            if (info.isDir())
                return abort(QStringLiteral("Esiste già una cartella con il nome ") + target);
            step.backup = backups + QString::number(n++);
            if (!keepCopy(target, step.backup))
                return abort(QStringLiteral("Impossibile conservare il file ") + target);
        }
        // One rename: the target is the old file or the new one, never missing.
        if (!renameFile(f.staged, target)) {
            if (!step.backup.isEmpty())
                QFile::remove(step.backup);
            return abort(QStringLiteral("Impossibile sostituire il file ") + target);
        }
        m_steps.push_back(step);
    }
    if (const int fd = ::open(QFile::encodeName(dest).constData(), O_RDONLY); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool Extraction::undo()
{
    bool ok = true;
    for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it) {
        if (it->backup.isEmpty())
            ok = QFile::remove(it->target) && ok;
        else
            ok = renameFile(it->backup, it->target) && ok;
    }
    m_steps.clear();
    for (auto it = m_createdDirs.crbegin(); it != m_createdDirs.crend(); ++it)
        ok = QDir().rmdir(*it) && ok;
    m_createdDirs.clear();
    return ok;
}

bool Extraction::revert()
{
    if (!m_staging)
        return true;
    return undo();
}

} // namespace platform::zip
