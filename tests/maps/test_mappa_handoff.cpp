// The hand-off of a data table column to the map, on grids laid out as the
// data table lays them out.
#include "frame/Globals.h"
#include "maps/MapHandOff.h"
#include "maps/frm_Mappa.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapWidget.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace maps;
using platform::grid::TextGrid;

namespace {

// A data table: 5 territory columns and two value columns; provinces 1..12
// (Piemonte 1..8 and a few more), then regions 1..3.
struct DataTable {
    testenv::ProgramFolder pf;
    TextGrid datagrid, datagrid2;
    int tipoTerrNow = 0;
    QString desc = "Descrizione";
    QString ordina = "A0001_1996";
    int enterCells = 0, sortsAsc = 0, sortsNamed = 0;
    DataTableLink link{datagrid,
                       datagrid2,
                       tipoTerrNow,
                       [this] { return desc; },
                       [this] { return ordina; },
                       [this] { ++enterCells; desc = "Descrizione"; },
                       [this] { ++sortsAsc; },
                       [this] { ++sortsNamed; }};

    DataTable()
    {
        std::vector<QStringList> rows = {
            {"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001_1996", "N_ARVEN"}};
        for (int p = 1; p <= 12; ++p)
            rows.push_back({"1", QString::number(p), QString::number(p), "1", QStringLiteral("Prov %1").arg(p),
                            p == 5 ? QString() : QStringLiteral("%1,00").arg(100 - p), "1"});
        for (int r = 1; r <= 3; ++r)
            rows.push_back({"2", QString::number(200 + r), "", QString::number(r), QStringLiteral("Reg %1").arg(r),
                            QStringLiteral("%1,50").arg(r * 10), "1"});
        datagrid.SetContents(rows, 7);
        datagrid.setCol(5);
        datagrid.setColSel(5);
        gShapePath = pf.path() + "Shape/";
        gNomeLivelloMappa = "provincia";
        gLivelloTerritorio = 1;
    }
    ~DataTable()
    {
        if (frm_Mappa *w = frm_Mappa::Instance())
            w->close();
        QApplication::processEvents();
    }
};

} // namespace

TEST(MapHandOff, ChecksInOrderWithTheirMessages)
{
    struct Case { const char *what; std::function<void(DataTable &)> setUp; const char *message; int style; };
    const Case cases[] = {
        {"territory column", [](DataTable &t) { t.datagrid.setColSel(4); }, "Selezionare una variabile.", 48},
        {"no shape folder", [](DataTable &) { gShapePath.clear(); },
         "Il Path dei file Shape non è stao impostato!\r\nSe si vuole vedere le mappe chiudere il programma e "
         "riaprirlo, quindi selezionare una folder contenente i file delle cartine.",
         16},
        {"no sort column", [](DataTable &t) { t.ordina.clear(); }, "Selezionare una variabile!", 64},
        {"code column", [](DataTable &t) { t.datagrid.setCol(6); t.datagrid.setColSel(6); },
         "Selezionare una variabile numerica!", 64},
        {"no row of the level", [](DataTable &) { gLivelloTerritorio = 5; },
         "Nessun territorio selezionato è stato trovato.", 48},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        DataTable t;
        c.setUp(t);
        mnu_createMap_Click(t.link);
        ASSERT_EQ(t.pf.prompts.shown.size(), 1u);
        const auto &shown = t.pf.prompts.shown[0];
        EXPECT_EQ(std::make_tuple(shown.text, shown.style, shown.title),
                  std::make_tuple(QString::fromUtf8(c.message), c.style, QString()));
        EXPECT_EQ(frm_Mappa::Instance(), nullptr);
    }
}

TEST(MapHandOff, ProvincesOnlyOpensTheMapOnTheirRowsAndASecondHandOffReloadsIt)
{
    DataTable t;
    t.desc.clear();
    mnu_createMap_Click(t.link);
    EXPECT_TRUE(t.pf.prompts.messages().isEmpty());
    EXPECT_EQ(t.enterCells, 1);
    EXPECT_EQ(gLivelloMappa, 2);
    EXPECT_EQ(t.tipoTerrNow, 1);
    // The hidden grid: row 0 empty, then the 12 provinces in ascending order of the column.
    ASSERT_EQ(t.datagrid2.Rows(), 13);
    EXPECT_EQ(QStringList({t.datagrid2.TextMatrix(0, 5), t.datagrid2.TextMatrix(1, 5), t.datagrid2.TextMatrix(2, 5),
                           t.datagrid2.TextMatrix(12, 5)}),
              QStringList({"", "", "88,00", "99,00"})); // the empty value sorts first
    EXPECT_EQ(t.datagrid2.ColSel(), 5);
    EXPECT_EQ(t.sortsAsc, 1);
    EXPECT_EQ(t.sortsNamed, 1);
    EXPECT_EQ(t.datagrid.ColSel(), 1);

    frm_Mappa *w = frm_Mappa::Instance();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->input().header, "A0001_1996");
    EXPECT_EQ(w->input().rows.size(), 12u);
    EXPECT_DOUBLE_EQ(w->ValMin, 88);
    EXPECT_DOUBLE_EQ(w->ValMax, 99);

    // The table changes under the open map: the map keeps its own data until the next hand-off.
    t.datagrid.setTextMatrix(1, 5, "1,00");
    EXPECT_DOUBLE_EQ(w->ValMin, 88);
    t.datagrid.setCol(5);
    t.datagrid.setColSel(5);
    mnu_createMap_Click(t.link);
    QApplication::processEvents();
    ASSERT_NE(frm_Mappa::Instance(), nullptr);
    EXPECT_DOUBLE_EQ(frm_Mappa::Instance()->ValMin, 1);
}

// With provinces and regions in the table the level chooser asks; its close box is "Annulla".
TEST(MapHandOff, BothLevelsAskTheChooser)
{
    // button: empty for the close box
    struct Case { const char *button; int livello; const char *nome; int tipo; bool opens; };
    const Case cases[] = {{"cmdReg", 3, "regione", 2, true},
                          {"cmdProv", 2, "provincia", 1, true},
                          {"", 0, "provincia", 0, false},
                          {"cmdAnnulla", 0, "provincia", 0, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.button);
        DataTable t;
        gLivelloTerritorio = 3;
        gLivelloMappa = 1; // whatever the chooser's answer, it sets the level
        const QString button = QString::fromLatin1(c.button);
        QString title;
        QTimer::singleShot(0, [button, &title] {
            auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            title = dlg->windowTitle();
            if (button.isEmpty())
                dlg->reject();
            else
                dlg->findChild<QPushButton *>(button)->click();
        });
        mnu_createMap_Click(t.link);
        EXPECT_EQ(title, "Selezione territorio");
        EXPECT_EQ(gLivelloMappa, c.livello);
        EXPECT_EQ(gNomeLivelloMappa, c.nome);
        EXPECT_EQ(t.tipoTerrNow, c.tipo);
        EXPECT_EQ(frm_Mappa::Instance() != nullptr, c.opens);
        EXPECT_TRUE(t.pf.prompts.messages().isEmpty());
    }
}
