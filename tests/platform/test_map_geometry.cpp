// View transform, scale, hit geometry, colours and value keys of the map layer.
#include "platform/map/MapLayer.h"
#include "platform/map/ValueRenderer.h"
#include "platform/map/ViewTransform.h"
#include "test_map_support.h"

#include <gtest/gtest.h>

using namespace platform::map;

TEST(MapView, FitsTheExtentToTheViewAspect)
{
    struct Case { MapRect requested; QSizeF view; MapRect visible; double scale; };
    const Case cases[] = {
        // a square extent in a wide view grows in x
        {{0, 0, 100, 100}, {200, 100}, {-50, 0, 150, 100}, 1.0},
        // a wide extent in a tall view grows in y
        {{0, 0, 400, 100}, {100, 200}, {0, -350, 400, 450}, 0.25},
        // the same aspect is kept as it is
        {{10, 20, 110, 100}, {500, 400}, {10, 20, 110, 100}, 5.0},
    };
    for (const Case &c : cases) {
        const ViewTransform v(c.requested, c.view);
        ASSERT_TRUE(v.isValid());
        const MapRect &r = v.visibleExtent();
        for (const auto &[got, want] : {std::pair{r.left, c.visible.left}, {r.bottom, c.visible.bottom},
                                        {r.right, c.visible.right}, {r.top, c.visible.top}})
            EXPECT_NEAR(got, want, 1e-6);
        EXPECT_DOUBLE_EQ(v.scale(), c.scale);
        EXPECT_NEAR(r.width() / r.height(), c.view.width() / c.view.height(), 1e-9);
    }
    // nothing to show: no transform
    EXPECT_FALSE(ViewTransform(MapRect(0, 0, 0, 10), {100, 100}).isValid());
    EXPECT_FALSE(ViewTransform(MapRect(), {100, 100}).isValid());
    EXPECT_FALSE(ViewTransform(MapRect(0, 0, 10, 10), {0, 100}).isValid());
}

TEST(MapView, PixelsAndMapUnitsCorrespond)
{
    const ViewTransform v(MapRect(1000, 2000, 3000, 4000), QSizeF(400, 200));
    // visible: x 0..4000, y 2000..4000, 0.1 px per unit
    struct Pair { QPointF pixel, map; };
    const Pair pairs[] = {
        {{0, 0}, {0, 4000}}, {{400, 200}, {4000, 2000}}, {{200, 100}, {2000, 3000}}, {{100, 50}, {1000, 3500}},
    };
    const QTransform t = v.transform();
    for (const Pair &p : pairs)
        for (const auto &[got, want] : {std::pair{v.toPixel(p.map), p.pixel}, {v.toMap(p.pixel), p.map}, {t.map(p.map), p.pixel}}) {
            EXPECT_NEAR(got.x(), want.x(), 1e-9);
            EXPECT_NEAR(got.y(), want.y(), 1e-9);
        }
    EXPECT_DOUBLE_EQ(v.toMapDistance(7), 70);
    const MapRect r = v.toMapRect({300, 150}, {100, 50}); // corners in any order
    EXPECT_EQ(r, MapRect(1000, 2500, 3000, 3500));
}

TEST(MapView, ScaleDenominator)
{
    // 1000 px at 96 dpi are 0.264583 m of screen
    const double screen = 1000.0 / 96 * 0.0254;
    struct Case { double extentWidth, widthPx, dpi, denominator; };
    const Case cases[] = {
        {1e6 * screen, 1000, 96, 1e6}, {1e6 * screen, 2000, 192, 1e6}, // same screen width at twice the dpi
        {1e6 * screen, 500, 96, 2e6},  {0, 1000, 96, 0}, {100, 0, 96, 0}, {100, 1000, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(scaleDenominator(c.extentWidth, c.widthPx, c.dpi), c.denominator, 1e-6 * c.denominator + 1e-9);
}

TEST(MapColors, ColourIntegersHaveRedInTheLowByte)
{
    struct Case { std::int64_t value; QColor color; };
    const Case cases[] = {
        {255, QColor(255, 0, 0)},      {65280, QColor(0, 255, 0)},          {16711680, QColor(0, 0, 255)},
        {12632256, QColor(192, 192, 192)}, {16777215, QColor(255, 255, 255)}, {0x80FFFF, QColor(255, 255, 128)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(colorFromLong(c.value), c.color) << c.value;
        EXPECT_EQ(colorToLong(c.color), c.value);
    }
    // system colours (high bit set) give a valid colour of the palette
    EXPECT_TRUE(colorFromLong(std::int64_t(std::int32_t(0x8000000F))).isValid());
    EXPECT_TRUE(colorFromLong(-1).isValid());
}

TEST(MapRenderer, KeysMatchWhateverTheNumberFormat)
{
    struct Case { const char *text; const char *key; };
    const Case cases[] = {
        {"37", "37"},   {" 37", "37"}, {"037", "37"},   {"0037.000", "37"}, {"37,0", "37"}, {"-5", "-5"},
        {"37.5", "37.5"}, {" Roma ", "Roma"}, {"", ""}, {"1.000,5", "1.000,5"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(matchKey(QString::fromUtf8(c.text)), QString::fromUtf8(c.key)) << c.text;
}

TEST(MapRenderer, FirstMatchingValueElseTheDefault)
{
    ValueRenderer r(QStringLiteral("COD_PRO"));
    r.setDefaultSymbol(maptest::symbol(Qt::white));
    r.addValue(QStringLiteral("37"), maptest::symbol(Qt::red));
    r.addValue(QStringLiteral("58"), maptest::symbol(Qt::blue));
    r.addValue(QStringLiteral("037"), maptest::symbol(Qt::blue)); // the same key again: the first entry wins
    struct Case { const char *attribute; QColor color; };
    const Case cases[] = {
        {"37", Qt::red}, {"37.0", Qt::red}, {"58", Qt::blue}, {"59", Qt::white}, {"", Qt::white},
    };
    for (const Case &c : cases) {
        const Symbol *s = r.resolve(QString::fromUtf8(c.attribute));
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->color, c.color) << c.attribute;
    }
    EXPECT_EQ(r.valueCount(), 3);
    r.setUseDefault(false);
    EXPECT_EQ(r.resolve(QStringLiteral("59")), nullptr);
    EXPECT_EQ(r.find(QStringLiteral("058")), 1);
}
