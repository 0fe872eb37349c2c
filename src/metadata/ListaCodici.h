#pragma once
// The list of codes: the codes of every variable or indicator that belongs to
// a published sub-area, and, for one code, its description, sub-area, area and
// the years 1996-2008 for which it exists.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace platform::db {
class Database;
}

namespace metadata {

inline constexpr int PrimoAnno = 1996;
inline constexpr int UltimoAnno = 2008;
inline constexpr int NumAnni = UltimoAnno - PrimoAnno + 1;   // 13

// The query of the codes of a kind: "Variabili" lists the variables, any other
// text the indicators. Items whose sub-area code holds "- NO" or "-NO" are left out.
QString ListaCodiciQuery(const QString &kind);

// The query of one code's description, sub-area, area and years (the code is
// written as an SQL text literal).
QString MetadatoQuery(const QString &kind, const QString &code);

struct Metadato {
    QString descrizione;   // the description
    QString argomento;     // sub-area: code " - " description
    QString settore;       // area: code " - " description
    std::array<bool, NumAnni> anni{};   // anni[0] = 1996 ... anni[12] = 2008
};

// The codes of a kind, in code order. Null codes read as "".
QStringList LeggiCodici(platform::db::Database &conn, const QString &kind);

// The metadata of one code; nothing when the code has no row in the join of
// its sub-area and area.
std::optional<Metadato> LeggiMetadato(platform::db::Database &conn, const QString &kind, const QString &code);

} // namespace metadata
