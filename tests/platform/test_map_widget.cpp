// The map widget: view fitting, drawing and its cache, mouse, export and flash.
#include "platform/map/MapWidget.h"
#include "test_map_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

using namespace platform::map;
using namespace maptest;

namespace {

// Provinces in silver with grey borders, regions over them with black borders.
struct ProvinceMap {
    MapWidget w;
    std::shared_ptr<MapLayer> prov = std::make_shared<MapLayer>(QStringLiteral("Province"));
    std::shared_ptr<MapLayer> reg = std::make_shared<MapLayer>(QStringLiteral("Regioni"));
    ProvinceMap()
    {
        w.resize(1000, 800);
        w.setDpi(96);
        prov->setFile(provinceShp());
        reg->setFile(regionShp());
        prov->setSymbol(symbol(QColor(192, 192, 192), QColor(128, 128, 128)));
        reg->setSymbol(symbol(Qt::white, Qt::black, Symbol::Transparent));
        w.map().addLayer(prov);
        w.map().addLayer(reg);
        w.map().setExtent(w.map().fullExtent());
    }
    QPoint pixelOf(const QPointF &mapPoint) const { return w.view().toPixel(mapPoint).toPoint(); }
};

void sendMouse(QWidget &w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : button, mods);
    QApplication::sendEvent(&w, &e);
}

void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST(MapWidget, LayerOrderAndLookup)
{
    ProvinceMap m;
    EXPECT_EQ(m.w.map().layer(0), m.prov); // first added, at the bottom
    EXPECT_EQ(m.w.map().layer(QStringLiteral("regioni")), m.reg);
    EXPECT_EQ(m.w.map().layer(5), nullptr);
    EXPECT_EQ(m.w.map().layer(QStringLiteral("com2001")), nullptr);
    m.w.map().removeLayer(0);
    EXPECT_EQ(m.w.map().layer(0), m.reg);
    m.w.map().clearLayers();
    EXPECT_EQ(m.w.map().layerCount(), 0);
    EXPECT_TRUE(m.w.fullExtent().isNull());
}

TEST(MapWidget, ExtentFitsTheWidgetAndFollowsResize)
{
    ProvinceMap m;
    const MapRect full = m.w.fullExtent();
    for (const QSize size : {QSize(1000, 800), QSize(400, 900), QSize(300, 300)}) {
        m.w.resize(size);
        const MapRect e = m.w.extent();
        EXPECT_NEAR(e.width() / e.height(), double(size.width()) / size.height(), 1e-9);
        EXPECT_TRUE(e.left <= full.left + 1e-6 && e.right >= full.right - 1e-6 && e.bottom <= full.bottom + 1e-6 &&
                    e.top >= full.top - 1e-6);
        EXPECT_NEAR(e.center().x(), full.center().x(), 1e-6);
    }
    // zoom in and out; a zero-size rectangle changes nothing
    m.w.resize(1000, 800);
    const MapRect before = m.w.extent();
    m.w.setExtent(MapRect(700000, 4600000, 700000, 4700000));
    EXPECT_EQ(m.w.extent(), before);
    m.w.setExtent(before.scaled(1.5));
    EXPECT_NEAR(m.w.extent().width(), before.width() * 1.5, 1e-3);
    // the scale of the view follows its width and the screen's resolution
    const double scale = m.w.extent().width() / (1000.0 / 96 * 0.0254);
    EXPECT_NEAR(m.w.scaleDenominator(), scale, 1e-6 * scale);
    m.w.setDpi(192);
    EXPECT_NEAR(m.w.scaleDenominator(), scale * 2, 1e-6 * scale);
    EXPECT_EQ(MapWidget().scaleDenominator(), 0);
}

TEST(MapWidget, CachedDrawingIsRemadeOnlyWhenSomethingChanged)
{
    ProvinceMap m;
    m.w.grabMap();
    const int n = m.w.renderCount();
    struct Step { const char *what; std::function<void()> change; bool redraw; };
    const std::vector<Step> steps = {
        {"nothing", [] {}, false},
        {"refresh", [&] { m.w.refresh(); }, true},
        {"symbol", [&] { m.reg->setSymbol(Symbol()); }, true},
        {"back colour", [&] { m.w.setBackColor(Qt::yellow); }, true},
        {"zoom", [&] { m.w.setExtent(m.w.extent().scaled(0.5)); }, true},
        {"resize", [&] { m.w.resize(900, 800); }, true},
        {"layer removed", [&] { m.w.map().removeLayer(1); }, true},
        {"nothing again", [] {}, false},
    };
    int expected = n;
    for (const Step &s : steps) {
        s.change();
        m.w.grabMap();
        expected += s.redraw ? 1 : 0;
        EXPECT_EQ(m.w.renderCount(), expected) << s.what;
    }
}

TEST(MapWidget, PaintingSignalsAfterDrawing)
{
    ProvinceMap m;
    int draws = 0;
    QObject::connect(&m.w, &MapWidget::afterDraw, [&] { ++draws; });
    m.w.show();
    wait(100);
    const int first = draws;
    EXPECT_GE(first, 1);
    m.w.update();
    wait(50);
    EXPECT_EQ(draws, first); // a repaint from the cache is not a new drawing
    m.w.setExtent(m.w.extent().scaled(0.8));
    wait(50);
    EXPECT_EQ(draws, first + 1);
}

TEST(MapWidget, MouseAndRubberBand)
{
    ProvinceMap m;
    std::vector<std::pair<Qt::MouseButton, Qt::KeyboardModifiers>> presses;
    std::vector<MapRect> tracked;
    QObject::connect(&m.w, &MapWidget::mouseDown, [&](Qt::MouseButton b, Qt::KeyboardModifiers k, const QPoint &) {
        presses.emplace_back(b, k);
        if (b == Qt::LeftButton && k == Qt::NoModifier)
            m.w.trackRectangle();
    });
    QObject::connect(&m.w, &MapWidget::rectangleTracked, [&](const MapRect &r) { tracked.push_back(r); });

    sendMouse(m.w, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    EXPECT_TRUE(m.w.isTracking());
    sendMouse(m.w, QEvent::MouseMove, {200, 150}, Qt::LeftButton);
    sendMouse(m.w, QEvent::MouseButtonRelease, {300, 250}, Qt::LeftButton);
    ASSERT_EQ(tracked.size(), 1u);
    const QPointF a = m.w.toMapPoint({100, 100}), b = m.w.toMapPoint({300, 250});
    EXPECT_EQ(tracked[0], MapRect(a.x(), a.y(), b.x(), b.y()));
    EXPECT_NEAR(tracked[0].width(), m.w.toMapDistance(200), 1e-6);

    // a click, or a drag of no width, tracks nothing
    sendMouse(m.w, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    sendMouse(m.w, QEvent::MouseButtonRelease, {100, 300}, Qt::LeftButton);
    EXPECT_EQ(tracked.size(), 1u);
    EXPECT_FALSE(m.w.isTracking());

    sendMouse(m.w, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
    sendMouse(m.w, QEvent::MouseButtonRelease, {50, 50}, Qt::RightButton);
    sendMouse(m.w, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::ShiftModifier);
    sendMouse(m.w, QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(tracked.size(), 1u);
    ASSERT_EQ(presses.size(), 4u);
    EXPECT_EQ(presses[2].first, Qt::RightButton);
    EXPECT_EQ(presses[3].second, Qt::ShiftModifier);
}

TEST(MapWidget, ExportedPictureScalesLikeTheView)
{
    ProvinceMap m;
    m.w.resize(500, 400);
    const QPicture pic = m.w.exportMap();
    EXPECT_EQ(pic.boundingRect(), QRect(0, 0, 500, 400));

    // played at twice its size, it shows the same places in the same colours
    QImage img(1000, 800, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    {
        QPainter p(&img);
        p.scale(2, 2);
        p.drawPicture(0, 0, pic);
    }
    for (const Place &pl : places()) {
        if (!pl.inland)
            continue;
        const QPoint px = (m.w.view().toPixel(pl.at) * 2).toPoint();
        EXPECT_EQ(img.pixelColor(px), pl.province ? QColor(192, 192, 192) : QColor(Qt::white)) << pl.name;
    }
    EXPECT_EQ(img.pixelColor(999, 799), QColor(Qt::white)); // background fills the whole picture
    int dark = 0;   // the regions' black borders over the provinces
    for (int y = 0; y < img.height(); y += 4)
        for (int x = 0; x < img.width(); x += 4)
            dark += img.pixelColor(x, y).lightness() < 120;
    EXPECT_GT(dark, 50);
}

TEST(MapWidget, FlashReturnsAtOnceAndStops)
{
    ProvinceMap m;
    m.w.show();
    const auto found = m.prov->shapesContaining(places()[0].at);
    ASSERT_EQ(found.size(), 1u);
    m.w.flashShape(m.prov, found[0], 2);
    EXPECT_TRUE(m.w.isFlashing());
    wait(900);
    EXPECT_FALSE(m.w.isFlashing());
    m.w.flashShape(m.prov, 9999, 3); // no such shape: nothing happens
    EXPECT_FALSE(m.w.isFlashing());
}

TEST(MapWidget, BandsOnSeveralThreadsPaintTheSamePicture)
{
    // The map widget paints its picture in bands on several threads: the
    // picture must be the one a single painter gives. Only an outline that
    // crosses from one band into the next may take a slightly different
    // shade on a few of its pixels (where its antialiasing starts again).
    using namespace platform::map;
    Map map;
    auto provinces = std::make_shared<MapLayer>();
    auto regions = std::make_shared<MapLayer>();
    ASSERT_TRUE(provinces->setFile(maptest::provinceShp()));
    ASSERT_TRUE(regions->setFile(maptest::regionShp()));
    ValueRenderer r;
    r.setField(QStringLiteral("COD_PRO"));
    for (int p = 1; p <= 111; ++p) {
        Symbol s;
        s.color = QColor::fromHsv((p * 37) % 360, 160, 230);
        s.outline = true;
        s.outlineColor = Qt::darkGray;
        r.addValue(QString::number(p), s);
    }
    provinces->setRenderer(r);
    Symbol border;
    border.style = Symbol::Transparent;
    border.outline = true;
    border.outlineColor = Qt::black;
    border.size = 2;
    regions->setSymbol(border);
    map.addLayer(provinces);
    map.addLayer(regions);
    const MapRect all = map.fullExtent();
    const MapRect lazio(700000, 4550000, 900000, 4750000);
    struct Case { const char *what; QSize size; MapRect extent; };
    const Case cases[] = {
        {"whole map", {1000, 800}, all}, {"odd sizes", {517, 1003}, all},
        {"a few bands", {300, 130}, all}, {"one band", {60, 60}, all}, {"zoomed in", {900, 700}, lazio},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const ViewTransform view(c.extent, QSizeF(c.size));
        QImage single(c.size, QImage::Format_ARGB32_Premultiplied), bands = single;
        {
            QPainter p(&single);
            map.render(p, view);
        }
        bands.fill(Qt::magenta);
        map.renderImage(bands, view);
        int differ = 0, worst = 0;
        for (int y = 0; y < single.height(); ++y)
            for (int x = 0; x < single.width(); ++x) {
                const QRgb a = single.pixel(x, y), b = bands.pixel(x, y);
                if (a == b)
                    continue;
                ++differ;
                for (int shift : {0, 8, 16, 24})
                    worst = std::max(worst, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
            }
        EXPECT_LE(differ, single.width() * single.height() / 10000) << "pixels of another shade";
        EXPECT_LE(worst, 4) << "the largest difference of a colour component";
    }
}
