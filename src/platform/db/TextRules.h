#pragma once
// How texts compare in the program's SQL: letter case never matters, for the
// accented letters as for the plain ones, and texts sort as an Italian reader
// expects, "Èlite" beside "Elite" and before "F". Every connection gets:
//  - the collation ITALIANO: case ignored, accents distinguished (so "È" equals
//    "è" but not "E"), ordered by base letter first and then by accent;
//  - the collation ITALIANO_BASE: case and accents both ignored (used for the
//    initials cut with left()/right(): the letter E finds "Èlite");
//  - LIKE and InStr matching through the same folding, so that a search ignores
//    case and accents ("elite", "ÈLITE" and "è" all find "Èlite").
#include <QString>
#include <QStringView>

struct sqlite3;

namespace platform::db::text {

inline constexpr const char *Collation = "ITALIANO";
inline constexpr const char *BaseCollation = "ITALIANO_BASE";

// One character reduced to its base letter, case folded ('È' -> 'e').
char32_t foldChar(char32_t c);
// Every UTF-16 unit of `s` folded, the length kept (positions still match).
QString foldUnits(QStringView s);

// The collation ITALIANO: < 0, 0, > 0.
int compare(QStringView a, QStringView b);
// The collation ITALIANO_BASE.
int compareBase(QStringView a, QStringView b);

// `text` LIKE `pattern`: "%" any run of characters, "_" one character, each
// ignoring case and accents; `escape` (when not null) makes the next pattern
// character literal.
bool like(QStringView text, QStringView pattern, QChar escape = QChar());

// Registers the two collations and the LIKE function on a connection.
void registerOn(sqlite3 *db);

} // namespace platform::db::text
