// Shape-file layers: the real boundaries, damaged files, searches and renderers.
#include "platform/map/MapLayer.h"
#include "test_map_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <set>
#include <gtest/gtest.h>

using namespace platform::map;
using namespace maptest;

TEST(MapLayerFile, RealProvincesAndRegions)
{
    MapLayer prov;
    ASSERT_TRUE(prov.setFile(provinceShp())) << prov.errorText().toStdString();
    EXPECT_EQ(prov.featureCount(), 107);
    EXPECT_EQ(prov.kind(), ShapeKind::Polygon);
    EXPECT_EQ(prov.shapeType(), 5);
    EXPECT_EQ(prov.name(), QStringLiteral("province_2006"));
    EXPECT_GE(prov.fieldIndex(QStringLiteral("cod_pro")), 0); // field names ignore letter case
    const MapRect b = prov.bounds();
    EXPECT_GT(b.left, 250000);
    EXPECT_LT(b.right, 1400000);
    EXPECT_GT(b.bottom, 3900000);
    EXPECT_LT(b.top, 5300000);

    // numeric texts come trimmed; names decoded as UTF-8
    std::set<int> codes;
    bool aosta = false;
    for (int i = 0; i < prov.featureCount(); ++i) {
        const QString code = prov.attributeText(i, QStringLiteral("COD_PRO"));
        EXPECT_EQ(code, code.trimmed());
        codes.insert(code.toInt());
        if (prov.attributeText(i, QStringLiteral("DEN_PROV")).contains(QStringLiteral("Vallée")))
            aosta = true;
    }
    EXPECT_EQ(codes.size(), 107u);
    EXPECT_EQ(*codes.begin(), 1);
    EXPECT_EQ(*codes.rbegin(), 107);
    EXPECT_TRUE(aosta);

    MapLayer reg;
    ASSERT_TRUE(reg.setFile(regionShp()));
    EXPECT_EQ(reg.featureCount(), 20);
    EXPECT_TRUE(b.intersects(reg.bounds()));
}

TEST(MapLayerFile, IdentifyKnownPlaces)
{
    MapLayer prov, reg;
    ASSERT_TRUE(prov.setFile(provinceShp()));
    ASSERT_TRUE(reg.setFile(regionShp()));
    for (const Place &p : places()) {
        const auto foundP = prov.searchShape(p.at);
        const auto foundR = reg.searchShape(p.at);
        if (p.province == 0) {
            EXPECT_TRUE(foundP.empty()) << p.name;
            EXPECT_TRUE(foundR.empty()) << p.name;
            continue;
        }
        ASSERT_EQ(foundP.size(), 1u) << p.name;
        ASSERT_EQ(foundR.size(), 1u) << p.name;
        ASSERT_NE(foundP[0].field(QStringLiteral("COD_PRO")), nullptr);
        EXPECT_EQ(foundP[0].field(QStringLiteral("COD_PRO"))->text.toInt(), p.province) << p.name;
        EXPECT_EQ(foundP[0].field(QStringLiteral("cod_reg"))->text.toInt(), p.region) << p.name;
        EXPECT_EQ(foundR[0].field(QStringLiteral("COD_REG"))->text.toInt(), p.region) << p.name;
        EXPECT_GE(foundP[0].shapeId, 0);
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
    struct Case {
        const char *what;
        std::function<QString()> make; // returns the .shp path to open
    };
    const std::vector<Case> cases = {
        {"file missing", [&] { return dir.filePath(QStringLiteral("nothing.shp")); }},
        {"dbf missing", [&] {
             const QString p = copyReal(QStringLiteral("nodbf"));
             QFile::remove(dir.filePath(QStringLiteral("nodbf.dbf")));
             return p;
         }},
        {"shx missing", [&] {
             const QString p = copyReal(QStringLiteral("noshx"));
             QFile::remove(dir.filePath(QStringLiteral("noshx.shx")));
             return p;
         }},
        {"shp truncated", [&] {
             const QString p = copyReal(QStringLiteral("trunc"));
             QFile f(p);
             f.resize(f.size() / 2);
             return p;
         }},
        {"shp empty", [&] {
             const QString p = copyReal(QStringLiteral("empty"));
             QFile f(p);
             f.resize(0);
             return p;
         }},
        {"dbf of another layer", [&] {
             const QString p = copyReal(QStringLiteral("mixed"));
             QFile::remove(dir.filePath(QStringLiteral("mixed.dbf")));
             QFile::copy(shapeDir() + QStringLiteral("regioni_2001.dbf"), dir.filePath(QStringLiteral("mixed.dbf")));
             return p;
         }},
        {"unsupported shape type", [&] {
             const QString base = dir.filePath(QStringLiteral("patch"));
             writeShapes(base, SHPT_MULTIPATCH, {{{square(0, 0, 1, 1)}, "A"}});
             return base + QStringLiteral(".shp");
         }},
        {"shp overwritten with garbage of the same size", [&] {
             const QString p = copyReal(QStringLiteral("garbage"));
             const qint64 size = QFileInfo(p).size();
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write(QByteArray(size, '\xff'));
             return p;
         }},
        {"dbf truncated", [&] {
             const QString p = copyReal(QStringLiteral("dbftrunc"));
             QFile f(dir.filePath(QStringLiteral("dbftrunc.dbf")));
             f.resize(500);
             return p;
         }},
        {"not a shape file", [&] {
             const QString p = copyReal(QStringLiteral("junk"));
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write(QByteArray(400, 'x'));
             return p;
         }},
    };
    for (const Case &c : cases) {
        MapLayer layer(QStringLiteral("L"));
        EXPECT_FALSE(layer.setFile(c.make())) << c.what;
        EXPECT_FALSE(layer.isValid()) << c.what;
        EXPECT_FALSE(layer.errorText().isEmpty()) << c.what;
        EXPECT_EQ(layer.featureCount(), 0) << c.what;
        EXPECT_TRUE(layer.searchShape({790023, 4644898}).empty()) << c.what;
        EXPECT_EQ(layer.name(), QStringLiteral("L")) << c.what;
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
                            }));
    MapLayer layer;
    ASSERT_TRUE(layer.setFile(base + QStringLiteral(".shp"))) << layer.errorText().toStdString();
    struct Case {
        QPointF p;
        const char *codes;
    };
    const Case cases[] = {
        {{1, 1}, "A"}, {{4.2, 4.2}, ""}, {{5, 5}, "B"}, {{21, 1}, "A"}, {{15, 1}, ""}, {{-1, -1}, ""},
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
    EXPECT_EQ(rec.fields[1].name, QStringLiteral("NUM"));
    EXPECT_EQ(rec.fields[1].text, QStringLiteral("2"));
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
    struct Case {
        const MapLayer *layer;
        QPointF at;
        double d;
        std::vector<int> found;
    };
    const Case cases[] = {
        {&p, {1, 0}, 1.5, {0}},     {&p, {5, 0}, 4.9, {}},     {&p, {5, 0}, 5, {0, 1}},
        {&l, {5, 1}, 1.5, {0}},     {&l, {5, 2.5}, 2.5, {0, 1}}, {&l, {15, 0}, 4, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.layer->shapesWithin(c.at, c.d), c.found) << c.at.x() << "," << c.at.y();
    // "contains" is a polygon search
    EXPECT_TRUE(l.searchShape({5, 0}).empty());
}

TEST_F(MapLayerDamaged, AttributeTextEncoding)
{
    const QString utf = dir.filePath(QStringLiteral("utf")), latin = dir.filePath(QStringLiteral("latin"));
    ASSERT_TRUE(writeShapes(utf, SHPT_POLYGON, {{{square(0, 0, 1, 1)}, "Forl\xC3\xAC"}}, "UTF-8"));
    ASSERT_TRUE(writeShapes(latin, SHPT_POLYGON, {{{square(0, 0, 1, 1)}, "Forl\xEC"}}, "ISO-8859-1"));
    const QString guess = dir.filePath(QStringLiteral("guess"));
    ASSERT_TRUE(writeShapes(guess, SHPT_POLYGON, {{{square(0, 0, 1, 1)}, "Forl\xEC"}}, nullptr));
    for (const QString &base : {utf, latin, guess}) {
        MapLayer layer;
        ASSERT_TRUE(layer.setFile(base + QStringLiteral(".shp")));
        EXPECT_EQ(layer.attributeText(0, QStringLiteral("CODE")), QStringLiteral("Forlì")) << base.toStdString();
    }
}

TEST(MapLayerStyle, RendererDecidesEachShapeSymbol)
{
    MapLayer prov;
    ASSERT_TRUE(prov.setFile(provinceShp()));
    Symbol base;
    base.color = Qt::gray;
    prov.setSymbol(base);
    const auto before = prov.revision();

    ValueRenderer r(QStringLiteral("COD_PRO"));
    Symbol red, white;
    red.color = Qt::red;
    white.color = Qt::white;
    r.setDefaultSymbol(white);
    r.addValue(QStringLiteral("58"), red);   // Roma
    r.addValue(QStringLiteral("015"), red);  // Milano, written with a leading zero
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
