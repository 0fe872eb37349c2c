#pragma once
// Attached tables: a table of a source file that appears inside another
// database file (its holder) under the same name. The list is set at start-up
// from the relinking table; every connection opened afterwards on a holder file
// shows its linked tables, read from the source files of the links' folder.
// A linked table hides a local table of the same name. No file is written.
#include <QString>
#include <vector>

namespace platform::db {

struct Link {
    QString table;       // name of the table in the source, and of the link in the holder
    QString sourceFile;  // file name of the source database
    QString holderFile;  // file name of the database that shows the table
};

class Links {
public:
    // Replaces the links; sources are read from `folder`.
    static void set(const QString &folder, std::vector<Link> links);
    static void clear();
    static QString folder();
    static const std::vector<Link> &all();
    // The links shown by the holder file `fileName` (compared ignoring case).
    static std::vector<Link> forHolder(const QString &fileName);
};

} // namespace platform::db
