#include "selection/dispData_Logic.h"
#include "frame/Utility.h"
#include "platform/Error.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "platform/grid/TextGrid.h"

#include <QRegularExpression>
#include <cmath>
#include <vector>

using platform::grid::TextGrid;

namespace dispData {

QString QueryText(const QString &sqlDati)
{
    return sqlDati + QStringLiteral(" order by land_Ind.COD_TERR");
}

Message QueryFailureMessage(long number, const QString &description, const QString &tipoDb)
{
    if (number == platform::err::RequestTooComplex)
        return {QStringLiteral("Numero di ") + tipoDb + QStringLiteral(" selezionate troppo elevato. Eliminarle alcune."),
                platform::mb::Exclamation, QString()};
    return {description + QStringLiteral(" ") + QString::number(number), platform::mb::Critical, QString()};
}

void LayoutGrid(TextGrid &grid)
{
    if (grid.Cols() == 0)
        return;
    grid.setColWidth(0, 0);
    for (int c = FirstValueCol; c < grid.Cols(); ++c)
        grid.setColAlignment(c, platform::grid::align::CenterCenter);
}

int ColumnNamed(const TextGrid &grid, const QString &name)
{
    if (grid.Rows() == 0)
        return -1;
    for (int c = 0; c < grid.Cols(); ++c)
        if (grid.TextMatrix(0, c) == name)
            return c;
    return -1;
}

QString ItemIdOfHeader(const QString &header)
{
    const int u = header.indexOf(u'_');
    return u < 0 ? header : header.left(u);
}

// ---- search ---------------------------------------------------------------------

namespace {

// The integer part rounded down of a numeric text.
std::optional<double> intOf(const QString &text)
{
    const auto v = platform::num::parse(text);
    if (!v)
        return std::nullopt;
    return std::floor(*v);
}

} // namespace

SearchPlan PlanSearch(int listIndex, const QString &daText, const QString &aText)
{
    SearchPlan p;
    p.da = daText;
    p.a = aText;
    if (daText.trimmed().isEmpty() || listIndex <= 0)
        return p;
    const bool daNumeric = platform::num::isNumeric(daText);
    if (daNumeric && aText.trimmed().isEmpty())
        p.a = daText; // a single number searches its own integer part
    const bool aNumeric = platform::num::isNumeric(p.a);
    if (daNumeric && aNumeric) {
        if (*intOf(p.a) < *intOf(p.da)) {
            p.kind = SearchPlan::Warn;
            p.warning = {QStringLiteral("Il secondo numero deve essere maggiore o uguale al primo!"),
                         platform::mb::Information, QStringLiteral("Attenzione")};
            return p;
        }
    } else if (!p.a.trimmed().isEmpty()) {
        p.kind = SearchPlan::Warn;
        p.warning = {QStringLiteral("Per fare una ricerca da --- a inserire due numeri interi!"),
                     platform::mb::Information, QStringLiteral("Attenzione")};
        return p;
    }
    p.col = listIndex - 1;
    p.kind = p.a.trimmed().isEmpty() ? SearchPlan::Text : SearchPlan::Range;
    return p;
}

int TextSearch(TextGrid &grid, int col, const QString &da)
{
    const QString wanted = da.trimmed().toLower();
    const int first = grid.FixedRows();
    std::vector<int> found, rest;
    for (int r = first; r < grid.Rows(); ++r)
        (grid.TextMatrix(r, col).trimmed().toLower() == wanted ? found : rest).push_back(r);
    if (found.empty())
        return 0;
    // Each match in turn goes to row 1: the last one found ends first.
    std::vector<int> order(found.rbegin(), found.rend());
    order.insert(order.end(), rest.begin(), rest.end());
    grid.setRowOrder(order);
    grid.setCol(col);
    grid.setRow(first);
    return int(found.size());
}

int RangeSearch(TextGrid &grid, int col, const QString &da, const QString &a)
{
    const double low = *intOf(da), high = *intOf(a);
    const int first = grid.FixedRows();
    std::vector<int> found, rest;
    for (int r = first; r < grid.Rows(); ++r) {
        const QString t = grid.TextMatrix(r, col).trimmed();
        const auto v = t.isEmpty() ? std::nullopt : intOf(t);
        (v && *v >= low && *v <= high ? found : rest).push_back(r);
    }
    const int k = int(found.size());
    if (k > 0) {
        std::vector<int> order = found;
        order.insert(order.end(), rest.begin(), rest.end());
        grid.setRowOrder(order);
    }
    grid.setTopRow(std::min(first, grid.Rows() - 1));
    grid.setCol(col);
    grid.setRow(k > 0 ? first : 0);
    grid.setRowSel(k > 0 ? first + k - 1 : 0);
    return k;
}

// ---- descriptions ---------------------------------------------------------------------

namespace {

// The kind's derived names: K = "Variabili" gives table MetadatiVariabili,
// key IdVariabile and description DescVariabile.
struct KindNames {
    QString table, key, desc;
};

KindNames namesOf(const QString &tipoDb)
{
    static const QRegularExpression word(QStringLiteral("^[A-Za-z]{2,}$"));
    if (!word.match(tipoDb).hasMatch())
        throw platform::RuntimeError(platform::err::DatabaseError,
                                     QStringLiteral("Tipo di dati non valido: ") + tipoDb);
    const QString s = tipoDb.left(tipoDb.size() - 1);
    return {QStringLiteral("Metadati") + tipoDb, QStringLiteral("Id") + s + QStringLiteral("e"),
            QStringLiteral("Desc") + s + QStringLiteral("e")};
}

QString quoted(const QString &v)
{
    QString q = v;
    q.replace(u'\'', QLatin1String("''"));
    return u'\'' + q + u'\'';
}

} // namespace

void ColumnDescriptions::read(const QStringList &ids, const QString &tipoDb)
{
    if (tipoDb != m_kind) {
        m_known.clear();
        m_kind = tipoDb;
    }
    QStringList wanted;
    for (const QString &id : ids) {
        const QString key = id.toUpper();
        if (!m_known.contains(key) && !wanted.contains(id, Qt::CaseInsensitive))
            wanted << id;
    }
    if (wanted.isEmpty())
        return;
    // Until read, an Id counts as having no description: a failure is
    // reported once and not again at every move of the current cell.
    for (const QString &id : wanted)
        m_known.insert(id.toUpper(), QString());
    const KindNames n = namesOf(tipoDb);
    auto db = Utility::GetDbConnection(QStringLiteral("Metadati.mdb"), QString(), platform::db::OpenMode::ReadOnly);
    if (!db)
        return; // the opener has reported it
    QStringList list;
    for (const QString &id : wanted)
        list << quoted(id);
    const QString sql = QStringLiteral("Select ") + n.key + QStringLiteral(", ") + n.desc + QStringLiteral(" from ") +
                        n.table + QStringLiteral(" where ") + n.key + QStringLiteral(" in (") +
                        list.join(QStringLiteral(", ")) + QStringLiteral(")");
    auto rs = db->query(sql);
    for (; !rs.eof(); rs.moveNext())
        m_known.insert(rs.text(0).toUpper(), rs.text(1));
    db->close();
}

void ColumnDescriptions::Preload(const QStringList &ids, const QString &tipoDb)
{
    read(ids, tipoDb);
}

QString ColumnDescriptions::Describe(const QString &id, const QString &tipoDb)
{
    if (tipoDb == m_kind) {
        const auto it = m_known.constFind(id.toUpper());
        if (it != m_known.constEnd())
            return *it;
    }
    read({id}, tipoDb);
    return m_known.value(id.toUpper());
}

} // namespace dispData
