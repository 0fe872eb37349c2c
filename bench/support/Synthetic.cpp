#include "support/Synthetic.h"

#include "frame/Globals.h"
#include "platform/db/Database.h"
#include "selection/FormdatiTabLogic.h"

#include <QStringList>
#include <cmath>
#include <random>
#include <vector>

namespace bench {

using platform::db::Value;

Request SyntheticRequest(int territories)
{
    const QString table = QStringLiteral("T_SINT");
    platform::db::Database db = platform::db::Database::create(gDbPath, QStringLiteral("Sintetico.mdb"));
    QStringList cols;
    for (int i = 1; i <= selection::MaxSelezionati; ++i)
        cols << QStringLiteral("I%1").arg(i, 4, 10, QChar('0'));
    db.execute("DROP TABLE IF EXISTS land_Ind; DROP TABLE IF EXISTS " + table);
    db.execute("CREATE TABLE land_Ind (COD_TIPO_TERR INTEGER, COD_TERR INTEGER, PROV INTEGER, REG INTEGER, "
               "DES_TERR TEXT)");
    db.execute("CREATE TABLE " + table + " (COD_TERR INTEGER, " + cols.join(" REAL, ") + " REAL)");
    std::mt19937 rng(12);
    std::uniform_real_distribution<double> u(0.5, 1.5);
    std::vector<std::vector<Value>> land, data;
    QStringList names;
    for (int t = 1; t <= territories; ++t) {
        const QString name = QStringLiteral("Comune %1").arg(t);
        names << "'" + name + "'";
        land.push_back({Value::integer(1), Value::integer(t), Value::integer(t % 110 + 1), Value::integer(t % 20 + 1),
                        Value::text(name)});
        std::vector<Value> row = {Value::integer(t)};
        for (int i = 0; i < cols.size(); ++i) {
            const double scale = std::pow(10.0, i % 5); // 1 to 10,000
            row.push_back(Value::real(std::round(scale * u(rng) * 10000.0) / 10000.0));
        }
        data.push_back(std::move(row));
    }
    db.executeMany("INSERT INTO land_Ind VALUES (?, ?, ?, ?, ?)", land);
    const QStringList marks(cols.size() + 1, QStringLiteral("?"));
    db.executeMany("INSERT INTO " + table + " VALUES (" + marks.join(", ") + ")", data);

    const QString head = "SELECT land_Ind.COD_TIPO_TERR as TipoTerritorio, land_Ind.COD_TERR, land_Ind.PROV, "
                         "land_Ind.REG, land_Ind.DES_TERR as Territorio";
    QString select = head, printfSelect = head;
    for (const QString &c : cols) {
        select += ", Format(" + table + "." + c + ", '0.00') as " + c + "_2005";
        printfSelect += ", printf('%.2f', " + table + "." + c + ") as " + c + "_2005";
    }
    const QString rest = " FROM " + table + " INNER JOIN land_Ind  ON " + table +
                         ".COD_TERR = land_Ind.COD_TERR WHERE land_Ind.DES_TERR IN( " + names.join(", ") + ")";
    return {select + rest, printfSelect + rest};
}

} // namespace bench
