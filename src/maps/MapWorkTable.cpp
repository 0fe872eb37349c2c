#include "maps/MapWorkTable.h"

#include "frame/Globals.h"
#include "platform/Error.h"
#include "platform/map/ValueRenderer.h"

#include <utility>

namespace Utility {

platform::db::Database OpenUserDatabase()
{
    return platform::db::Database::create(gAppPath + QStringLiteral("Files/"), QStringLiteral("pxn_utente.mdb"));
}

} // namespace Utility

namespace maps {

using platform::db::Database;
using platform::db::Value;

std::vector<WorkRow> QuartileRows(const std::vector<ValuedRow> &rows, const QuartileResult &q)
{
    std::vector<WorkRow> out;
    out.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const int cls = i < q.classOf.size() ? q.classOf[i] : 0;
        out.push_back({rows[i].code, rows[i].value, cls > 0 ? std::optional<int>(cls) : std::nullopt});
    }
    return out;
}

std::vector<WorkRow> GridRows(const std::vector<ValuedRow> &rows, const std::vector<ClassDef> &classes)
{
    std::vector<WorkRow> out;
    out.reserve(rows.size());
    for (const ValuedRow &r : rows) {
        const auto j = ClassOf(r.value, classes);
        out.push_back({r.code, r.value, j ? std::optional<int>(*j + 1) : std::nullopt});
    }
    return out;
}

Value CodeValue(const QString &code)
{
    const QString key = platform::map::matchKey(code);
    bool ok = false;
    const qint64 n = key.toLongLong(&ok);
    return ok ? Value::integer(n) : Value::text(key);
}

QString CodeLiteral(const QString &code)
{
    const Value v = CodeValue(code);
    if (v.type() == Value::Type::Integer)
        return v.toString();
    QString t = v.toString();
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

// ---- the table ------------------------------------------------------------------------

MapWorkTable::MapWorkTable() = default;
MapWorkTable::~MapWorkTable() { Close(); }

Database &MapWorkTable::connection()
{
    if (!m_db.isOpen()) {
        Database db = Utility::OpenUserDatabase();
        // For this connection only: the table is scratch data that every
        // drawing rebuilds, so its writes are not flushed to disk. The
        // rollback journal is still written (kept between drawings rather
        // than made anew): a program killed in the middle of a commit leaves
        // it behind, and the next opening puts the file back whole.
        db.execute(QStringLiteral("PRAGMA synchronous = OFF"));
        db.execute(QStringLiteral("PRAGMA journal_mode = PERSIST"));
        // The same few statements at every drawing.
        db.keepStatements(true);
        m_db = std::move(db);
        m_writtenAt.reset();
    }
    return m_db;
}

void MapWorkTable::Close()
{
    m_writtenAt.reset();
    if (!m_db.isOpen())
        return;
    // The kept journal goes with the connection.
    try {
        m_db.execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
    } catch (const platform::RuntimeError &) {
    }
    m_db.close();
}

// SQLite names ignore letter case: this also removes a "TMAPPA".
static QString dropSql() { return QStringLiteral("DROP TABLE IF EXISTS ") + TabMappa; }

static QString selectSql()
{
    return QStringLiteral("SELECT N_ARVEN, VALORE, N4 FROM ") + TabMappa + QStringLiteral(" ORDER BY rowid");
}

static qint64 schemaVersion(Database &db)
{
    return db.query(QStringLiteral("PRAGMA schema_version")).at(0, 0).toInt();
}

platform::db::Recordset MapWorkTable::SaveMapQuery(const std::vector<WorkRow> &rows)
{
    std::vector<std::vector<Value>> params;
    params.reserve(rows.size());
    for (const WorkRow &r : rows)
        params.push_back({CodeValue(r.code), Value::real(r.value), r.cls ? Value::integer(*r.cls) : Value()});
    Database &db = connection();
    const std::optional<qint64> writtenAt = std::exchange(m_writtenAt, std::nullopt);
    platform::db::Recordset stored;
    qint64 version = 0;
    db.transaction([&] {
        if (writtenAt && *writtenAt == schemaVersion(db)) {
            // Nothing changed the file's tables since this connection wrote
            // the table: emptied, it is the table created anew (row numbers
            // start again from 1).
            db.execute(QStringLiteral("DELETE FROM ") + TabMappa);
        } else {
            db.execute(dropSql());
            db.execute(QStringLiteral("CREATE TABLE ") + TabMappa +
                       QStringLiteral(" (N_ARVEN INTEGER NOT NULL, VALORE REAL, N4 INTEGER)"));
        }
        db.executeMany(QStringLiteral("INSERT INTO ") + TabMappa +
                           QStringLiteral(" (N_ARVEN, VALORE, N4) VALUES (?, ?, ?)"),
                       params);
        stored = db.query(selectSql());
        version = schemaVersion(db);
    });
    m_writtenAt = version;
    return stored;
}

void MapWorkTable::DropMapQuery()
{
    m_writtenAt.reset();
    connection().execute(dropSql());
}

bool MapWorkTable::MapTableExists()
{
    for (const QString &t : connection().tables())
        if (t.compare(TabMappa, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

platform::db::Recordset MapWorkTable::MapRecordset()
{
    return connection().query(selectSql());
}

std::optional<QString> MapWorkTable::MapValue(const QString &code)
{
    if (!MapTableExists())
        return std::nullopt;
    platform::db::Recordset rs = connection().query(QStringLiteral("SELECT VALORE FROM ") + TabMappa +
                                                    QStringLiteral(" WHERE N_ARVEN = ") + CodeLiteral(code));
    if (rs.eof())
        return std::nullopt;
    return rs.text(0);
}

} // namespace maps
