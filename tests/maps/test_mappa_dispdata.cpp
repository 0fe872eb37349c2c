// "Crea cartogramma" on the real data table window and the sample databases.
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "maps/Register.h"
#include "maps/frm_Mappa.h"
#include "platform/db/Database.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapWidget.h"
#include "selection/FormdatiTabLogic.h"
#include "selection/frm_dispData.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

TEST(MapHandOffOnTheDataTable, ChooserThenProvinceMap)
{
    testenv::ProgramFolder pf;
    auto db = platform::db::Database::open(gDbPath, "Variabili.mdb", platform::db::OpenMode::ReadOnly);
    gDbName = "Variabili.mdb";
    gTipoDb = "Variabili";
    gLivelloTerritorio = 3;
    gSqlDati = selection::CreaQuery({"A0102-2005 - x"}, "Variabili",
                                    selection::CreaFiltroTerritori({"Torino", "Roma", "Sassari", "Piemonte", "Lazio"}),
                                    [&](const QString &id, const QString &anno) {
                                        auto rs = db.query(selection::LookupQuery(id, anno));
                                        return rs.eof() ? QString() : rs.text(0);
                                    });
    frm_dispData *table = frm_dispData::ShowForm();
    QApplication::processEvents();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->datagrid().Rows(), 6);
    table->datagrid().setCol(5);
    table->datagrid().setColSel(5);
    table->cmb_Ordina->setCurrentIndex(5);

    frame::ClearRegisteredForms();
    RegisterMapsForms();
    QTimer::singleShot(0, [] {
        if (QWidget *dlg = QApplication::activeModalWidget())
            dlg->findChild<QPushButton *>("cmdProv")->click();
    });
    EXPECT_TRUE(frame::OpenRegisteredForm("MNU_CREATEMAP"));
    EXPECT_TRUE(pf.prompts.messages().isEmpty()) << pf.prompts.messages().join("|").toStdString();
    EXPECT_EQ(table->tipoTerrNow, 1);
    EXPECT_EQ(table->datagrid2().Rows(), 4); // Torino, Roma, Sassari

    frm_Mappa *map = frm_Mappa::Instance();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->findChild<QLabel *>("lbl_Ricfor")->text(), table->datagrid().TextMatrix(0, 5));
    EXPECT_EQ(map->input().rows.size(), 3u);
    EXPECT_EQ(map->Map2->map().layerCount(), 2);
    map->findChild<QPushButton *>("Cmd_cmdAutocolor")->click();
    EXPECT_EQ(map->GridIndici().Rows(), 5);
    map->close();
    delete table;
    QApplication::processEvents();
    frame::ClearRegisteredForms();
}
