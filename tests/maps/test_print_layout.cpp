// The map page of the print layout without its window: set-up, legend,
// margins, dragging, hit test and the renderer; the font list and the
// feature label.
#include "maps/FeatureLabel.h"
#include "maps/FontList.h"
#include "maps/LayoutPage.h"
#include "maps/LayoutRender.h"
#include "platform/Error.h"
#include "platform/grid/TextGrid.h"

#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace maps;

namespace {

const QSizeF A4(8.27, 11.69);
const QSizeF Letter(8.5, 11.0);

// A class grid of `n` rows: colour in column 0, label in column 1.
std::unique_ptr<platform::grid::TextGrid> classGrid(const std::vector<std::pair<QString, QColor>> &rows)
{
    auto owned = std::make_unique<platform::grid::TextGrid>();
    platform::grid::TextGrid &g = *owned;
    g.setCols(2);
    g.setRows(int(rows.size()));
    for (int i = 0; i < int(rows.size()); ++i) {
        g.setTextMatrix(i, 1, rows[size_t(i)].first);
        g.setRow(i);
        g.setCol(0);
        g.setCellBackColor(rows[size_t(i)].second);
    }
    return owned;
}

// A picture of a solid rectangle, `w` x `h` pixels (1/96 inch).
QPicture solidPicture(int w, int h, QColor c)
{
    QPicture pic;
    {
        QPainter p(&pic);
        p.fillRect(QRect(0, 0, w, h), c);
    }
    pic.setBoundingRect(QRect(0, 0, w, h));
    return pic;
}

LayoutPage defaultPage(const QSizeF &paper = A4)
{
    LayoutPage page;
    SetupPage(page, paper, QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans"),
              QStringLiteral("A0001_1996: Superficie territoriale"));
    return page;
}

// An A4 image where one page inch is `dpi` pixels and the device has that resolution.
struct Canvas {
    double dpi;
    QImage img;
    PageDevice dev;
    explicit Canvas(double resolution = 100)
        : dpi(resolution), img(int(A4.width() * dpi), int(A4.height() * dpi), QImage::Format_RGB32)
    {
        img.setDotsPerMeterX(qRound(dpi / 0.0254));
        img.setDotsPerMeterY(qRound(dpi / 0.0254));
        img.fill(Qt::white);
        dev = PreviewDevice(&img, QRectF(QPointF(0, 0), img.size()), A4);
    }
    void render(const LayoutPage &page)
    {
        QPainter p(&img);
        RenderPage(page, p, dev);
    }
    QColor at(double xIn, double yIn) const { return img.pixelColor(int(xIn * dpi), int(yIn * dpi)); }
    // Bounding box (pixels) of the non-white pixels inside `r` (page inches), of the whole sheet by default.
    QRect ink(const QRectF &r = QRectF(QPointF(0, 0), A4)) const
    {
        QRect out;
        for (int y = int(r.top() * dpi); y < int(r.bottom() * dpi); ++y)
            for (int x = int(r.left() * dpi); x < int(r.right() * dpi); ++x)
                if (img.pixel(x, y) != qRgb(255, 255, 255))
                    out |= QRect(x, y, 1, 1);
        return out;
    }
};

} // namespace

TEST(PrintPage, SetupDefaultsAndBorderFromThePaper)
{
    for (const QSizeF &paper : {A4, Letter}) {
        const LayoutPage page = defaultPage(paper);
        EXPECT_DOUBLE_EQ(page.borderHolder.Left, 0.5);
        EXPECT_DOUBLE_EQ(page.borderHolder.Top, 0.5);
        EXPECT_DOUBLE_EQ(page.borderHolder.Right, paper.width() - 0.5);
        EXPECT_DOUBLE_EQ(page.borderHolder.Bottom, paper.height() - 0.5);
    }
    EXPECT_EQ(DefaultFontFamily({}), "");
    EXPECT_EQ(DefaultFontFamily({"A", "B"}), "A");
    EXPECT_EQ(DefaultFontFamily({"A", "B"}, "B"), "B");
    EXPECT_EQ(DefaultFontFamily({"A", "B"}, "C"), "A");
    QStringList many;
    for (int i = 0; i < 20; ++i)
        many << QString::number(i);
    EXPECT_EQ(DefaultFontFamily(many, "2"), "13");
}

TEST(PrintPage, TheMapOpensAtASizeThatFitsThePage)
{
    // A preview of an A4 sheet 4.5 screen inches wide: the page follows it when printed.
    QImage preview(433, 612, QImage::Format_RGB32);
    preview.setDotsPerMeterX(3780); // 96 dpi
    preview.setDotsPerMeterY(3780);
    const PageDevice dev = PreviewDevice(&preview, QRectF(0, 0, 433, 612), A4);
    struct Case { double wPx, hPx; int zoom; };
    const Case cases[] = {
        {300, 300, 65},     // a small map view: the default scale
        {0, 0, 65},         // no picture
        {709, 730, 50},     // the usual map view: narrowed to fit above the legend
        {900, 400, 41},     // wide: narrowed to the border
        {20000, 20000, 10}, // never below the slider's least
    };
    for (const Case &c : cases) {
        LayoutPage page;
        page.paper = A4;
        page.mapWidthPx = c.wPx;
        page.mapHeightPx = c.hPx;
        const int zoom = InitialMapZoom(page, dev);
        EXPECT_EQ(zoom, c.zoom) << c.wPx << "x" << c.hPx;
        if (zoom > 10 && c.wPx > 0) {
            page.zoomMappa = zoom / 100.0;
            const QRectF r = MapRectOnPage(page, dev);
            EXPECT_LE(r.right(), A4.width() - 0.5);
            EXPECT_LE(r.bottom(), page.legendTop);
        }
    }
}

TEST(PrintPage, LegendFromTheClassGrid)
{
    const std::vector<std::pair<QString, QColor>> rows = {
        {" Da 1 a 2", Qt::yellow}, {" Da 2 a 3", QColor(10, 20, 30)}, {" Dato non presente", Qt::white}};
    LayoutPage page = defaultPage();
    const QStringList texts = LoadLegend(page, *classGrid(rows), QStringLiteral("DejaVu Serif"), QStringLiteral("8"));
    ASSERT_EQ(page.legendHolder.Count(), 3);
    ASSERT_EQ(texts.size(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto &r = page.legendHolder.row(i);
        EXPECT_EQ(r.Text, rows[size_t(i)].first);
        EXPECT_EQ(texts[i], r.Text);
        EXPECT_DOUBLE_EQ(r.Left, 1.3);
        EXPECT_NEAR(r.Top, 8.0 + i / 3.0, 1e-9);
        EXPECT_EQ(ColorOf(r.BoxColor), rows[size_t(i)].second);
        EXPECT_EQ(QString("%1 %2 %3").arg(r.TextColor).arg(r.FontName).arg(r.FontSize), "0 DejaVu Serif 8");
    }
    LayoutPage empty = defaultPage();
    EXPECT_THROW(empty.legendHolder.row(0), platform::RuntimeError);
    EXPECT_EQ(RgbNumber(QColor(1, 2, 3)), 0x030201);
}

TEST(PrintPage, LegendChangesReachTheSelectedRows)
{
    // Item 0 stands for every row, item k for row k; no selection, nothing.
    const std::pair<int, std::vector<int>> cases[] = {{0, {0, 1, 2, 3}}, {3, {3}}, {-1, {}}, {4, {}}};
    for (const auto &[selected, changed] : cases) {
        LayoutPage page = defaultPage();
        const auto grid = classGrid({{"a", Qt::red}, {"b", Qt::red}, {"c", Qt::red}, {"d", Qt::red}});
        LoadLegend(page, *grid, "F", "8");
        ForSelectedLegendRows(page, selected, [](LayoutLegend::Row &r) { r.FontSize = 20; });
        for (int i = 0; i < 4; ++i) {
            const bool expected = std::find(changed.begin(), changed.end(), i) != changed.end();
            EXPECT_EQ(page.legendHolder.row(i).FontSize, expected ? 20 : 8) << selected << " row " << i;
        }
    }
    LayoutPage empty = defaultPage();
    int calls = 0;
    ForSelectedLegendRows(empty, 0, [&](LayoutLegend::Row &) { ++calls; });
    EXPECT_EQ(calls, 0);

    LayoutPage page = defaultPage();
    LoadLegend(page, *classGrid({{"a", Qt::red}, {"b", Qt::red}}), "F", "8");
    UpdateLegendTexts(page, {"x", "y", "in più"});
    EXPECT_EQ(page.legendHolder.row(0).Text, "x");
    EXPECT_EQ(page.legendHolder.row(1).Text, "y");
}

TEST(PrintPage, MarginButtons)
{
    struct Case { const char *button; double LayoutBorder::*edge; double step; };
    const Case cases[] = {
        {"cmd_marsinmen", &LayoutBorder::Left, -0.2},  {"cmd_marsinpiu", &LayoutBorder::Left, 0.2},
        {"cmd_mardesmen", &LayoutBorder::Right, -0.2}, {"cmd_mardespiu", &LayoutBorder::Right, 0.2},
        {"cmd_margSupmen", &LayoutBorder::Top, -0.2},  {"cmd_margSuppiu", &LayoutBorder::Top, 0.2},
        {"cmd_marInfmen", &LayoutBorder::Bottom, -0.2}, {"cmd_marInfpiu", &LayoutBorder::Bottom, 0.2},
    };
    for (const Case &c : cases) {
        LayoutPage page = defaultPage();
        const LayoutBorder before = page.borderHolder;
        ASSERT_TRUE(ApplyMarginButton(page.borderHolder, QString::fromLatin1(c.button)));
        EXPECT_NEAR(page.borderHolder.*c.edge, before.*c.edge + c.step, 1e-12) << c.button;
        // The other three edges stay.
        for (auto e : {&LayoutBorder::Left, &LayoutBorder::Right, &LayoutBorder::Top, &LayoutBorder::Bottom})
            if (e != c.edge) {
                EXPECT_EQ(page.borderHolder.*e, before.*e) << c.button;
            }
    }
    // The edges have no bounds.
    LayoutPage page = defaultPage();
    for (int i = 0; i < 40; ++i)
        ApplyMarginButton(page.borderHolder, QStringLiteral("cmd_mardesmen"));
    EXPECT_LT(page.borderHolder.Right, page.borderHolder.Left);
    EXPECT_FALSE(ApplyMarginButton(page.borderHolder, QStringLiteral("cmdStampa")));
}

TEST(PageRenderer, ElementsAtTheirPlacesInDrawingOrder)
{
    LayoutPage page = defaultPage();
    SetMapPicture(page, solidPicture(480, 288, Qt::red)); // 5 x 3 inches
    EXPECT_EQ(page.mapWidthPx, 480);
    EXPECT_EQ(page.mapHeightPx, 288);
    page.zoomMappa = 0.5;
    LoadLegend(page, *classGrid({{"Classe uno", QColor(0, 128, 0)}, {"Classe due", QColor(0, 0, 200)}}),
               "DejaVu Sans", "8");
    page.titleHolder.Color = RgbNumber(QColor(200, 0, 200));
    Canvas c;
    c.render(page);

    // Map: 5 x 3 in at zoom 0.5 -> 2.5 x 1.5 in from (0.578, 1.007).
    const QRectF m = MapRectOnPage(page, c.dev);
    EXPECT_NEAR(m.width(), 2.5, 1e-9);
    EXPECT_NEAR(m.height(), 1.5, 1e-9);
    EXPECT_EQ(c.at(3.0, 2.45), QColor(Qt::red));
    EXPECT_EQ(c.at(3.2, 2.7), QColor(Qt::white));
    // Border: black line at X 0.5, inside white.
    EXPECT_EQ(c.at(0.5, 5.0), QColor(Qt::black));
    EXPECT_EQ(c.at(0.55, 5.0), QColor(Qt::white));
    // Legend row 0 at Left 1.3, Top 8.0: box from X 1.0 to 1.3, Y 8.0 to 8.3.
    EXPECT_EQ(c.at(1.15, 8.15), QColor(0, 128, 0));
    EXPECT_EQ(c.at(1.15, 8.333 + 0.15), QColor(0, 0, 200));
    // Its text begins at X 1.5.
    const QRect text = c.ink(QRectF(1.31, 8.0, 2.0, 0.2));
    ASSERT_FALSE(text.isNull());
    EXPECT_NEAR(text.left() / 100.0, 1.5, 0.03);
    // Title in its colour near (2.948, 0.493).
    const QRect title = c.ink(QRectF(2.9, 0.45, 3.5, 0.4));
    ASSERT_FALSE(title.isNull());
    EXPECT_NEAR(title.left() / 100.0, 2.948, 0.05);
    bool coloured = false;
    for (int x = title.left(); x <= title.right() && !coloured; ++x)
        for (int y = title.top(); y <= title.bottom() && !coloured; ++y)
            coloured = c.img.pixelColor(x, y) == QColor(200, 0, 200);
    EXPECT_TRUE(coloured);
    // The description at (1.0, 10.0).
    EXPECT_FALSE(c.ink(QRectF(0.9, 9.95, 3.0, 0.2)).isNull());

    // The border is drawn over the map.
    page.mapLeft = 0.3;
    Canvas c2;
    c2.render(page);
    EXPECT_EQ(c2.at(0.5, 1.5), QColor(Qt::black));

    // Nothing shown leaves the sheet blank.
    page.showTitle = page.showMap = page.showBorder = page.showLegend = page.showDesc = false;
    Canvas c3;
    c3.render(page);
    EXPECT_TRUE(c3.ink().isNull());
}

TEST(PageRenderer, MapNaturalSizeIsTheScreenSizeInInches)
{
    // A 480 x 288 pixel map taken on screens of different resolutions: its
    // natural size is in whole 1/96 inches. On the preview (100 dpi, 1 page
    // inch = 100 pixels) it is drawn at that size times the zoom; on a 300 dpi
    // printer at that size times the zoom and the print factor, in paper inches.
    struct Case { double dpi, widthPx, heightPx; };
    const Case cases[] = {{96, 480, 288}, {120, 384, 230}, {144, 320, 192}, {72, 640, 384}};
    for (const Case &c : cases) {
        LayoutPage page = defaultPage();
        page.showBorder = page.showTitle = page.showLegend = page.showDesc = false;
        page.zoomMappa = 0.4;
        SetMapPicture(page, solidPicture(480, 288, Qt::red), c.dpi, c.dpi);
        EXPECT_EQ(page.mapWidthPx, c.widthPx) << c.dpi;
        EXPECT_EQ(page.mapHeightPx, c.heightPx) << c.dpi;
        for (const double dpi : {100.0, 300.0}) {
            Canvas canvas(dpi);
            page.printFactor = dpi > 100 ? PrintFactor : 1.0;
            canvas.render(page);
            const QRect ink = canvas.ink();
            const double f = page.zoomMappa * page.printFactor / 96 * dpi;
            EXPECT_NEAR(ink.left(), page.mapLeft * dpi, 1.5) << c.dpi << " on " << dpi;
            EXPECT_NEAR(ink.top(), page.mapTop * dpi, 1.5) << c.dpi << " on " << dpi;
            EXPECT_NEAR(ink.width(), c.widthPx * f, 1.5) << c.dpi << " on " << dpi;
            EXPECT_NEAR(ink.height(), c.heightPx * f, 1.5) << c.dpi << " on " << dpi;
        }
    }
}

TEST(PageRenderer, LegendBoxSizeHasNoLowerBound)
{
    LayoutPage page = defaultPage();
    LoadLegend(page, *classGrid({{"", QColor(0, 0, 255)}}), "DejaVu Sans", "8");
    page.showBorder = page.showTitle = page.showDesc = false;
    page.legendBoxSize = -0.2; // to the right of the reference point and above the row's top
    Canvas c;
    c.render(page);
    EXPECT_EQ(c.at(1.4, 7.9), QColor(0, 0, 255));
    EXPECT_EQ(c.at(1.15, 8.15), QColor(Qt::white));
}

TEST(PageRenderer, PrintFactorScalesMapAndFonts)
{
    LayoutPage page = defaultPage();
    page.showBorder = page.showLegend = page.showDesc = page.showMap = false;
    page.titleHolder.Text = "HHHH";
    page.titleHolder.Left = 1;
    page.titleHolder.Top = 1;
    Canvas plain;
    plain.render(page);
    const QRect h1 = plain.ink(QRectF(0.9, 0.9, 4, 1.5));
    page.printFactor = PrintFactor;
    Canvas printed;
    printed.render(page);
    const QRect h2 = printed.ink(QRectF(0.9, 0.9, 4, 1.5));
    ASSERT_FALSE(h1.isNull());
    ASSERT_FALSE(h2.isNull());
    // A size 14 title is 25.9 points on the printer.
    EXPECT_NEAR(double(h2.height()) / h1.height(), 1.85, 0.12);
    EXPECT_NEAR(double(h2.width()) / h1.width(), 1.85, 0.12);
}

TEST(PageHitTest, ElementsUnderThePointer)
{
    LayoutPage page = defaultPage();
    SetMapPicture(page, solidPicture(480, 288, Qt::red)); // 5 x 3 in
    page.zoomMappa = 1;
    LoadLegend(page, *classGrid({{"Uno", Qt::red}, {"Due", Qt::red}, {"Tre", Qt::red}}), "DejaVu Sans", "8");
    Canvas c;
    struct Case { QPointF pt; QStringList hits; int row; };
    const Case cases[] = {
        {{7.5, 7.0}, {}, -1},                        // outside everything
        {{3.0, 0.6}, {"Titolo"}, -1},                // the title
        {{2.0, 2.0}, {"Mappa"}, -1},                 // the map
        {{1.35, 8.1}, {"Leggenda"}, 0},
        {{1.2, 8.7}, {"Leggenda"}, 2},               // the last row, left of its reference point
        {{1.0, 8.1}, {}, -1},                        // left of Left - 0.2
        {{1.35, 8.0}, {}, -1},                       // strictly below the top only
    };
    for (const Case &k : cases) {
        int row = -2;
        EXPECT_EQ(HitTest(page, k.pt, c.dev, &row), k.hits) << k.pt.x() << "," << k.pt.y();
        EXPECT_EQ(row, k.row);
    }
    // A legend row inside the map: both.
    DragTo(page, TabLegenda, 0, QPointF(2.0, 3.0));
    int row = -1;
    EXPECT_EQ(HitTest(page, QPointF(2.1, 3.1), c.dev, &row), QStringList({"Leggenda", "Mappa"}));
    EXPECT_EQ(row, 0);
}

TEST(FontList, OneEntryPerFamily)
{
    const QStringList families = mdl_Font::FontFamilies();
    ASSERT_FALSE(families.isEmpty());
    EXPECT_EQ(QSet<QString>(families.begin(), families.end()).size(), families.size());
    QComboBox combo;
    for (int pass = 0; pass < 2; ++pass) { // twice: one copy of each name
        mdl_Font::FillFontCombo(&combo);
        ASSERT_EQ(combo.count(), families.size());
    }
    for (int i = 0; i < combo.count(); ++i) {
        EXPECT_FALSE(combo.itemText(i).contains(QChar(0)));
        EXPECT_EQ(combo.itemText(i), families[i]);
    }
}

TEST(FeatureLabelTest, FixLine)
{
    struct Case { std::vector<QPointF> part; double firstX; };
    const Case cases[] = {{{{10, 0}, {5, 1}, {2, 2}}, 2}, {{{2, 0}, {5, 1}, {10, 2}}, 2}, {{{3, 0}, {3, 5}}, 3}};
    for (const Case &c : cases) {
        FeatureLabel l;
        l.ShapeType = FeatureLabel::LineType;
        l.Shape.parts = {c.part};
        l.FixLine();
        EXPECT_EQ(l.Shape.parts[0].front().x(), c.firstX);
        if (c.part.front().x() == c.part.back().x()) {
            EXPECT_EQ(l.Shape.parts[0], c.part); // equal X left alone
        }
    }
}

TEST(FeatureLabelTest, StoreAndLoadLineAnchorsAtTheMiddleVertex)
{
    const auto stored = [](const FeatureLabel &l) {
        QString buffer;
        QTextStream out(&buffer);
        l.Store(out);
        return buffer;
    };
    const auto loaded = [](QString text) {
        QTextStream in(&text);
        FeatureLabel back;
        back.Load(in);
        return back;
    };
    // Vertex count -> the vertex stored (Count / 2, a half to the even one).
    const std::pair<int, int> cases[] = {{5, 2}, {4, 2}, {1, 0}};
    for (auto [count, vertex] : cases) {
        FeatureLabel l;
        l.ShapeType = FeatureLabel::LineType;
        l.Height = 2.5;
        l.Text = QStringLiteral("Città, \"centro\"");
        std::vector<QPointF> part;
        for (int i = 0; i < count; ++i)
            part.push_back({i * 1.5, 100.25 + i});
        l.Shape.parts = {part};
        const FeatureLabel back = loaded(stored(l));
        EXPECT_EQ(back.ShapeType, 22);
        EXPECT_EQ(back.Height, 2.5);
        EXPECT_EQ(back.Text, l.Text);
        EXPECT_EQ(back.Shape.point, part[size_t(vertex)]) << count;
        EXPECT_TRUE(back.Shape.parts.empty());
    }
    // A point anchor. Numbers are plain decimals, never with an exponent, and read back the same.
    FeatureLabel p;
    p.ShapeType = 21;
    p.Shape.point = {-3.25, 7};
    EXPECT_EQ(stored(p), "21,0,\"\"\r\n-3.25,7\r\n");
    const std::pair<double, QString> numbers[] = {
        {0.00001, "0.00001"}, {1e20, "100000000000000000000"}, {1234567.891, "1234567.891"}};
    for (const auto &[v, text] : numbers) {
        FeatureLabel n;
        n.ShapeType = 1;
        n.Height = v;
        n.Shape.point = {v, -v};
        EXPECT_EQ(stored(n), "1," + text + ",\"\"\r\n" + text + ",-" + text + "\r\n");
        EXPECT_EQ(loaded(stored(n)).Height, v);
        EXPECT_EQ(loaded(stored(n)).Shape.point, QPointF(v, -v));
    }
    // A broken record.
    EXPECT_THROW(loaded("21,x,\"a\"\r\n1,2\r\n"), platform::RuntimeError);
}
