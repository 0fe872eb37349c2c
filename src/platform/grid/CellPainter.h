#pragma once
// The painter of a grid's cells. Most cells of a data table are numbers
// (digits, signs and separators); laying their text out is most of the time
// of painting a table. A number shown plainly (not selected, not the cell
// with the focus frame nor under the mouse, no picture or check box), whole
// in its cell, in a font that sets those characters side by side without
// kerning, is painted here from the glyphs of its characters, kept per font,
// at the place the style's text layout puts them: the same pixels the style
// paints. So is a plain empty cell (its background alone). Every other cell,
// and every cell under a style whose item painting is not the common one, is
// painted by the style.
#include <QFont>
#include <QGlyphRun>
#include <QPointer>
#include <QStyledItemDelegate>
#include <map>
#include <memory>

namespace platform::grid {

class CellPainter : public QStyledItemDelegate {
public:
    explicit CellPainter(QObject *parent = nullptr);
    ~CellPainter() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Cells painted from kept glyphs since the painter was made (for tests).
    int plainCells() const { return m_plainCells; }

private:
    struct Glyphs;
    bool paintPlain(QPainter *p, const QStyleOptionViewItem &opt, QStyle *style) const;
    bool plainStyle(QStyle *style, const QWidget *widget) const;
    const Glyphs &glyphs(const QFont &font) const;

    mutable QPointer<QStyle> m_style; // the style last asked about
    mutable bool m_plainStyle = false;
    mutable int m_textMargin = 0;
    mutable std::map<QString, std::unique_ptr<Glyphs>> m_fonts;
    mutable QFont m_lastFont;
    mutable const Glyphs *m_last = nullptr;
    mutable QGlyphRun m_run;
    mutable int m_plainCells = 0;
};

} // namespace platform::grid
