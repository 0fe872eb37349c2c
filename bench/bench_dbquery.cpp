// The data query of the largest request through the database layer: every
// indicator and year of the sample (as many groups as one join can hold),
// every territory, all rows read.
#include "frame/Globals.h"
#include "platform/Error.h"
#include "platform/db/Database.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLocale>
#include <benchmark/benchmark.h>
#include <map>

using platform::db::Database;

namespace {

struct Request {
    QString sql;
    int items = 0;
    int groups = 0;
};

// Builds the data query the selection window builds, over the first items (in
// Id & year order) whose groups fit in `maxGroups`.
Request largestRequest(int maxGroups)
{
    Database db = Database::open(gDbPath, "Indicatori.mdb", platform::db::OpenMode::ReadOnly);
    auto items = db.query("SELECT Variabile, Anno, Tabella FROM IndVarAnno WHERE TipoVar = 'I'");
    std::map<QString, std::pair<QString, QString>> sorted; // Id&Anno -> (Id_Anno, table)
    for (; !items.eof(); items.moveNext())
        sorted[items.text(0) + items.text(1)] = {items.text(0) + "_" + items.text(1), items.text(2)};
    Request r;
    QString select = "SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, land_Ind.PROV, land_Ind.REG, "
                     "land_Ind.DES_TERR as Territorio";
    QStringList tables;
    QString join;
    for (const auto &[key, v] : sorted) {
        const QString &table = v.second;
        if (!tables.contains(table)) {
            if (tables.size() == maxGroups)
                continue;
            join = tables.isEmpty()
                       ? table + " INNER JOIN land_Ind  ON " + table + ".COD_TERR = land_Ind.COD_TERR"
                       : "(" + join + ") INNER JOIN " + table + " ON " + table + ".COD_TERR = " + tables.last() + ".COD_TERR";
            tables << table;
        }
        if (r.items == 251)
            break;
        const QString id = v.first.section('_', 0, 0);
        select += ", Format(" + table + "." + id + ", '0.00') as " + v.first;
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
    const Request r = largestRequest(63);
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

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
