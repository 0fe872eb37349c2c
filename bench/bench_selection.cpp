// Building the data query of the largest request the selection window allows:
// 251 items of the indicators database (the first in Id and year order), with
// the look-up of each group's data table on one connection.
#include "selection/FormdatiTabLogic.h"
#include "frame/Globals.h"
#include "platform/db/Database.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QLocale>
#include <benchmark/benchmark.h>
#include <map>

using platform::db::Database;

namespace {

QStringList largestSelection()
{
    Database db = Database::open(gDbPath, "Indicatori.mdb", platform::db::OpenMode::ReadOnly);
    auto rs = db.query("SELECT IndVarAnno.Variabile, IndVarAnno.Anno, MetadatiIndicatori.DescIndicatore FROM IndVarAnno "
                       "INNER JOIN MetadatiIndicatori ON IndVarAnno.Variabile = MetadatiIndicatori.IdIndicatore "
                       "WHERE IndVarAnno.TipoVar = 'I'");
    std::map<QString, QString> sorted;
    for (; !rs.eof(); rs.moveNext())
        sorted[rs.text(0) + rs.text(1)] = selection::SelectionLine(rs.text(0) + "-" + rs.text(1), rs.text(2));
    QStringList lines;
    for (const auto &[k, line] : sorted) {
        if (lines.size() == selection::MaxSelezionati)
            break;
        lines << line;
    }
    return lines;
}

void BM_CreaQuery251(benchmark::State &state)
{
    testenv::ProgramFolder pf;
    gTipoDb = "Indicatori";
    const QStringList lines = largestSelection();
    const QString filtro = "land_Ind.DES_TERR IN( 'Torino', 'Milano', 'Roma')";
    for (auto _ : state) {
        Database db = Database::open(gDbPath, "Indicatori.mdb", platform::db::OpenMode::ReadOnly);
        const QString sql = selection::CreaQuery(lines, gTipoDb, filtro, [&](const QString &id, const QString &anno) {
            auto rs = db.query(selection::LookupQuery(id, anno));
            return rs.eof() ? QString() : rs.text(0);
        });
        benchmark::DoNotOptimize(sql);
    }
    state.counters["items"] = double(lines.size());
}
BENCHMARK(BM_CreaQuery251)->Unit(benchmark::kMillisecond);

} // namespace
