// Shape-file layers: the real boundaries, damaged files, searches and renderers.
#include "platform/map/MapLayer.h"
#include "test_common.h"
#include "test_map_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <set>
#include <gtest/gtest.h>

using namespace platform::map;
using namespace maptest;

TEST(MapLayerFile, RealProvincesAndRegionsAndKnownPlaces)
{
    MapLayer prov, reg;
    ASSERT_TRUE(prov.setFile(provinceShp())) << prov.errorText().toStdString();
    ASSERT_TRUE(reg.setFile(regionShp()));
    EXPECT_EQ(prov.featureCount(), 107);
    EXPECT_EQ(reg.featureCount(), 20);
    EXPECT_EQ(prov.kind(), ShapeKind::Polygon);
    EXPECT_EQ(prov.shapeType(), 5);
    EXPECT_EQ(prov.name(), QStringLiteral("province_2006"));
    EXPECT_GE(prov.fieldIndex(QStringLiteral("cod_pro")), 0); // field names ignore letter case
    const MapRect b = prov.bounds();
    EXPECT_TRUE(b.left > 250000 && b.right < 1400000 && b.bottom > 3900000 && b.top < 5300000);
    EXPECT_TRUE(b.intersects(reg.bounds()));

    // numeric texts come trimmed; names decoded as UTF-8
    std::set<int> codes;
    bool aosta = false;
    for (int i = 0; i < prov.featureCount(); ++i) {
        const QString code = prov.attributeText(i, QStringLiteral("COD_PRO"));
        EXPECT_EQ(code, code.trimmed());
        codes.insert(code.toInt());
        aosta = aosta || prov.attributeText(i, QStringLiteral("DEN_PROV")).contains(QStringLiteral("Vallée"));
    }
    EXPECT_EQ(std::make_tuple(codes.size(), *codes.begin(), *codes.rbegin(), aosta),
              std::make_tuple(size_t(107), 1, 107, true));

    for (const Place &p : places()) {
        SCOPED_TRACE(p.name);
        const auto foundP = prov.searchShape(p.at);
        const auto foundR = reg.searchShape(p.at);
        ASSERT_EQ(foundP.size(), p.province ? 1u : 0u);
        ASSERT_EQ(foundR.size(), p.province ? 1u : 0u);
        if (p.province == 0)
            continue;
        ASSERT_NE(foundP[0].field(QStringLiteral("COD_PRO")), nullptr);
        EXPECT_EQ(foundP[0].field(QStringLiteral("COD_PRO"))->text.toInt(), p.province);
        EXPECT_EQ(foundP[0].field(QStringLiteral("cod_reg"))->text.toInt(), p.region);
        EXPECT_EQ(foundR[0].field(QStringLiteral("COD_REG"))->text.toInt(), p.region);
    }
}

class MapLayerDamaged : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString copyReal(const QString &base)
    {
        for (const char *ext : {".shp", ".shx", ".dbf", ".cpg"})
            QFile::copy(shapeDir() + QStringLiteral("province_2006") + QLatin1String(ext),
                        dir.filePath(base + QLatin1String(ext)));
        for (const QString &f : QDir(dir.path()).entryList(QDir::Files))
            QFile::setPermissions(dir.filePath(f), QFile::ReadOwner | QFile::WriteOwner);
        return dir.filePath(base + QStringLiteral(".shp"));
    }
};

TEST_F(MapLayerDamaged, ClearErrorNoCrash)
{
    // A copy of the real layer spoilt by `spoil` (given the path without extension).
    auto spoilt = [&](const QString &base, const std::function<void(const QString &)> &spoil) {
        const QString shp = copyReal(base);
        spoil(dir.filePath(base));
        return shp;
    };
    auto resize = [](const QString &path, qint64 size) { QFile(path).resize(size); };
    auto overwrite = [](const QString &path, const QByteArray &bytes) { ASSERT_TRUE(ptest::writeFile(path, bytes)); };
    const QString patch = dir.filePath("patch");
    writeShapes(patch, SHPT_MULTIPATCH, {{{square(0, 0, 1, 1)}, "A"}});
    const std::pair<const char *, QString> cases[] = {
        {"file missing", dir.filePath("nothing.shp")},
        {"dbf missing", spoilt("nodbf", [](const QString &b) { QFile::remove(b + ".dbf"); })},
        {"shx missing", spoilt("noshx", [](const QString &b) { QFile::remove(b + ".shx"); })},
        {"shp truncated", spoilt("trunc", [&](const QString &b) { resize(b + ".shp", QFileInfo(b + ".shp").size() / 2); })},
        {"shp empty", spoilt("empty", [&](const QString &b) { resize(b + ".shp", 0); })},
        {"dbf of another layer", spoilt("mixed", [](const QString &b) {
             QFile::remove(b + ".dbf");
             QFile::copy(shapeDir() + "regioni_2001.dbf", b + ".dbf");
         })},
        {"unsupported shape type", patch + ".shp"},
        {"shp overwritten with garbage of the same size",
         spoilt("garbage", [&](const QString &b) { overwrite(b + ".shp", QByteArray(QFileInfo(b + ".shp").size(), '\xff')); })},
        {"dbf truncated", spoilt("dbftrunc", [&](const QString &b) { resize(b + ".dbf", 500); })},
        {"not a shape file", spoilt("junk", [&](const QString &b) { overwrite(b + ".shp", QByteArray(400, 'x')); })},
    };
    for (const auto &[what, shp] : cases) {
        SCOPED_TRACE(what);
        MapLayer layer(QStringLiteral("L"));
        EXPECT_FALSE(layer.setFile(shp));
        EXPECT_FALSE(layer.isValid() || layer.errorText().isEmpty());
        EXPECT_EQ(layer.featureCount(), 0);
        EXPECT_TRUE(layer.searchShape({790023, 4644898}).empty());
    }
}

TEST_F(MapLayerDamaged, FileNamesIgnoreLetterCase)
{
    for (const char *ext : {".SHP", ".Shx", ".DBF"})
        QFile::copy(shapeDir() + QStringLiteral("regioni_2001") + QString::fromLatin1(ext).toLower(),
                    dir.filePath(QStringLiteral("Regioni") + QLatin1String(ext)));
    MapLayer layer;
    ASSERT_TRUE(layer.setFile(dir.filePath(QStringLiteral("regioni.shp")))) << layer.errorText().toStdString();
    EXPECT_EQ(layer.featureCount(), 20);
    EXPECT_EQ(layer.name(), QStringLiteral("Regioni"));
}

TEST_F(MapLayerDamaged, ReloadingReplacesTheContent)
{
    MapLayer layer;
    ASSERT_TRUE(layer.setFile(provinceShp()));
    EXPECT_FALSE(layer.setFile(dir.filePath(QStringLiteral("gone.shp"))));
    EXPECT_EQ(layer.featureCount(), 0);
    EXPECT_TRUE(layer.bounds().isNull());
    ASSERT_TRUE(layer.setFile(regionShp()));
    EXPECT_EQ(layer.featureCount(), 20);
}

TEST_F(MapLayerDamaged, AFileChangedOnDiskIsReadAgain)
{
    // Each change comes at once after the previous load, keeping the files' sizes.
    const QString base = dir.filePath(QStringLiteral("live"));
    auto write = [&](const char *code, const char *cpg) {
        return writeShapes(base, SHPT_POLYGON, {{{square(0, 0, 1, 1)}, code}, {{square(2, 0, 3, 1)}, "Z"}}, cpg);
    };
    struct Step {
        const char *what;
        std::function<void()> change;
        QString code; // "" = the file does not open
    };
    const Step steps[] = {
        {"first read", [&] { ASSERT_TRUE(write("A", "UTF-8")); }, "A"},
        {"read again unchanged", [] {}, "A"},
        {"attribute rewritten", [&] { ASSERT_TRUE(write("B", "UTF-8")); }, "B"},
        {"code page changed", [&] { ASSERT_TRUE(write("Forl\xEC", "ISO-8859-1")); }, QStringLiteral("Forlì")},
        {"code page removed", [&] { QFile::remove(base + ".cpg"); }, QStringLiteral("Forlì")},
        {"shapes overwritten with garbage", [&] {
             QFile f(base + ".shp");
             const qint64 size = f.size();
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray(size, '\xff'));
         }, ""},
        {"written whole again", [&] { ASSERT_TRUE(write("C", "UTF-8")); }, "C"},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        s.change();
        MapLayer layer;
        const bool ok = layer.setFile(base + ".shp");
        EXPECT_EQ(ok, !s.code.isEmpty());
        if (ok) {
            ASSERT_EQ(layer.featureCount(), 2);
            EXPECT_EQ(layer.attributeText(0, QStringLiteral("CODE")), s.code);
        }
    }
}

TEST_F(MapLayerDamaged, HitsInsideInAHoleAndOutside)
{
    const QString base = dir.filePath(QStringLiteral("holes"));
    ASSERT_TRUE(writeShapes(base, SHPT_POLYGON,
                            {
                                {{square(0, 0, 10, 10), square(4, 4, 6, 6, false), square(20, 0, 22, 2)}, "A"},
                                {{square(4.5, 4.5, 5.5, 5.5)}, "B"}, // an island inside the hole
                                // a concave "U": the gap between its arms is outside
                                {{{{30, 0}, {30, 10}, {33, 10}, {33, 3}, {37, 3}, {37, 10}, {40, 10}, {40, 0}, {30, 0}}}, "U"},
                            }));
    MapLayer layer;
    ASSERT_TRUE(layer.setFile(base + QStringLiteral(".shp"))) << layer.errorText().toStdString();
    struct Case { QPointF p; const char *codes; };
    const Case cases[] = {
        {{1, 1}, "A"}, {{4.2, 4.2}, ""}, {{5, 5}, "B"},   {{21, 1}, "A"},  {{15, 1}, ""},  {{-1, -1}, ""},
        {{3.9, 5}, "A"}, {{6.1, 5}, "A"}, {{5, 9.99}, "A"}, {{5, 10.01}, ""}, {{31, 8}, "U"}, {{35, 8}, ""}, {{35, 1}, "U"},
    };
    for (const Case &c : cases) {
        QStringList got;
        for (const FeatureRecord &r : layer.searchShape(c.p))
            got << r.field(QStringLiteral("CODE"))->text;
        EXPECT_EQ(got.join(u','), QString::fromLatin1(c.codes)) << c.p.x() << "," << c.p.y();
    }
    // within a distance: the hole's edge is near
    EXPECT_EQ(layer.shapesWithin({4.2, 4.2}, 0.3), std::vector<int>({0}));
    EXPECT_TRUE(layer.shapesWithin({4.2, 4.2}, 0.1).empty());
    const FeatureRecord rec = layer.record(1);
    ASSERT_EQ(rec.fields.size(), 2u);
    EXPECT_EQ(rec.fields[1].name + "=" + rec.fields[1].text, QStringLiteral("NUM=2"));
}

TEST_F(MapLayerDamaged, PointsAndLinesWithinADistance)
{
    const QString pts = dir.filePath(QStringLiteral("pts")), lines = dir.filePath(QStringLiteral("lines"));
    ASSERT_TRUE(writeShapes(pts, SHPT_POINT, {{{{{0, 0}}}, "P1"}, {{{{10, 0}}}, "P2"}}));
    ASSERT_TRUE(writeShapes(lines, SHPT_ARC, {{{{{0, 0}, {10, 0}}}, "L1"}, {{{{0, 5}, {10, 5}}}, "L2"}}));
    MapLayer p, l;
    ASSERT_TRUE(p.setFile(pts + QStringLiteral(".shp")));
    ASSERT_TRUE(l.setFile(lines + QStringLiteral(".shp")));
    EXPECT_EQ(p.kind(), ShapeKind::Point);
    EXPECT_EQ(l.kind(), ShapeKind::Line);
    struct Case { const MapLayer *layer; QPointF at; double d; std::vector<int> found; };
    const Case cases[] = {
        {&p, {1, 0}, 1.5, {0}},     {&p, {5, 0}, 4.9, {}},     {&p, {5, 0}, 5, {0, 1}},
        {&l, {5, 1}, 1.5, {0}},     {&l, {5, 2.5}, 2.5, {0, 1}}, {&l, {15, 0}, 4, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.layer->shapesWithin(c.at, c.d), c.found) << c.at.x() << "," << c.at.y();
    // "contains" is a polygon search
    EXPECT_TRUE(l.searchShape({5, 0}).empty());
}

TEST(MapLayerStyle, RendererDecidesEachShapeSymbol)
{
    MapLayer prov;
    ASSERT_TRUE(prov.setFile(provinceShp()));
    prov.setSymbol(symbol(Qt::gray));
    const auto before = prov.revision();

    ValueRenderer r(QStringLiteral("COD_PRO"));
    r.setDefaultSymbol(symbol(Qt::white));
    r.addValue(QStringLiteral("58"), symbol(Qt::red));   // Roma
    r.addValue(QStringLiteral("015"), symbol(Qt::red));  // Milano, written with a leading zero
    prov.setRenderer(r);
    EXPECT_NE(prov.revision(), before);

    int reds = 0, whites = 0;
    for (int i = 0; i < prov.featureCount(); ++i) {
        const Symbol *s = prov.symbolFor(i);
        ASSERT_NE(s, nullptr);
        (s->color == QColor(Qt::red) ? reds : whites)++;
    }
    EXPECT_EQ(reds, 2);
    EXPECT_EQ(whites, 105);

    // a field the layer does not have: every shape takes the default
    prov.setRenderer(ValueRenderer(QStringLiteral("FeatureId")));
    EXPECT_EQ(prov.symbolFor(0), &prov.renderer()->defaultSymbol());
    prov.clearRenderer();
    EXPECT_EQ(prov.symbolFor(0)->color, QColor(Qt::gray));
}
