#include "selection/FormdatiTabLogic.h"
#include "selection/FillSons.h"
#include "platform/Error.h"

#include <algorithm>

using Utility_RQM::CheckIdentifier;
using Utility_RQM::SqlText;

namespace selection {

namespace {

[[noreturn]] void badRequest(const QString &what)
{
    throw platform::RuntimeError(platform::err::DatabaseError, what);
}

bool isYear(const QString &s)
{
    if (s.size() != 4)
        return false;
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; });
}

void checkYear(const QString &s)
{
    if (!isYear(s))
        badRequest(QStringLiteral("Anno non valido: \"%1\"").arg(s));
}

} // namespace

// ---- selection list ---------------------------------------------------------

QString SelectionLine(const QString &yearKey, const QString &itemText)
{
    return yearKey + QStringLiteral(" - ") + itemText;
}

RequestItem ParseSelectionLine(const QString &line)
{
    const int sep = line.indexOf(QLatin1String(" - "));
    const QString head = sep < 0 ? line : line.left(sep);
    const int dash = head.indexOf(u'-');
    if (dash < 0)
        return {head, QString()};
    return {head.left(dash), head.mid(dash + 1)};
}

QString SelectionId(const QString &line)
{
    const int dash = line.indexOf(u'-');
    return (dash < 0 ? line : line.left(dash)).trimmed();
}

QString YearsQuery(const QString &kind, const QString &itemKey)
{
    const QString table = Utility_RQM::MetadataTable(kind);
    CheckIdentifier(table);
    return QStringLiteral("SELECT IndVarAnno.Anno, ") + table + QStringLiteral(".* FROM IndVarAnno INNER JOIN ") +
           table + QStringLiteral(" ON IndVarAnno.Variabile = ") + table + u'.' + Utility_RQM::KeyColumn(kind) +
           QStringLiteral(" WHERE IndVarAnno.Variabile = ") + SqlText(itemKey) +
           QStringLiteral(" order by IndVarAnno.Anno;");
}

QString NoteQuery(const QString &kind, const QString &year, const QString &itemKey)
{
    checkYear(year);
    const QString table = Utility_RQM::MetadataTable(kind);
    CheckIdentifier(table);
    return QStringLiteral("SELECT Note_") + year + QStringLiteral(" FROM ") + table + QStringLiteral(" WHERE ") +
           Utility_RQM::KeyColumn(kind) + QStringLiteral(" = ") + SqlText(itemKey) + QStringLiteral(" ");
}

// ---- territories ------------------------------------------------------------

QString CaricaTerritoriQuery(int tipo, int escludi)
{
    QString w;
    if (tipo == 0)
        w = QStringLiteral(" where COD_TIPO_TERR=2");
    else if (tipo == 1)
        w = QStringLiteral(" where COD_TIPO_TERR=1");
    QString x;
    if (escludi > 0)
        x = (w.isEmpty() ? QStringLiteral(" where") : QStringLiteral(" and")) +
            QStringLiteral(" COD_TIPO_TERR <> ") + QString::number(escludi);
    return QStringLiteral("SELECT DES_TERR,COD_TIPO_TERR, COD_TERR From land_Ind") + w + x;
}

QString GroupCode(int box)
{
    switch (box) {
    case 1: return QStringLiteral("1");
    case 2: return QStringLiteral("2");
    case 3: return QStringLiteral("4");
    case 4: return QStringLiteral("5");
    default: return {};
    }
}

bool InGroup(const TerrRec &terr, int box)
{
    const QString code = GroupCode(box);
    if (code.isEmpty())
        return false;
    if (terr.CodTipoTerr == code)
        return true;
    if (box == 3) {
        bool ok = false;
        const double v = terr.CodTipoTerr.trimmed().toDouble(&ok);
        return ok && v == 3;
    }
    return false;
}

QString CreaFiltroTerritori(const QStringList &selectedNames)
{
    QString work;
    for (const QString &name : selectedNames)
        work += SqlText(name) + QStringLiteral(", ");
    if (work.isEmpty())
        return {};
    work.chop(2);
    return QStringLiteral("land_Ind.DES_TERR IN( ") + work + QStringLiteral(")");
}

// ---- data query -------------------------------------------------------------

QString LookupQuery(const QString &id, const QString &anno)
{
    checkYear(anno);
    return QStringLiteral("SELECT Tabella, Settore From IndVarAnno WHERE Variabile = ") + SqlText(id) +
           QStringLiteral(" and anno = ") + anno;
}

QString CreaQuery(const QStringList &lines, const QString &kind, const QString &filtro, const TableLookup &lookup)
{
    // Items, in the order of their Id followed by the year (character codes), each once.
    struct Item {
        QString id, anno, joined, group;
        int groupIndex = -1;
    };
    const int prefixLen = kind == QLatin1String("Indicatori") ? 3 : 2;
    std::vector<Item> items;
    items.reserve(size_t(lines.size()));
    for (const QString &line : lines) {
        const RequestItem r = ParseSelectionLine(line);
        CheckIdentifier(r.id);
        checkYear(r.anno);
        items.push_back({r.id, r.anno, r.id + r.anno, r.id.left(prefixLen) + r.anno});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item &a, const Item &b) { return QString::compare(a.joined, b.joined) < 0; });
    items.erase(std::unique(items.begin(), items.end(),
                            [](const Item &a, const Item &b) { return a.joined == b.joined; }),
                items.end());
    if (items.empty())
        badRequest(QStringLiteral("Nessun elemento selezionato."));

    // Groups of code prefix and year, in the order met; one look-up each.
    struct Group {
        QString key, table;
    };
    std::vector<Group> groups;
    for (Item &it : items) {
        auto g = std::find_if(groups.begin(), groups.end(), [&](const Group &x) { return x.key == it.group; });
        if (g == groups.end()) {
            QString table = lookup(it.id, it.anno);
            if (table.isEmpty())
                badRequest(QStringLiteral("Nessuna tabella di dati per %1 nell'anno %2.").arg(it.id, it.anno));
            CheckIdentifier(table);
            groups.push_back({it.group, table});
            g = groups.end() - 1;
        }
        it.groupIndex = int(g - groups.begin());
    }

    QString select = QStringLiteral("SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, "
                                    "land_Ind.PROV, land_Ind.REG, land_Ind.DES_TERR as Territorio, ");
    for (const Item &it : items)
        select += QStringLiteral("Format(") + groups[size_t(it.groupIndex)].table + u'.' + it.id +
                  QStringLiteral(", '0.00') as ") + it.id + u'_' + it.anno + QStringLiteral(", ");
    select.chop(2);

    QString join;
    for (size_t k = 0; k < groups.size(); ++k) {
        const QString &t = groups[k].table;
        if (k == 0)
            join = t + QStringLiteral(" INNER JOIN land_Ind  ON ") + t + QStringLiteral(".COD_TERR = land_Ind.COD_TERR");
        else
            join = u'(' + join + QStringLiteral(") INNER JOIN ") + t + QStringLiteral(" ON ") + t +
                   QStringLiteral(".COD_TERR = ") + groups[k - 1].table + QStringLiteral(".COD_TERR");
    }

    QString sql = select + QStringLiteral(" FROM ") + join;
    if (!filtro.isEmpty())
        sql += QStringLiteral(" WHERE ") + filtro;
    return sql;
}

} // namespace selection
