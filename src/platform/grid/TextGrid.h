#pragma once
// A grid of texts for the program's tables: every cell is
// a text, rows and columns are counted from 0, and the first FixedRows rows
// (0 or 1) are the header. The grid keeps the current cell (Row, Col) and the
// other corner of the selection (RowSel, ColSel), sorts its data rows in the
// generic order, moves rows, and holds column widths (twips), column
// alignments and cell colours.
//
// It is also the Qt model of a GridView: view row i is grid row i + FixedRows,
// and row 0 of a grid with a fixed row is the view's horizontal header. It is
// usable on its own, without any view (a hidden grid).
#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace platform::db {
class Recordset;
}

namespace platform::grid {

// Column alignments, with the classic numbers.
namespace align {
constexpr int LeftTop = 0, LeftCenter = 1, LeftBottom = 2, CenterTop = 3, CenterCenter = 4, CenterBottom = 5,
              RightTop = 6, RightCenter = 7, RightBottom = 8, General = 9; // General: text left, numbers right
}

// Sort codes of the Sort member.
namespace sort {
constexpr int None = 0, GenericAscending = 1, GenericDescending = 2;
}

// Compares two cell texts in the generic order: empty texts first, then
// numbers (in the user's locale) by value, then other texts ignoring case.
// Returns <0, 0 or >0. Equal keys keep their order in a sort.
int compareGeneric(const QString &a, const QString &b);

class TextGrid : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextGrid(QObject *parent = nullptr);

    // ---- size and texts ---------------------------------------------------
    int Rows() const { return int(m_rows.size()); }
    void setRows(int n);              // new rows are empty; the current cell is kept inside
    int Cols() const { return m_cols; }
    void setCols(int n);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);         // 0 or 1

    QString TextMatrix(int r, int c) const;              // RuntimeError(SubscriptOutOfRange) outside
    const QString &cellText(int r, int c) const;         // the same, without a copy
    void setTextMatrix(int r, int c, const QString &text);
    // The text of the current cell (Row, Col).
    QString Text() const { return TextMatrix(m_row, m_col); }
    void setText(const QString &text) { setTextMatrix(m_row, m_col, text); }

    // Empties every text and cell colour; the size stays.
    void Clear();

    // Replaces the whole content: row 0 = the field names, then one row per
    // record, every value as its text (Null as an empty cell). Cell colours
    // are dropped, the current cell goes to (FixedRows, 0).
    void SetDataSource(const platform::db::Recordset &rs);
    // The same from texts: `rows` holds every row, header included; each row
    // is cut or padded to `cols` cells.
    void SetContents(std::vector<QStringList> rows, int cols);

    // ---- current cell and selection -------------------------------------
    int Row() const { return m_row; }
    void setRow(int r);               // also RowSel := r
    int Col() const { return m_col; }
    void setCol(int c);               // also ColSel := c
    int RowSel() const { return m_rowSel; }
    void setRowSel(int r);
    int ColSel() const { return m_colSel; }
    void setColSel(int c);

    // ---- ordering ---------------------------------------------------------
    // Sort (write only): sorts the data rows on the key columns from
    // min(Col, ColSel) to max(Col, ColSel) in the generic order; code 1
    // ascending, 2 descending (empties last), 0 nothing. The sort is stable.
    // Row numbers of the current cell and selection stay as they are.
    void setSort(int code);
    // RowPosition: moves row `row` to position `position`; the rows between
    // shift by one.
    void setRowPosition(int row, int position);
    // Puts the data rows in the order given by `order` (grid row numbers of
    // the data rows, each once): one change instead of a move per row.
    void setRowOrder(const std::vector<int> &order);

    // ---- look -------------------------------------------------------------
    // Column widths in twips; -1 = the default width, 0 = hidden.
    int ColWidth(int c) const;
    void setColWidth(int c, int twips);
    int ColAlignment(int c) const;
    void setColAlignment(int c, int alignment);

    // Back colour of the current cell (Row, Col). Reading gives the colour the
    // cell shows: its own, else its row band's, else white.
    QColor CellBackColor() const;
    void setCellBackColor(const QColor &color);
    QColor cellBackColor(int r, int c) const;

    // Row bands: every data row shows `even` when its row number is even and
    // `odd` when it is odd, whatever reordering happens (cells with a colour
    // of their own keep it). Invalid colours switch the bands off.
    void setRowBands(const QColor &even, const QColor &odd);
    bool hasRowBands() const { return m_bandEven.isValid(); }

    // Redraw off: cell changes are shown together when it is set on again.
    bool Redraw() const { return m_redraw; }
    void setRedraw(bool on);

    // First data row scrolled into view (a view keeps it up to date).
    int TopRow() const { return m_topRow; }
    void setTopRow(int r);

    // ---- Qt model ---------------------------------------------------------
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The selection as a view reports it (no cursorChanged echo).
    void setSelectionFromView(int row, int col, int rowSel, int colSel);
    // Called by a view when it scrolls.
    void setTopRowFromView(int r);

signals:
    // The current cell moved (Row or Col changed, by code or by the user).
    void EnterCell();
    // The selection was set by code (views follow it).
    void cursorChanged();
    // Width or alignment of column `c` changed (-1: every column).
    void columnLookChanged(int c);
    // TopRow was set by code.
    void topRowRequested(int r);

private:
    struct GridRow {
        QStringList text;
        QHash<int, QColor> back; // cells with a colour of their own
    };

    void checkCell(int r, int c) const;
    void checkRow(int r) const;
    void checkCol(int c) const;
    void setCursor(int row, int col, int rowSel, int colSel, bool fromView);
    void clampCursor();
    void cellChanged(int r, int c);
    void applyOrder(const std::vector<int> &dataOrder); // dataOrder: grid rows, in new order
    int viewRow(int r) const { return r - m_fixedRows; }

    std::vector<GridRow> m_rows;
    int m_cols = 0;
    int m_fixedRows = 1;
    int m_row = 1, m_col = 0, m_rowSel = 1, m_colSel = 0;
    std::vector<int> m_widths;     // twips, -1 default
    std::vector<int> m_alignments; // align::*
    QColor m_bandEven, m_bandOdd;
    bool m_redraw = true;
    bool m_dirty = false;
    int m_topRow = 1;
};

} // namespace platform::grid
