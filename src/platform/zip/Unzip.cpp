#include "platform/zip/Unzip.h"
#include "platform/Error.h"
#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/zip/ZipLibrary.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>

namespace platform::zip {

namespace {

using platform::files::withSep;

// The staging folders of an update start with this name, inside the destination.
const QString StagingPrefix = QStringLiteral(".aggiornamento-");
const QString JournalName = QStringLiteral("journal");
const QString JournalHeader = QStringLiteral("trambelo-aggiornamento 1");

std::function<void(int)> &commitHook()
{
    static std::function<void(int)> hook;
    return hook;
}

// Closes the archive on every path.
struct Archive {
    zip_t *za = nullptr;
    ~Archive()
    {
        if (za)
            functions().zip_discard(za);   // opened read-only: nothing to write back
    }
};

bool renameFile(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// `target`'s content also reachable as `backup`: a second name for the same
// file where the file system allows it (a symbolic link itself, not its
// target), else a copy.
bool keepCopy(const QString &target, const QString &backup)
{
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(backup).constData()) == 0)
        return true;
    return QFile::copy(target, backup);
}

// Everything written on the file system of `path` reaches the disk: one flush
// for all the files of a commit.
bool flushFileSystem(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

bool isLink(const Functions &z, zip_t *za, zip_uint64_t index)
{
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (z.zip_file_get_external_attributes(za, index, 0, &opsys, &attributes) != 0)
        return false;
    return opsys == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// An entry name as it can be shown: control characters as "?".
QString printable(QString name)
{
    for (QChar &c : name)
        if (c.category() == QChar::Other_Control)
            c = u'?';
    return name;
}

QString megabytes(quint64 bytes)
{
    return QString::number((bytes + (1 << 20) - 1) >> 20);
}

// The entries of folders as they are on disk, each folder read once: the
// letter case of existing names without listing a folder for every file.
class DiskNames {
public:
    // The path of `part` inside `folder` (ending with "/") with its letter case
    // on disk, exact match first; "" when the folder holds no such name.
    QString find(const QString &folder, const QString &part)
    {
        Listing &l = listing(folder);
        if (l.exact.contains(part))
            return folder + part;
        const auto it = l.folded.find(part.toCaseFolded());
        return it == l.folded.end() ? QString() : folder + it->second;
    }
    // The path of `rel` inside `folder`: each existing part with its case on
    // disk, the others as written.
    QString onDisk(const QString &folder, const QString &rel)
    {
        QString current = withSep(folder);
        const QStringList parts = rel.split(u'/', Qt::SkipEmptyParts);
        for (int i = 0; i < parts.size(); ++i) {
            const QString found = QFileInfo(current).isDir() ? find(current, parts[i]) : QString();
            const QString next = found.isEmpty() ? current + parts[i] : found;
            current = i + 1 < parts.size() ? withSep(next) : next;
        }
        return current;
    }

private:
    struct Listing {
        QSet<QString> exact;
        std::map<QString, QString> folded;
    };
    Listing &listing(const QString &folder)
    {
        auto it = m_folders.find(folder);
        if (it != m_folders.end())
            return it->second;
        Listing l;
        for (const QString &e : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                       QDir::NoDotAndDotDot)) {
            l.exact.insert(e);
            l.folded.emplace(e.toCaseFolded(), e);
        }
        return m_folders.emplace(folder, std::move(l)).first->second;
    }
    std::map<QString, Listing> m_folders;
};

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
    for (const QChar c : n)
        if (c.category() == QChar::Other_Control)
            return false;
    QStringList kept;
    for (const QString &part : n.split(u'/')) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return false;
        kept << part;
    }
    if (!kept.isEmpty() && kept.first().startsWith(StagingPrefix, Qt::CaseInsensitive))
        return false;
    rel = kept.join(u'/');
    return isDir || !rel.isEmpty();
}

// ---- the view of the staged files ------------------------------------------------------------

QString StagedView::pathOf(const QString &name) const
{
    QString rel;
    bool isDir = false;
    if (!SafeEntryPath(name, rel, isDir) || isDir)
        return {};
    const auto it = m_staged.find(rel.toCaseFolded());
    if (it != m_staged.end())
        return it->second.second;
    return platform::files::resolveInside(m_folder, rel);
}

bool StagedView::brings(const QString &name) const
{
    QString rel;
    bool isDir = false;
    return SafeEntryPath(name, rel, isDir) && !isDir && m_staged.count(rel.toCaseFolded()) > 0;
}

QStringList StagedView::names() const
{
    QStringList out;
    for (const auto &[key, file] : m_staged)
        out << file.first;
    return out;
}

// ---- the extraction --------------------------------------------------------------------------

Extraction::Extraction() = default;

Extraction::~Extraction() = default;   // the staging folder goes with m_staging

void Extraction::setCommitHook(std::function<void(int)> hook)
{
    commitHook() = std::move(hook);
}

int Extraction::fail(int code, const QString &message, const QString &detail)
{
    m_message = message;
    m_detail = detail;
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

int Extraction::run(const QString &zipPath, const QString &destFolder, const PasswordAsker &askPassword,
                    const Hooks &hooks)
{
    fail(code::Ok, {});
    const QString dest = withSep(destFolder);
    if (dest.isEmpty() || !QFileInfo(dest).isDir())
        return fail(code::Param, QStringLiteral("La cartella di destinazione non esiste: ") + destFolder);

    // The zip library is loaded the first time an archive is read.
    const Functions *library = nullptr;
    try {
        library = &functions();
    } catch (const RuntimeError &e) {
        return fail(code::Library, e.description(), e.detail());
    }
    const Functions &z = *library;

    // Opened leniently, as other archivers do (some write slightly inconsistent
    // headers); the data of every entry is checked against its checksum as it is read.
    Archive archive;
    int errorCode = 0;
    archive.za = z.zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &errorCode);
    if (!archive.za) {
        zip_error_t err;
        z.zip_error_init_with_code(&err, errorCode);
        const QString detail = QString::fromLocal8Bit(z.zip_error_strerror(&err));
        z.zip_error_fini(&err);
        return fail(code::NoZip,
                    QStringLiteral("Impossibile aprire l'archivio ") + zipPath + QStringLiteral(": ") +
                        errtext::zip(errorCode),
                    detail);
    }
    const zip_int64_t count = z.zip_get_num_entries(archive.za, 0);
    if (count <= 0)
        return fail(code::Empty, QStringLiteral("L'archivio non contiene file: ") + zipPath);

    // The names, and the room the files need, before anything is written.
    quint64 declared = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char *raw = z.zip_get_name(archive.za, index, ZIP_FL_ENC_GUESS);
        const QString name = raw ? QString::fromUtf8(raw) : QString();
        QString rel;
        bool isDir = false;
        // Control bytes are refused as stored, before a code page can turn them into signs.
        const char *stored = z.zip_get_name(archive.za, index, ZIP_FL_ENC_RAW);
        const bool controls = stored && std::any_of(stored, stored + std::strlen(stored), [](char c) {
                                            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
                                        });
        if (controls || !SafeEntryPath(name, rel, isDir))
            return fail(code::Skipped, QStringLiteral("Nome non consentito nell'archivio: ") + printable(name));
        if (isLink(z, archive.za, index))
            return fail(code::Skipped, QStringLiteral("Collegamento non consentito nell'archivio: ") + printable(name));
        zip_stat_t st;
        z.zip_stat_init(&st);
        if (!isDir && z.zip_stat_index(archive.za, index, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE))
            declared += st.size;
    }
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(dest).constData(), &fs) == 0) {
        const quint64 free = quint64(fs.f_bavail) * quint64(fs.f_frsize);
        if (declared > free)
            return fail(code::Disk, QStringLiteral("Spazio su disco insufficiente nella cartella %1: i file "
                                                   "dell'archivio occupano %2 MB, lo spazio libero è di %3 MB.")
                                        .arg(dest, megabytes(declared), megabytes(free)));
    }

    m_staging = std::make_unique<QTemporaryDir>(dest + StagingPrefix + QStringLiteral("XXXXXX"));
    if (!m_staging->isValid())
        return fail(code::Disk, QStringLiteral("Impossibile scrivere nella cartella ") + dest);
    const QString staging = withSep(m_staging->path());

    std::map<QString, size_t> byName;   // the same file named twice: the last entry wins
    std::optional<QString> password;
    for (zip_int64_t i = 0; i < count; ++i) {
        if (hooks.progress)
            hooks.progress(i, count);
        const auto index = static_cast<zip_uint64_t>(i);
        const char *raw = z.zip_get_name(archive.za, index, ZIP_FL_ENC_GUESS);
        const QString name = raw ? QString::fromUtf8(raw) : QString();
        QString rel;
        bool isDir = false;
        SafeEntryPath(name, rel, isDir);   // proved above
        if (isDir) {
            if (!rel.isEmpty())
                m_dirs << rel;
            continue;
        }

        zip_stat_t st;
        z.zip_stat_init(&st);
        if (z.zip_stat_index(archive.za, index, 0, &st) != 0)
            return fail(code::Damaged, QStringLiteral("Voce illeggibile nell'archivio: ") + name,
                        QString::fromLocal8Bit(z.zip_strerror(archive.za)));
        if ((st.valid & ZIP_STAT_COMP_METHOD) && !z.zip_compression_method_supported(st.comp_method, 0))
            return fail(code::Unsupported, QStringLiteral("Metodo di compressione non supportato: ") + name);
        const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        if (encrypted && !z.zip_encryption_method_supported(st.encryption_method, 0))
            return fail(code::Unsupported, QStringLiteral("Metodo di cifratura non supportato: ") + name);

        zip_file_t *zf = nullptr;
        bool wrongPassword = false;
        if (!encrypted) {
            zf = z.zip_fopen_index(archive.za, index, 0);
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
                zf = z.zip_fopen_index_encrypted(archive.za, index, 0, password->toUtf8().constData());
                if (zf || z.zip_error_code_zip(z.zip_get_error(archive.za)) != ZIP_ER_WRONGPASSWD)
                    break;
                wrongPassword = true;
                z.zip_error_clear(archive.za);
                password.reset();
            }
        }
        if (!zf) {
            if (wrongPassword)
                return fail(code::BadPassword, QStringLiteral("Password errata per: ") + name);
            zip_error_t *err = z.zip_get_error(archive.za);
            return fail(code::Damaged,
                        QStringLiteral("Voce illeggibile nell'archivio: ") + name + QStringLiteral(" (") +
                            errtext::zip(z.zip_error_code_zip(err)) + QStringLiteral(")"),
                        QString::fromLocal8Bit(z.zip_error_strerror(err)));
        }

        const QString key = rel.toCaseFolded();
        auto it = byName.find(key);
        if (it == byName.end()) {
            it = byName.emplace(key, m_files.size()).first;
            m_files.push_back({rel, staging + QStringLiteral("n") + QString::number(m_files.size()), {}});
        } else {
            m_files[it->second].rel = rel;
        }
        // Written without a flush of its own: the whole staging folder reaches
        // the disk at once before the commit.
        QFile out(m_files[it->second].staged);
        bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        bool readOk = true;
        bool tooLong = false;
        quint64 total = 0;
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        while (written) {
            const zip_int64_t n = z.zip_fread(zf, buffer.data(), static_cast<zip_uint64_t>(buffer.size()));
            if (n < 0) {
                readOk = false;
                break;
            }
            if (n == 0)
                break;
            total += quint64(n);
            if ((st.valid & ZIP_STAT_SIZE) && total > st.size) {   // more than the room it was given
                readOk = false;
                tooLong = true;
                break;
            }
            written = out.write(buffer.constData(), n) == n;
        }
        const int readCode = readOk ? ZIP_ER_OK : z.zip_error_code_zip(z.zip_file_get_error(zf));
        const QString readDetail = readOk || tooLong ? QString() : QString::fromLocal8Bit(z.zip_file_strerror(zf));
        if (z.zip_fclose(zf) != 0 && readOk)
            readOk = false;
        if (written && (st.valid & ZIP_STAT_MTIME))
            out.setFileTime(QDateTime::fromSecsSinceEpoch(st.mtime), QFileDevice::FileModificationTime);
        if (written)
            written = out.flush();
        out.close();
        if (!readOk) {
            const QString why = tooLong ? QStringLiteral("i dati superano la dimensione dichiarata")
                                        : errtext::zip(readCode == ZIP_ER_OK ? ZIP_ER_CRC : readCode);
            return fail(encrypted && !tooLong ? code::BadPassword : code::Damaged,
                        QStringLiteral("Dati non validi nell'archivio: ") + name + QStringLiteral(" (") + why +
                            QStringLiteral(")"),
                        readDetail);
        }
        if (!written)
            return fail(code::Disk, QStringLiteral("Impossibile scrivere il file ") + rel + QStringLiteral(" in ") + dest,
                        out.errorString());
    }
    if (hooks.progress)
        hooks.progress(count, count);
    if (m_files.empty())
        return fail(code::Empty, QStringLiteral("L'archivio non contiene file da aggiornare: ") + zipPath);

    if (!plan(dest))
        return fail(code::Disk, m_message);
    if (hooks.check) {
        StagedView view;
        view.m_folder = dest;
        for (const Staged &f : m_files)
            view.m_staged[f.rel.toCaseFolded()] = {f.rel, f.staged};
        const QString reason = hooks.check(view);
        if (!reason.isEmpty())
            return fail(code::Refused, reason);
    }
    if (!commit(dest))
        return fail(code::Disk, m_message);
    return code::Ok;
}

// Where every file goes, proved before anything changes: no target outside
// the destination (through a symbolic link of a folder), no folder in the way
// of a file, no file in the way of a folder.
bool Extraction::plan(const QString &dest)
{
    DiskNames names;
    QSet<QString> folders;   // the folders the files need, case-folded, relative
    auto checkFolder = [&](const QString &relDir) {
        QString current = dest;
        QString sofar;
        for (const QString &part : relDir.split(u'/', Qt::SkipEmptyParts)) {
            sofar += (sofar.isEmpty() ? QString() : QStringLiteral("/")) + part;
            folders.insert(sofar.toCaseFolded());
            const QString found = QFileInfo(current).isDir() ? names.find(current, part) : QString();
            if (found.isEmpty()) {
                current = current + part + u'/';
                continue;
            }
            const QFileInfo info(found);
            if (!info.isDir()) {
                m_message = QStringLiteral("Esiste già un file con il nome della cartella ") + found;
                return false;
            }
            if (!platform::files::isInside(dest, found)) {
                m_message = QStringLiteral("La cartella %1 dell'archivio porta fuori dalla cartella dei Database.")
                                .arg(sofar);
                return false;
            }
            current = withSep(found);
        }
        return true;
    };
    for (const QString &d : m_dirs)
        if (!checkFolder(d))
            return false;
    for (Staged &f : m_files) {
        const int slash = int(f.rel.lastIndexOf(u'/'));
        if (slash > 0 && !checkFolder(f.rel.left(slash)))
            return false;
    }
    for (Staged &f : m_files) {
        f.target = names.onDisk(dest, f.rel);
        const QFileInfo info(f.target);
        // A symbolic link in the way is replaced itself, never followed.
        if ((info.isDir() && !info.isSymLink()) || folders.contains(f.rel.toCaseFolded())) {
            m_message = QStringLiteral("Esiste già una cartella con il nome ") + f.target;
            return false;
        }
        if (info.isSymLink() && info.isDir()) {
            m_message = QStringLiteral("Esiste già un collegamento a una cartella con il nome ") + f.target;
            return false;
        }
    }
    return true;
}

bool Extraction::commit(const QString &dest)
{
    const QString staging = withSep(m_staging->path());
    const QString backups = staging + QStringLiteral("old/");
    if (!QDir().mkpath(backups)) {
        m_message = QStringLiteral("Impossibile scrivere nella cartella ") + dest;
        return false;
    }
    QString journal = JournalHeader + u'\n';
    auto relOf = [&](const QString &path) { return path.mid(dest.size()); };

    auto abort = [&](const QString &message) {
        // What cannot be put back now is left to the next start, with its journal.
        if (undo())
            QFile::remove(staging + JournalName);
        else
            m_staging->setAutoRemove(false);
        flushFileSystem(dest);
        m_message = message;
        return false;
    };
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
            journal += QStringLiteral("D\t") + relOf(current) + u'\n';
        }
        return true;
    };
    for (const QString &d : m_dirs)
        if (!makeDirs(d))
            return abort(QStringLiteral("Impossibile creare la cartella ") + dest + d);
    for (const Staged &f : m_files) {
        const int slash = int(f.rel.lastIndexOf(u'/'));
        if (slash > 0 && !makeDirs(f.rel.left(slash)))
            return abort(QStringLiteral("Impossibile creare la cartella ") + dest + f.rel.left(slash));
    }

    // The old files kept, so that they can come back until the update is final.
    std::vector<Step> steps;
    int n = 0;
    for (const Staged &f : m_files) {
        const QFileInfo info(f.target);
        Step step{f.target, {}};
        if (info.exists() || info.isSymLink()) {
            step.backup = backups + QString::number(n++);
            if (!keepCopy(f.target, step.backup))
                return abort(QStringLiteral("Impossibile conservare il file ") + f.target);
        }
        journal += QStringLiteral("F\t") + relOf(f.target) + u'\t' + step.backup.mid(staging.size()) + u'\t' +
                   f.staged.mid(staging.size()) + u'\n';
        steps.push_back(step);
    }
    // Once: the extracted files, the copies and the new folders reach the disk,
    // then the journal that lets a stopped commit be undone.
    if (!flushFileSystem(dest))
        return abort(QStringLiteral("Errore di scrittura sul disco nella cartella ") + dest);
    QString error;
    if (!platform::files::writeTextAtomic(staging + JournalName, journal, &error))
        return abort(error);

    for (size_t k = 0; k < m_files.size(); ++k) {
        if (commitHook())
            commitHook()(int(k));
        // One rename: the target is the old file or the new one, never missing.
        if (!renameFile(m_files[k].staged, m_files[k].target))
            return abort(QStringLiteral("Impossibile sostituire il file ") + m_files[k].target);
        m_steps.push_back(steps[k]);
    }
    if (commitHook())
        commitHook()(int(m_files.size()));
    if (!flushFileSystem(dest))
        return abort(QStringLiteral("Errore di scrittura sul disco nella cartella ") + dest);
    // Without its journal the update is final.
    if (!QFile::remove(staging + JournalName))
        return abort(QStringLiteral("Impossibile completare l'aggiornamento nella cartella ") + dest);
    flushFileSystem(dest);
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
    const bool ok = undo();
    flushFileSystem(m_staging->path());
    return ok;
}

Extraction::Recovery Extraction::recover(const QString &destFolder)
{
    Recovery r;
    const QString dest = withSep(destFolder);
    if (dest.isEmpty() || !QFileInfo(dest).isDir())
        return r;
    // Folders named as the staging folders, letter case ignored (compared by
    // hand: a name pattern would bring in the regular expression engine at
    // every start of the program).
    QStringList found = QDir(dest).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    found.removeIf([](const QString &name) { return !name.startsWith(StagingPrefix, Qt::CaseInsensitive); });
    for (const QString &name : found) {
        ++r.stagingFolders;
        const QString staging = dest + name + u'/';
        QFile journal(staging + JournalName);
        if (journal.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString::fromUtf8(journal.readAll()).split(u'\n', Qt::SkipEmptyParts);
            journal.close();
            if (lines.value(0) == JournalHeader) {
                r.rolledBack = true;
                // A path of the journal names a file of this folder, or it is not followed.
                auto inside = [&](const QString &rel) {
                    QString clean;
                    bool isDir = false;
                    return SafeEntryPath(rel, clean, isDir) ? dest + clean : QString();
                };
                for (int i = int(lines.size()) - 1; i >= 1; --i) {
                    const QStringList f = lines[i].split(u'\t');
                    if (f.value(0) != QLatin1String("F") || f.size() != 4)
                        continue;
                    const QString target = inside(f[1]);
                    if (target.isEmpty()) {
                        r.ok = false;
                        continue;
                    }
                    if (!f[2].isEmpty()) {
                        const QString backup = staging + f[2];
                        if (QFileInfo::exists(backup) || QFileInfo(backup).isSymLink())
                            r.ok = renameFile(backup, target) && r.ok;
                    } else if (!QFileInfo::exists(staging + f[3]) && QFileInfo(target).isFile()) {
                        r.ok = QFile::remove(target) && r.ok;   // added by the stopped commit
                    }
                }
                for (int i = int(lines.size()) - 1; i >= 1; --i) {
                    const QStringList f = lines[i].split(u'\t');
                    if (f.value(0) == QLatin1String("D") && f.size() == 2) {
                        const QString dir = inside(f[1]);
                        if (!dir.isEmpty())
                            QDir().rmdir(dir);   // only when nothing else is in it
                    }
                }
                flushFileSystem(dest);
            }
        }
        r.ok = QDir(staging).removeRecursively() && r.ok;
    }
    if (r.stagingFolders > 0)
        flushFileSystem(dest);
    return r;
}

} // namespace platform::zip
