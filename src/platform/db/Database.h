#pragma once
// A connection to one database file (an SQLite file that keeps its original
// ".mdb" name). It accepts the SQL the program writes in the Jet dialect:
// bracketed names, parenthesised INNER JOIN chains (flattened here, so that
// requests up to the engine's limit of 64 tables run), Format(), CDbl(),
// left()/right(), a case-insensitive InStr(). Texts compare, match and sort
// ignoring letter case, in Italian order (see TextRules.h). Attached tables
// (see Links.h) appear in their holder file as temporary views over the source file.
//
// Errors are RuntimeError: the engine's message with err::DatabaseError, or
// err::RequestTooComplex when a request exceeds an engine limit (tables in a
// join, columns, nesting depth). Failures of the file itself (read-only,
// locked, full disk, unreadable, a path too long to open) are told in the
// user's words with the file's path.
#include "platform/db/Recordset.h"
#include "platform/db/Value.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;

namespace platform::db {

enum class OpenMode { ReadWrite, ReadOnly };

// What one request may cost, so that a damaged or hostile file (a small table
// holding its rows many times over, a view that never ends) is refused with a
// message instead of exhausting the memory or blocking the program. The real
// databases stay far below every bound. A request over a bound raises
// RuntimeError(err::OutOfMemory) with a message naming the file.
struct Limits {
    qint64 engineMemory = qint64(256) << 20;   // bytes the engine holds, every connection together
    qint64 resultMemory = qint64(256) << 20;   // bytes of the rows one query reads
    qint64 steps = qint64(4000) << 20;         // engine instructions of one statement
};
Limits limits();
// Replaces the bounds (tests and tools); connections already open follow.
void setLimits(const Limits &l);

class Database {
public:
    Database();
    ~Database();
    Database(Database &&) noexcept;
    Database &operator=(Database &&) noexcept;

    // Opens `fileName` inside `folder`, the name resolved ignoring letter case.
    // Never creates a file: a missing file, or a file that is not a database,
    // raises RuntimeError (err::FileNotFound, err::DatabaseError) here, not at
    // the first query. Also attaches the sources of the file's links.
    static Database open(const QString &folder, const QString &fileName, OpenMode mode = OpenMode::ReadWrite);
    // The same with a full path (its file name also resolved ignoring case).
    static Database openPath(const QString &path, OpenMode mode = OpenMode::ReadWrite);
    // Opens from a connection string of the form "...;Dbq=<folder><file>" (blanks around the path ignored).
    static Database openConnectionString(const QString &connection, OpenMode mode = OpenMode::ReadWrite);
    // Opens the file, creating an empty database when it is missing: for the
    // user's own work database only.
    static Database create(const QString &folder, const QString &fileName);
    // Opens the file at `path` alone, without the tables linked into it: for
    // looking at a file before it is put in use.
    static Database openFileOnly(const QString &path, OpenMode mode = OpenMode::ReadOnly);
    // "" when `path` is a database file the engine reads whole (every page
    // passes the engine's quick check); else the reason, in the user's words
    // and without the path ("non è un database riconosciuto", "è danneggiato").
    static QString checkFile(const QString &path);

    bool isOpen() const;
    void close();
    QString path() const;

    // Runs a query and reads all its rows.
    Recordset query(const QString &sql);
    // Runs a statement that changes data or schema; returns the rows changed.
    qint64 execute(const QString &sql);
    // Runs one statement with '?' parameters bound to `params`.
    qint64 execute(const QString &sql, const std::vector<Value> &params);
    // Runs one statement once per parameter row, inside one transaction (the
    // caller's, when one is open).
    void executeMany(const QString &sql, const std::vector<std::vector<Value>> &rows);
    // Runs `work` inside one transaction: committed when it returns, rolled
    // back when it throws (the exception goes on).
    void transaction(const std::function<void()> &work);

    // Keeps the statements this connection runs prepared, by their text, for
    // their next run (a few of them, the least recently used given up first):
    // for a connection that runs the same few statements over and over.
    void keepStatements(bool keep);

    // Names of the file's own tables and views (not the attached ones), as stored.
    QStringList tables() const;
    QStringList views() const;
    // Both, in one reading: the tables, then the views.
    QStringList tablesAndViews() const;
    // Drops the view / table whose name equals `exactName` exactly (letter case
    // included). Returns false when there is none.
    bool dropView(const QString &exactName);
    bool dropTable(const QString &exactName);

    sqlite3 *handle() const;

    // The SQL actually sent to the engine for a statement written in the Jet
    // dialect (exposed for tests).
    static QString translate(const QString &jetSql);

private:
    friend Database openResolvedFile(const QString &, OpenMode, bool);
    void d_ptr_init(sqlite3 *db, const QString &path);
    void attachLinks();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform::db
