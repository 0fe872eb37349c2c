#pragma once
// Attached tables: at each start every table listed in tablelink of
// Metadati.mdb is made visible in its holder database, read from its source
// database in the current databases folder. Nothing is written into the files.
// Also the removal of the selection window's saved queries.
#include "platform/Error.h"
#include "platform/db/Database.h"
#include "platform/db/LinkReadAhead.h"
#include "platform/db/Links.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Utility_RQM {
// What one relinking has already looked at: the names of the tables and views
// of each source database read (upper-cased), by source file name, and for
// each file name of a folder whether it is a file of that folder. Every link
// names the same few files.
struct SourceTables {
    std::map<QString, QStringList> tables;
    std::map<std::pair<QString, QString>, bool> inFolder;   // (folder, name)
};
}

namespace frame {

using platform::db::ReadTablelink;
using platform::db::TablelinkRow;

// The real path of a file named in the databases folder; "" when it is
// missing or not a file of the folder.
using FileLookup = std::function<QString(const QString &name)>;

// Why the link of `row` cannot be set, or nothing when it can: a holder or
// source that is not a file of `folder` (an absolute path, "..", a symbolic
// link leading out), a missing source file, or a source without the table.
// Files are found through `lookup` and named in the messages as `folder` &
// their name. `seen` keeps the tables of the sources already read. A source
// found in `readAhead`, unchanged, is not opened again.
std::optional<platform::RuntimeError> LinkProblem(const TablelinkRow &row, const QString &folder,
                                                  const FileLookup &lookup, Utility_RQM::SourceTables &seen,
                                                  const platform::db::LinkReadAhead::Files *readAhead = nullptr);

// Reads tablelink and sets the links. A missing or unreadable holder database
// (or tablelink itself) tells the user that databases are missing, is logged,
// and returns false: the program must end. A link whose source file or table is
// missing, or that names a file outside the databases folder, is logged and
// left out (one box tells all those left out); the others are set.
bool RefreshLinkOnDB_2();

// The work of RefreshLinkOnDB_2 without its message: raises RuntimeError when
// tablelink or a holder database cannot be read. Returns the number of
// tablelink rows left out (each logged). The first call while a
// RelinkReadAhead lives takes what it read.
int SetLinksFromTablelink();
// The same, with the files of `readAhead` still as they were read taken from
// it instead of opened again.
int SetLinksFromTablelink(const platform::db::LinkReadAhead::Files &readAhead);

// While it lives, what the relinking reads from the databases folder the
// program looks in first (<program folder>/Databases/) is read on a thread of
// its own; the next SetLinksFromTablelink takes it, once, and opens itself
// only the files not read there as they are now. Made as the program
// starts, before the toolkit, so that the two overlap. An empty
// `programFolder` reads nothing.
class RelinkReadAhead {
public:
    explicit RelinkReadAhead(const QString &programFolder);
    ~RelinkReadAhead();
    RelinkReadAhead(const RelinkReadAhead &) = delete;
    RelinkReadAhead &operator=(const RelinkReadAhead &) = delete;

private:
    std::unique_ptr<platform::db::LinkReadAhead> m_read;
};

} // namespace frame

namespace Utility_RQM {

// Checks that `sourceFile` in gDbPath holds `tableName` and adds the link to
// `links`; otherwise logs under "Utility"/"RecreateRelatedTables_2" and adds
// nothing. A holder or source that is not a file of gDbPath (an absolute path,
// "..", a symbolic link leading out) is refused the same way without being
// opened. A source found in `readAhead`, unchanged, is not opened again.
// Returns true when the link was added.
bool RecreateRelatedTables_2(const QString &holderFile, const QString &sourceFile, const QString &tableName,
                             std::vector<platform::db::Link> &links, SourceTables &seen,
                             const platform::db::LinkReadAhead::Files *readAhead = nullptr);

// Drops from the current statistical database (gDbName) the saved queries named
// by the area configuration. Nothing happens when there is no current database
// or no name. Errors are logged under "Utility"/"DeleteAreaQuery".
void DeleteAreaQuery();

} // namespace Utility_RQM
