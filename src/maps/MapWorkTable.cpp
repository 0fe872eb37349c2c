#include "maps/MapWorkTable.h"

#include "frame/Globals.h"
#include "platform/map/ValueRenderer.h"

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

static void dropAnyCase(Database &db)
{
    // SQLite names ignore letter case: this also removes a "TMAPPA".
    db.execute(QStringLiteral("DROP TABLE IF EXISTS ") + TabMappa);
}

void SaveMapQuery()
{
    Database db = Utility::OpenUserDatabase();
    dropAnyCase(db);
    db.execute(QStringLiteral("CREATE TABLE ") + TabMappa +
               QStringLiteral(" (N_ARVEN INTEGER NOT NULL, VALORE REAL, N4 INTEGER)"));
}

void DropMapQuery()
{
    Database db = Utility::OpenUserDatabase();
    dropAnyCase(db);
}

bool MapTableExists()
{
    Database db = Utility::OpenUserDatabase();
    for (const QString &t : db.tables())
        if (t.compare(TabMappa, Qt::CaseInsensitive) == 0)
            return true;
    return false;
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

void FillMapQuery(const std::vector<WorkRow> &rows)
{
    std::vector<std::vector<Value>> params;
    params.reserve(rows.size());
    for (const WorkRow &r : rows)
        params.push_back({CodeValue(r.code), Value::real(r.value), r.cls ? Value::integer(*r.cls) : Value()});
    Database db = Utility::OpenUserDatabase();
    db.executeMany(QStringLiteral("INSERT INTO ") + TabMappa + QStringLiteral(" (N_ARVEN, VALORE, N4) VALUES (?, ?, ?)"),
                   params);
}

platform::db::Recordset MapRecordset()
{
    Database db = Utility::OpenUserDatabase();
    return db.query(QStringLiteral("SELECT N_ARVEN, VALORE, N4 FROM ") + TabMappa + QStringLiteral(" ORDER BY rowid"));
}

std::optional<QString> MapValue(const QString &code)
{
    if (!MapTableExists())
        return std::nullopt;
    Database db = Utility::OpenUserDatabase();
    platform::db::Recordset rs = db.query(QStringLiteral("SELECT VALORE FROM ") + TabMappa +
                                          QStringLiteral(" WHERE N_ARVEN = ") + CodeLiteral(code));
    if (rs.eof())
        return std::nullopt;
    return rs.text(0);
}

} // namespace maps
