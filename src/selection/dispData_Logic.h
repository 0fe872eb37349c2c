#pragma once
// The data table's work that needs no window: the query text and its failure
// message, the layout of the grid after the query, the search checks and row
// moves, and the descriptions of the items shown in the columns.
#include <QHash>
#include <QString>
#include <QStringList>

namespace platform::grid {
class TextGrid;
}

namespace dispData {

// Columns of the data grid: 0 TipoTerritorio (hidden), 1 COD_TERR, 2 PROV,
// 3 REG, 4 Territorio, then one column per item and year.
inline constexpr int FirstValueCol = 5;

// The statement run for the data request.
QString QueryText(const QString &sqlDati);

// The message for a failed data request: the "too many items" advice for a
// request beyond the engine's limits, else the error's description and number.
struct Message {
    QString text;
    int style = 0;
    QString title;
};
Message QueryFailureMessage(long number, const QString &description, const QString &tipoDb);

// The fixed look of the grid once the query has filled it: column 0 hidden,
// value columns centred.
void LayoutGrid(platform::grid::TextGrid &grid);

// The first column whose header equals `name` exactly, or -1.
int ColumnNamed(const platform::grid::TextGrid &grid, const QString &name);

// The item Id of a column header: the text before its first "_" (the whole
// header when it has none).
QString ItemIdOfHeader(const QString &header);

// ---- search ---------------------------------------------------------------------

// What the search does with the "Da" and "a" texts and the search list's index.
struct SearchPlan {
    enum Kind { Nothing, Warn, Text, Range } kind = Nothing;
    int col = -1;        // grid column searched
    QString da, a;       // the bounds (a filled from Da for a single number)
    Message warning;     // for Warn
};
SearchPlan PlanSearch(int listIndex, const QString &da, const QString &a);

// Text search on column `col` of a grid already sorted on it: every data row
// whose trimmed text equals `da` ignoring case goes to row 1 (the last one
// found ends first). Returns the number of rows found.
int TextSearch(platform::grid::TextGrid &grid, int col, const QString &da);
// Range search: the data rows whose text is a number with integer part from
// Int(da) to Int(a) go to rows 1, 2, ... in the order found. Returns the
// number of rows found.
int RangeSearch(platform::grid::TextGrid &grid, int col, const QString &da, const QString &a);

// ---- descriptions of the columns ------------------------------------------------

// The description of each item Id of one kind ("Variabili", "Indicatori"),
// read from the metadata database and kept: Ids are compared ignoring case and
// an Id without a description gives "".
class ColumnDescriptions {
public:
    // Reads the descriptions of `ids` with one query. Raises RuntimeError
    // when the metadata database cannot be read.
    void Preload(const QStringList &ids, const QString &tipoDb);
    // The description of `id`, read (and kept) when it was not preloaded.
    QString Describe(const QString &id, const QString &tipoDb);
    void Clear() { m_known.clear(); }

private:
    void read(const QStringList &ids, const QString &tipoDb);
    QString m_kind;
    QHash<QString, QString> m_known; // upper-cased Id -> description
};

} // namespace dispData
