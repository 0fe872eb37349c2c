// The data query of the largest request through the database layer: 251
// indicator items, every territory, all rows read; and the same query with
// its values formatted by the engine's own printf, as a reference for the
// cost of Format().
#include "frame/Globals.h"
#include "platform/Error.h"
#include "platform/db/Database.h"
#include "support/Synthetic.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLocale>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <map>

using platform::db::Database;

namespace {

struct Request {
    QString sql;
    QString printfSql; // the same with printf('%.2f', ...) in place of Format(..., '0.00')
    int items = 0;
    int groups = 0;
};

// Builds the data query the selection window builds for 251 items (its limit),
// taken from the fullest data tables so that the join holds as few tables as
// possible; items in Id & year order, one group per table.
Request largestRequest()
{
    Database db = Database::open(gDbPath, "Indicatori.mdb", platform::db::OpenMode::ReadOnly);
    auto items = db.query("SELECT Variabile, Anno, Tabella FROM IndVarAnno WHERE TipoVar = 'I'");
    std::map<QString, QStringList> byTable; // table -> Id_Anno
    for (; !items.eof(); items.moveNext())
        byTable[items.text(2)] << items.text(0) + "_" + items.text(1);
    std::vector<std::pair<QString, QStringList>> fullest(byTable.begin(), byTable.end());
    std::stable_sort(fullest.begin(), fullest.end(),
                     [](const auto &a, const auto &b) { return a.second.size() > b.second.size(); });
    std::map<QString, QString> chosen; // Id&Anno -> table
    for (const auto &[table, ids] : fullest)
        for (const QString &idAnno : ids)
            if (chosen.size() < 251)
                chosen[QString(idAnno).remove('_')] = table + "|" + idAnno;
    Request r;
    QString select = "SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, land_Ind.PROV, land_Ind.REG, "
                     "land_Ind.DES_TERR as Territorio";
    QString printfSelect = select;
    QStringList tables;
    QString join;
    for (const auto &[key, v] : chosen) {
        const QString table = v.section('|', 0, 0), idAnno = v.section('|', 1);
        if (!tables.contains(table)) {
            join = tables.isEmpty()
                       ? table + " INNER JOIN land_Ind  ON " + table + ".COD_TERR = land_Ind.COD_TERR"
                       : "(" + join + ") INNER JOIN " + table + " ON " + table + ".COD_TERR = " + tables.last() + ".COD_TERR";
            tables << table;
        }
        select += ", Format(" + table + "." + idAnno.section('_', 0, 0) + ", '0.00') as " + idAnno;
        printfSelect += ", printf('%.2f', " + table + "." + idAnno.section('_', 0, 0) + ") as " + idAnno;
        ++r.items;
    }
    QStringList names;
    auto terr = db.query("SELECT DES_TERR FROM land_Ind");
    for (; !terr.eof(); terr.moveNext())
        names << "'" + terr.text(0).replace("'", "''") + "'";
    r.groups = int(tables.size());
    const QString rest = " FROM " + join + " WHERE land_Ind.DES_TERR IN( " + names.join(", ") + ")" +
                         " order by land_Ind.COD_TERR";
    r.sql = select + rest;
    r.printfSql = printfSelect + rest;
    return r;
}

void BM_LargestDataQuery(benchmark::State &state)
{
    testenv::applyStartState(testenv::builtAppDir() + "/");
    const Request r = largestRequest();
    Database db = Database::open(gDbPath, "Indicatori.mdb", platform::db::OpenMode::ReadOnly);
    qint64 cells = 0;
    for (auto _ : state) {
        auto rs = db.query(r.sql);
        for (; !rs.eof(); rs.moveNext())
            for (int c = 0; c < rs.fieldCount(); ++c)
                cells += rs.text(c).size();
    }
    benchmark::DoNotOptimize(cells);
    state.counters["items"] = r.items;
    state.counters["groups"] = r.groups;
}
BENCHMARK(BM_LargestDataQuery)->Unit(benchmark::kMillisecond);

// In turns: the largest data query with Format(), and the same with printf
// (which rounds a half away from zero, so it is only a reference), on the
// sample and on a synthetic table of 8,000 territories. The counter "ratio"
// is Format / printf; the goal is at most 1.2.
void BM_FormatVsPrintf(benchmark::State &state)
{
    testenv::ProgramFolder pf;
    Request r;
    QString file = QStringLiteral("Indicatori.mdb");
    if (state.range(0) > 0) {
        const bench::Request s = bench::SyntheticRequest(int(state.range(0)));
        r.sql = s.sql;
        r.printfSql = s.printfSql;
        file = QStringLiteral("Sintetico.mdb");
    } else {
        r = largestRequest();
    }
    Database db = Database::open(gDbPath, file, platform::db::OpenMode::ReadOnly);
    using Clock = std::chrono::steady_clock;
    Clock::duration format{}, printf{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(db.query(r.sql).recordCount());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(db.query(r.printfSql).recordCount());
        const auto t2 = Clock::now();
        format += t1 - t0;
        printf += t2 - t1;
    }
    using ms = std::chrono::duration<double, std::milli>;
    const double n = double(state.iterations());
    state.counters["format_ms"] = ms(format).count() / n;
    state.counters["printf_ms"] = ms(printf).count() / n;
    state.counters["ratio"] = ms(format).count() / ms(printf).count();
}
BENCHMARK(BM_FormatVsPrintf)->Arg(0)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_OpenWithLinks(benchmark::State &state)
{
    testenv::applyStartState(testenv::builtAppDir() + "/");
    for (auto _ : state) {
        Database db = Database::open(gDbPath, "Indicatori.mdb", platform::db::OpenMode::ReadOnly);
        benchmark::DoNotOptimize(db.handle());
    }
}
BENCHMARK(BM_OpenWithLinks)->Unit(benchmark::kMicrosecond);

} // namespace
