#pragma once
// A small layer over libxlsxwriter for the workbooks the program writes: sheets
// of texts, numbers and Booleans, a bold header style, column widths fitted to
// what was written, the sheet shown on opening.
//
// The workbook is written in a scratch folder, read back whole, and only then
// put in place in one step (platform::files::writeAtomic), so a failed or
// abandoned workbook, or one cut short by a full disk, leaves no half file
// behind and an existing file of the same name stays as it was until the new
// one replaces it.
//
// Errors are platform::RuntimeError.
#include <QString>
#include <map>
#include <memory>
#include <vector>

class QTemporaryDir;
struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace platform::xlsx {

// Error number of a workbook that cannot be written (the classic path/file access error).
constexpr long FileAccessError = 75;

// Limits of the file format.
constexpr int MaxRows = 1048576;
constexpr int MaxCols = 16384;
constexpr int MaxTextLength = 32767;   // longer texts are cut to this length
constexpr double MaxColumnWidth = 255; // in characters

enum class Style { Normal, Header };

class Workbook;

class Worksheet {
public:
    QString name() const { return m_name; }

    // Cells are counted from 0 (row 0, column 0 = A1). An empty text leaves
    // the cell blank. Numbers that are not finite raise an error.
    void writeText(int row, int col, const QString &text, Style style = Style::Normal);
    void writeNumber(int row, int col, double value, Style style = Style::Normal);
    // A number shown in the number format `numberFormat` ("0.00": two fixed
    // decimals); "" is the General format.
    void writeNumber(int row, int col, double value, const QString &numberFormat);
    void writeBoolean(int row, int col, bool value, Style style = Style::Normal);

    // Fits the width of the columns firstCol..lastCol to the longest content
    // written in them (Excel's AutoFit): characters of the longest line plus a
    // margin, at most MaxColumnWidth. Columns with nothing written keep the
    // default width.
    void autoFitColumns(int firstCol, int lastCol);
    void setColumnWidth(int col, double width);

    // The sheet shown (and selected) when the workbook opens.
    void activate();

    // True once any cell was written.
    bool hasCells() const { return !m_widest.empty(); }

private:
    friend class Workbook;
    Worksheet(Workbook &book, lxw_worksheet *sheet, const QString &name);
    void check(int row, int col) const;
    void note(int col, int chars);
    lxw_format *format(Style style) const;
    void writeNumberAs(int row, int col, double value, lxw_format *format, int shownChars);

    Workbook &m_book;
    lxw_worksheet *m_sheet;
    QString m_name;
    std::map<int, int> m_widest; // column -> longest content in characters
};

class Workbook {
public:
    // A new, empty workbook that save() will write to `targetPath`.
    explicit Workbook(const QString &targetPath);
    // Abandons the workbook when save() was not called or failed: nothing is written.
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    // Adds a sheet at the end. The name must be valid for the format (1 to 31
    // characters, none of []:*?/\) and unique.
    Worksheet &addSheet(const QString &name);
    int sheetCount() const { return int(m_sheets.size()); }
    Worksheet &sheet(int index); // from 0

    // Writes the workbook and replaces the target with it. Once called (with
    // success or not) the workbook cannot be changed any more.
    void save();

    QString targetPath() const { return m_target; }

private:
    friend class Worksheet;
    void checkOpen() const;
    // The cell format of a number format, made once per workbook.
    lxw_format *numberFormat(const QString &code);

    lxw_workbook *m_book = nullptr;
    lxw_format *m_header = nullptr;
    std::map<QString, lxw_format *> m_numberFormats;
    QString m_target;
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_temp;   // the workbook as the library writes it, in m_scratch
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
};

} // namespace platform::xlsx
