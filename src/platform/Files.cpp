#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

QString withSep(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(Sep))
        return folder;
    return folder + Sep;
}

static QString resolveOne(const QString &folder, const QString &name)
{
    const QString exact = withSep(folder) + name;
    if (QFileInfo::exists(exact))
        return exact;
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return withSep(folder) + e;
    return {};
}

QString resolve(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return {};
    QString current = folder;
    const QStringList parts = QString(name).replace(u'\\', Sep).split(Sep, Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        current = resolveOne(current, part);
        if (current.isEmpty())
            return {};
    }
    return current;
}

bool existsIn(const QString &folder, const QString &name)
{
    return !resolve(folder, name).isEmpty();
}

bool wildcardMatch(QStringView name, QStringView pattern)
{
    // Letters compared case-folded; on a mismatch the last '*' takes one
    // character more.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

QStringList find(const QString &folder, const QString &pattern)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    QStringList out;
    for (const QString &e : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        if (wildcardMatch(e, pattern))
            out << e;
    return out;
}

bool readText(const QString &path, QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8(bytes);
    if (utf8.hasError())
        text = fromWindows1252(bytes);
    return true;
}

QString fromWindows1252(const QByteArray &bytes)
{
    // 0x80-0x9F; the five bytes the code page leaves undefined keep their control character.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b);
    }
    return text;
}

// The canonical form of `path`: its longest existing part with every link
// followed, then the parts that do not exist yet as written.
static QString canonicalOf(const QString &path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList rest;
    while (!existing.isEmpty()) {
        const QFileInfo fi(existing);
        if (fi.exists()) {
            QString canonical = fi.canonicalFilePath();
            if (canonical.isEmpty())
                return {};
            for (auto it = rest.crbegin(); it != rest.crend(); ++it)
                canonical += Sep + *it;
            return canonical;
        }
        if (fi.isSymLink())
            return {};   // a link that leads nowhere: its target is unknown
        const qsizetype slash = existing.lastIndexOf(Sep);
        if (slash <= 0)
            break;
        rest.append(existing.mid(slash + 1));
        existing.truncate(slash);
    }
    return {};
}

bool isInside(const QString &folder, const QString &path)
{
    const QString root = canonicalOf(folder);
    const QString target = canonicalOf(path);
    if (root.isEmpty() || target.isEmpty())
        return false;
    return target.startsWith(withSep(root)) && target.size() > withSep(root).size();
}

bool staysInside(const QString &folder, const QString &name)
{
    QString n = name;
    n.replace(u'\\', Sep);
    if (n.isEmpty() || n.startsWith(Sep) || QDir::isAbsolutePath(n) ||
        (n.size() >= 2 && n[1] == u':' && n[0].isLetter()))
        return false;
    for (const QString &part : n.split(Sep, Qt::SkipEmptyParts))
        if (part == QLatin1String(".."))
            return false;
    // Each existing part as the program would find it (letter case ignored),
    // the parts that do not exist yet as written.
    QString current = folder;
    const QStringList parts = n.split(Sep, Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QString found = resolveOne(current, parts[i]);
        if (found.isEmpty()) {
            current = withSep(current) + parts.mid(i).join(Sep);
            break;
        }
        current = found;
    }
    return isInside(folder, current);
}

QString resolveInside(const QString &folder, const QString &name)
{
    return staysInside(folder, name) ? resolve(folder, name) : QString();
}

QString writeErrorText(const QString &path, int errnum)
{
    const QString f = QDir::toNativeSeparators(path);
    switch (errnum) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Spazio su disco insufficiente per salvare il file '%1'.").arg(f);
    case EACCES:
    case EPERM:
        return QStringLiteral("Impossibile salvare il file '%1': accesso negato.").arg(f);
    case EROFS:
        return QStringLiteral("Impossibile salvare il file '%1': il disco è di sola lettura.").arg(f);
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Impossibile salvare il file '%1': la cartella non esiste.").arg(f);
    case ENAMETOOLONG:
        return QStringLiteral("Impossibile salvare il file '%1': il nome è troppo lungo.").arg(f);
    case EISDIR:
        return QStringLiteral("Impossibile salvare il file '%1': esiste una cartella con questo nome.").arg(f);
    default:
        return QStringLiteral("Errore di scrittura sul disco durante il salvataggio del file '%1'.").arg(f);
    }
}

// The temporary files of our own saves of `name`: "<prefix>.tmp-XXXXXX", the
// prefix being the name itself, cut at a character when the whole would be
// longer than the longest file name the system takes.
static const char TempInfix[] = ".tmp-";
constexpr int MaxNameBytes = 255;

static QString tempPrefix(const QString &name)
{
    const int room = MaxNameBytes - int(sizeof(TempInfix) - 1) - 6;
    QString prefix = name;
    while (QFile::encodeName(prefix).size() > room) {
        prefix.chop(1);
        if (!prefix.isEmpty() && prefix.back().isHighSurrogate())
            prefix.chop(1);
    }
    return prefix;
}

static void removeStaleTemporaries(const QString &dir, const QString &prefix)
{
    const QRegularExpression re(QStringLiteral("^%1%2[A-Za-z0-9]{6}$")
                                    .arg(QRegularExpression::escape(prefix), QString::fromLatin1(TempInfix)));
    for (const QString &e : QDir(dir).entryList({prefix + QString::fromLatin1(TempInfix) + u'*'},
                                                QDir::Files | QDir::Hidden | QDir::System))
        if (re.match(e).hasMatch())
            QFile::remove(dir + Sep + e);
}

// Writes every byte to `fd`: 0, or the system error that stopped it.
static int writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        p += n;
        left -= n;
    }
    return 0;
}

bool writeAtomic(const QString &path, const QByteArray &bytes, QString *error)
{
    const auto fail = [&](int errnum) {
        if (error)
            *error = writeErrorText(path, errnum);
        return false;
    };
    const QFileInfo info(path);
    const QString dir = info.absolutePath();
    if (info.isDir())
        return fail(EISDIR);
    const QString prefix = tempPrefix(info.fileName());
    removeStaleTemporaries(dir, prefix);

    QByteArray temp = QFile::encodeName(dir + Sep + prefix + QString::fromLatin1(TempInfix) + QStringLiteral("XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return fail(errno);
    const auto abandon = [&](int errnum) {
        ::close(fd);
        ::unlink(temp.constData());
        return fail(errnum);
    };
    // The new file keeps the permissions of the one it replaces, else the usual ones.
    struct stat old {};
    mode_t mode = 0666;
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd, mode);

    if (const int e = writeAll(fd, bytes))
        return abandon(e);
    if (::fsync(fd) != 0)
        return abandon(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return abandon(errno);
    if (st.st_size != static_cast<off_t>(bytes.size()))
        return abandon(EIO);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(temp.constData());
        return fail(e);
    }
    if (::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        const int e = errno;
        ::unlink(temp.constData());
        return fail(e);
    }
    // The rename itself reaches the disk with the folder.
    const int dfd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool writeTextAtomic(const QString &path, const QString &text, QString *error)
{
    return writeAtomic(path, text.toUtf8(), error);
}

bool appendText(const QString &path, const QString &text, QString *error)
{
    const auto fail = [&](int errnum) {
        if (error)
            *error = writeErrorText(path, errnum);
        return false;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(errno);
    struct stat st {};
    const off_t before = ::fstat(fd, &st) == 0 ? st.st_size : -1;
    // A line that did not reach the disk whole is taken away again.
    const auto abandon = [&](int errnum) {
        if (before >= 0)
            (void)::ftruncate(fd, before);
        ::close(fd);
        return fail(errnum);
    };
    const QByteArray bytes = text.toUtf8();
    if (const int e = writeAll(fd, bytes))
        return abandon(e);
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0)
        return fail(errno);
    return true;
}

} // namespace platform::files
