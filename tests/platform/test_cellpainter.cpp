// The grid's cell painter: every cell it paints from kept glyphs must be the
// very pixels the style paints, and the cells it must not paint that way
// (selected, focused, letters, elided, cut) go to the style.
#include "platform/grid/CellPainter.h"
#include "platform/grid/GridView.h"
#include "platform/grid/TextGrid.h"

#include <QApplication>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <gtest/gtest.h>
#include <memory>

using platform::grid::CellPainter;
using platform::grid::GridView;
using platform::grid::TextGrid;

namespace {

// The view's own options for its cells.
struct OptionView : GridView {
    using QAbstractItemView::initViewItemOption;
};

// The pixels that differ between two pictures of the same size.
int differing(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// One cell painted by `d` at (4, 4) on a picture a little larger than the
// cell, so that ink outside the cell shows too.
QImage paintCell(const QAbstractItemDelegate &d, const QStyleOptionViewItem &base, const QModelIndex &index, QSize size)
{
    QImage img(size + QSize(8, 8), QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(200, 30, 160));
    QPainter p(&img);
    QStyleOptionViewItem opt = base;
    opt.rect = QRect(QPoint(4, 4), size);
    d.paint(&p, opt, index);
    return img;
}

enum FontKind { Normal, Large, Bold };

QFont fontOf(FontKind kind)
{
    QFont f = QApplication::font();
    if (kind == Large)
        f.setPointSize(f.pointSize() + 5);
    if (kind == Bold)
        f.setBold(true);
    return f;
}

} // namespace

TEST(CellPainter, PaintsTheStylesPixels)
{
    constexpr auto L = Qt::AlignLeft, R = Qt::AlignRight, C = Qt::AlignHCenter;
    constexpr auto T = Qt::AlignTop, M = Qt::AlignVCenter, B = Qt::AlignBottom;
    const QColor band = QApplication::palette().color(QPalette::Button), white(Qt::white), none;
    const QStyle::State selected = QStyle::State_Selected, focus = QStyle::State_HasFocus,
                        active = QStyle::State_Active, enabled = QStyle::State_Enabled, nothing = QStyle::State_None;
    struct Case {
        const char *what;
        const char *text;
        Qt::Alignment align;
        QColor back;
        FontKind font;
        QSize cell;
        QStyle::State add, remove;
        bool plain; // painted from kept glyphs
    };
    const Case cases[] = {
        {"left, centred", "1234,56", L | M, none, Normal, {80, 22}, nothing, nothing, true},
        {"right, on a band", "1234,56", R | M, band, Normal, {80, 22}, nothing, nothing, true},
        {"centre, white band", "-0,5", C | M, white, Normal, {80, 22}, nothing, nothing, true},
        {"centre, odd width", "7", C | M, band, Normal, {81, 23}, nothing, nothing, true},
        {"top right", "12.345", R | T, band, Normal, {80, 22}, nothing, nothing, true},
        {"bottom left", "12.345,5", L | B, white, Normal, {80, 22}, nothing, nothing, true},
        {"bottom centre", "+3", C | B, band, Normal, {80, 25}, nothing, nothing, true},
        {"top centre, no alignment asked", "0,001", C, none, Normal, {60, 22}, nothing, nothing, true},
        {"group separators", "1.234.567.890", R | M, band, Normal, {120, 22}, nothing, nothing, true},
        {"large font, negative", "-1.234,56", R | M, white, Large, {120, 32}, nothing, nothing, true},
        {"large font, centred", "98,7", C | B, band, Large, {70, 33}, nothing, nothing, true},
        {"bold", "98.765,4321", R | M, band, Bold, {120, 22}, nothing, nothing, true},
        {"bold, left", "-5", L | T, white, Bold, {40, 22}, nothing, nothing, true},
        {"empty on a band", "", R | M, band, Normal, {80, 22}, nothing, nothing, true},
        {"empty, no band", "", L | M, none, Normal, {80, 22}, nothing, nothing, true},
        {"window not active", "1234,56", R | M, band, Normal, {80, 22}, nothing, active, true},
        {"disabled", "1234,56", R | M, white, Normal, {80, 22}, nothing, enabled, true},
        {"just fits", "1234", R | M, band, Normal, {0, 22}, nothing, nothing, true},
        {"accents and letters", "Citt\u00e0 di Forl\u00ec 12", L | M, band, Normal, {140, 22}, nothing, nothing, false},
        {"a letter among digits", "12a", R | M, band, Normal, {80, 22}, nothing, nothing, false},
        {"a space among digits", "12 345", R | M, band, Normal, {80, 22}, nothing, nothing, false},
        {"too narrow: elided", "1234567,89", R | M, band, Normal, {30, 22}, nothing, nothing, false},
        {"one pixel too narrow", "1234", R | M, band, Normal, {-1, 22}, nothing, nothing, false},
        {"too low: cut", "1234", R | M, band, Normal, {80, 9}, nothing, nothing, false},
        {"selected", "1234,56", R | M, band, Normal, {80, 22}, selected, nothing, false},
        {"current cell with focus", "1234,56", R | M, band, Normal, {80, 22}, focus, nothing, false},
        {"selected current cell", "-0,5", L | M, white, Normal, {80, 22}, selected | focus, nothing, false},
        {"selected, empty", "", L | M, white, Normal, {80, 22}, selected, nothing, false},
        {"under the mouse", "1234,56", R | M, band, Normal, {80, 22}, QStyle::State_MouseOver, nothing, false},
    };
    // The program's style, and the two whose item painting is the common one.
    std::vector<std::unique_ptr<QStyle>> owned;
    std::vector<QStyle *> styles = {QApplication::style()};
    for (const char *name : {"Fusion", "Windows"})
        if (QStyle *s = QStyleFactory::create(name)) {
            owned.emplace_back(s);
            styles.push_back(s);
        }
    ASSERT_EQ(styles.size(), 3u);
    for (QStyle *style : styles) {
        SCOPED_TRACE(style->name().toStdString());
        QStandardItemModel model(int(std::size(cases)), 1);
        OptionView view;
        view.setStyle(style);
        view.setModel(&model);
        const CellPainter painter;
        const QStyledItemDelegate plainDelegate;
        for (int i = 0; i < int(std::size(cases)); ++i) {
            const Case &c = cases[i];
            SCOPED_TRACE(c.what);
            const QModelIndex index = model.index(i, 0);
            model.setData(index, QString::fromUtf8(c.text), Qt::DisplayRole);
            model.setData(index, QVariant::fromValue(c.align), Qt::TextAlignmentRole);
            if (c.back.isValid())
                model.setData(index, QBrush(c.back), Qt::BackgroundRole);
            if (c.font != Normal)
                model.setData(index, fontOf(c.font), Qt::FontRole);
            QStyleOptionViewItem opt;
            view.initViewItemOption(&opt);
            opt.state |= QStyle::State_Enabled | QStyle::State_Active;
            opt.state = (opt.state | c.add) & ~c.remove;
            QSize cell = c.cell;
            if (cell.width() <= 0) { // the text's own width and margins, less |width|
                const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
                cell.setWidth(QFontMetrics(fontOf(c.font)).horizontalAdvance(QString::fromUtf8(c.text)) + 2 * margin +
                              cell.width());
            }
            const int before = painter.plainCells();
            const QImage mine = paintCell(painter, opt, index, cell);
            const QImage theirs = paintCell(plainDelegate, opt, index, cell);
            EXPECT_EQ(painter.plainCells() - before, c.plain ? 1 : 0);
            EXPECT_EQ(differing(mine, theirs), 0);
        }
    }
}

TEST(CellPainter, AWholeGridIsTheStylesGrid)
{
    // A grid as the data table shows it: row bands, numbers and texts, an
    // empty column, a column too narrow for its numbers, a hidden column, a
    // selection and the current cell with the focus; in two font sizes.
    TextGrid g;
    g.setCols(8);
    g.setRows(16);
    const QStringList heads = {"Territorio", "A01", "A02", "Vuota", "Stretta", "Nascosta", "A03", "Note"};
    for (int c = 0; c < g.Cols(); ++c)
        g.setTextMatrix(0, c, heads[c]);
    for (int r = 1; r < g.Rows(); ++r) {
        g.setTextMatrix(r, 0, r % 3 ? QStringLiteral("Forl\u00ec-Cesena %1").arg(r) : QStringLiteral("Aosta"));
        g.setTextMatrix(r, 1, QStringLiteral("%1,%2").arg(r * 137 - 900).arg(r % 10));
        g.setTextMatrix(r, 2, QStringLiteral("%1.%2").arg(r).arg(r * 111 % 1000, 3, 10, QChar('0')));
        g.setTextMatrix(r, 4, QStringLiteral("1234567,%1").arg(r));
        g.setTextMatrix(r, 5, QStringLiteral("%1").arg(r));
        g.setTextMatrix(r, 6, r % 4 ? QStringLiteral("-0,%1").arg(r) : QString());
        g.setTextMatrix(r, 7, r % 2 ? QStringLiteral("n. %1").arg(r) : QStringLiteral("%1").arg(r * 7));
    }
    g.setColAlignment(2, platform::grid::align::CenterBottom);
    g.setColAlignment(6, platform::grid::align::LeftTop);
    g.setColWidth(4, 500);
    g.setColWidth(5, 0);
    g.setRowBands(QApplication::palette().color(QPalette::Button), QColor(Qt::white));
    for (const FontKind kind : {Normal, Large}) {
        SCOPED_TRACE(kind == Normal ? "normal font" : "large font");
        GridView v;
        v.setFont(fontOf(kind));
        v.setGrid(&g);
        g.setRow(3);
        g.setCol(2);
        g.setRowSel(5);
        g.setColSel(3);
        v.resize(720, 420);
        v.show();
        QApplication::setActiveWindow(&v);
        v.setFocus();
        QApplication::processEvents();
        auto *painter = dynamic_cast<CellPainter *>(v.itemDelegate());
        ASSERT_NE(painter, nullptr);
        const QImage mine = v.grab().toImage();
        const int plain = painter->plainCells();
        QStyledItemDelegate plainDelegate;
        v.setItemDelegate(&plainDelegate);
        const QImage theirs = v.grab().toImage();
        v.setItemDelegate(painter);
        EXPECT_GT(plain, 20); // most number cells took the short way
        EXPECT_EQ(differing(mine, theirs), 0);
    }
}

TEST(CellPainter, CellsUnderAStyleSheetGoToTheStyle)
{
    // A style sheet may give the cells other margins and colours: they are
    // painted by the style of the sheet.
    QStandardItemModel model(1, 1);
    const QModelIndex index = model.index(0, 0);
    model.setData(index, QStringLiteral("1234,56"), Qt::DisplayRole);
    model.setData(index, QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)), Qt::TextAlignmentRole);
    OptionView view;
    view.setStyleSheet(QStringLiteral("QTableView::item { padding-right: 7px; color: #800000; }"));
    view.setModel(&model);
    view.ensurePolished();
    QStyleOptionViewItem opt;
    view.initViewItemOption(&opt);
    const CellPainter painter;
    const QStyledItemDelegate plainDelegate;
    const QImage mine = paintCell(painter, opt, index, {80, 22});
    const QImage theirs = paintCell(plainDelegate, opt, index, {80, 22});
    EXPECT_EQ(painter.plainCells(), 0);
    EXPECT_EQ(differing(mine, theirs), 0);
}
