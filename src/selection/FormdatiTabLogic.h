#pragma once
// The selection window's rules that need no widget: the lines of the selection
// list, the queries on years, notes and territories, the territory groups and
// filter, and the data query built from a request.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace selection {

// ---- selection list ---------------------------------------------------------

// At most this many items can be selected at once.
inline constexpr int MaxSelezionati = 251;

// The line of a selected year: the year node's key (Id & "-" & year), " - ",
// the item's description.
QString SelectionLine(const QString &yearKey, const QString &itemText);

struct RequestItem {
    QString id;
    QString anno;
};
// The item Id and year of a line: the Id is the text before the first "-", the
// year the text between that "-" and the first " - ".
RequestItem ParseSelectionLine(const QString &line);
// The Id of a line for its metadata sheet (the text before the first "-", trimmed).
QString SelectionId(const QString &line);

// The years of an item (with its metadata row) and the note of one year.
QString YearsQuery(const QString &kind, const QString &itemKey);
QString NoteQuery(const QString &kind, const QString &year, const QString &itemKey);

// ---- territories ------------------------------------------------------------

struct TerrRec {
    QString DesTerr;
    QString CodTipoTerr;
    QString CodTerr;
};

// The territories of a level: tipo 0 regions, 1 provinces, other all;
// escludi > 0 leaves out that territory type.
QString CaricaTerritoriQuery(int tipo, int escludi);
// The territory type of group check box 1..4 ("1", "2", "4", "5"); "" otherwise.
QString GroupCode(int box);
// Whether a territory belongs to the group of check box 1..4 (box 3 also takes type 3).
bool InGroup(const TerrRec &terr, int box);
// "land_Ind.DES_TERR IN( 'A', 'B')" for the selected names; "" when none.
QString CreaFiltroTerritori(const QStringList &selectedNames);

// ---- data query -------------------------------------------------------------

// The look-up of the data table of an item in a year.
QString LookupQuery(const QString &id, const QString &anno);

// Gives the data table that holds the values of item `id` in year `anno`, or ""
// when there is none.
using TableLookup = std::function<QString(const QString &id, const QString &anno)>;

// The data query of a request: one column per distinct item and year of
// `lines`, from the data tables that `lookup` names (asked once per item code
// prefix and year), restricted by `filtro` when it is not empty. Raises a
// RuntimeError for a line that is not a well-formed request or for an item and
// year that have no data table.
QString CreaQuery(const QStringList &lines, const QString &kind, const QString &filtro, const TableLookup &lookup);

} // namespace selection
