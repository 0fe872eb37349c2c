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

const QString P = QStringLiteral("province_2006"), R = QStringLiteral("regioni_2001");
const QString T = QStringLiteral("True"), F = QStringLiteral("False");

QString shapeDir() { return testenv::sourceDir() + QStringLiteral("/Shape/"); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One layer child of a Case.
QString child(const QString &key, const QString &useToMatch = F, const QString &outline = T, const QString &tras = F)
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

// The shapes of both sample layers.
QString sampleShapes() { return shape(P, P) + shape(R, R, QStringLiteral("COD_REG"), QStringLiteral("regione")); }

QString config(const QString &children, const QString &shapes = QString())
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configs><LoadOrder>"
                          "<Case name=\"provincia\" mapBackColor=\"16711680\">%1</Case></LoadOrder>"
                          "<Shapes>%2%3</Shapes></Configs>\n")
        .arg(children, sampleShapes(), shapes);
}

// The layers of one level as CaricaShapeLayers reads them, with the error it raised.
struct Loaded {
    Map map;
    std::vector<LayerInfo> records;
    int idx;
    long error = 0;
    QString reason;
    Loaded(const QString &file, const QString &level = QStringLiteral("provincia"), int start = 0) : idx(start)
    {
        try {
            CaricaShapeLayers(map, records, idx, file, level, shapeDir());
        } catch (const platform::RuntimeError &e) {
            error = e.number();
            reason = e.description();
        }
    }
};

class ShapeConfigTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString reason; // of the last failed save
    QString file() const { return dir.filePath(QStringLiteral("ShapeConfig.xml")); }
    void write(const QString &text) { write(text.toUtf8()); }
    void write(const QByteArray &bytes)
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // Saves one layer's style; returns the error number, 0 when it saved.
    long save(const QString &layerText, const LayerInfo &r, std::int64_t back = 0,
              const QString &level = QStringLiteral("provincia"))
    {
        try {
            SalvaLayer(file(), level, back, layerText, r);
            return 0;
        } catch (const platform::RuntimeError &e) {
            reason = e.description();
            return e.number();
        }
    }
};

} // namespace

TEST(ShapeConfigTexts, FlagsBooleansAndLongs)
{
    const std::pair<const char *, bool> flags[] = {
        {"Vero", true}, {" True ", true}, {"true", false}, {"Falso", false}, {"1", false}};
    for (const auto &[text, value] : flags)
        EXPECT_EQ(shapeconfig::ReadFlag(QString::fromUtf8(text)), value) << text;
    const std::pair<const char *, std::optional<bool>> bools[] = { // nullopt: not a Boolean
        {"TRUE", true}, {"vero", true}, {"false", false}, {"FALSO", false}, {" 0 ", false},
        {"-1", true},   {"2,5", true},  {"si", std::nullopt}, {"", std::nullopt}};
    for (const auto &[text, value] : bools)
        EXPECT_EQ(shapeconfig::ReadBoolean(QString::fromUtf8(text)), value) << text;
    struct L { const char *text; std::int64_t value; long error; };
    const L longs[] = {{" 255 ", 255, 0},   {"-2147483633", -2147483633LL, 0}, {"12,5", 12, 0},
                       {"13,5", 14, 0}, {"2147483648", 0, 6},             {"&HFF", 0, 13}};
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
    Loaded p(file());
    ASSERT_EQ(p.error, 0);
    ASSERT_EQ(p.records.size(), 2u);
    EXPECT_EQ(p.idx, 0);
    EXPECT_EQ(QString("%1 %2").arg(p.records[0].MatchesLevel).arg(p.records[1].MatchesLevel), "1 0");
    ASSERT_EQ(p.map.layerCount(), 2);
    EXPECT_EQ(p.map.layer(0), p.records[0].Layer); // the thematic layer at the bottom
    EXPECT_EQ(p.map.layer(1)->symbol().style, platform::map::Symbol::Transparent); // the region borders over it
    EXPECT_EQ(p.map.backColor(), QColor(Qt::white));
    EXPECT_EQ(p.map.extent(), p.map.fullExtent());
    // the code fields exist in the shape files
    EXPECT_GE(p.records[0].Layer->fieldIndex(p.records[0].FieldId), 0);

    Loaded r(file(), QStringLiteral("Regione")); // the level name in any case
    ASSERT_EQ(r.error, 0);
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_GE(r.records[0].Layer->fieldIndex(r.records[0].FieldId), 0);
    EXPECT_TRUE(r.records[0].MatchesLevel);
}

TEST_F(ShapeConfigTest, ThematicLayerIsTheLastMarkedOne)
{
    struct Case { QString children; int start, idx; };
    const Case cases[] = {
        {child(P, F) + child(R, T) + child(P, F), 0, 1},
        {child(P, F) + child(R, F), 7, 7}, // none marked: left as it was
        {child(P, T) + child(R, F) + child(P, QStringLiteral("-1")), 0, 2},
        // Italian words, as a save under an Italian locale could leave them.
        {child(P, QStringLiteral("Falso")) + child(R, QStringLiteral("vero")), 0, 1},
        // A text that is no Boolean does not stop the map: that layer is not thematic.
        {child(P, T) + child(R, QStringLiteral("forse")) + child(P, QStringLiteral("")), 0, 0},
    };
    const QString savedFiles = gFilesPath;
    gFilesPath = dir.path() + QStringLiteral("/");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.children.toStdString());
        QFile::remove(dir.filePath(QStringLiteral("Error.log")));
        write(config(c.children));
        Loaded l(file(), QStringLiteral("provincia"), c.start);
        ASSERT_EQ(l.error, 0);
        EXPECT_EQ(l.idx, c.idx);
        EXPECT_EQ(l.map.layerCount(), int(l.records.size()));
        // Each unreadable text leaves one line in the error log.
        const QByteArray log = readAll(dir.filePath(QStringLiteral("Error.log")));
        EXPECT_EQ(log.count("useToMatch"), c.children.contains(QStringLiteral("forse")) ? 2 : 0);
    }
    gFilesPath = savedFiles;
}

TEST_F(ShapeConfigTest, StylesKeysNestingAndAMissingShapeFile)
{
    // Styles from the attributes; a key in capitals, a key with an apostrophe and
    // blanks, a key inside elements nested as deep as a file may go, comments; a
    // shape file that is not there.
    const QString deep = QStringLiteral("<b>").repeated(20) + P + QStringLiteral("</b>").repeated(20);
    write(config(QStringLiteral("<!-- the provinces first -->\n") + child(P, T, QStringLiteral("true"),
                                                                           QStringLiteral("Vero")) +
                     child(QStringLiteral("PROVINCE_2006"), F, QStringLiteral("Vero"), F) +
                     child(QStringLiteral("  l'aquila\n ")) + QStringLiteral("<!-- <Layer/> -->") + child(deep) +
                     child(QStringLiteral("com2001"), T),
                 shape(QStringLiteral("l'aquila"), R) + shape(QStringLiteral("com2001"), QStringLiteral("com2001"))));
    Loaded l(file());
    ASSERT_EQ(l.error, 0);
    ASSERT_EQ(l.records.size(), 5u);
    QStringList files;
    for (const LayerInfo &r : l.records)
        files << r.FileName;
    EXPECT_EQ(files, QStringList({P, P, R, P, QStringLiteral("com2001")}));
    EXPECT_EQ(QString("%1 %2").arg(l.records[0].Outline).arg(l.records[0].Trasparenza), "0 1");
    EXPECT_EQ(l.map.backColor(), QColor(0, 0, 255));
    const auto &s = l.records[1].Layer->symbol();
    EXPECT_EQ(std::make_tuple(s.color, s.outlineColor, s.outline, s.style),
              std::make_tuple(QColor(0, 255, 0), QColor(255, 0, 0), true, platform::map::Symbol::Solid));
    EXPECT_EQ(l.records[0].Layer->name(), QStringLiteral("G_province_2006"));
    EXPECT_EQ(l.map.layer(QStringLiteral("g_province_2006")), l.records[3].Layer); // the top-most of that name

    // The missing shape file keeps its record but not its layer.
    EXPECT_EQ(l.idx, 4);
    const LayerInfo &missing = l.records[4];
    ASSERT_NE(missing.Layer, nullptr);
    EXPECT_FALSE(missing.Layer->isValid());
    EXPECT_EQ(missing.Layer->name(), QStringLiteral("G_com2001"));
    EXPECT_EQ(l.map.layerCount(), 4);
    ApplyLayerSymbols(l.records); // a record without a drawn layer still takes its style
    EXPECT_EQ(missing.Layer->symbol().color, QColor(0, 255, 0));
}

TEST_F(ShapeConfigTest, ErrorsStopTheLoad)
{
    const QString good = child(P);
    // content: empty for no file
    // records: read before the error
    struct Case { const char *what; QByteArray content; long error; size_t records; const char *reason = ""; };
    auto cfg = [](const QString &s) { return s.toUtf8(); };
    auto nested = [&](int levels) {
        return cfg(config(child(QStringLiteral("<b>").repeated(levels) + P + QStringLiteral("</b>").repeated(levels))));
    };
    QString noBack = config(good);
    noBack.replace(QStringLiteral(" mapBackColor=\"16711680\""), QString());
    const std::vector<Case> cases = {
        {"no file", {}, platform::err::FileNotFound, 0},
        {"not XML", "<Configs><LoadOrder>", 91, 0},
        {"no level", cfg(config(good).replace(QStringLiteral("\"provincia\""), QStringLiteral("\"Provincia\""))), 91, 0},
        {"no map colour", cfg(noBack), 91, 0},
        {"no Shape", cfg(config(good + child(QStringLiteral("com2001")))), 91, 2},
        {"no FileName", cfg(config(good + child("x"), "<Shape name=\"x\"><GeoName>g</GeoName></Shape>")), 91, 2},
        {"no Outline", cfg(config(good + child(P).replace("Outline=\"True\" ", ""))), 91, 2},
        {"colour not a number", cfg(config(child(P).replace("OutlineColor=\"255\"", "OutlineColor=\"nero\""))), 13, 1},
        // Damage outside the root element, read leniently it would read back otherwise once saved.
        {"stray bytes before the declaration", "\xEF\xBB" + cfg(config(good)), 91, 0},
        {"a blank line before the declaration", "\r\n" + cfg(config(good)), 91, 0},
        {"two root elements", cfg(config(good)) + "<Configs/>", 91, 0},
        // Nesting far deeper than a real file: refused with a message instead of a crash.
        {"nested 40 deep", nested(40), 91, 0, "annidati"},
        {"nested 300000 deep", nested(300000), 91, 0, "annidati"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file());
        if (!c.content.isEmpty())
            write(c.content);
        Loaded l(file());
        EXPECT_EQ(l.error, c.error);
        EXPECT_EQ(l.records.size(), c.records);
        EXPECT_EQ(l.map.layerCount(), 0);
        EXPECT_TRUE(l.reason.contains(QString::fromUtf8(c.reason))) << l.reason.toStdString();
    }
}

// Each file is saved with mapBackColor 7 and the style of the provinces' second
// layer set to Outline False, OutlineColor 255, BackColor 12632256, Trasparenza
// True: nothing else changes, byte for byte, the other level's layer of the same
// name included.
TEST_F(ShapeConfigTest, SaveKeepsEveryByteItDoesNotSet)
{
    enum class Encoding { Utf8, Utf8Bom, Latin1, Utf16 };
    const QString caseOpen = QStringLiteral("<Case name=\"provincia\" mapBackColor=\"16777215\">");
    const QString caseSaved = QStringLiteral("<Case name=\"provincia\" mapBackColor=\"7\">");
    const QString first = QStringLiteral("<Layer Outline=\"Vero\" OutlineColor=\"1\" BackColor=\"2\" "
                                         "Trasparenza=\"Falso\" useToMatch=\"True\">province_2006</Layer>");
    const QString plainLayer = QStringLiteral("<Layer Outline=\"True\" OutlineColor=\"3\" BackColor=\"4\" "
                                              "Trasparenza=\"False\" useToMatch=\"False\">regioni_2001</Layer>");
    const QString savedLayer = QStringLiteral("<Layer Outline=\"False\" OutlineColor=\"255\" BackColor=\"12632256\" "
                                              "Trasparenza=\"True\" useToMatch=\"False\">regioni_2001</Layer>");
    auto doc = [&](const QString &caseTag, const QString &second, const QString &nl) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>%1<!-- livelli%1 e stili, città -->%1"
                              "<Configs>%1  <LoadOrder>%1    <Case name=\"regione\" mapBackColor=\"5\">%6</Case>%1"
                              "    %2%1      %3%1      %4%1    </Case>%1  </LoadOrder>%1"
                              "  <Shapes>%5</Shapes>%1</Configs>%1")
            .arg(nl, caseTag, first, second, sampleShapes(), plainLayer);
    };
    struct Case { const char *what; QString before, after; Encoding encoding = Encoding::Utf8; };
    const auto afterDecl = [](const QString &s) { return s.section("?>", 1); };
    const std::vector<Case> cases = {
        {"CR LF line ends", doc(caseOpen, plainLayer, "\r\n"), doc(caseSaved, savedLayer, "\r\n")},
        {"mixed line ends stay mixed", doc(caseOpen, plainLayer, "\r\n").replace("<Configs>\r\n", "<Configs>\n"),
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
         "<!DOCTYPE Configs [ <!ENTITY nota \"a > b\"> ]>\r\n" +
             afterDecl(doc(caseOpen, plainLayer, "\r\n")).replace("<Shapes>", "<Shapes><![CDATA[<Case x='1'>]]>"),
         "<!DOCTYPE Configs [ <!ENTITY nota \"a > b\"> ]>\r\n" +
             afterDecl(doc(caseSaved, savedLayer, "\r\n")).replace("<Shapes>", "<Shapes><![CDATA[<Case x='1'>]]>")},
        {"UTF-16 with its byte-order mark", doc(caseOpen, plainLayer, "\r\n").replace("UTF-8", "UTF-16"),
         doc(caseSaved, savedLayer, "\r\n").replace("UTF-8", "UTF-16"), Encoding::Utf16},
        {"Latin-1 with an accented comment", doc(caseOpen, plainLayer, "\n").replace("UTF-8", "ISO-8859-1"),
         doc(caseSaved, savedLayer, "\n").replace("UTF-8", "ISO-8859-1"), Encoding::Latin1},
        {"no declaration, a byte-order mark", afterDecl(doc(caseOpen, plainLayer, "\n")),
         afterDecl(doc(caseSaved, savedLayer, "\n")), Encoding::Utf8Bom},
    };
    LayerInfo r;
    r.Outline = false;
    r.OutlineColor = 255;
    r.BackColor = 12632256;
    r.Trasparenza = true;
    auto bytesOf = [](const QString &text, Encoding enc) {
        switch (enc) {
        case Encoding::Utf8: return text.toUtf8();
        case Encoding::Utf8Bom: return "\xEF\xBB\xBF" + text.toUtf8();
        case Encoding::Latin1: return text.toLatin1();
        case Encoding::Utf16: break;
        }
        QByteArray b("\xFF\xFE");
        b.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        return b;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write(bytesOf(c.before, c.encoding));
        EXPECT_EQ(save(R, r, 7), 0);
        EXPECT_EQ(readAll(file()), bytesOf(c.after, c.encoding));
        Loaded l(file());
        ASSERT_EQ(l.error, 0);
        ASSERT_EQ(l.records.size(), 2u);
        EXPECT_EQ(l.records[1].BackColor, 12632256);
        EXPECT_EQ(l.map.backColor(), QColor(7, 0, 0));
        // The first record, read from "Vero", is written back as "True".
        ASSERT_EQ(save(P, l.records[0], 7), 0);
        const QString written = "<Layer Outline=\"True\" OutlineColor=\"1\" BackColor=\"2\" Trasparenza=\"False\"";
        EXPECT_TRUE(readAll(file()).contains(c.encoding == Encoding::Utf16 ? bytesOf(written, c.encoding).mid(2)
                                                                            : written.toUtf8()));
    }
}

TEST_F(ShapeConfigTest, FailedSaveLeavesTheFileAsItWas)
{
    write(config(child(P)));
    LayerInfo r;
    r.Outline = true;
    // content: replaces the file when not empty
    // diskLeft: for a full disk, the bytes that still fit
    struct Case { const char *what; QString text, level; QByteArray content; long error; qint64 diskLeft = -1; };
    const QString deep = QStringLiteral("<b>").repeated(40) + P + QStringLiteral("</b>").repeated(40);
    const std::vector<Case> cases = {
        {"layer text in other letter case", QStringLiteral("Province_2006"), QStringLiteral("provincia"), {}, 91},
        {"no such layer", QStringLiteral("com2001"), QStringLiteral("provincia"), {}, 91},
        {"no such level", P, QStringLiteral("comune"), {}, 91},
        {"damaged file", P, QStringLiteral("provincia"), "<Configs><LoadOrder><Case", 91},
        {"nested far too deep", P, QStringLiteral("provincia"), config(child(deep, T)).toUtf8(), 91},
        {"a full disk", P, QStringLiteral("provincia"), config(child(P)).toUtf8(), -1, 64},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.content.isEmpty())
            write(c.content);
        const QByteArray before = readAll(file());
        if (c.diskLeft >= 0) {
            testsupport::FileSizeLimit full(c.diskLeft);
            EXPECT_NE(save(c.text, r, 7, c.level), 0) << "the save reported success";
            EXPECT_TRUE(reason.contains("ShapeConfig.xml")) << reason.toStdString();
        } else {
            EXPECT_EQ(save(c.text, r, 0, c.level), c.error);
        }
        EXPECT_EQ(readAll(file()), before);
        // no temporary file left
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ShapeConfig.xml"});
    }
    QFile::remove(file());
    EXPECT_EQ(save(P, r), platform::err::FileNotFound);
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(ShapeConfigTest, GlobalsNameTheFileTheLevelAndTheShapeFolder)
{
    const QString savedFiles = gFilesPath, savedShape = gShapePath, savedLevel = gNomeLivelloMappa;
    gFilesPath = dir.path() + QStringLiteral("/");
    gShapePath = shapeDir();
    gNomeLivelloMappa = QStringLiteral("Provincia");
    write(config(child(P)));
    QFile::rename(file(), dir.filePath(QStringLiteral("shapeconfig.XML"))); // found ignoring letter case
    Map map;
    std::vector<LayerInfo> records;
    int idx = 0;
    EXPECT_NO_THROW(CaricaShapeLayers(map, records, idx));
    EXPECT_EQ(map.layerCount(), 1);
    LayerInfo r = records[0];
    r.BackColor = 42;
    EXPECT_NO_THROW(SalvaLayer(99, P, r));
    EXPECT_TRUE(readAll(dir.filePath(QStringLiteral("shapeconfig.XML"))).contains("BackColor=\"42\""));
    gFilesPath = savedFiles;
    gShapePath = savedShape;
    gNomeLivelloMappa = savedLevel;
}
