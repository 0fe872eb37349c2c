#pragma once
// Rewrites of the Jet dialect that the SQLite engine does not take as written.
#include <QString>

namespace platform::db::jet {

// left( / right( as function calls become "left"( / "right"( (LEFT and RIGHT
// are join keywords for the engine), with COLLATE ITALIANO_BASE after the call
// so that the initial they cut compares ignoring case and accents.
// In statements that read or change rows (not schema statements), texts follow
// the rules of TextRules.h: a text literal compared with = or <> gets COLLATE
// NOCASE when it is plain ASCII (same result as the Italian collation, indexes
// still usable) and COLLATE ITALIANO otherwise; one compared with <, >, <= or >=
// always gets COLLATE ITALIANO; every ORDER BY key gets COLLATE ITALIANO unless
// it names a collation of its own.
// A left-deep chain of parenthesised joins, "FROM ((A JOIN B ON ..) JOIN C ON ..)
// JOIN D ON ..", loses its parentheses: the engine parses joins left to right,
// so the result is the same, and long chains no longer exhaust its parser.
// Such a chain of eight joins or more keeps the order it is written in: its
// INNER JOINs become CROSS JOINs, the engine's way of saying so (the same rows;
// the engine no longer searches the best of the many orders of the tables).
QString translate(const QString &sql);

} // namespace platform::db::jet
