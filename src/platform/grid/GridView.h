#pragma once
// The view of a TextGrid: row 0 of a grid with a fixed row is the column
// header, column widths come from the grid in twips (0 hides a column), and
// the grid's current cell and selection follow the user's clicks and keys and
// are shown when code sets them. A right click does not move the current cell.
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QPointer>
#include <QStyle>
#include <QTableView>

namespace platform::grid {

class TextGrid;

// The column header of a grid. The size of a header section from its text is
// what QHeaderView gives; it is measured once per text, header font and
// style and kept for the program, so that a table laid out anew (or the next
// table of the same data) does not shape its header texts again.
class GridHeader : public QHeaderView {
public:
    explicit GridHeader(QWidget *parent = nullptr);
    // Sizes kept for the program, every font together; forgets them (for tests).
    static int kept();
    static void forget();

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    // The sizes depend on the style, the orientation, the font and the sort
    // indicator: their description is made again only when one of them changes.
    const QString &context() const;
    mutable QString m_context;
    mutable QPointer<QStyle> m_contextStyle;
    mutable QFont m_contextFont;
    mutable int m_contextOrientation = -1;
    mutable bool m_contextSort = false;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget *parent = nullptr);

    void setGrid(TextGrid *grid);
    TextGrid *grid() const { return m_grid; }

    // Colour of the area beyond the last row and column.
    void setBackColorBkg(const QColor &color);
    QColor BackColorBkg() const { return m_bkg; }

    // True when grid row `r` is (at least partly) in view.
    bool RowIsVisible(int r) const;
    // The view's width in twips.
    int widthTwips() const;
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

signals:
    // A left click on a cell or on a column header.
    void Click();
    // A mouse press: button 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt.
    void MouseDown(int button, int shift, const QPoint &pos);
    // A key press with its classic key code (37 left, 39 right, ...).
    void KeyDown(int keyCode, int shift);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void applyColumnLook(int c);
    void showCursor();
    void scrollToRow(int r);
    void takeSelection();

    TextGrid *m_grid = nullptr;
    QColor m_bkg;
    bool m_syncing = false;
    bool m_extending = false;
    int m_anchorRow = -1, m_anchorCol = -1; // view coordinates
};

} // namespace platform::grid
