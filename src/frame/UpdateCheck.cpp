#include "frame/UpdateCheck.h"
#include "frame/Menu.h"
#include "frame/Relink.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/db/Database.h"

#include <QFileInfo>
#include <QSet>
#include <optional>

using platform::RuntimeError;
using platform::db::Database;
using platform::db::OpenMode;

namespace frame {

namespace {

const QString Metadati = QStringLiteral("Metadati.mdb");
const QString Territorio = QStringLiteral("Territorio.mdb");

// A reason is raised as this, and becomes the text of the check.
struct Refusal {
    QString reason;
};

[[noreturn]] void refuse(const QString &reason)
{
    throw Refusal{reason};
}

// The tables a file must hold, with the fields read by name and the fewest
// fields read by position.
struct TableNeed {
    const char *table;
    QStringList fields;
    int minFields;
};

void requireTables(Database &db, const QString &file, const std::vector<TableNeed> &needs)
{
    for (const TableNeed &need : needs) {
        const QString table = QString::fromLatin1(need.table);
        QStringList fields;
        try {
            fields = db.query(QStringLiteral("select * from [%1] where 0 = 1").arg(table)).fieldNames();
        } catch (const RuntimeError &) {
            refuse(QStringLiteral("Il file %1 dell'archivio non contiene la tabella %2.").arg(file, table));
        }
        for (const QString &f : need.fields)
            if (!fields.contains(f, Qt::CaseInsensitive))
                refuse(QStringLiteral("Nel file %1 dell'archivio la tabella %2 non ha il campo %3.").arg(file, table, f));
        if (fields.size() < need.minFields)
            refuse(QStringLiteral("Nel file %1 dell'archivio la tabella %2 ha meno di %3 campi.")
                       .arg(file, table)
                       .arg(need.minFields));
    }
}

Database openOrRefuse(const QString &path, const QString &file)
{
    try {
        return Database::openFileOnly(path, OpenMode::ReadOnly);
    } catch (const RuntimeError &) {
        refuse(QStringLiteral("Il file %1 non è un database riconosciuto.").arg(file));
    }
}

// The first column of DbConfigs (upper-cased); nothing when it cannot be read.
QStringList databasesListed(Database &meta)
{
    QStringList out;
    try {
        auto rs = meta.query(QStringLiteral("select * from DbConfigs"));
        for (; !rs.eof(); rs.moveNext())
            if (!rs.text(0).trimmed().isEmpty())
                out << rs.text(0).trimmed();
    } catch (const RuntimeError &) {
    }
    return out;
}

QString rowKey(const TablelinkRow &r)
{
    return (r.table + u'\n' + r.source + u'\n' + r.holder).toUpper();
}

class Checker {
public:
    explicit Checker(const platform::zip::StagedView &view) : m_view(view) {}

    void run()
    {
        // Every database the archive brings is whole.
        for (const QString &name : m_view.names())
            if (name.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive))
                checkBrought(name);

        const QString metaPath = after(Metadati);
        if (metaPath.isEmpty())
            refuse(QStringLiteral("Manca il file %1.").arg(Metadati));
        Database meta = openOrRefuse(metaPath, Metadati);
        if (m_view.brings(Metadati)) {
            requireTables(meta, Metadati,
                          {{"DBMainMenu",
                            {"IdMenu", "IdMenuParent", "Orderb", "DescName", "isSeparator", "isDisable", "isChecked",
                             "FormToOpen", "DBname", "TipoDb"},
                            0},
                           {"DbConfigs", {"dbdesc", "dbnames"}, 11},
                           {"tablelink", {}, 3},
                           {"InfoAggiornamento", {}, 2}});
            checkMenu(meta);
        }
        if (m_view.brings(Territorio)) {
            Database land = openOrRefuse(after(Territorio), Territorio);
            requireTables(land, Territorio, {{"land_Ind", {"COD_TERR", "DES_TERR", "COD_TIPO_TERR", "PROV", "REG"}, 0}});
        }
        checkLinks(meta);
        checkListedDatabases(meta);
    }

private:
    QString after(const QString &name) const { return m_view.pathOf(name); }
    QString before(const QString &name) const { return platform::files::resolveInside(m_view.folder(), name); }

    void checkBrought(const QString &name)
    {
        if (!m_view.brings(name) || m_checked.contains(name.toUpper()))
            return;
        m_checked.insert(name.toUpper());
        const QString why = Database::checkFile(m_view.pathOf(name));
        if (!why.isEmpty())
            refuse(QStringLiteral("Il file %1 dell'archivio %2.").arg(name, why));
    }

    void checkMenu(Database &meta)
    {
        mdlMenu::MenuModel menu;
        try {
            menu = mdlMenu::ReadMenu(meta);
        } catch (const RuntimeError &e) {
            refuse(QStringLiteral("Il menu del file %1 dell'archivio non si può leggere: %2").arg(Metadati, e.description()));
        }
        // Without the about window the next update could not be reached.
        bool aboutReached = false;
        for (const mdlMenu::MenuEntry &e : menu.entries)
            if (e.kind == mdlMenu::MenuEntry::Kind::Command && !e.disabled &&
                menu.commandSlots[size_t(e.slot)].formToOpen.trimmed().toUpper() == QLatin1String("FRMINFO"))
                aboutReached = true;
        if (!aboutReached)
            refuse(QStringLiteral("Il menu del file %1 dell'archivio non contiene il comando che apre le informazioni "
                                  "e l'aggiornamento della banca dati.")
                       .arg(Metadati));
    }

    // The links the next start sets: every holder a readable database, and no
    // link lost that the folder has now.
    void checkLinks(Database &meta)
    {
        std::vector<TablelinkRow> rows;
        try {
            rows = ReadTablelink(meta);
        } catch (const RuntimeError &e) {
            refuse(QStringLiteral("La tabella tablelink non si può leggere: %1").arg(e.description()));
        }
        const QString folder = m_view.folder();
        Utility_RQM::SourceTables seen;
        std::optional<QSet<QString>> failingBefore;
        for (const TablelinkRow &row : rows) {
            for (const QString &file : {row.holder, row.source})
                if (!file.isEmpty() && platform::files::staysInside(folder, file))
                    checkBrought(file);
            if (row.holder.trimmed().isEmpty())
                refuse(QStringLiteral("La tabella tablelink ha una riga senza il file che contiene la tabella %1.")
                           .arg(row.table));
            if (platform::files::staysInside(folder, row.holder)) {
                const QString holder = after(row.holder);
                if (holder.isEmpty() || !QFileInfo(holder).isFile())
                    refuse(QStringLiteral("Manca il file %1, che contiene tabelle collegate.").arg(row.holder));
                openOrRefuse(holder, row.holder);
            }
            const auto problem = LinkProblem(row, folder, [&](const QString &n) { return after(n); }, seen);
            if (!problem)
                continue;
            if (!failingBefore)
                failingBefore = linksFailingNow();
            if (!failingBefore->contains(rowKey(row)))
                refuse(QStringLiteral("La tabella collegata %1 non sarebbe più disponibile: %2")
                           .arg(row.table, problem->description()));
        }
    }

    // The tablelink rows whose links cannot be set in the folder as it is now.
    QSet<QString> linksFailingNow() const
    {
        QSet<QString> out;
        try {
            Database meta = Database::openFileOnly(before(Metadati), OpenMode::ReadOnly);
            Utility_RQM::SourceTables seen;
            for (const TablelinkRow &row : ReadTablelink(meta))
                if (LinkProblem(row, m_view.folder(), [&](const QString &n) { return before(n); }, seen))
                    out.insert(rowKey(row));
        } catch (const RuntimeError &) {
        }
        return out;
    }

    void checkListedDatabases(Database &meta)
    {
        QStringList listedBefore;
        bool beforeRead = false;
        for (const QString &name : databasesListed(meta)) {
            if (!platform::files::staysInside(m_view.folder(), name))
                refuse(QStringLiteral("La banca dati %1 elencata in DbConfigs non è un file della cartella dei "
                                      "Database.")
                           .arg(QFileInfo(name).fileName()));
            checkBrought(name);
            if (!after(name).isEmpty())
                continue;
            if (!beforeRead) {
                if (const QString now = before(Metadati); !now.isEmpty()) {
                    try {
                        Database old = Database::openFileOnly(now, OpenMode::ReadOnly);
                        listedBefore = databasesListed(old);
                    } catch (const RuntimeError &) {
                    }
                }
                beforeRead = true;
            }
            // A database missing already before the update is not the update's doing.
            if (!listedBefore.contains(name, Qt::CaseInsensitive))
                refuse(QStringLiteral("Manca il file %1, elencato fra le banche dati.").arg(name));
        }
    }

    const platform::zip::StagedView &m_view;
    QSet<QString> m_checked;
};

} // namespace

QString CheckUpdate(const platform::zip::StagedView &view)
{
    try {
        Checker(view).run();
        return {};
    } catch (const Refusal &r) {
        return r.reason;
    } catch (const RuntimeError &e) {
        return e.description();
    }
}

} // namespace frame
