// The thematic map: from the "Crea cartogramma" command on a table of the 107
// provinces to the quartile map drawn, and a reclassification with its redraw.
#include "frame/Globals.h"
#include "maps/MapHandOff.h"
#include "maps/frm_Mappa.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapWidget.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLocale>
#include <QPushButton>
#include <benchmark/benchmark.h>

using namespace maps;

namespace {

struct Table {
    platform::grid::TextGrid datagrid, datagrid2;
    int tipoTerrNow = 0;
    DataTableLink link{datagrid, datagrid2, tipoTerrNow, [] { return QStringLiteral("Descrizione"); },
                       [] { return QStringLiteral("A0001_1996"); }, [] {}, [] {}, [] {}};
    Table()
    {
        std::vector<QStringList> rows = {{"TipoTerritorio", "COD_TERR", "PROV", "REG", "Territorio", "A0001_1996"}};
        for (int p = 1; p <= 107; ++p)
            rows.push_back({"1", QString::number(p), QString::number(p), "1", QStringLiteral("Prov %1").arg(p),
                            QStringLiteral("%1,%2").arg((p * 37) % 500).arg(p % 100, 2, 10, QChar('0'))});
        datagrid.SetContents(rows, 6);
        datagrid.setCol(5);
        datagrid.setColSel(5);
    }
};

void closeMap()
{
    if (frm_Mappa *w = frm_Mappa::Instance())
        w->close();
    QApplication::processEvents();
}

void BM_CreaCartogrammaToQuartileMap(benchmark::State &state)
{
    testenv::ProgramFolder pf;
    gLivelloTerritorio = 1;
    gNomeLivelloMappa = QStringLiteral("provincia");
    Table t;
    for (auto _ : state) {
        mnu_createMap_Click(t.link);
        frm_Mappa *w = frm_Mappa::Instance();
        if (!w) {
            state.SkipWithError(qPrintable("no map: " + pf.prompts.messages().join(" | ")));
            break;
        }
        w->Cmd_cmdAutocolor_Click();
        benchmark::DoNotOptimize(w->Map2->grabMap());
        state.PauseTiming();
        closeMap();
        t.datagrid.setCol(5); // the hand-off leaves the table on its code column
        t.datagrid.setColSel(5);
        state.ResumeTiming();
    }
    if (!pf.prompts.messages().isEmpty())
        state.SkipWithError("unexpected message");
}
BENCHMARK(BM_CreaCartogrammaToQuartileMap)->Unit(benchmark::kMillisecond);

void BM_ReclassifyAndRedraw(benchmark::State &state)
{
    testenv::ProgramFolder pf;
    gLivelloTerritorio = 1;
    gNomeLivelloMappa = QStringLiteral("provincia");
    Table t;
    mnu_createMap_Click(t.link);
    frm_Mappa *w = frm_Mappa::Instance();
    w->Cmd_cmdAutocolor_Click();
    for (auto _ : state) {
        w->Cmd_cmdAutocolor_Click();
        benchmark::DoNotOptimize(w->Map2->grabMap());
    }
    state.counters["map_px"] = w->Map2->width() * w->Map2->height();
    closeMap();
}
BENCHMARK(BM_ReclassifyAndRedraw)->Unit(benchmark::kMillisecond);

} // namespace
