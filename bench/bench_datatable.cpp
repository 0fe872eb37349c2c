// The data table on the largest request: 251 items of the indicators database
// (chosen from the fullest data tables, so that the request stays within the
// tables one query can join) for every territory, and on a synthetic database
// of 8,000 territories with the same 251 items. Measured: from the data query
// to the table shown, against the query alone; the sort of a value column; a
// range search.
#include "frame/Globals.h"
#include "platform/db/Database.h"
#include "platform/grid/TextGrid.h"
#include "platform/grid/TextWidths.h"
#include "selection/FormdatiTabLogic.h"
#include "selection/dispData_Logic.h"
#include "selection/frm_dispData.h"
#include "support/Synthetic.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>

using platform::db::Database;

namespace {

// The data query of 251 indicator items taken from the data tables that hold
// the most items, and every territory.
QString largestRequest()
{
    Database db = Database::open(gDbPath, "Indicatori.mdb", platform::db::OpenMode::ReadOnly);
    auto rs = db.query("SELECT Tabella, Variabile, Anno FROM IndVarAnno WHERE TipoVar = 'I'");
    std::map<QString, QStringList> byTable;
    for (; !rs.eof(); rs.moveNext())
        byTable[rs.text(0)] << rs.text(1) + "-" + rs.text(2) + " - x";
    std::vector<QStringList> tables;
    for (auto &[t, items] : byTable)
        tables.push_back(items);
    std::stable_sort(tables.begin(), tables.end(), [](const QStringList &a, const QStringList &b) { return a.size() > b.size(); });
    QStringList lines;
    for (const QStringList &items : tables)
        for (const QString &l : items)
            if (lines.size() < selection::MaxSelezionati)
                lines << l;
    QStringList names;
    Database terr = Database::open(gDbPath, "Territorio.mdb", platform::db::OpenMode::ReadOnly);
    for (auto t = terr.query("SELECT DES_TERR FROM land_Ind"); !t.eof(); t.moveNext())
        names << t.text(0);
    return selection::CreaQuery(lines, "Indicatori", selection::CreaFiltroTerritori(names),
                                [&](const QString &id, const QString &anno) {
                                    auto l = db.query(selection::LookupQuery(id, anno));
                                    return l.eof() ? QString() : l.text(0);
                                });
}

void setRequest()
{
    gDbName = "Indicatori.mdb";
    gTipoDb = "Indicatori";
    gLivelloTerritorio = 3;
}

// In turns: the data query alone, read whole, and the table window opened on
// it and shown. The counter "ratio" is table / query; "table_ms" is the time
// to the table shown, "first_ms" that of the first opening, when no width of
// its texts is known yet. Goals: the sample within 40 ms, the synthetic table
// within 4 times its query.
void BM_TableShownVsQuery(benchmark::State &state)
{
    testenv::ProgramFolder pf;
    setRequest();
    const bool synthetic = state.range(0) > 0;
    const QString sql = synthetic ? bench::SyntheticRequest(int(state.range(0))).sql : largestRequest();
    if (synthetic)
        gDbName = QStringLiteral("Sintetico.mdb");
    platform::grid::TextWidths::forget(); // the first opening measures every text
    using Clock = std::chrono::steady_clock;
    Clock::duration query{}, table{}, first{};
    int rows = 0, cols = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            Database db = Database::open(gDbPath, gDbName, platform::db::OpenMode::ReadOnly);
            const auto rs = db.query(dispData::QueryText(sql));
            benchmark::DoNotOptimize(rs.recordCount());
        }
        const auto t1 = Clock::now();
        gSqlDati = sql;
        frm_dispData *w = frm_dispData::ShowForm();
        QApplication::processEvents();
        const auto t2 = Clock::now();
        rows = w->datagrid().Rows();
        cols = w->datagrid().Cols();
        state.PauseTiming();
        delete w;
        QApplication::processEvents();
        state.ResumeTiming();
        query += t1 - t0;
        table += t2 - t1;
        if (first == Clock::duration{})
            first = t2 - t1;
    }
    using ms = std::chrono::duration<double, std::milli>;
    const double n = double(state.iterations());
    state.counters["query_ms"] = ms(query).count() / n;
    state.counters["table_ms"] = ms(table).count() / n;
    state.counters["first_ms"] = ms(first).count();
    state.counters["ratio"] = ms(table).count() / ms(query).count();
    state.counters["rows"] = rows;
    state.counters["cols"] = cols;
    state.counters["messages"] = double(pf.prompts.shown.size());
}
BENCHMARK(BM_TableShownVsQuery)->Arg(0)->Arg(8000)->Unit(benchmark::kMillisecond)->UseRealTime();

struct OpenTable {
    testenv::ProgramFolder pf;
    frm_dispData *w = nullptr;
    OpenTable()
    {
        setRequest();
        gSqlDati = largestRequest();
        w = frm_dispData::ShowForm();
        QApplication::processEvents();
    }
    ~OpenTable() { delete w; }
};

void BM_SortValueColumn(benchmark::State &state)
{
    OpenTable t;
    platform::grid::TextGrid &g = t.w->datagrid();
    g.setCol(g.Cols() / 2);
    bool up = true;
    for (auto _ : state) {
        t.w->findChild<QAction *>(up ? "mnu_asce" : "mnu_disce")->trigger();
        QApplication::processEvents();
        up = !up;
    }
}
BENCHMARK(BM_SortValueColumn)->Unit(benchmark::kMillisecond);

void BM_RangeSearch(benchmark::State &state)
{
    OpenTable t;
    platform::grid::TextGrid &g = t.w->datagrid();
    const int c = g.Cols() / 2;
    t.w->findChild<QComboBox *>("cmb_ric")->setCurrentIndex(c + 1);
    t.w->findChild<QLineEdit *>("txt_ricda")->setText("0");
    t.w->findChild<QLineEdit *>("txt_rica")->setText("100");
    auto *ric = t.w->findChild<QPushButton *>("cmd_ric");
    int found = 0;
    for (auto _ : state) {
        ric->click();
        QApplication::processEvents();
        found = g.RowSel();
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_RangeSearch)->Unit(benchmark::kMillisecond);

} // namespace
