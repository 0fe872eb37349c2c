#pragma once
// The export of the data table and of the metadata of its items to an Excel
// workbook: the data on the first sheet, the metadata on the second. The
// workbook is made from a template layout, saved under the name the user
// chooses in the folder gExcelPath, and can be opened at once.
#include <QString>
#include <QStringList>

class QObject;
class QWidget;
class frm_dispData;

namespace platform::db {
class Recordset;
}
namespace platform::grid {
class TextGrid;
}
namespace platform::xlsx {
class Worksheet;
}

namespace ExcelExport {

// ---- the parts that need no window ---------------------------------------------------------

// The layouts of the template workbooks, kept in the program: the sheets of
// each, in order (the data sheet first, then the metadata sheet). The export
// writes the headers of both sheets in bold.
struct TemplateLayout {
    QString name;        // "DatiTemplateVar", "DatiTemplateInd"
    QStringList sheets;
};
// The template named `name` (letter case ignored), or nullptr.
const TemplateLayout *FindTemplate(const QString &name);
// "DatiTemplateVar" for the kind "Variabili", else "DatiTemplateInd".
QString TemplateName(const QString &tipoDb);

// The file name the export writes for the name chosen in the save dialog:
// always with the extension ".xlsx" (the extension ".xls", in any letter case,
// is replaced by it; ".xlsx" in any letter case stays as typed).
QString ExportFileName(const QString &chosen);

// The items of the table: each header that is longer than 4 characters and
// ends in 4 numeric characters loses its last 5 ("A0001_1996" gives "A0001");
// other headers stay whole. Each name once, in order; empty names left out.
QStringList ItemList(const QStringList &headers);

// The metadata query of `items` for the data kind `tipoDb`.
QString MetadataQuery(const QString &tipoDb, const QStringList &items);

// The number format that shows a value as the table's text shows it: as many
// fixed decimals as the text has ("12,50" gives "0.00", "4,1667" gives
// "0.0000", "5" gives "0"); "" (General) for a number with an exponent.
QString NumberFormatOf(const QString &text);

// Writes the first `rows` rows of `grid` on `sheet` from A1: cell (r, c) of
// the grid to sheet row r, column c (from 0). Value cells (r >= 1, c >= 5)
// whose text is a number in the user's locale are written as numbers in the
// format of their text (NumberFormatOf), other cells as texts, empty cells not
// at all. Nothing is written when the first header is empty.
void WriteDataSheet(platform::xlsx::Worksheet &sheet, const platform::grid::TextGrid &grid, int rows);

// Codes of ShellOpenFile (those of the shell's open command).
constexpr long ShellOpened = 42;       // any code above 32 means opened
constexpr long ShellFileNotFound = 2;
constexpr long ShellNoAssociation = 31;

// ---- the export -------------------------------------------------------------------------------

// The data table's "Esporta in Excel" button: sorts the table by territory
// code, asks for the file, writes the workbook and offers to open it.
void cmdEsportaXls_Click(frm_dispData &form);

// The same steps for `grid`, logging under `owner`; `sortFlag` is set while
// the grid is being sorted.
void EsportaTabella(platform::grid::TextGrid &grid, QWidget *owner, bool &sortFlag);

} // namespace ExcelExport

// The export procedures of the shared module. Each logs its own errors under
// "Utility" and its own name, and ends.
namespace Utility_RQM {

// Creates the export folder gExcelPath when it is missing.
void CreateExcelFileDir();

// Writes the workbook `fileName` from the template `templateName`: the first
// `rows` rows of `grid` on the data sheet and the metadata of the grid's items
// on the metadata sheet. True when everything was written. On an error before
// the workbook is saved, nothing is written and an existing file of that name
// stays as it was. When only the metadata failed, the workbook is saved with
// its data sheet complete and the result is false.
bool CreateExcelFile(const QString &fileName, const QString &templateName, int rows,
                     const platform::grid::TextGrid &grid);

// Queries the metadata of `items` and writes them on `sheet` (CopyRecords).
// True when there was no error.
bool CopyRecordsMeta(const QStringList &items, platform::xlsx::Worksheet &sheet);

// Writes `rs` on `sheet` from A1: the field names, then one row per record,
// each value with its type (Null leaves the cell blank). Writes nothing when
// there is no record. True when there was no error.
bool CopyRecords(platform::db::Recordset &rs, platform::xlsx::Worksheet &sheet);

// Asks whether to open `fileName` now and opens it, reporting failures.
void OpenFileExcel(QWidget *owner, const QString &fileName);

// Opens `fileName` with its application; one of the Shell* codes, 0 after an error.
long ShellOpenFile(QWidget *owner, const QString &fileName);

} // namespace Utility_RQM
