#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

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

QStringList find(const QString &folder, const QString &pattern)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (const QString &e : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        if (re.match(e).hasMatch())
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
        text = QString::fromLatin1(bytes);
    return true;
}

bool writeTextAtomic(const QString &path, const QString &text)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

bool appendText(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = text.toUtf8();
    return f.write(bytes) == bytes.size();
}

} // namespace platform::files
