#include "frame/Utility.h"
#include "frame/Globals.h"
#include "frame/Guard.h"

namespace Utility {

void WriteDebugLog(const QString &, const QString &, const QString &)
{
    // The tracer is switched off: nothing is written.
}

std::optional<platform::db::Database> GetDbConnection(const QString &fileName, QString &folder, bool isConnString,
                                                      platform::db::OpenMode mode)
{
    if (folder.isEmpty())
        folder = gDbPath;
    std::optional<platform::db::Database> db;
    frame::Guard(QStringLiteral("Utility"), QStringLiteral("GetDbConnection"), [&] {
        if (isConnString)
            db = platform::db::Database::openConnectionString(fileName, mode);
        else
            db = platform::db::Database::open(folder, fileName, mode);
    });
    return db;
}

std::optional<platform::db::Database> GetDbConnection(const QString &fileName, const QString &folder,
                                                      platform::db::OpenMode mode)
{
    QString f = folder;
    return GetDbConnection(fileName, f, false, mode);
}

} // namespace Utility
