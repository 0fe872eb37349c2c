// The data query of the largest request through the database layer: 251
// indicator items, every territory, all rows read.
#include "frame/Globals.h"
#include "platform/Error.h"
#include "platform/db/Database.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLocale>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <map>

using platform::db::Database;

namespace {

struct Request {
    QString sql;
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
        ++r.items;
    }
    QStringList names;
    auto terr = db.query("SELECT DES_TERR FROM land_Ind");
    for (; !terr.eof(); terr.moveNext())
        names << "'" + terr.text(0).replace("'", "''") + "'";
    r.groups = int(tables.size());
    r.sql = select + " FROM " + join + " WHERE land_Ind.DES_TERR IN( " + names.join(", ") + ")" +
            " order by land_Ind.COD_TERR";
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
