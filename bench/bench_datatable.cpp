// The data table on the largest request: 251 items of the indicators database
// (chosen from the fullest data tables, so that the request stays within the
// tables one query can join) for every territory. Measured: from the data
// query to the table shown; the sort of a value column; a range search.
#include "frame/Globals.h"
#include "platform/db/Database.h"
#include "platform/grid/TextGrid.h"
#include "selection/FormdatiTabLogic.h"
#include "selection/frm_dispData.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <benchmark/benchmark.h>
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

void BM_TableShown(benchmark::State &state)
{
    testenv::ProgramFolder pf;
    setRequest();
    const QString sql = largestRequest();
    int rows = 0, cols = 0;
    for (auto _ : state) {
        gSqlDati = sql;
        frm_dispData *w = frm_dispData::ShowForm();
        QApplication::processEvents();
        rows = w->datagrid().Rows();
        cols = w->datagrid().Cols();
        state.PauseTiming();
        delete w;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["cols"] = cols;
    state.counters["messages"] = double(pf.prompts.shown.size());
}
BENCHMARK(BM_TableShown)->Unit(benchmark::kMillisecond);

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
