// The map window driven by its controls, on the sample shapes and databases.
#include "maps/ColorBox.h"
#include "maps/MapWorkTable.h"
#include "maps/map_window_support.h"
#include "platform/grid/TextGrid.h"
#include "support/CountingVfs.h"
#include "support/FileSizeLimit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <functional>

using namespace maps;
using maptest::provinceInput;
using maptest::regionInput;
using maptest::wrongEnabled;
using maptest::wrongVisible;
using testenv::ctl;

namespace {

// The work table as another connection reads it.
bool MapTableExists() { return MapWorkTable().MapTableExists(); }
platform::db::Recordset MapRecordset() { return MapWorkTable().MapRecordset(); }

// The map window opened, with its class grid and identify list read as the user reads them.
struct OpenMap : maptest::OpenMap {
    using maptest::OpenMap::OpenMap;
    platform::grid::TextGrid &grid() { return w->GridIndici(); }
    QStringList gridLabels()
    {
        QStringList out;
        for (int r = 0; r < grid().Rows(); ++r)
            out << grid().TextMatrix(r, 1);
        return out;
    }
    QTreeWidget *list() { return ctl<QTreeWidget>(w, "ListView1"); }
    // Column `col` of every identify row.
    QStringList identified(int col = 1)
    {
        QStringList out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            out << list()->topLevelItem(i)->text(col);
        return out;
    }
    QLineEdit *edit(const char *name) { return ctl<QLineEdit>(w, name); }
};

// Every value of the column replaced by `value`, the empty ones kept.
MapInput provincesValued(const QString &value)
{
    MapInput in = provinceInput();
    for (auto &r : in.rows)
        r.value = r.value.isEmpty() ? QString() : value;
    return in;
}

} // namespace

TEST(MappaWindow, OpensWithStatisticsThenQuartileMapAndReset)
{
    OpenMap m;
    // 97 values 1..107 without multiples of 10: mean 53,897 -> (53,9).
    EXPECT_EQ(maptest::texts(m.w, {"lbl_Ricfor", "txtVariabile", "Label9", "Label11", "Label12", "lbl_maxcon",
                                   "txt_min", "txt_Max"}),
              QStringList({"A0001_1996", "A0001_1996: Superficie territoriale", "(1)", "(107)", "(53,9)", "(107)",
                           "1", "107"}));
    EXPECT_EQ(ctl<QComboBox>(m.w, "cmb_namelayers")->count(), 2);
    EXPECT_EQ(wrongEnabled(m.w, "-cmd_GoMap -Command2"), "");
    EXPECT_EQ(wrongVisible(m.w, "-fraCB +Frame5 -Frame3"), "");
    EXPECT_FALSE(MapTableExists()); // nothing is created before a classification

    for (int pass = 0; pass < 2; ++pass) { // pressing twice gives the same grid
        m.click("Cmd_cmdAutocolor");
        EXPECT_EQ(m.gridLabels(), QStringList({" Da 1,00 a 27,00", " Da 27,00 a 54,00", " Da 54,00 a 81,00",
                                               " Da 81,00 a 107,00", " Dato non presente"}));
    }
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty()); // no tie, no error
    EXPECT_EQ(m.grid().cellBackColor(4, 0), QColor(Qt::white));
    EXPECT_EQ(m.colorOf("1"), QuartileFrom);
    EXPECT_EQ(m.colorOf("107"), QuartileTo);
    EXPECT_EQ(m.colorOf("10"), QColor(Qt::white)); // no value
    EXPECT_EQ(MapRecordset().recordCount(), 97);
    EXPECT_EQ(wrongEnabled(m.w, "-txt_min -cmd_Select"), "");
    EXPECT_EQ(wrongVisible(m.w, "+cmd_Stampa"), "");

    // Recolouring a class redraws the map; the row of missing data too; cancel keeps the colour.
    m.pf.prompts.colors = {QColor(Qt::red), QColor(Qt::gray)};
    for (int row : {0, 4, 0}) {
        m.grid().setRow(row);
        m.grid().setCol(0);
        m.w->GridIndici_Click();
    }
    EXPECT_EQ(m.colorOf("1"), QColor(Qt::red));
    EXPECT_EQ(m.colorOf("10"), QColor(Qt::gray));

    m.click("cmd_reset");
    EXPECT_EQ(m.gridLabels(), QStringList{""});
    EXPECT_FALSE(MapTableExists());
    EXPECT_EQ(wrongEnabled(m.w, "+cmdSelClassiUgualeAmp +Cmd_cmdAutocolor"), "");
    EXPECT_EQ(m.colorOf("1"), QColor(192, 192, 192)); // the configured style again
}

TEST(MappaWindow, ColumnWithoutNumbersOpensNothing)
{
    testenv::ProgramFolder pf;
    gNomeLivelloMappa = "provincia";
    EXPECT_EQ(frm_Mappa::ShowForm(provincesValued("n.d.")), nullptr);
    EXPECT_EQ(frm_Mappa::Instance(), nullptr);
    EXPECT_EQ(pf.prompts.messages().size(), 1);
}

TEST(MappaWindow, QuartileTieWarnsAndDrawsAnyway)
{
    OpenMap m(provincesValued("5,00"));
    m.click("Cmd_cmdAutocolor");
    ASSERT_EQ(m.pf.prompts.shown.size(), 1u);
    EXPECT_EQ(m.pf.prompts.shown[0].text, QuartileTieMessage());
    EXPECT_EQ(m.pf.prompts.shown[0].style, 48);
    EXPECT_EQ(m.grid().Rows(), 5);
}

TEST(MappaWindow, EqualAmplitudeClassesThenMap)
{
    OpenMap m;
    ctl<QRadioButton>(m.w, "Option2")->click();
    EXPECT_EQ(wrongVisible(m.w, "+Frame3"), "");
    m.edit("txtClassi")->setText("0");
    m.click("cmdSelClassiUgualeAmp");
    ASSERT_EQ(m.pf.prompts.messages(), QStringList{"Inserire il numero delle classi."});
    EXPECT_EQ(m.pf.prompts.shown[0].title, "Attenzione!");
    EXPECT_EQ(m.grid().Rows(), 1);

    m.edit("txtClassi")->setText("4");
    m.pf.prompts.clear();
    m.click("cmdSelClassiUgualeAmp");
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    // (107 - 1) / 4 = 26,5.
    EXPECT_EQ(m.gridLabels(), QStringList({"Da 1 a 27,5", "Da 27,51 a 54", "Da 54,01 a 80,5", "Da 80,51 a 107"}));
    EXPECT_EQ(wrongEnabled(m.w, "+Command2 -cmdSelClassiUgualeAmp -Cmd_cmdAutocolor"), "");

    m.click("Command2");
    EXPECT_EQ(wrongEnabled(m.w, "-Command2"), "");
    ASSERT_EQ(m.grid().Rows(), 5);
    EXPECT_EQ(m.grid().TextMatrix(4, 1), "Dato non presente");
    EXPECT_EQ(m.colorOf("1"), EqualAmplitudeFrom);
    EXPECT_EQ(m.colorOf("107"), EqualAmplitudeTo);
}

TEST(MappaWindow, ManualClassesChecksMapIdentifyAndReset)
{
    OpenMap m;
    ctl<QRadioButton>(m.w, "Option3")->click();
    EXPECT_EQ(ctl<QGroupBox>(m.w, "fraCB")->title(), "Click sul colore per modificare");
    const std::pair<const char *, const char *> bad[] = {
        {"50", "Il valore minimo non può essere minore del valore massimo!"},
        {"0,5", "Scrivere un numero compreso tra 1 e 107"},
    };
    for (const auto &[min, message] : bad) {
        m.edit("txt_min")->setText(QString::fromUtf8(min));
        m.edit("txt_Max")->setText("20");
        m.pf.prompts.clear();
        m.click("cmd_Select");
        EXPECT_EQ(m.pf.prompts.messages(), QStringList{QString::fromUtf8(message)});
    }
    EXPECT_EQ(m.grid().Rows(), 1);

    m.pf.prompts.clear();
    m.pf.prompts.colors = {QColor(Qt::green), std::nullopt};
    m.w->lbl_colore_Click();
    m.edit("txt_min")->setText("1");
    m.edit("txt_Max")->setText("50");
    m.click("cmd_Select");
    EXPECT_EQ(maptest::texts(m.w, {"txt_min", "txt_Max"}), QStringList({"50,01", "107"}));
    m.w->lbl_colore_Click(); // cancelled: the colour stays
    m.click("cmd_Select");
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    EXPECT_EQ(m.gridLabels(), QStringList({"Da 1 a 50", "Da 50,01 a 107"}));
    EXPECT_EQ(m.grid().cellBackColor(1, 0), QColor(Qt::green));
    EXPECT_EQ(wrongEnabled(m.w, "+cmd_GoMap -cmd_Select -txt_min"), "");

    // Identify before drawing: the territory only (no value yet).
    ctl<QCheckBox>(m.w, "chk_inform")->click();
    const QPoint inRoma = m.pointIn("58");
    ASSERT_GE(inRoma.x(), 0);
    m.w->DoIdentify(inRoma);
    EXPECT_EQ(m.identified(0).value(0), "Provincia");
    EXPECT_EQ(m.identified(), QStringList({"Roma", "Lazio"}));

    m.click("cmd_GoMap");
    EXPECT_EQ(m.grid().TextMatrix(2, 1), "Dato non presente");
    EXPECT_EQ(m.colorOf("49"), QColor(Qt::green));
    EXPECT_EQ(m.colorOf("50"), QColor(Qt::white)); // no value
    EXPECT_EQ(m.colorOf("51"), QColor(Qt::green));
    EXPECT_EQ(wrongEnabled(m.w, "-cmd_GoMap"), "");

    // Identify on the drawn map: the mapped value first; a click outside every province clears the list.
    m.w->DoIdentify(inRoma);
    EXPECT_EQ(m.identified(0).value(0), "A0001_1996");
    EXPECT_EQ(m.identified(), QStringList({"58", "Roma", "Lazio"}));
    m.w->DoIdentify(QPoint(2, 2));
    EXPECT_EQ(m.list()->topLevelItemCount(), 0);
    // The reset clears it too.
    m.w->DoIdentify(inRoma);
    m.click("cmd_reset");
    EXPECT_EQ(m.list()->topLevelItemCount(), 0);
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
}

// The region map, identified and redrawn: every use of the work table goes through one connection.
TEST(MappaWindow, TheWorkTableUsesOneConnectionAndNeverFlushes)
{
    testsupport::CountingVfs vfs("pxn_utente.mdb");
    OpenMap m(regionInput());
    EXPECT_EQ(m.w->Map2->map().layerCount(), 1);
    for (int i = 0; i < 3; ++i)
        m.click("Cmd_cmdAutocolor");
    EXPECT_EQ(m.grid().TextMatrix(0, 1), " Da 3,5 a 15,5");
    EXPECT_EQ(m.colorOf("1"), QuartileFrom);
    EXPECT_EQ(m.colorOf("20"), QuartileTo);
    ctl<QCheckBox>(m.w, "chk_inform")->click();
    m.w->DoIdentify(m.pointIn("12"));
    EXPECT_EQ(m.identified(), QStringList({"36,5", "Lazio"}));
    EXPECT_EQ(m.identified(0).value(1), "REGIONE");
    m.click("cmd_reset");
    m.click("Cmd_cmdAutocolor");
    EXPECT_EQ(vfs.opens(), 1);
    EXPECT_EQ(vfs.syncs(), 0);
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    m.w->close();
    EXPECT_FALSE(MapTableExists()); // dropped when the window closed
}

TEST(MappaWindow, ZoomModesAndScale)
{
    OpenMap m;
    auto *inform = ctl<QCheckBox>(m.w, "chk_inform");
    inform->click();
    ctl<QCheckBox>(m.w, "chk_zoom")->click(); // the two modes exclude each other
    EXPECT_FALSE(inform->isChecked());
    const auto full = m.w->Map2->extent();
    const QStringList fullScale = maptest::texts(m.w, {"lblScalaKm"});
    m.w->Map2_MouseDown(Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
    EXPECT_NEAR(m.w->Map2->extent().width(), full.width() * 1.5, full.width() * 1e-9);
    EXPECT_NE(maptest::texts(m.w, {"lblScalaKm"}), fullScale);
    m.w->Map2_MouseDown(Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_NEAR(m.w->Map2->extent().width(), full.width(), full.width() * 1e-9);
    EXPECT_EQ(maptest::texts(m.w, {"lblScalaKm"}), fullScale);
    // Identify needs classes: with an empty grid a click in identify mode does nothing.
    inform->click();
    m.click("Avanz");
    m.w->Map2_MouseDown(Qt::LeftButton, Qt::NoModifier, m.pointIn("1"));
    EXPECT_EQ(m.list()->topLevelItemCount(), 0);
}

TEST(MappaWindow, LayerStyleSavedFoundAgainAndAFullDiskTold)
{
    OpenMap m;
    m.click("Avanz");
    EXPECT_EQ(wrongVisible(m.w, "+Frame4"), "");
    auto *combo = ctl<QComboBox>(m.w, "cmb_namelayers");
    combo->setCurrentIndex(1); // region borders: transparent
    EXPECT_EQ(maptest::wrongChecked(m.w, "+chk_Trasparent"), "");
    EXPECT_EQ(wrongEnabled(m.w, "-pic_colorsfondo"), "");
    combo->setCurrentIndex(0);
    EXPECT_EQ(maptest::wrongChecked(m.w, "-chk_Trasparent"), "");

    m.pf.prompts.colors = {QColor(10, 20, 30), std::nullopt, QColor(200, 210, 220)};
    m.w->pic_colorsfondo_Click();
    m.w->pic_colorSep_Click(); // cancelled
    m.w->pic_mapbackcolor_Click();
    EXPECT_EQ(ctl<ColorBox>(m.w, "pic_colorSep")->color(), QColor(128, 128, 128));
    m.click("cmd_salva");
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    EXPECT_EQ(m.colorOf("1"), QColor(10, 20, 30));
    EXPECT_EQ(m.w->Map2->backColor(), QColor(200, 210, 220));

    const QString config = m.pf.files() + "ShapeConfig.xml";
    const auto readConfig = [&] {
        QFile f(config);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray saved = readConfig();
    // The next map finds the saved style; a new hand-off replaces the open map.
    frm_Mappa *w2 = frm_Mappa::ShowForm(provinceInput());
    ASSERT_NE(w2, nullptr);
    EXPECT_EQ(frm_Mappa::Instance(), w2);
    EXPECT_EQ(w2->LayerInfo[0].BackColor, 0x1E140A);
    EXPECT_EQ(w2->Map2->backColor(), QColor(200, 210, 220));
    EXPECT_EQ(ctl<ColorBox>(w2, "pic_colorsfondo")->color(), QColor(10, 20, 30));

    // A full disk: the file stays as it was and the user is told why.
    m.pf.prompts.colors = {QColor(40, 50, 60)};
    w2->pic_colorsfondo_Click();
    {
        testsupport::FileSizeLimit full(512);
        ctl<QPushButton>(w2, "cmd_salva")->click();
    }
    EXPECT_EQ(readConfig(), saved);
    ASSERT_EQ(m.pf.prompts.messages().size(), 1);
    const std::string shown = m.pf.prompts.messages()[0].toStdString();
    EXPECT_EQ(shown.rfind("Errore : ", 0), 0u) << shown;
    EXPECT_NE(shown.find("ShapeConfig.xml"), std::string::npos) << shown;
}

TEST(MappaWindow, KeyFilters)
{
    OpenMap m;
    struct Case { const char *box, *typed; bool accepted; };
    const Case cases[] = {{"txt_min", "-12,5", true}, {"txt_Max", "1.5", false}, {"txtClassi", "9", true},
                          {"txtClassi", "10", false}, {"txtClassi", "a", false}};
    for (const Case &c : cases) {
        auto *box = m.edit(c.box);
        QString text = QString::fromUtf8(c.typed);
        int pos = 0;
        const bool ok = box->validator()->validate(text, pos) != QValidator::Invalid &&
                        text.size() <= box->maxLength();
        EXPECT_EQ(ok, c.accepted) << c.box << " " << c.typed;
    }
}

TEST(MappaWindow, ADamagedThematicShapeFileStopsTheMapWithItsReason)
{
    // How the region shapes are spoilt, and words of the reason the message gives.
    const auto overwrite = [](const QString &file, qint64 at, const QByteArray &bytes) {
        QFile f(file);
        f.open(QIODevice::ReadWrite | (at ? QIODevice::NotOpen : QIODevice::Truncate));
        f.seek(at);
        f.write(bytes);
    };
    struct Case { const char *what; std::function<void(const QString &shp)> spoil; const char *reason; };
    const Case cases[] = {
        {"missing", [](const QString &shp) { QFile::remove(shp); }, "File non trovato"},
        {"truncated", [](const QString &shp) { QFile::resize(shp, 400); }, "danneggiato"},
        {"not a shape file", [&](const QString &shp) { overwrite(shp, 0, QByteArray(2000, 'x')); }, "danneggiato"},
        {"a shape type the map does not draw", // 31, multipatch
         [&](const QString &shp) {
             for (const QString &file : {shp, shp.chopped(4) + ".shx"})
                 overwrite(file, 32, QByteArray("\x1F\0\0\0", 4));
         },
         "Tipo di shape non gestito (31)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::ProgramFolder pf;
        c.spoil(pf.path() + "Shape/regioni_2001.shp");
        MapInput in = regionInput();
        gNomeLivelloMappa = in.levelName;
        frm_Mappa *w = frm_Mappa::ShowForm(in);
        ASSERT_NE(w, nullptr);
        w->show();
        QApplication::processEvents();
        EXPECT_EQ(w->Map2->map().layerCount(), 0);
        EXPECT_EQ(ctl<QComboBox>(w, "cmb_namelayers")->count(), 1); // the record is still listed
        for (int press = 0; press < 2; ++press) {
            pf.prompts.clear();
            ctl<QPushButton>(w, "Cmd_cmdAutocolor")->click();
            const QStringList shown = pf.prompts.messages();
            ASSERT_EQ(shown.size(), 1);
            EXPECT_TRUE(shown[0].startsWith("Impossibile aprire il file Shape del livello tematico: regioni_2001.shp\n"))
                << shown[0].toStdString();
            EXPECT_TRUE(shown[0].contains(QString::fromUtf8(c.reason))) << shown[0].toStdString();
        }
        // Nothing classified, nothing to print: no legend beside an uncoloured map.
        EXPECT_EQ(w->GridIndici().Rows(), 1);
        EXPECT_EQ(wrongVisible(w, "-GridIndiciView -cmd_Stampa"), "");
        EXPECT_FALSE(w->isMapDrawn());
        EXPECT_FALSE(MapTableExists());

        // Manual classes list, but drawing them stops at the same message.
        ctl<QRadioButton>(w, "Option3")->click();
        ctl<QLineEdit>(w, "txt_min")->setText("3,5");
        ctl<QLineEdit>(w, "txt_Max")->setText("60,5");
        ctl<QPushButton>(w, "cmd_Select")->click();
        pf.prompts.clear();
        ctl<QPushButton>(w, "cmd_GoMap")->click();
        ASSERT_EQ(pf.prompts.messages().size(), 1);
        EXPECT_TRUE(pf.prompts.messages()[0].contains(QString::fromUtf8(c.reason)));
        EXPECT_EQ(w->GridIndici().Rows(), 1); // the class, without a "Dato non presente" row
        EXPECT_FALSE(w->isMapDrawn());
        EXPECT_FALSE(MapTableExists());
        w->close();
        QApplication::processEvents();
    }
}

TEST(MappaWindow, AGapBetweenManualClassesIsNoData)
{
    // Provinces valued 5, 10, ... 535: classes 5 to 100 and 200 to 535 leave
    // out the values 105 to 195 (provinces 21 to 39) on purpose.
    MapInput in = provinceInput();
    for (size_t i = 0; i < in.rows.size(); ++i)
        in.rows[i].value = QStringLiteral("%1,00").arg(int(i + 1) * 5);
    OpenMap m(in);
    ctl<QRadioButton>(m.w, "Option3")->click();
    m.pf.prompts.colors = {QColor(Qt::green)};
    m.w->lbl_colore_Click();
    for (const auto &[min, max] : {std::pair{"5", "100"}, std::pair{"200", "535"}}) {
        m.edit("txt_min")->setText(min);
        m.edit("txt_Max")->setText(max);
        m.click("cmd_Select");
    }
    m.click("cmd_GoMap");
    EXPECT_EQ(m.gridLabels(), QStringList({"Da 5 a 100", "Da 200 a 535", "Dato non presente"}));
    EXPECT_EQ(m.grid().cellBackColor(2, 0), QColor(Qt::white));
    const std::pair<const char *, QColor> cases[] = {
        {"20", Qt::green}, {"21", Qt::white}, {"39", Qt::white}, {"40", Qt::green}};
    for (const auto &[code, color] : cases)
        EXPECT_EQ(m.colorOf(code), color) << code;
}

// A long description shows its beginning; a column named like a field of the work table maps all the same.
TEST(MappaWindow, LongDescriptionAndAColumnNamedLikeAWorkTableField)
{
    MapInput in = provinceInput();
    in.header = "N4"; // a legal name for a formula column
    in.description = "Quota di popolazione residente servita da impianti di depurazione delle acque reflue urbane "
                     "con trattamento secondario o avanzato, sul totale della popolazione residente";
    OpenMap m(in);
    auto *txt = m.edit("txtVariabile");
    EXPECT_EQ(txt->text(), "N4: " + in.description);
    // The view starts at the beginning: what the box shows begins with the header.
    txt->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(txt->cursorPosition(), 0);
    EXPECT_LT(txt->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), txt->width() / 4);

    m.click("Cmd_cmdAutocolor");
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    EXPECT_EQ(MapRecordset().recordCount(), 97);
    EXPECT_EQ(m.colorOf("107"), QuartileTo);
    // A new hand-off replaces the map, and the old map's table goes with it.
    ASSERT_NE(frm_Mappa::ShowForm(provinceInput()), nullptr);
    EXPECT_FALSE(MapTableExists());
}
