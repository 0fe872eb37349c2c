// The thematic map: from the "Crea cartogramma" command on a table of the 107
// provinces to the quartile map drawn, a reclassification with its redraw, and
// the classification through the work table against the same done in memory.
#include "frame/Globals.h"
#include "maps/MapHandOff.h"
#include "maps/MapRenderer.h"
#include "maps/MapWorkTable.h"
#include "maps/frm_Mappa.h"
#include "platform/grid/TextGrid.h"
#include "platform/map/MapWidget.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLocale>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <chrono>

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

// One quartile classification of the 107 provinces, to the renderer of the
// thematic layer, in turns: (a) in memory, the rows going straight into the
// renderer; (b) the window's path, through the work table in the user's
// database, written and read back for the renderer in one transaction. The
// counter "ratio" is b / a; the goal is at most 3.
void BM_ClassesThroughWorkTableVsInMemory(benchmark::State &state)
{
    testenv::ProgramFolder pf;
    std::vector<MapRow> input;
    for (int p = 1; p <= 107; ++p)
        input.push_back({QString::number(p), QStringLiteral("%1,%2").arg((p * 37) % 500).arg(p % 100, 2, 10, QChar('0'))});
    const std::vector<ValuedRow> rows = ValuedRows(input);
    platform::map::MapLayer layer;
    if (!layer.setFile(pf.path() + "Shape/province_2006.shp")) {
        state.SkipWithError("no province shapes");
        return;
    }
    const QString field = QStringLiteral("COD_PRO");
    MapWorkTable table;
    using Clock = std::chrono::steady_clock;
    Clock::duration inMemory{}, withTable{};
    for (auto _ : state) {
        auto t0 = Clock::now();
        {
            const QuartileResult q = QuartileClasses(rows);
            const std::vector<QColor> palette = RampColors(Qt::yellow, Qt::blue, QuartileCount);
            platform::map::ValueRenderer r = Utility::CreateValueRenderer(field, Qt::white, 0);
            for (const WorkRow &w : QuartileRows(rows, q))
                if (w.cls)
                    r.addValue(CodeValue(w.code).toString(), Utility::CreateFillSymbol(palette[size_t(*w.cls - 1)], 0));
            layer.setRenderer(r);
        }
        auto t1 = Clock::now();
        {
            const QuartileResult q = QuartileClasses(rows);
            const std::vector<QColor> palette = RampColors(Qt::yellow, Qt::blue, QuartileCount);
            Utility::ApplyRendererFromRecordset(layer, table.SaveMapQuery(QuartileRows(rows, q)), palette, field);
        }
        auto t2 = Clock::now();
        inMemory += t1 - t0;
        withTable += t2 - t1;
    }
    using us = std::chrono::duration<double, std::micro>;
    const double n = double(state.iterations());
    state.counters["in_memory_us"] = us(inMemory).count() / n;
    state.counters["work_table_us"] = us(withTable).count() / n;
    state.counters["ratio"] = us(withTable).count() / us(inMemory).count();
    table.DropMapQuery();
}
BENCHMARK(BM_ClassesThroughWorkTableVsInMemory)->Unit(benchmark::kMicrosecond);

} // namespace
