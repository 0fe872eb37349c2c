#include "frame/Relink.h"
#include "frame/Config.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Prompts.h"
#include "platform/db/Database.h"

#include <QFileInfo>
#include <set>

using platform::RuntimeError;
using platform::db::Database;
using platform::db::Link;
using platform::db::OpenMode;

namespace frame {

int SetLinksFromTablelink()
{
    platform::db::Links::clear();
    struct Row { QString table, source, holder; };
    std::vector<Row> rows;
    {
        Database meta = Database::open(gDbPath, QStringLiteral("Metadati.mdb"), OpenMode::ReadOnly);
        auto rs = meta.query(QStringLiteral("select * from tablelink"));
        for (; !rs.eof(); rs.moveNext())
            rows.push_back({rs.text(0), rs.text(1), rs.text(2)});
    }
    std::vector<Link> links;
    Utility_RQM::SourceTables seen;
    std::set<QString> holdersChecked;
    int leftOut = 0;
    for (const Row &row : rows) {
        const QString holderKey = row.holder.toUpper();
        if (!holdersChecked.count(holderKey)) {
            const QString path = platform::files::resolve(gDbPath, row.holder);
            if (row.holder.isEmpty() || path.isEmpty() || !QFileInfo(path).isFile())
                throw RuntimeError(3024, QStringLiteral("Impossibile trovare il file '") + gDbPath + row.holder +
                                             QStringLiteral("'."));
            Database::open(gDbPath, row.holder, OpenMode::ReadOnly);   // proves it is a readable database
            holdersChecked.insert(holderKey);
        }
        if (!Utility_RQM::RecreateRelatedTables_2(row.holder, row.source, row.table, links, seen))
            ++leftOut;
    }
    platform::db::Links::set(gDbPath, std::move(links));
    return leftOut;
}

bool RefreshLinkOnDB_2()
{
    try {
        SetLinksFromTablelink();
        return true;
    } catch (...) {
        platform::prompts().msgBox(QStringLiteral("Sono mancanti alcuni Database!\r\nControllare l'esistenza dei Database "
                                                  "nella cartella : \r\n") +
                                       gDbPath + QStringLiteral(" \r\n\r\nL'applicazione sarà chiusa."),
                                   platform::mb::Critical, QStringLiteral("Attenzione"));
        LogCurrentException(QStringLiteral("frmMainMDI"), QStringLiteral("RefreshLinkOnDB_2"));
        return false;
    }
}

} // namespace frame

namespace Utility_RQM {

bool RecreateRelatedTables_2(const QString &holderFile, const QString &sourceFile, const QString &tableName,
                             std::vector<Link> &links, SourceTables &seen)
{
    return frame::Guard(QStringLiteral("Utility"), QStringLiteral("RecreateRelatedTables_2"), [&] {
        const QString key = sourceFile.toUpper();
        auto it = seen.find(key);
        if (it == seen.end()) {
            const QString path = platform::files::resolve(gDbPath, sourceFile);
            if (sourceFile.isEmpty() || path.isEmpty() || !QFileInfo(path).isFile())
                throw RuntimeError(3024, QStringLiteral("Impossibile trovare il file '") + gDbPath + sourceFile +
                                             QStringLiteral("'."));
            Database src = Database::open(gDbPath, sourceFile, OpenMode::ReadOnly);
            QStringList names = src.tables() + src.views();
            for (QString &n : names)
                n = n.toUpper();
            it = seen.emplace(key, names).first;
        }
        if (tableName.isEmpty() || !it->second.contains(tableName.toUpper()))
            throw RuntimeError(3011, QStringLiteral("Impossibile trovare l'oggetto '") + tableName +
                                         QStringLiteral("' nel database '") + sourceFile + QStringLiteral("'."));
        links.push_back({tableName, sourceFile, holderFile});
    });
}

void DeleteAreaQuery()
{
    frame::Guard(QStringLiteral("Utility"), QStringLiteral("DeleteAreaQuery"), [] {
        if (gDbName.isEmpty())
            return;
        const AreaConfig *config = gAreaConfig ? gAreaConfig : &frame::TheAreaConfig();
        QStringList names;
        for (const QStringList &pair : config->GetAreaQueries())
            if (!pair.isEmpty())
                names.append(pair.value(0) + pair.value(1));
        if (names.isEmpty())
            return;
        Database db = Database::open(gDbPath, gDbName);
        const QStringList views = db.views();   // drop from a list taken first
        for (const QString &v : views)
            if (names.contains(v))   // exact comparison
                db.dropView(v);
    });
}

} // namespace Utility_RQM
