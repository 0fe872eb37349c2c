// The text grid: generic sort order in both locales, stability, row moves,
// current cell rules, row bands and cell colours, the view binding, and the
// widths of texts kept per font.
#include "platform/grid/GridView.h"
#include "platform/grid/TextGrid.h"
#include "platform/grid/TextWidths.h"
#include "test_common.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyleFactory>
#include <QTableView>
#include <gtest/gtest.h>
#include <memory>

using platform::grid::GridView;
using platform::grid::TextGrid;
using platform::grid::TextWidths;
using ptest::LocaleScope;

namespace {

const QLocale Italian = ptest::italian();
const QLocale English(QLocale::English, QLocale::UnitedStates);

// A grid with a header row and one column per list; rows are filled from the lists.
void fill(TextGrid &g, const std::vector<QStringList> &columns)
{
    g.setCols(int(columns.size()));
    g.setRows(int(columns.at(0).size()) + 1);
    for (int c = 0; c < int(columns.size()); ++c) {
        g.setTextMatrix(0, c, QStringLiteral("H%1").arg(c));
        for (int r = 0; r < columns[c].size(); ++r)
            g.setTextMatrix(r + 1, c, columns[c][r]);
    }
}

// Sends a mouse press and release on the view's viewport at `pos`.
void click(GridView &v, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers mods = Qt::NoModifier, bool release = true)
{
    const QPointF local(pos), global(v.viewport()->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, mods);
    QApplication::sendEvent(v.viewport(), &press);
    if (!release)
        return;
    QMouseEvent up(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, mods);
    QApplication::sendEvent(v.viewport(), &up);
}

// The current cell and the far corner of the selection: Row, Col, RowSel, ColSel.
std::vector<int> cursor(const TextGrid &g) { return {g.Row(), g.Col(), g.RowSel(), g.ColSel()}; }

QStringList column(const TextGrid &g, int c)
{
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        out << g.TextMatrix(r, c);
    return out;
}

} // namespace

TEST(TextGridSort, GenericOrderInBothLocales)
{
    struct Case { QLocale locale; QStringList cells; int code; QStringList expected; };
    const std::vector<Case> cases = {
        // numbers as numbers in the locale; empties first; text after numbers, ignoring case
        {Italian, {"10,00", "9,00", "", "abc", "Abd", "001", "-2,50", "0,125"}, 1,
         {"", "-2,50", "0,125", "001", "9,00", "10,00", "abc", "Abd"}},
        {Italian, {"10,00", "9,00", "", "abc", "Abd", "001", "-2,50"}, 2,
         {"Abd", "abc", "10,00", "9,00", "001", "-2,50", ""}},
        // the point is not a decimal separator under Italian settings: "1.5" is text
        {Italian, {"2", "1.5", "1,5"}, 1, {"1,5", "2", "1.5"}},
        {English, {"10.00", "9.00", "", "Roma", "roma", "1,5"}, 1, {"", "9.00", "10.00", "1,5", "Roma", "roma"}},
        // grouped thousands are numbers
        {Italian, {"1.234,5", "999", "12"}, 1, {"12", "999", "1.234,5"}},
        // blanks around a number do not change it; a blank cell counts as empty
        {Italian, {" 7 ", "  ", "3"}, 1, {"  ", "3", " 7 "}},
    };
    for (const Case &k : cases) {
        LocaleScope scope(k.locale);
        TextGrid g;
        fill(g, {k.cells});
        g.setCol(0);
        g.setSort(k.code);
        EXPECT_EQ(column(g, 0), k.expected) << k.locale.name().toStdString() << " code " << k.code;
        EXPECT_EQ(g.TextMatrix(0, 0), "H0"); // the header never moves
    }
}

TEST(TextGridSort, StableOnEqualKeysAndKeysFromColToColSel)
{
    TextGrid g;
    fill(g, {{"b", "a", "B", "a", "A"}, {"1", "2", "3", "4", "5"}, {"z", "y", "x", "w", "v"}});
    g.setCol(0);
    g.setSort(1);
    EXPECT_EQ(column(g, 1), QStringList({"2", "4", "5", "1", "3"}));
    g.setSort(2);
    EXPECT_EQ(column(g, 1), QStringList({"1", "3", "2", "4", "5"}));

    // two key columns, the selection made from the right
    fill(g, {{"b", "a", "b", "a"}, {"2", "2", "1", "1"}, {"p", "q", "r", "s"}});
    g.setCol(1);
    g.setColSel(0);
    g.setSort(1);
    EXPECT_EQ(column(g, 2), QStringList({"s", "q", "r", "p"}));
    EXPECT_EQ(cursor(g), std::vector<int>({1, 1, 1, 0})); // the current cell stays
}

TEST(TextGridSort, BandsFollowRowNumbersAndOwnColoursFollowRows)
{
    TextGrid g;
    fill(g, {{"3", "1", "2"}, {"c", "a", "b"}});
    const QColor even(Qt::lightGray), odd(Qt::white), red(Qt::red);
    g.setRowBands(even, odd);
    g.setRow(1);
    g.setCol(1);
    g.setCellBackColor(red); // the cell "c"
    g.setCol(0);
    g.setSort(1);
    EXPECT_EQ(column(g, 1), QStringList({"a", "b", "c"}));
    for (int r = 1; r < g.Rows(); ++r)
        EXPECT_EQ(g.cellBackColor(r, 0), r % 2 == 0 ? even : odd) << r;
    EXPECT_EQ(g.cellBackColor(3, 1), red);
    EXPECT_EQ(g.cellBackColor(0, 0), QColor(Qt::white)); // the header row is no band
    g.Clear();
    EXPECT_EQ(g.cellBackColor(3, 1), odd);
    EXPECT_EQ(g.TextMatrix(3, 1), "");
}

TEST(TextGridRows, RowPositionMovesOneRowAndShiftsTheOthers)
{
    struct Case { int row, position; QStringList expected; };
    const std::vector<Case> cases = {
        {4, 1, {"d", "a", "b", "c", "e"}}, {1, 4, {"b", "c", "d", "a", "e"}}, {3, 3, {"a", "b", "c", "d", "e"}}};
    for (const Case &k : cases) {
        TextGrid g;
        fill(g, {{"a", "b", "c", "d", "e"}});
        g.setRowPosition(k.row, k.position);
        EXPECT_EQ(column(g, 0), k.expected) << k.row << "->" << k.position;
    }
    TextGrid g;
    fill(g, {{"a", "b", "c"}});
    g.setRowOrder({3, 1, 2});
    EXPECT_EQ(column(g, 0), QStringList({"c", "a", "b"}));
    EXPECT_THROW(g.setRowOrder({1, 1, 2}), platform::RuntimeError);
    EXPECT_THROW(g.setRowPosition(4, 1), platform::RuntimeError);
}

TEST(TextGridCells, CurrentCellSizeAndBounds)
{
    TextGrid g;
    EXPECT_EQ(std::make_pair(g.Rows(), g.Cols()), std::make_pair(2, 2));
    fill(g, {{"a", "b", "c"}, {"1", "2", "3"}, {"x", "y", "z"}});
    g.setRow(2);
    g.setCol(1);
    g.setRowSel(3);
    g.setColSel(2);
    int enter = 0;
    QObject::connect(&g, &TextGrid::EnterCell, [&] { ++enter; });
    g.setCol(0); // setting Col (or Row) collapses the selection on that axis
    EXPECT_EQ(cursor(g), std::vector<int>({2, 0, 3, 0}));
    g.setRow(1);
    g.setColSel(2); // only the current cell fires
    EXPECT_EQ(cursor(g), std::vector<int>({1, 0, 1, 2}));
    EXPECT_EQ(enter, 2);
    EXPECT_EQ(g.Text(), "a");

    g.setCols(5); // growing keeps the texts, new cells are empty
    EXPECT_EQ(g.TextMatrix(3, 2) + g.TextMatrix(3, 4), "z");
    g.setRows(2); // shrinking moves the selection inside
    g.setCols(1);
    EXPECT_EQ(cursor(g), std::vector<int>({1, 0, 1, 0}));
    EXPECT_THROW(g.TextMatrix(2, 0), platform::RuntimeError);
    EXPECT_THROW(g.setCol(1), platform::RuntimeError);
    EXPECT_THROW(g.setSort(3), platform::RuntimeError);
}

TEST(TextGridView, HeaderRowWidthsAndSelectionBothWays)
{
    TextGrid g;
    fill(g, {{"1", "2", "3"}, {"a", "b", "c"}, {"x", "y", "z"}});
    GridView v;
    v.resize(400, 300);
    v.setGrid(&g);
    v.show();
    QApplication::processEvents();

    EXPECT_EQ(g.rowCount(), 3); // row 0 is the header
    EXPECT_EQ(g.data(g.index(0, 1)).toString(), "a");

    g.setColWidth(0, 0);
    EXPECT_TRUE(v.isColumnHidden(0));
    g.setColWidth(1, 1500);
    EXPECT_EQ(v.columnWidth(1), v.twipsToPixels(1500));
    g.setColAlignment(2, platform::grid::align::CenterCenter);
    EXPECT_EQ(g.data(g.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignCenter);
    // general alignment: numbers right, texts left
    EXPECT_TRUE(g.data(g.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    EXPECT_TRUE(g.data(g.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);

    // code -> view
    g.setRow(1);
    g.setCol(1);
    g.setRowSel(3);
    EXPECT_EQ(v.selectionModel()->selectedIndexes().size(), 3);
    EXPECT_EQ(v.currentIndex(), g.index(2, 1));

    // user -> grid: a click on the cell "c"; Click and EnterCell fire
    int clicks = 0, enter = 0;
    QObject::connect(&v, &GridView::Click, [&] { ++clicks; });
    QObject::connect(&g, &TextGrid::EnterCell, [&] { ++enter; });
    click(v, v.visualRect(g.index(2, 1)).center());
    EXPECT_EQ(cursor(g), std::vector<int>({3, 1, 3, 1}));
    EXPECT_EQ(clicks, 1);
    EXPECT_GE(enter, 1);

    // Shift-click extends from the current cell
    click(v, v.visualRect(g.index(0, 2)).center(), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(cursor(g), std::vector<int>({3, 1, 1, 2}));

    // a right press reports the button and leaves the current cell
    std::vector<int> downs;
    QObject::connect(&v, &GridView::MouseDown, [&](int button, int, const QPoint &) { downs.push_back(button); });
    click(v, v.visualRect(g.index(0, 0)).center(), Qt::RightButton, Qt::NoModifier, false);
    EXPECT_EQ(downs, std::vector<int>({2}));
    EXPECT_EQ(g.ColSel(), 2);

    // the view's rows follow a sort, and the header a change of row 0
    g.setCol(0);
    g.setSort(2);
    EXPECT_EQ(g.data(g.index(0, 1)).toString(), "c");
    g.setTextMatrix(0, 1, "Nome");
    EXPECT_EQ(v.model()->headerData(1, Qt::Horizontal).toString(), "Nome");

    // a grid without a fixed row shows row 0 as data
    g.setFixedRows(0);
    EXPECT_EQ(g.rowCount(), 4);
    EXPECT_FALSE(v.horizontalHeader()->isVisible());
}

TEST(TextGridView, HeaderSizesAreThoseOfAPlainHeader)
{
    // The grid's header keeps the size of each text it measures, for the
    // program: the sizes must stay those a plain header gives, whatever the
    // font, the sort indicator and the texts, and however often they change.
    using platform::grid::GridHeader;
    GridHeader::forget();
    TextGrid g;
    fill(g, {{"1"}, {"a"}, {"x"}, {"y"}, {"z"}});
    const QStringList texts = {"", "Territorio", "A01001_1996", "Citt\u00e0 di Forl\u00ec", "Densit\u00e0\ndi popolazione"};
    for (int c = 0; c < texts.size(); ++c)
        g.setTextMatrix(0, c, texts[c]);
    const QFont normal = GridView().horizontalHeader()->font();
    QFont big = normal;
    big.setPointSize(big.pointSize() + 9);
    big.setItalic(true);
    // A grid view and a plain table view live through every case too: the
    // grid's header must see the changes of font, sort indicator and style
    // made under it as the plain one does.
    std::unique_ptr<QStyle> windows(QStyleFactory::create("Windows"));
    ASSERT_TRUE(windows);
    struct Case { const char *what; QFont font; bool sort; const char *rename; QStyle *style; };
    const Case cases[] = {
        {"default font", normal, false, nullptr, nullptr},
        {"large italic font", big, false, nullptr, nullptr},
        {"sort indicator", normal, true, nullptr, nullptr},
        {"another style", normal, true, nullptr, windows.get()},
        {"renamed column", normal, true, "Un nome molto pi\u00f9 lungo di prima", nullptr},
        {"back to the default", normal, false, nullptr, nullptr},
        {"sort indicator again", normal, true, nullptr, nullptr},
    };
    GridView same;
    same.setGrid(&g);
    QTableView samePlain;
    samePlain.setModel(&g);
    int kept = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.rename)
            g.setTextMatrix(0, 2, QString::fromUtf8(c.rename));
        GridView v;
        v.setGrid(&g);
        QHeaderView plain(Qt::Horizontal);
        plain.setModel(&g);
        for (QHeaderView *h : {v.horizontalHeader(), same.horizontalHeader(), &plain, samePlain.horizontalHeader()}) {
            h->setFont(c.font);
            h->setSortIndicatorShown(c.sort);
            h->setStyle(c.style ? c.style : QApplication::style());
        }
        for (const auto &[h, p] : {std::pair<QHeaderView *, QHeaderView *>{v.horizontalHeader(), &plain},
                                   {same.horizontalHeader(), samePlain.horizontalHeader()}}) {
            EXPECT_EQ(h->sizeHint(), p->sizeHint());
            for (int i = 0; i < g.Cols(); ++i)
                EXPECT_EQ(h->sectionSizeHint(i), p->sectionSizeHint(i)) << "section " << i;
        }
        if (c.what == cases[std::size(cases) - 1].what) { // the texts of this font were measured before
            EXPECT_EQ(GridHeader::kept(), kept);
        }
        kept = GridHeader::kept();
    }
}

TEST(TextWidths, EachFontKeepsItsOwnWidths)
{
    TextWidths::forget();
    QFont plain = QApplication::font();
    QFont bold = plain;
    bold.setBold(true);
    QFont large = plain;
    large.setPixelSize(31);
    const QStringList texts = {"1234,50", "", "Forlì-Cesena", "WWWW", "iiii", "-0,01", "1234,50", "n. 12", "12 %"};
    // The fonts in turns, each text asked again and again: always the font's own measure.
    for (int pass = 0; pass < 2; ++pass)
        for (const QFont &f : {plain, bold, large, plain}) {
            TextWidths w(f);
            const QFontMetrics fm(f);
            for (const QString &t : texts)
                EXPECT_EQ(w.width(t), fm.horizontalAdvance(t)) << t.toStdString() << " " << f.key().toStdString();
        }
    EXPECT_NE(TextWidths(plain).width("WWWW"), TextWidths(large).width("WWWW"));
    // Five distinct texts that are not numbers, per font; numbers are not kept.
    EXPECT_EQ(TextWidths::kept(), 3 * 5);

    // The widths kept for the program are bounded; past the bound texts are
    // still measured right, and kept only for the object's life.
    TextWidths w(plain);
    const QFontMetrics fm(plain);
    for (int i = 0; i < TextWidths::MaxKept + 50; ++i)
        w.width("n" + QString::number(i));
    EXPECT_EQ(TextWidths::kept(), TextWidths::MaxKept);
    const QString late = "n" + QString::number(TextWidths::MaxKept + 49);
    EXPECT_EQ(w.width(late), fm.horizontalAdvance(late));
    EXPECT_EQ(w.width(late + "WW"), fm.horizontalAdvance(late + "WW"));
    EXPECT_EQ(TextWidths::kept(), TextWidths::MaxKept);
}

// Numbers are measured from their characters' advances: the same widths as
// shaping them, in every font, size and style, and in the fonts that kern
// some of their characters too.
TEST(TextWidths, NumbersTakeTheWidthsShapingGives)
{
    TextWidths::forget();
    std::vector<QFont> fonts;
    for (const char *family : {"", "DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono", "DejaVu Sans Condensed"})
        for (const int px : {7, 11, 13, 16, 31})
            for (const bool boldItalic : {false, true}) {
                QFont f = *family ? QFont(family) : QApplication::font();
                f.setPixelSize(px);
                f.setBold(boldItalic);
                f.setItalic(boldItalic);
                fonts.push_back(f);
            }
    QFont spaced = QApplication::font();
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1.3);
    fonts.push_back(spaced);
    QFont hintless = QApplication::font();
    hintless.setHintingPreference(QFont::PreferNoHinting);
    hintless.setPointSizeF(9.3);
    fonts.push_back(hintless);

    QStringList numbers = {"0", "1", "11", "111", "-1", "+1", "1,", ",5", "1.234.567,89", "--", ",,", "..",
                           "0,01", "-0,01", "17,4", "71,1", "1-1", "9999999999,99", "1+1"};
    for (int i = 0; i < 400; ++i) {
        const double v = (i * 7919 % 100003) / (i % 7 + 1.0) - 300.0;
        numbers << QString::number(v, 'f', i % 4).replace('.', ',');
        numbers << QLocale(QLocale::Italian).toString(v * 1000, 'f', 2);
    }
    int additive = 0;
    for (const QFont &f : fonts) {
        TextWidths w(f);
        const QFontMetrics fm(f);
        for (const QString &t : numbers)
            ASSERT_EQ(w.width(t), fm.horizontalAdvance(t)) << t.toStdString() << " " << f.key().toStdString();
        const int before = TextWidths::kept();
        w.width("12345,67");
        additive += TextWidths::kept() == before;
    }
    // The program's font sets numbers without kerning: their widths are not kept.
    EXPECT_GT(additive, 0);
    TextWidths::forget();
    TextWidths w(QApplication::font());
    for (const QString &t : numbers)
        w.width(t);
    EXPECT_EQ(TextWidths::kept(), 0);
}
