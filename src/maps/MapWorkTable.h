#pragma once
// The map's work table tMappa in the user's database: one row per territory
// with a value (its code, the value and its class, Null when it has none).
// Each drawing re-creates it; Reset and the closing of the map drop it;
// identify reads values back from it.
#include "maps/MapClasses.h"
#include "platform/db/Database.h"

#include <QString>
#include <optional>
#include <vector>

namespace Utility {
// The user's work database, Files/pxn_utente.mdb in the program folder,
// opened for reading and writing (created empty when missing).
platform::db::Database OpenUserDatabase();
} // namespace Utility

namespace maps {

inline const QString TabMappa = QStringLiteral("tMappa");

// One row of the work table.
struct WorkRow {
    QString code;              // territory code as the data grid shows it
    double value = 0;
    std::optional<int> cls;    // 1-based class; nullopt = no class
};

// The rows of a quartile map and of a map drawn from a class list.
std::vector<WorkRow> QuartileRows(const std::vector<ValuedRow> &rows, const QuartileResult &q);
std::vector<WorkRow> GridRows(const std::vector<ValuedRow> &rows, const std::vector<ClassDef> &classes);

// The work table through one connection to the user's database, opened at
// the first use and kept until Close(): the map window holds one for its
// whole life. The table is scratch data that every drawing rebuilds, so this
// connection writes without flushing to disk (its rollback journal is still
// written, so a killed program leaves the file whole); it writes no table
// but tMappa.
class MapWorkTable {
public:
    MapWorkTable();
    ~MapWorkTable();
    MapWorkTable(const MapWorkTable &) = delete;
    MapWorkTable &operator=(const MapWorkTable &) = delete;

    // Drops tMappa when present (whatever its letter case) and creates it
    // holding `rows`, all in one transaction. Returns the table as stored
    // (what MapRecordset() would read), read back in the same transaction.
    platform::db::Recordset SaveMapQuery(const std::vector<WorkRow> &rows = {});
    // Drops tMappa when present; nothing happens when it is absent.
    void DropMapQuery();
    bool MapTableExists();

    // The table in row order: fields N_ARVEN, VALORE, N4.
    platform::db::Recordset MapRecordset();
    // The value stored for a territory code (its text as the user reads it),
    // or nullopt when the table or the territory is absent.
    std::optional<QString> MapValue(const QString &code);

    // Closes the connection; the next use opens it again.
    void Close();

private:
    platform::db::Database &connection();
    platform::db::Database m_db;
    // The file's schema version when this connection last wrote tMappa: while
    // the file's schema is unchanged the table is the one created here, and
    // emptying it is the same as creating it anew.
    std::optional<qint64> m_writtenAt;
};

// The form in which a code is stored and compared: an integral number as its
// digits ("037", "37.0" -> 37), any other text trimmed.
platform::db::Value CodeValue(const QString &code);
// `code` as an SQL literal: the digits of an integral number, else a quoted text.
QString CodeLiteral(const QString &code);

} // namespace maps
