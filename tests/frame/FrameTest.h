#pragma once
// Helpers of the frame tests: small changes to the sample databases of a
// temporary program folder, and reading the files the program writes.
#include "platform/db/Database.h"
#include "platform/db/Links.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QString>
#include <QStringList>

namespace frametest {

// Runs `sql` on the file itself, without its linked tables.
inline void exec(const QString &folder, const QString &file, const QString &sql)
{
    const QString linkFolder = platform::db::Links::folder();
    const auto links = platform::db::Links::all();
    platform::db::Links::clear();
    {
        auto db = platform::db::Database::open(folder, file);
        for (const QString &stmt : sql.split(u';', Qt::SkipEmptyParts))
            if (!stmt.trimmed().isEmpty())
                db.execute(stmt);
    }
    platform::db::Links::set(linkFolder, links);
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines of Files/Error.log.
inline QStringList logLines(const QString &filesFolder)
{
    const QString text = QString::fromUtf8(readAll(filesFolder + "Error.log"));
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

inline void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace frametest
