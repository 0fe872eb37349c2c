// The map window driven by its controls, on the sample shapes and databases.
#include "frame/Globals.h"
#include "support/Controls.h"
#include "maps/ColorBox.h"
#include "maps/MapWorkTable.h"
#include "maps/ShapeConfig.h"
#include "maps/frmSelMappa.h"
#include "maps/frm_Mappa.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapWidget.h"
#include "support/CountingVfs.h"
#include "support/FileSizeLimit.h"
#include "maps/map_window_support.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <functional>
#include <map>

using namespace maps;

namespace {

// Provinces 1..107 valued "c,00" except every tenth one, left empty.
MapInput provinceInput()
{
    MapInput in;
    in.header = "A0001_1996";
    in.description = "Superficie territoriale";
    in.level = 2;
    in.levelName = "provincia";
    for (int c = 1; c <= 107; ++c)
        in.rows.push_back({QString::number(c), c % 10 == 0 ? QString() : QStringLiteral("%1,00").arg(c)});
    return in;
}

MapInput regionInput()
{
    MapInput in;
    in.header = "I0101_2005";
    in.description = "Indice";
    in.level = 3;
    in.levelName = "regione";
    for (int c = 1; c <= 20; ++c)
        in.rows.push_back({QString::number(c), QStringLiteral("%1,5").arg(c * 3)});
    return in;
}

using testenv::ctl;
using testenv::must;

// The work table as another connection reads it.
bool MapTableExists() { return MapWorkTable().MapTableExists(); }
platform::db::Recordset MapRecordset() { return MapWorkTable().MapRecordset(); }

// The map window opened, with its class grid read as the user reads it.
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
};

} // namespace

TEST(MappaWindow, OpensWithStatisticsAndLayers)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    // 97 values 1..107 without multiples of 10: mean 53,897 -> (53,9).
    EXPECT_EQ(ctl<QLabel>(m.w, "lbl_Ricfor")->text(), "A0001_1996");
    EXPECT_EQ(m.w->txtVariabile->text(), "A0001_1996: Superficie territoriale");
    EXPECT_EQ(ctl<QLabel>(m.w, "Label9")->text(), "(1)");
    EXPECT_EQ(ctl<QLabel>(m.w, "Label11")->text(), "(107)");
    EXPECT_EQ(ctl<QLabel>(m.w, "Label12")->text(), "(53,9)");
    EXPECT_EQ(ctl<QLabel>(m.w, "lbl_maxcon")->text(), "(107)");
    EXPECT_EQ(ctl<QLineEdit>(m.w, "txt_min")->text(), "1");
    EXPECT_EQ(ctl<QLineEdit>(m.w, "txt_Max")->text(), "107");
    EXPECT_EQ(ctl<QComboBox>(m.w, "cmb_namelayers")->count(), 2);
    EXPECT_EQ(m.w->Map2->map().layerCount(), 2);
    EXPECT_EQ(m.w->IdxLayerTema, 0);
    EXPECT_FALSE(ctl<QPushButton>(m.w, "cmd_GoMap")->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>(m.w, "Command2")->isEnabled());
    EXPECT_FALSE(ctl<QGroupBox>(m.w, "fraCB")->isVisible());
    EXPECT_TRUE(ctl<QGroupBox>(m.w, "Frame5")->isVisible());
    EXPECT_FALSE(ctl<QGroupBox>(m.w, "Frame3")->isVisible());
    EXPECT_TRUE(ctl<QLabel>(m.w, "lblScalaKm")->text().startsWith("1 cm = "));
    EXPECT_FALSE(MapTableExists()); // nothing is created before a classification
}

TEST(MappaWindow, ColumnWithoutNumbersOpensNothing)
{
    testenv::ProgramFolder pf;
    MapInput in = provinceInput();
    for (auto &r : in.rows)
        r.value = r.value.isEmpty() ? QString() : QStringLiteral("n.d.");
    gNomeLivelloMappa = "provincia";
    EXPECT_EQ(frm_Mappa::ShowForm(in), nullptr);
    EXPECT_EQ(frm_Mappa::Instance(), nullptr);
    EXPECT_EQ(pf.prompts.messages().size(), 1);
}

TEST(MappaWindow, QuartileMapGridAndColours)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    for (int pass = 0; pass < 2; ++pass) { // pressing twice gives the same grid
        ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
        ASSERT_EQ(m.grid().Rows(), 5);
        EXPECT_EQ(m.gridLabels(), QStringList({" Da 1,00 a 27,00", " Da 27,00 a 54,00", " Da 54,00 a 81,00",
                                               " Da 81,00 a 107,00", " Dato non presente"}));
    }
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty()); // no tie, no error
    EXPECT_EQ(m.grid().cellBackColor(0, 0), QuartileFrom);
    EXPECT_EQ(m.grid().cellBackColor(3, 0), QuartileTo);
    EXPECT_EQ(m.grid().cellBackColor(4, 0), QColor(Qt::white));
    EXPECT_EQ(m.colorOf("1"), QuartileFrom);
    EXPECT_EQ(m.colorOf("107"), QuartileTo);
    EXPECT_EQ(m.colorOf("10"), QColor(Qt::white)); // no value
    EXPECT_EQ(MapRecordset().recordCount(), 97);
    EXPECT_FALSE(ctl<QLineEdit>(m.w, "txt_min")->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>(m.w, "cmd_Select")->isEnabled());
    EXPECT_TRUE(ctl<QPushButton>(m.w, "cmd_Stampa")->isVisible());

    // Recolouring a class redraws the map; the row of missing data too.
    m.pf.prompts.colors = {QColor(Qt::red), QColor(Qt::gray)};
    m.grid().setRow(0);
    m.grid().setCol(0);
    m.w->GridIndici_Click();
    EXPECT_EQ(m.grid().cellBackColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(m.colorOf("1"), QColor(Qt::red));
    m.grid().setRow(4);
    m.w->GridIndici_Click();
    EXPECT_EQ(m.colorOf("10"), QColor(Qt::gray));
    // Cancel keeps the colour.
    m.grid().setRow(0);
    m.w->GridIndici_Click();
    EXPECT_EQ(m.grid().cellBackColor(0, 0), QColor(Qt::red));

    ctl<QPushButton>(m.w, "cmd_reset")->click();
    EXPECT_EQ(m.grid().Rows(), 1);
    EXPECT_EQ(m.grid().TextMatrix(0, 1), "");
    EXPECT_FALSE(MapTableExists());
    EXPECT_TRUE(ctl<QPushButton>(m.w, "cmdSelClassiUgualeAmp")->isEnabled());
    EXPECT_TRUE(ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->isEnabled());
    EXPECT_EQ(m.colorOf("1"), QColor(192, 192, 192)); // the configured style again
}

TEST(MappaWindow, QuartileTieWarnsAndDrawsAnyway)
{
    MapInput in = provinceInput();
    for (auto &r : in.rows)
        r.value = r.value.isEmpty() ? QString() : QStringLiteral("5,00");
    OpenMap m(in);
    ASSERT_NE(m.w, nullptr);
    ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
    ASSERT_EQ(m.pf.prompts.shown.size(), 1u);
    EXPECT_EQ(m.pf.prompts.shown[0].text, QuartileTieMessage());
    EXPECT_EQ(m.pf.prompts.shown[0].style, 48);
    EXPECT_EQ(m.grid().Rows(), 5);
}

TEST(MappaWindow, EqualAmplitudeClassesThenMap)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    ctl<QRadioButton>(m.w, "Option2")->click();
    EXPECT_TRUE(ctl<QGroupBox>(m.w, "Frame3")->isVisible());

    auto *classi = ctl<QLineEdit>(m.w, "txtClassi");
    auto *go = ctl<QPushButton>(m.w, "cmdSelClassiUgualeAmp");
    for (const char *bad : {"", "0"}) {
        classi->setText(bad);
        m.pf.prompts.clear();
        go->click();
        ASSERT_EQ(m.pf.prompts.messages(), QStringList{"Inserire il numero delle classi."});
        EXPECT_EQ(m.pf.prompts.shown[0].title, "Attenzione!");
    }
    EXPECT_EQ(m.grid().Rows(), 1);

    classi->setText("4");
    m.pf.prompts.clear();
    go->click();
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    // (107 - 1) / 4 = 26,5.
    EXPECT_EQ(m.gridLabels(), QStringList({"Da 1 a 27,5", "Da 27,51 a 54", "Da 54,01 a 80,5", "Da 80,51 a 107"}));
    EXPECT_TRUE(ctl<QPushButton>(m.w, "Command2")->isEnabled());
    EXPECT_FALSE(go->isEnabled());
    EXPECT_FALSE(ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->isEnabled());

    ctl<QPushButton>(m.w, "Command2")->click();
    EXPECT_FALSE(ctl<QPushButton>(m.w, "Command2")->isEnabled());
    ASSERT_EQ(m.grid().Rows(), 5);
    EXPECT_EQ(m.grid().TextMatrix(4, 1), "Dato non presente");
    EXPECT_EQ(m.colorOf("1"), EqualAmplitudeFrom);
    EXPECT_EQ(m.colorOf("107"), EqualAmplitudeTo);
    // Every valued territory has a class.
    const auto rs = MapRecordset();
    ASSERT_EQ(rs.recordCount(), 97);
    for (int r = 0; r < rs.recordCount(); ++r)
        EXPECT_FALSE(rs.at(r, 2).isNull()) << rs.at(r, 0).toString().toStdString();
}

TEST(MappaWindow, ManualClassesChecksAndMap)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    ctl<QRadioButton>(m.w, "Option3")->click();
    EXPECT_EQ(ctl<QGroupBox>(m.w, "fraCB")->title(), "Click sul colore per modificare");
    auto *mn = ctl<QLineEdit>(m.w, "txt_min");
    auto *mx = ctl<QLineEdit>(m.w, "txt_Max");
    auto *add = ctl<QPushButton>(m.w, "cmd_Select");

    struct Bad {
        const char *min, *max, *message;
    };
    const Bad bad[] = {
        {"50", "20", "Il valore minimo non può essere minore del valore massimo!"},
        {"0,5", "20", "Scrivere un numero compreso tra 1 e 107"},
    };
    for (const Bad &b : bad) {
        mn->setText(QString::fromUtf8(b.min));
        mx->setText(QString::fromUtf8(b.max));
        m.pf.prompts.clear();
        add->click();
        EXPECT_EQ(m.pf.prompts.messages(), QStringList{QString::fromUtf8(b.message)});
    }
    EXPECT_EQ(m.grid().Rows(), 1);

    m.pf.prompts.clear();
    m.pf.prompts.colors = {QColor(Qt::green), std::nullopt};
    m.w->lbl_colore_Click();
    mn->setText("1");
    mx->setText("50");
    add->click();
    EXPECT_EQ(mn->text(), "50,01");
    EXPECT_EQ(mx->text(), "107");
    m.w->lbl_colore_Click(); // cancelled: the colour stays
    mx->setText("107");
    add->click();
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    EXPECT_EQ(m.gridLabels(), QStringList({"Da 1 a 50", "Da 50,01 a 107"}));
    EXPECT_EQ(m.grid().cellBackColor(1, 0), QColor(Qt::green));
    EXPECT_TRUE(ctl<QPushButton>(m.w, "cmd_GoMap")->isEnabled());
    EXPECT_FALSE(add->isEnabled());
    EXPECT_FALSE(mn->isEnabled());

    // Identify before drawing: the territory only (no value yet).
    m.w->findChild<QCheckBox *>("chk_inform")->click();
    const QPoint inRoma = m.pointIn("58");
    ASSERT_GE(inRoma.x(), 0);
    m.w->DoIdentify(inRoma);
    auto *list = ctl<QTreeWidget>(m.w, "ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Provincia");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "Roma");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Lazio");

    ctl<QPushButton>(m.w, "cmd_GoMap")->click();
    EXPECT_EQ(m.grid().TextMatrix(2, 1), "Dato non presente");
    EXPECT_EQ(m.colorOf("49"), QColor(Qt::green));
    EXPECT_EQ(m.colorOf("50"), QColor(Qt::white)); // no value
    EXPECT_EQ(m.colorOf("51"), QColor(Qt::green));
    EXPECT_FALSE(ctl<QPushButton>(m.w, "cmd_GoMap")->isEnabled());

    // Identify on the drawn map: the mapped value first.
    m.w->DoIdentify(inRoma);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "A0001_1996");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "58");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Roma");
    // A click outside every province clears the list.
    m.w->DoIdentify(QPoint(2, 2));
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
}

TEST(MappaWindow, RegionMapAndIdentify)
{
    OpenMap m(regionInput());
    ASSERT_NE(m.w, nullptr);
    EXPECT_EQ(m.w->Map2->map().layerCount(), 1);
    ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
    EXPECT_EQ(m.grid().TextMatrix(0, 1), " Da 3,5 a 15,5");
    EXPECT_EQ(m.colorOf("1"), QuartileFrom);
    EXPECT_EQ(m.colorOf("20"), QuartileTo);
    m.w->findChild<QCheckBox *>("chk_inform")->click();
    m.w->DoIdentify(m.pointIn("12"));
    auto *list = ctl<QTreeWidget>(m.w, "ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "36,5");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "REGIONE");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Lazio");
}

TEST(MappaWindow, TheWorkTableUsesOneConnectionAndNeverFlushes)
{
    testsupport::CountingVfs vfs("pxn_utente.mdb");
    {
        OpenMap m(regionInput());
        ASSERT_NE(m.w, nullptr);
        for (int i = 0; i < 3; ++i)
            ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
        m.w->findChild<QCheckBox *>("chk_inform")->click();
        m.w->DoIdentify(m.pointIn("12"));
        EXPECT_EQ(must(ctl<QTreeWidget>(m.w, "ListView1")->topLevelItem(0), "identify row")->text(1), "36,5");
        ctl<QPushButton>(m.w, "cmd_reset")->click();
        ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
        EXPECT_EQ(vfs.opens(), 1);
        EXPECT_EQ(vfs.syncs(), 0);
        EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
        m.w->close();
        EXPECT_FALSE(MapTableExists()); // dropped when the window closed
    }
}

TEST(MappaWindow, ZoomModesAndScale)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    auto *zoom = ctl<QCheckBox>(m.w, "chk_zoom");
    auto *inform = ctl<QCheckBox>(m.w, "chk_inform");
    for (QCheckBox *box : {zoom, inform, zoom, zoom, inform}) {
        box->click();
        EXPECT_NE(zoom->isChecked(), inform->isChecked());
    }
    if (!zoom->isChecked())
        zoom->click();
    const auto full = m.w->Map2->extent();
    const QString fullScale = ctl<QLabel>(m.w, "lblScalaKm")->text();
    m.w->Map2_MouseDown(Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
    EXPECT_NEAR(m.w->Map2->extent().width(), full.width() * 1.5, full.width() * 1e-9);
    EXPECT_NE(ctl<QLabel>(m.w, "lblScalaKm")->text(), fullScale);
    m.w->Map2_MouseDown(Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_NEAR(m.w->Map2->extent().width(), full.width(), full.width() * 1e-9);
    EXPECT_EQ(ctl<QLabel>(m.w, "lblScalaKm")->text(), fullScale);
    // Identify needs classes: with an empty grid a click in identify mode does nothing.
    inform->click();
    ctl<QCheckBox>(m.w, "Avanz")->click();
    m.w->Map2_MouseDown(Qt::LeftButton, Qt::NoModifier, m.pointIn("1"));
    EXPECT_EQ(ctl<QTreeWidget>(m.w, "ListView1")->topLevelItemCount(), 0);
}

TEST(MappaWindow, LayerStyleSavedAndFoundAgain)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    ctl<QCheckBox>(m.w, "Avanz")->click();
    EXPECT_TRUE(ctl<QGroupBox>(m.w, "Frame4")->isVisible());
    auto *combo = ctl<QComboBox>(m.w, "cmb_namelayers");
    combo->setCurrentIndex(1); // region borders: transparent
    EXPECT_TRUE(ctl<QCheckBox>(m.w, "chk_Trasparent")->isChecked());
    EXPECT_FALSE(ctl<ColorBox>(m.w, "pic_colorsfondo")->isEnabled());
    combo->setCurrentIndex(0);
    EXPECT_FALSE(ctl<QCheckBox>(m.w, "chk_Trasparent")->isChecked());

    m.pf.prompts.colors = {QColor(10, 20, 30), std::nullopt, QColor(200, 210, 220)};
    m.w->pic_colorsfondo_Click();
    m.w->pic_colorSep_Click(); // cancelled
    m.w->pic_mapbackcolor_Click();
    EXPECT_EQ(ctl<ColorBox>(m.w, "pic_colorSep")->color(), QColor(128, 128, 128));
    ctl<QPushButton>(m.w, "cmd_salva")->click();
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    EXPECT_EQ(m.colorOf("1"), QColor(10, 20, 30));
    EXPECT_EQ(m.w->Map2->backColor(), QColor(200, 210, 220));

    // The next map finds the saved style.
    MapInput again = provinceInput();
    frm_Mappa *w2 = frm_Mappa::ShowForm(again);
    ASSERT_NE(w2, nullptr);
    EXPECT_EQ(w2->LayerInfo[0].BackColor, 0x1E140A);
    EXPECT_EQ(w2->Map2->backColor(), QColor(200, 210, 220));
    EXPECT_EQ(ctl<ColorBox>(w2, "pic_colorsfondo")->color(), QColor(10, 20, 30));
}

TEST(MappaWindow, NewHandOffReplacesTheOpenMap)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
    EXPECT_TRUE(MapTableExists());
    MapInput other = provinceInput();
    other.header = "A0002_2000";
    frm_Mappa *w2 = frm_Mappa::ShowForm(other);
    QApplication::processEvents();
    ASSERT_NE(w2, nullptr);
    EXPECT_EQ(frm_Mappa::Instance(), w2);
    EXPECT_EQ(ctl<QLabel>(w2, "lbl_Ricfor")->text(), "A0002_2000");
    EXPECT_FALSE(MapTableExists()); // the old map's table went with it
    w2->close();
    QApplication::processEvents();
    EXPECT_EQ(frm_Mappa::Instance(), nullptr);
}

TEST(MappaWindow, KeyFilters)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    struct Case {
        const char *box, *typed;
        bool accepted;
    };
    const Case cases[] = {{"txt_min", "-12,5", true}, {"txt_min", "1.5", false}, {"txt_min", "abc", false},
                          {"txt_Max", "107", true},   {"txtClassi", "7", true},  {"txtClassi", "12", false},
                          {"txtClassi", "a", false}};
    for (const Case &c : cases) {
        auto *box = ctl<QLineEdit>(m.w, c.box);
        QString text = QString::fromUtf8(c.typed);
        int pos = 0;
        const bool ok = box->validator()->validate(text, pos) != QValidator::Invalid &&
                        text.size() <= box->maxLength();
        EXPECT_EQ(ok, c.accepted) << c.box << " " << c.typed;
    }
}

TEST(LevelChooser, ButtonsSetTheLevel)
{
    testenv::ProgramFolder pf;
    struct Case {
        const char *button;
        int livello;
        const char *nome;
        int tipo;
    };
    const Case cases[] = {{"cmdReg", 3, "regione", 2}, {"cmdProv", 2, "provincia", 1}, {"cmdAnnulla", 0, "provincia", 0}};
    gNomeLivelloMappa = "regione";
    for (const Case &c : cases) {
        int tipo = 3;
        frmSelMappa dlg(tipo);
        EXPECT_EQ(dlg.windowTitle(), "Selezione territorio");
        dlg.findChild<QPushButton *>(c.button)->click();
        EXPECT_EQ(gLivelloMappa, c.livello) << c.button;
        EXPECT_EQ(gNomeLivelloMappa, c.nome);
        EXPECT_EQ(tipo, c.tipo);
    }
    // The close box is "Annulla".
    gLivelloMappa = 2;
    int tipo = 3;
    frmSelMappa dlg(tipo);
    dlg.reject();
    EXPECT_EQ(gLivelloMappa, 0);
    EXPECT_EQ(tipo, 0);
}

TEST(MappaWindow, ADamagedThematicShapeFileStopsTheMapWithItsReason)
{
    // How the region shapes are spoilt, and words of the reason the message gives.
    struct Case {
        const char *what;
        std::function<void(const QString &shp)> spoil;
        const char *reason;
    };
    const Case cases[] = {
        {"missing", [](const QString &shp) { QFile::remove(shp); }, "File non trovato"},
        {"truncated", [](const QString &shp) { QFile::resize(shp, 400); }, "danneggiato"},
        {"not a shape file",
         [](const QString &shp) {
             QFile f(shp);
             f.open(QIODevice::WriteOnly | QIODevice::Truncate);
             f.write(QByteArray(2000, 'x'));
         },
         "danneggiato"},
        {"a shape type the map does not draw",
         [](const QString &shp) {
             for (const QString &file : {shp, shp.chopped(4) + ".shx"}) {
                 QFile f(file);
                 f.open(QIODevice::ReadWrite);
                 f.seek(32);
                 f.write(QByteArray("\x1F\0\0\0", 4)); // 31, multipatch
             }
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
        for (const char *button : {"Cmd_cmdAutocolor", "Cmd_cmdAutocolor"}) {
            pf.prompts.clear();
            ctl<QPushButton>(w, button)->click();
            const QStringList shown = pf.prompts.messages();
            ASSERT_EQ(shown.size(), 1);
            EXPECT_TRUE(shown[0].startsWith("Impossibile aprire il file Shape del livello tematico: regioni_2001.shp\n"))
                << shown[0].toStdString();
            EXPECT_TRUE(shown[0].contains(QString::fromUtf8(c.reason))) << shown[0].toStdString();
        }
        // Nothing classified, nothing to print: no legend beside an uncoloured map.
        EXPECT_EQ(w->GridIndici().Rows(), 1);
        EXPECT_FALSE(ctl<QWidget>(w, "GridIndiciView")->isVisible());
        EXPECT_FALSE(ctl<QPushButton>(w, "cmd_Stampa")->isVisible());
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
    ASSERT_NE(m.w, nullptr);
    ctl<QRadioButton>(m.w, "Option3")->click();
    auto *mn = ctl<QLineEdit>(m.w, "txt_min");
    auto *mx = ctl<QLineEdit>(m.w, "txt_Max");
    m.pf.prompts.colors = {QColor(Qt::green)};
    m.w->lbl_colore_Click();
    mn->setText("5");
    mx->setText("100");
    ctl<QPushButton>(m.w, "cmd_Select")->click();
    EXPECT_EQ(mn->text(), "100,01");
    mn->setText("200");
    mx->setText("535");
    ctl<QPushButton>(m.w, "cmd_Select")->click();
    ctl<QPushButton>(m.w, "cmd_GoMap")->click();
    EXPECT_EQ(m.gridLabels(), QStringList({"Da 5 a 100", "Da 200 a 535", "Dato non presente"}));
    EXPECT_EQ(m.grid().cellBackColor(2, 0), QColor(Qt::white));
    struct Case {
        const char *code;
        QColor color;
    };
    const Case cases[] = {{"20", Qt::green}, {"21", Qt::white}, {"30", Qt::white},
                          {"39", Qt::white}, {"40", Qt::green}, {"107", Qt::green}};
    for (const Case &c : cases)
        EXPECT_EQ(m.colorOf(c.code), c.color) << c.code;
    // The work table agrees: no class for the gap.
    std::map<QString, QString> classOf;
    for (auto rs = MapRecordset(); !rs.eof(); rs.moveNext())
        classOf[rs.text("N_ARVEN")] = rs.field("N4").isNull() ? QStringLiteral("Null") : rs.text("N4");
    EXPECT_EQ(classOf["20"], "1");
    EXPECT_EQ(classOf["30"], "Null");
    EXPECT_EQ(classOf["40"], "2");
}

TEST(MappaWindow, LongDescriptionShowsItsBeginningAndResetClearsIdentify)
{
    MapInput in = provinceInput();
    in.description = "Quota di popolazione residente servita da impianti di depurazione delle acque reflue urbane "
                     "con trattamento secondario o avanzato, sul totale della popolazione residente";
    OpenMap m(in);
    ASSERT_NE(m.w, nullptr);
    auto *txt = ctl<QLineEdit>(m.w, "txtVariabile");
    EXPECT_EQ(txt->text(), "A0001_1996: " + in.description);
    EXPECT_EQ(txt->cursorPosition(), 0);
    // The view starts at the beginning: what the box shows begins with the header.
    txt->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(txt->cursorPosition(), 0);
    EXPECT_EQ(txt->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() < txt->width() / 4, true);

    ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
    ctl<QCheckBox>(m.w, "Avanz")->click();
    m.w->findChild<QCheckBox *>("chk_inform")->click();
    m.w->DoIdentify(m.pointIn("58"));
    auto *list = ctl<QTreeWidget>(m.w, "ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    ctl<QPushButton>(m.w, "cmd_reset")->click();
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST(MappaWindow, SaveLayerKeepsTheFileAndReportsAFullDisk)
{
    OpenMap m(provinceInput());
    ASSERT_NE(m.w, nullptr);
    const QString config = m.pf.files() + "ShapeConfig.xml";
    QByteArray crlf;
    {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        crlf = f.readAll().replace("\n", "\r\n");
    }
    auto writeConfig = [&](const QByteArray &bytes) {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    auto readConfig = [&] {
        QFile f(config);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    writeConfig(crlf);
    ctl<QCheckBox>(m.w, "Avanz")->click();
    m.pf.prompts.colors = {QColor(10, 20, 30)};
    m.w->pic_colorsfondo_Click();
    ctl<QPushButton>(m.w, "cmd_salva")->click();
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    const QByteArray saved = readConfig();
    EXPECT_EQ(saved.count("\n"), crlf.count("\n"));
    EXPECT_EQ(saved.count("\r\n"), crlf.count("\n")); // no line end lost its CR
    QByteArray expected = crlf;
    expected.replace("OutlineColor=\"8421504\" BackColor=\"12632256\"", "OutlineColor=\"8421504\" BackColor=\"1971210\"");
    EXPECT_EQ(saved, expected);

    // A full disk: the file stays as it was and the user is told why.
    m.pf.prompts.colors = {QColor(40, 50, 60)};
    m.w->pic_colorsfondo_Click();
    {
        testsupport::FileSizeLimit full(512);
        ctl<QPushButton>(m.w, "cmd_salva")->click();
    }
    EXPECT_EQ(readConfig(), expected);
    ASSERT_EQ(m.pf.prompts.messages().size(), 1);
    EXPECT_TRUE(m.pf.prompts.messages()[0].startsWith("Errore : ")) << m.pf.prompts.messages()[0].toStdString();
    EXPECT_TRUE(m.pf.prompts.messages()[0].contains("ShapeConfig.xml")) << m.pf.prompts.messages()[0].toStdString();
}

TEST(MappaWindow, AColumnNamedLikeAWorkTableField)
{
    MapInput in = provinceInput();
    in.header = "N4"; // a legal name for a formula column
    OpenMap m(in);
    ASSERT_NE(m.w, nullptr);
    ctl<QPushButton>(m.w, "Cmd_cmdAutocolor")->click();
    EXPECT_TRUE(m.pf.prompts.messages().isEmpty());
    EXPECT_EQ(MapRecordset().recordCount(), 97);
    EXPECT_EQ(m.colorOf("107"), QuartileTo);
}
