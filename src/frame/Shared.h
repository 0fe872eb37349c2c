#pragma once
// Small procedures that windows of several parts of the program share: the
// query of a metadata sheet, the accordion of the classification trees, the
// text copy of the data grid, the two area lists and two value tests.
#include "platform/db/Value.h"

#include <QString>
#include <QVariant>

namespace platform::grid {
class TextGrid;
}
class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace Utility {

// The query of one item's metadata sheet: the variable sheet when `kind` is
// exactly "Variabili", the indicator sheet otherwise. Quotes in `id` are doubled.
QString CreaQueryMetadati(const QString &kind, const QString &id);

// The key of a classification tree node: column 0, role NodeKeyRole, as text
// (area 1 character, sub-area 3, item 5 or 6, year node 7 or more).
inline constexpr int NodeKeyRole = Qt::UserRole;
QString NodeKey(const QTreeWidgetItem *node);

// Accordion for a node click: opening an area closes every other branch,
// opening a sub-area closes the other sub-areas and items, opening an item
// closes the other items; then the clicked node opens when it has children.
void ExpandNodeExclusive(QTreeWidget *tree, QTreeWidgetItem *node);

// Fills gMatriceDati with every cell of `grid`, row 0 (the column names)
// included: gMatriceDati[r][c] = TextMatrix(r, c). Returns 0.
int CopyGridToArray(const platform::grid::TextGrid &grid);

// Fills the two parallel lists with the descriptions and the codes of the
// areas, all but area "A". Errors are logged; the lists keep what was added.
void FillSettoreCombos(QComboBox *descList, QComboBox *codeList);

// True for Null, or a text that is "" or "-" once trimmed of blanks.
bool IsEmptyValue(const platform::db::Value &value);
bool IsEmptyValue(const QVariant &value);
bool IsEmptyValue(const QString &value);

// True when every character is a digit, an unaccented letter or a backspace;
// an empty text is true.
bool IsAlphaNumeric(const QString &text);

} // namespace Utility
