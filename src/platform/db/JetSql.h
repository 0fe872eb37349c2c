#pragma once
// Rewrites of the Jet dialect that the SQLite engine does not take as written.
#include <QString>

namespace platform::db::jet {

// left( / right( as function calls become "left"( / "right"( (LEFT and RIGHT
// are join keywords for the engine), with COLLATE NOCASE after the call so that
// their text compares ignoring case like every other text.
// A left-deep chain of parenthesised joins, "FROM ((A JOIN B ON ..) JOIN C ON ..)
// JOIN D ON ..", loses its parentheses: the engine parses joins left to right,
// so the result is the same, and long chains no longer exhaust its parser.
QString translate(const QString &sql);

} // namespace platform::db::jet
