#include "frame/Relink.h"
#include "frame/Config.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Utility_RQM.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/Prompts.h"
#include "platform/db/Database.h"

#include <QFileInfo>
#include <set>

using platform::RuntimeError;
using platform::db::Database;
using platform::db::Link;
using platform::db::LinkReadAhead;
using platform::db::OpenMode;

namespace frame {

namespace {
// What the relinking at start reads, read ahead (none outside that time).
LinkReadAhead *g_readAhead = nullptr;
} // namespace

std::optional<RuntimeError> LinkProblem(const TablelinkRow &row, const QString &folder, const FileLookup &lookup,
                                        Utility_RQM::SourceTables &seen, const LinkReadAhead::Files *readAhead)
{
    // Links name files of the databases folder only: any other is refused
    // without opening it, and its path is not repeated.
    for (const QString &file : {row.holder, row.source}) {
        if (file.isEmpty())
            continue;
        auto [known, added] = seen.inFolder.try_emplace({folder, file}, false);
        if (added)
            known->second = platform::files::staysInside(folder, file);
        if (!known->second)
            return RuntimeError(platform::err::PathNotFound,
                                QStringLiteral("Il collegamento della tabella '%1' nomina un file fuori dalla "
                                               "cartella dei Database: collegamento tralasciato.")
                                    .arg(row.table));
    }
    const QString key = row.source.toUpper();
    auto it = seen.tables.find(key);
    if (it == seen.tables.end()) {
        const QString shown = folder + row.source;
        const QString path = row.source.isEmpty() ? QString() : lookup(row.source);
        if (path.isEmpty() || !QFileInfo(path).isFile())
            return RuntimeError(3024, QStringLiteral("Impossibile trovare il file '") + shown + QStringLiteral("'."));
        QStringList names;
        if (auto ahead = readAhead ? readAhead->names(path) : std::nullopt) {
            names = std::move(*ahead);
        } else {
            try {
                Database src = Database::openFileOnly(path, OpenMode::ReadOnly);
                names = src.tablesAndViews();
            } catch (const RuntimeError &e) {
                // The file is told by its name in the folder, wherever it is read from.
                return RuntimeError(e.number(), QString(e.description()).replace(path, shown), e.detail());
            }
        }
        for (QString &n : names)
            n = n.toUpper();
        it = seen.tables.emplace(key, names).first;
    }
    if (row.table.isEmpty() || !it->second.contains(row.table.toUpper()))
        return RuntimeError(3011, QStringLiteral("Impossibile trovare l'oggetto '") + row.table +
                                      QStringLiteral("' nel database '") + row.source + QStringLiteral("'."));
    return std::nullopt;
}

int SetLinksFromTablelink()
{
    return SetLinksFromTablelink(g_readAhead ? g_readAhead->take() : LinkReadAhead::Files());
}

int SetLinksFromTablelink(const LinkReadAhead::Files &ahead)
{
    platform::db::Links::clear();
    std::vector<TablelinkRow> rows;
    if (auto read = ahead.tablelink(platform::files::resolve(gDbPath, QStringLiteral("Metadati.mdb")))) {
        rows = std::move(*read);
    } else {
        Database meta = Database::open(gDbPath, QStringLiteral("Metadati.mdb"), OpenMode::ReadOnly);
        rows = ReadTablelink(meta);
    }
    std::vector<Link> links;
    Utility_RQM::SourceTables seen;
    std::set<QString> holdersChecked;
    int leftOut = 0;
    // Each link left out is logged; one box tells them all.
    Utility_RQM::ErrorBatch batch([](int n) {
        return QStringLiteral("%1 tabelle collegate non sono disponibili e sono state tralasciate.").arg(n);
    });
    for (const TablelinkRow &row : rows) {
        const QString holderKey = row.holder.toUpper();
        // A holder outside the folder is refused with its link, below.
        if (!holdersChecked.count(holderKey) &&
            (row.holder.isEmpty() || platform::files::staysInside(gDbPath, row.holder))) {
            const QString path = platform::files::resolve(gDbPath, row.holder);
            if (row.holder.isEmpty() || path.isEmpty() || !QFileInfo(path).isFile())
                throw RuntimeError(3024, QStringLiteral("Impossibile trovare il file '") + gDbPath + row.holder +
                                             QStringLiteral("'."));
            if (!ahead.names(path))
                Database::open(gDbPath, row.holder, OpenMode::ReadOnly);   // proves it is a readable database
            holdersChecked.insert(holderKey);
        }
        if (!Utility_RQM::RecreateRelatedTables_2(row.holder, row.source, row.table, links, seen, &ahead))
            ++leftOut;
    }
    platform::db::Links::set(gDbPath, std::move(links));
    return leftOut;
}

RelinkReadAhead::RelinkReadAhead(const QString &programFolder)
    : m_read(std::make_unique<LinkReadAhead>([programFolder] {
          // The folder the start looks in first, spelt as it will be.
          return programFolder.isEmpty() ? QString() : programFolder + QStringLiteral("/Databases/");
      }))
{
    g_readAhead = m_read.get();
}

RelinkReadAhead::~RelinkReadAhead()
{
    if (g_readAhead == m_read.get())
        g_readAhead = nullptr;
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
                             std::vector<Link> &links, SourceTables &seen, const LinkReadAhead::Files *readAhead)
{
    return frame::Guard(QStringLiteral("Utility"), QStringLiteral("RecreateRelatedTables_2"), [&] {
        const frame::TablelinkRow row{tableName, sourceFile, holderFile};
        const auto inFolder = [](const QString &name) { return platform::files::resolveInside(gDbPath, name); };
        if (const auto problem = frame::LinkProblem(row, gDbPath, inFolder, seen, readAhead))
            throw *problem;
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
