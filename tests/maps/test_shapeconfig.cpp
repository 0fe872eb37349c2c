// The map layer configuration: reading the levels, the readings of its texts,
// the errors, and the save of one layer's style.
#include "frame/Globals.h"
#include "maps/ShapeConfig.h"
#include "platform/Error.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace maps;
using platform::map::Map;

namespace {

enum class Encoding { Utf8, Utf16 };

QString shapeDir() { return testenv::sourceDir() + QStringLiteral("/Shape/"); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One layer child of a Case.
QString child(const QString &key, const QString &useToMatch = QStringLiteral("False"),
              const QString &outline = QStringLiteral("True"), const QString &tras = QStringLiteral("False"))
{
    return QStringLiteral("<Layer Outline=\"%1\" OutlineColor=\"255\" BackColor=\"65280\" Trasparenza=\"%2\" "
                          "useToMatch=\"%3\">%4</Layer>")
        .arg(outline, tras, useToMatch, key);
}

QString shape(const QString &name, const QString &file, const QString &field = QStringLiteral("COD_PRO"),
              const QString &match = QStringLiteral("provincia"))
{
    return QStringLiteral("<Shape name=\"%1\"><FileName>%2</FileName><GeoName>G_%2</GeoName><FieldId>%3</FieldId>"
                          "<LandFields>PROV</LandFields><LandMatch>%4</LandMatch><Label>L</Label></Shape>")
        .arg(name, file, field, match);
}

QString config(const QString &children, const QString &shapes = QString())
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configs><LoadOrder>"
                          "<Case name=\"provincia\" mapBackColor=\"16711680\">%1</Case></LoadOrder>"
                          "<Shapes>%2%3%4</Shapes></Configs>\n")
        .arg(children, shape(QStringLiteral("province_2006"), QStringLiteral("province_2006")),
             shape(QStringLiteral("regioni_2001"), QStringLiteral("regioni_2001"), QStringLiteral("COD_REG"),
                   QStringLiteral("regione")),
             shapes);
}

class ShapeConfigTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("ShapeConfig.xml")); }
    void write(const QString &text) { write(text.toUtf8()); }
    void write(const QByteArray &bytes)
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // Loads the "provincia" level; returns the error number, 0 when it loaded.
    long load(Map &map, std::vector<LayerInfo> &records, int &idx, const QString &level = QStringLiteral("provincia"))
    {
        try {
            CaricaShapeLayers(map, records, idx, file(), level, shapeDir());
            return 0;
        } catch (const platform::RuntimeError &e) {
            return e.number();
        }
    }
    long save(const QString &layerText, const LayerInfo &r, std::int64_t back = 0,
              const QString &level = QStringLiteral("provincia"))
    {
        try {
            SalvaLayer(file(), level, back, layerText, r);
            return 0;
        } catch (const platform::RuntimeError &e) {
            return e.number();
        }
    }
};

} // namespace

TEST(ShapeConfigTexts, Flags)
{
    struct Case {
        const char *text;
        bool value;
    };
    const Case cases[] = {{"True", true}, {"Vero", true}, {" True ", true}, {"true", false}, {"vero", false},
                          {"TRUE", false}, {"False", false}, {"1", false}, {"", false}, {"Falso", false}};
    for (const Case &c : cases)
        EXPECT_EQ(shapeconfig::ReadFlag(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(ShapeConfigTexts, BooleansAndLongs)
{
    struct B {
        const char *text;
        std::optional<bool> value; // nullopt: not a Boolean
    };
    const B bools[] = {{"True", true},   {"TRUE", true},   {"true", true},  {"False", false},     {"false", false},
                       {"0", false},     {"1", true},      {"-1", true},    {"2,5", true},        {" 0 ", false},
                       {"Vero", true},   {"VERO", true},   {"Falso", false}, {"falso", false},    {"si", std::nullopt},
                       {"", std::nullopt}, {"forse", std::nullopt}};
    for (const B &c : bools)
        EXPECT_EQ(shapeconfig::ReadBoolean(QString::fromUtf8(c.text)), c.value) << c.text;
    struct L {
        const char *text;
        std::int64_t value;
        long error;
    };
    const L longs[] = {{"16777215", 16777215, 0},    {" 255 ", 255, 0},      {"0", 0, 0},
                       {"-2147483633", -2147483633LL, 0}, {"12,5", 12, 0}, {"13,5", 14, 0},
                       {"2147483648", 0, 6},         {"abc", 0, 13},         {"", 0, 13},
                       {"&HFF", 0, 13}};
    for (const L &c : longs) {
        try {
            EXPECT_EQ(shapeconfig::ReadLong(QString::fromUtf8(c.text)), c.value) << c.text;
            EXPECT_EQ(c.error, 0) << c.text;
        } catch (const platform::RuntimeError &e) {
            EXPECT_EQ(e.number(), c.error) << c.text;
        }
    }
}

TEST_F(ShapeConfigTest, ProgramConfigurationBothLevels)
{
    QFile::copy(testenv::sourceDir() + QStringLiteral("/Files/ShapeConfig.xml"), file());
    Map map;
    std::vector<LayerInfo> records;
    int idx = 0;
    ASSERT_EQ(load(map, records, idx), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(idx, 0);
    EXPECT_EQ(records[0].FileName, QStringLiteral("province_2006"));
    EXPECT_TRUE(records[0].MatchesLevel);
    EXPECT_FALSE(records[1].MatchesLevel);
    EXPECT_TRUE(records[1].Trasparenza);
    EXPECT_FALSE(records[0].Trasparenza);
    ASSERT_EQ(map.layerCount(), 2);
    EXPECT_EQ(map.layer(0), records[0].Layer); // the thematic layer at the bottom
    EXPECT_EQ(map.layer(1), records[1].Layer); // the region borders over it
    EXPECT_EQ(map.layer(1)->symbol().style, platform::map::Symbol::Transparent);
    EXPECT_EQ(map.backColor(), QColor(Qt::white));
    EXPECT_EQ(map.extent(), map.fullExtent());
    // the code fields exist in the shape files
    EXPECT_GE(records[idx].Layer->fieldIndex(records[idx].FieldId), 0);
    EXPECT_EQ(records[idx].Layer->featureCount(), 107);

    Map map2;
    std::vector<LayerInfo> records2;
    int idx2 = 0;
    ASSERT_EQ(load(map2, records2, idx2, QStringLiteral("Regione")), 0); // the level name in any case
    ASSERT_EQ(records2.size(), 1u);
    EXPECT_EQ(records2[0].FieldId, QStringLiteral("COD_REG"));
    EXPECT_EQ(records2[0].Layer->featureCount(), 20);
    EXPECT_GE(records2[0].Layer->fieldIndex(QStringLiteral("COD_REG")), 0);
    EXPECT_TRUE(records2[0].MatchesLevel);
}

TEST_F(ShapeConfigTest, ThematicLayerIsTheLastMarkedOne)
{
    const QString p = QStringLiteral("province_2006"), r = QStringLiteral("regioni_2001");
    const QString T = QStringLiteral("True"), F = QStringLiteral("False");
    struct Case {
        QString children;
        int start, idx;
    };
    const Case cases[] = {
        {child(p, F) + child(r, T) + child(p, F), 0, 1},
        {child(p, F) + child(r, F) + child(p, F), 0, 0},
        {child(p, F) + child(r, F), 7, 7}, // none marked: left as it was
        {child(p, T) + child(r, QStringLiteral("1")) + child(p, F), 0, 1},
        {child(p, T) + child(r, F) + child(p, QStringLiteral("-1")), 0, 2},
        // Italian words, as a save under an Italian locale could leave them.
        {child(p, QStringLiteral("Falso")) + child(r, QStringLiteral("vero")), 0, 1},
        // A text that is no Boolean does not stop the map: that layer is not thematic.
        {child(p, T) + child(r, QStringLiteral("forse")) + child(p, QStringLiteral("")), 0, 0},
    };
    const QString savedFiles = gFilesPath;
    gFilesPath = dir.path() + QStringLiteral("/");
    for (const Case &c : cases) {
        QFile::remove(dir.filePath(QStringLiteral("Error.log")));
        write(config(c.children));
        Map map;
        std::vector<LayerInfo> records;
        int idx = c.start;
        ASSERT_EQ(load(map, records, idx), 0);
        EXPECT_EQ(idx, c.idx) << c.children.toStdString();
        EXPECT_EQ(map.layerCount(), int(records.size()));
        // Each unreadable text leaves one line in the error log.
        const QByteArray log = readAll(dir.filePath(QStringLiteral("Error.log")));
        EXPECT_EQ(log.count("useToMatch"), c.children.contains(QStringLiteral("forse")) ? 2 : 0)
            << c.children.toStdString();
    }
    gFilesPath = savedFiles;
}

TEST_F(ShapeConfigTest, StylesReadFromTheAttributes)
{
    const QString p = QStringLiteral("province_2006");
    write(config(child(p, QStringLiteral("True"), QStringLiteral("true"), QStringLiteral("Vero"))
                 + child(p, QStringLiteral("False"), QStringLiteral("Vero"), QStringLiteral("False"))));
    Map map;
    std::vector<LayerInfo> records;
    int idx = 0;
    ASSERT_EQ(load(map, records, idx), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_FALSE(records[0].Outline);
    EXPECT_TRUE(records[0].Trasparenza);
    EXPECT_TRUE(records[1].Outline);
    EXPECT_EQ(records[1].OutlineColor, 255);
    EXPECT_EQ(records[1].BackColor, 65280);
    EXPECT_EQ(map.backColor(), QColor(0, 0, 255));
    const auto &s = records[1].Layer->symbol();
    EXPECT_EQ(s.color, QColor(0, 255, 0));
    EXPECT_EQ(s.outlineColor, QColor(255, 0, 0));
    EXPECT_TRUE(s.outline);
    EXPECT_EQ(s.style, platform::map::Symbol::Solid);
    EXPECT_FALSE(records[0].Layer->symbol().outline);
    EXPECT_EQ(records[0].GeoName, QStringLiteral("G_province_2006"));
    EXPECT_EQ(records[0].Layer->name(), records[0].GeoName);
    EXPECT_EQ(map.layer(QStringLiteral("g_province_2006")), records[1].Layer); // the top-most of that name
}

TEST_F(ShapeConfigTest, KeysCommentsAndWhitespace)
{
    // a key in capitals, a key with an apostrophe, a comment and blanks around a key
    write(config(QStringLiteral("<!-- the provinces first -->\n") + child(QStringLiteral("PROVINCE_2006"))
                     + child(QStringLiteral("  l'aquila\n ")) + QStringLiteral("<!-- <Layer/> -->"),
                 shape(QStringLiteral("l'aquila"), QStringLiteral("regioni_2001"))));
    Map map;
    std::vector<LayerInfo> records;
    int idx = 0;
    ASSERT_EQ(load(map, records, idx), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].FileName, QStringLiteral("province_2006"));
    EXPECT_EQ(records[1].FileName, QStringLiteral("regioni_2001"));
    EXPECT_EQ(map.layerCount(), 2);
}

TEST_F(ShapeConfigTest, MissingShapeFileKeepsTheRecordButNotTheLayer)
{
    write(config(child(QStringLiteral("province_2006")) + child(QStringLiteral("com2001"), QStringLiteral("True")),
                 shape(QStringLiteral("com2001"), QStringLiteral("com2001"))));
    Map map;
    std::vector<LayerInfo> records;
    int idx = 0;
    ASSERT_EQ(load(map, records, idx), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(idx, 1);
    ASSERT_NE(records[1].Layer, nullptr);
    EXPECT_FALSE(records[1].Layer->isValid());
    EXPECT_EQ(records[1].Layer->name(), QStringLiteral("G_com2001"));
    EXPECT_EQ(map.layerCount(), 1);
    EXPECT_EQ(map.layer(0), records[0].Layer);
    ApplyLayerSymbols(records); // a record without a drawn layer still takes its style
    EXPECT_EQ(records[1].Layer->symbol().color, QColor(0, 255, 0));
}

TEST_F(ShapeConfigTest, ErrorsStopTheLoad)
{
    const QString p = QStringLiteral("province_2006");
    const QString good = child(p);
    struct Case {
        const char *what;
        QByteArray content; // empty: no file
        long error;
        size_t records; // read before the error
    };
    auto cfg = [](const QString &s) { return s.toUtf8(); };
    QString noFileName = config(good + child(QStringLiteral("x")), QStringLiteral("<Shape name=\"x\"><GeoName>g</GeoName></Shape>"));
    QString noLabel = config(good + child(QStringLiteral("x")),
                             QStringLiteral("<Shape name=\"x\"><FileName>f</FileName><GeoName>g</GeoName><FieldId>i</FieldId>"
                                            "<LandFields>l</LandFields><LandMatch>m</LandMatch></Shape>"));
    QString noOutline = config(good + QStringLiteral("<Layer OutlineColor=\"0\" BackColor=\"0\" Trasparenza=\"False\" "
                                                     "useToMatch=\"True\">province_2006</Layer>"));
    QString badColor = config(QStringLiteral("<Layer Outline=\"True\" OutlineColor=\"nero\" BackColor=\"0\" "
                                             "Trasparenza=\"False\" useToMatch=\"True\">province_2006</Layer>"));
    QString noBack = config(good);
    noBack.replace(QStringLiteral(" mapBackColor=\"16711680\""), QString());
    const std::vector<Case> cases = {
        {"no file", {}, platform::err::FileNotFound, 0},
        {"not XML", "<Configs><LoadOrder>", 91, 0},
        {"no level", cfg(config(good).replace(QStringLiteral("\"provincia\""), QStringLiteral("\"Provincia\""))), 91, 0},
        {"no map colour", cfg(noBack), 91, 0},
        {"no Shape", cfg(config(good + child(QStringLiteral("com2001")))), 91, 2},
        {"no FileName", cfg(noFileName), 91, 2},
        {"no Label", cfg(noLabel), 91, 2},
        {"no Outline", cfg(noOutline), 91, 2},
        {"colour not a number", cfg(badColor), 13, 1},
        // Damage outside the root element, read leniently it would read back otherwise once saved.
        {"stray bytes before the declaration", "\xEF\xBB" + cfg(config(good)), 91, 0},
        {"a blank line before the declaration", "\r\n" + cfg(config(good)), 91, 0},
        {"two root elements", cfg(config(good)) + "<Configs/>", 91, 0},
    };
    for (const Case &c : cases) {
        QFile::remove(file());
        if (!c.content.isEmpty())
            write(c.content);
        Map map;
        std::vector<LayerInfo> records;
        int idx = 0;
        EXPECT_EQ(load(map, records, idx), c.error) << c.what;
        EXPECT_EQ(records.size(), c.records) << c.what;
        EXPECT_EQ(map.layerCount(), 0) << c.what;
    }
}

TEST_F(ShapeConfigTest, NestingFarDeeperThanARealFileIsRefused)
{
    struct Case {
        int levels;   // elements around the layer's text
        bool loads;
    };
    const Case cases[] = {{1, true}, {20, true}, {40, false}, {300000, false}};
    for (const Case &c : cases) {
        const QString layer = QStringLiteral("<b>").repeated(c.levels) + QStringLiteral("province_2006") +
                              QStringLiteral("</b>").repeated(c.levels);
        write(config(child(layer, QStringLiteral("True"))));
        const QByteArray before = readAll(file());
        Map map;
        std::vector<LayerInfo> records;
        int idx = 0;
        QString error;
        try {
            CaricaShapeLayers(map, records, idx, file(), QStringLiteral("provincia"), shapeDir());
        } catch (const platform::RuntimeError &e) {
            error = e.description();
        }
        EXPECT_EQ(error.isEmpty(), c.loads) << c.levels << ": " << error.toStdString();
        if (c.loads) {
            ASSERT_EQ(records.size(), 1u) << c.levels;
            EXPECT_EQ(records[0].FileName, QStringLiteral("province_2006")) << c.levels;
            continue;
        }
        EXPECT_TRUE(error.contains(QStringLiteral("annidati"))) << error.toStdString();
        EXPECT_TRUE(records.empty()) << c.levels;
        LayerInfo r;
        EXPECT_EQ(save(QStringLiteral("province_2006"), r), 91) << c.levels;
        EXPECT_EQ(readAll(file()), before) << c.levels;
    }
}

TEST_F(ShapeConfigTest, SaveChangesOnlyTheStyleAttributes)
{
    const QString original = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Configs>\n"
        "  <!-- livelli -->\n"
        "  <LoadOrder>\n"
        "    <Case name=\"provincia\" mapBackColor=\"16777215\">\n"
        "      <Layer Outline=\"Vero\" OutlineColor=\"1\" BackColor=\"2\" Trasparenza=\"Falso\" useToMatch=\"True\">province_2006</Layer>\n"
        "      <Layer Outline=\"True\" OutlineColor=\"3\" BackColor=\"4\" Trasparenza=\"True\" useToMatch=\"False\">regioni_2001</Layer>\n"
        "    </Case>\n"
        "    <Case name=\"regione\" mapBackColor=\"5\">\n"
        "      <Layer Outline=\"True\" OutlineColor=\"6\" BackColor=\"7\" Trasparenza=\"False\" useToMatch=\"True\">regioni_2001</Layer>\n"
        "    </Case>\n"
        "  </LoadOrder>\n"
        "  <Shapes>\n"
        "    %1\n"
        "    %2\n"
        "  </Shapes>\n"
        "</Configs>\n")
        .arg(shape(QStringLiteral("province_2006"), QStringLiteral("province_2006")),
             shape(QStringLiteral("regioni_2001"), QStringLiteral("regioni_2001"), QStringLiteral("COD_REG"),
                   QStringLiteral("regione")));
    write(original);
    Map map;
    std::vector<LayerInfo> records;
    int idx = 0;
    ASSERT_EQ(load(map, records, idx), 0);
    EXPECT_TRUE(records[0].Outline); // "Vero" reads as true

    LayerInfo r = records[1];
    r.Outline = false;
    r.OutlineColor = 255;
    r.BackColor = 12632256;
    r.Trasparenza = false;
    ASSERT_EQ(save(QStringLiteral("regioni_2001"), r, 8421504), 0);

    QString expected = original;
    expected.replace(QStringLiteral("name=\"provincia\" mapBackColor=\"16777215\""),
                     QStringLiteral("name=\"provincia\" mapBackColor=\"8421504\""));
    expected.replace(QStringLiteral("<Layer Outline=\"True\" OutlineColor=\"3\" BackColor=\"4\" Trasparenza=\"True\" useToMatch=\"False\">"),
                     QStringLiteral("<Layer Outline=\"False\" OutlineColor=\"255\" BackColor=\"12632256\" Trasparenza=\"False\" useToMatch=\"False\">"));
    EXPECT_EQ(readAll(file()).toStdString(), expected.toStdString());

    // the first record, read from "Vero", is written back as "True"
    ASSERT_EQ(save(QStringLiteral("province_2006"), records[0], 8421504), 0);
    EXPECT_TRUE(readAll(file()).contains("<Layer Outline=\"True\" OutlineColor=\"1\" BackColor=\"2\" Trasparenza=\"False\""));

    std::vector<LayerInfo> again;
    Map map2;
    ASSERT_EQ(load(map2, again, idx), 0);
    EXPECT_FALSE(again[1].Outline);
    EXPECT_EQ(again[1].BackColor, 12632256);
    EXPECT_EQ(map2.backColor(), QColor(128, 128, 128));
}

TEST_F(ShapeConfigTest, FailedSaveLeavesTheFileAsItWas)
{
    write(config(child(QStringLiteral("province_2006"))));
    LayerInfo r;
    r.Outline = true;
    struct Case {
        const char *what;
        QString text, level;
        QByteArray content; // replaces the file when not empty
        long error;
    };
    const std::vector<Case> cases = {
        {"layer text in other letter case", QStringLiteral("Province_2006"), QStringLiteral("provincia"), {}, 91},
        {"no such layer", QStringLiteral("com2001"), QStringLiteral("provincia"), {}, 91},
        {"no such level", QStringLiteral("province_2006"), QStringLiteral("comune"), {}, 91},
        {"damaged file", QStringLiteral("province_2006"), QStringLiteral("provincia"), "<Configs><LoadOrder><Case", 91},
    };
    for (const Case &c : cases) {
        if (!c.content.isEmpty())
            write(c.content);
        const QByteArray before = readAll(file());
        EXPECT_EQ(save(c.text, r, 0, c.level), c.error) << c.what;
        EXPECT_EQ(readAll(file()), before) << c.what;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << c.what; // no temporary file left
    }
    QFile::remove(file());
    EXPECT_EQ(save(QStringLiteral("province_2006"), r), platform::err::FileNotFound);
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(ShapeConfigTest, SaveKeepsTheFileEncoding)
{
    // a Latin-1 file with an accented comment stays Latin-1
    QByteArray latin = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- Città -->")
                           .toLatin1()
                       + config(child(QStringLiteral("province_2006"))).section(u'\n', 1).toUtf8();
    write(latin);
    LayerInfo r;
    ASSERT_EQ(save(QStringLiteral("province_2006"), r, 7), 0);
    const QByteArray after = readAll(file());
    EXPECT_TRUE(after.contains("Citt\xE0")) << after.left(80).toStdString();
    EXPECT_TRUE(after.startsWith("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"));
    EXPECT_TRUE(after.contains("mapBackColor=\"7\""));

    // a file without declaration gets none; a byte-order mark stays
    write(QByteArray("\xEF\xBB\xBF") + config(child(QStringLiteral("province_2006"))).section(u'\n', 1).toUtf8());
    ASSERT_EQ(save(QStringLiteral("province_2006"), r, 7), 0);
    EXPECT_TRUE(readAll(file()).startsWith("\xEF\xBB\xBF<Configs>"));
}

TEST_F(ShapeConfigTest, SaveKeepsEveryByteItDoesNotSet)
{
    const QString shapes = shape(QStringLiteral("province_2006"), QStringLiteral("province_2006")) +
                           shape(QStringLiteral("regioni_2001"), QStringLiteral("regioni_2001"),
                                 QStringLiteral("COD_REG"), QStringLiteral("regione"));
    // Each file is saved with mapBackColor 7 and the second layer's style set to
    // Outline False, OutlineColor 255, BackColor 12632256, Trasparenza True.
    struct Case {
        const char *what;
        QString before, after;
        Encoding encoding = Encoding::Utf8;
    };
    const QString caseOpen = QStringLiteral("<Case name=\"provincia\" mapBackColor=\"16777215\">");
    const QString caseSaved = QStringLiteral("<Case name=\"provincia\" mapBackColor=\"7\">");
    const QString first = QStringLiteral(
        "<Layer Outline=\"True\" OutlineColor=\"1\" BackColor=\"2\" Trasparenza=\"False\" useToMatch=\"True\">province_2006</Layer>");
    auto doc = [&](const QString &caseTag, const QString &second, const QString &nl) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>%1<!-- livelli%1 e stili -->%1<Configs>%1"
                              "  <LoadOrder>%1    %2%1      %3%1      %4%1    </Case>%1  </LoadOrder>%1"
                              "  <Shapes>%5</Shapes>%1</Configs>%1")
            .arg(nl, caseTag, first, second, shapes);
    };
    const QString savedLayer = QStringLiteral(
        "<Layer Outline=\"False\" OutlineColor=\"255\" BackColor=\"12632256\" Trasparenza=\"True\" useToMatch=\"False\">regioni_2001</Layer>");
    const QString plainLayer = QStringLiteral(
        "<Layer Outline=\"True\" OutlineColor=\"3\" BackColor=\"4\" Trasparenza=\"False\" useToMatch=\"False\">regioni_2001</Layer>");
    const std::vector<Case> cases = {
        {"CR LF line ends", doc(caseOpen, plainLayer, "\r\n"), doc(caseSaved, savedLayer, "\r\n")},
        {"LF line ends", doc(caseOpen, plainLayer, "\n"), doc(caseSaved, savedLayer, "\n")},
        {"mixed line ends stay mixed",
         doc(caseOpen, plainLayer, "\r\n").replace("<Configs>\r\n", "<Configs>\n"),
         doc(caseSaved, savedLayer, "\r\n").replace("<Configs>\r\n", "<Configs>\n")},
        {"attributes over several lines, single quotes, entities and blanks",
         doc(caseOpen,
             "<Layer  Outline = 'True'\r\n        OutlineColor='3' BackColor=\"4\"\tTrasparenza='False' "
             "Nota=\"a &amp; b &#233;\" useToMatch=\"False\" >regioni_2001</Layer>",
             "\r\n"),
         doc(caseSaved,
             "<Layer  Outline = 'False'\r\n        OutlineColor='255' BackColor=\"12632256\"\tTrasparenza='True' "
             "Nota=\"a &amp; b &#233;\" useToMatch=\"False\" >regioni_2001</Layer>",
             "\r\n")},
        {"a missing style attribute is added after the others",
         doc(caseOpen, "<Layer Outline=\"True\" useToMatch=\"False\" BackColor=\"4\"\r\n>regioni_2001</Layer>", "\r\n"),
         doc(caseSaved,
             "<Layer Outline=\"False\" useToMatch=\"False\" BackColor=\"12632256\" OutlineColor=\"255\" "
             "Trasparenza=\"True\"\r\n>regioni_2001</Layer>",
             "\r\n")},
        {"CDATA and a document type with a '>' in a quoted text",
         QStringLiteral("<!DOCTYPE Configs [ <!ENTITY nota \"a > b\"> ]>\r\n") +
             doc(caseOpen, plainLayer, "\r\n").section("?>", 1).replace("<Shapes>", "<Shapes><![CDATA[<Case x='1'>]]>"),
         QStringLiteral("<!DOCTYPE Configs [ <!ENTITY nota \"a > b\"> ]>\r\n") +
             doc(caseSaved, savedLayer, "\r\n").section("?>", 1).replace("<Shapes>", "<Shapes><![CDATA[<Case x='1'>]]>")},
        {"UTF-16 with its byte-order mark", doc(caseOpen, plainLayer, "\r\n").replace("UTF-8", "UTF-16"),
         doc(caseSaved, savedLayer, "\r\n").replace("UTF-8", "UTF-16"), Encoding::Utf16},
    };
    LayerInfo r;
    r.Outline = false;
    r.OutlineColor = 255;
    r.BackColor = 12632256;
    r.Trasparenza = true;
    auto bytesOf = [](const QString &text, Encoding enc) {
        if (enc == Encoding::Utf8)
            return text.toUtf8();
        QByteArray b("\xFF\xFE");
        b.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return b;
    };
    for (const Case &c : cases) {
        write(bytesOf(c.before, c.encoding));
        EXPECT_EQ(save(QStringLiteral("regioni_2001"), r, 7), 0) << c.what;
        EXPECT_EQ(readAll(file()), bytesOf(c.after, c.encoding)) << c.what;
        Map map;
        std::vector<LayerInfo> records;
        int idx = 0;
        ASSERT_EQ(load(map, records, idx), 0) << c.what;
        ASSERT_EQ(records.size(), 2u) << c.what;
        EXPECT_EQ(records[1].BackColor, 12632256) << c.what;
        EXPECT_TRUE(records[1].Trasparenza) << c.what;
    }
}

TEST_F(ShapeConfigTest, AFullDiskKeepsTheOldFileAndGivesTheReason)
{
    write(config(child(QStringLiteral("province_2006"))));
    const QByteArray before = readAll(file());
    LayerInfo r;
    r.BackColor = 42;
    try {
        testsupport::FileSizeLimit full(64);
        SalvaLayer(file(), QStringLiteral("provincia"), 7, QStringLiteral("province_2006"), r);
        ADD_FAILURE() << "the save reported success";
    } catch (const platform::RuntimeError &e) {
        EXPECT_TRUE(e.description().contains("ShapeConfig.xml")) << e.description().toStdString();
    }
    EXPECT_EQ(readAll(file()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ShapeConfig.xml"});
}

TEST_F(ShapeConfigTest, GlobalsNameTheFileTheLevelAndTheShapeFolder)
{
    const QString savedFiles = gFilesPath, savedShape = gShapePath, savedLevel = gNomeLivelloMappa;
    gFilesPath = dir.path() + QStringLiteral("/");
    gShapePath = shapeDir();
    gNomeLivelloMappa = QStringLiteral("Provincia");
    write(config(child(QStringLiteral("province_2006"))));
    QFile::rename(file(), dir.filePath(QStringLiteral("shapeconfig.XML"))); // found ignoring letter case
    Map map;
    std::vector<LayerInfo> records;
    int idx = 0;
    EXPECT_NO_THROW(CaricaShapeLayers(map, records, idx));
    EXPECT_EQ(map.layerCount(), 1);
    LayerInfo r = records[0];
    r.BackColor = 42;
    EXPECT_NO_THROW(SalvaLayer(99, QStringLiteral("province_2006"), r));
    EXPECT_TRUE(readAll(dir.filePath(QStringLiteral("shapeconfig.XML"))).contains("BackColor=\"42\""));
    gFilesPath = savedFiles;
    gShapePath = savedShape;
    gNomeLivelloMappa = savedLevel;
}
