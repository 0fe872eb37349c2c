#pragma once
// A synthetic statistical database for the benchmarks of the data table and
// the data query: many territories, one data table of 251 indicators.
#include <QString>

namespace bench {

struct Request {
    QString sql;       // as the selection window writes it, Format(..., '0.00') per value
    QString printfSql; // the same with printf('%.2f', ...) in place of Format()
};

// Creates Sintetico.mdb in the databases folder (gDbPath): table land_Ind with
// `territories` territories and table T_SINT with 251 indicators of several
// magnitudes, and returns the request of every item for every territory.
Request SyntheticRequest(int territories);

} // namespace bench
