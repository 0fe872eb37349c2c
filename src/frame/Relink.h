#pragma once
// Attached tables: at each start every table listed in tablelink of
// Metadati.mdb is made visible in its holder database, read from its source
// database in the current databases folder. Nothing is written into the files.
// Also the removal of the selection window's saved queries.
#include "platform/db/Links.h"

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace frame {

// Reads tablelink and sets the links. A missing or unreadable holder database
// (or tablelink itself) tells the user that databases are missing, is logged,
// and returns false: the program must end. A link whose source file or table is
// missing is logged and left out; the others are set.
bool RefreshLinkOnDB_2();

// The work of RefreshLinkOnDB_2 without its message: raises RuntimeError when
// tablelink or a holder database cannot be read. Returns the number of
// tablelink rows left out (each logged).
int SetLinksFromTablelink();

} // namespace frame

namespace Utility_RQM {

// The names of the tables and views of source databases already looked at
// during one relinking (upper-cased), by source file name.
using SourceTables = std::map<QString, QStringList>;

// Checks that `sourceFile` in gDbPath holds `tableName` and adds the link to
// `links`; otherwise logs under "Utility"/"RecreateRelatedTables_2" and adds
// nothing. Returns true when the link was added.
bool RecreateRelatedTables_2(const QString &holderFile, const QString &sourceFile, const QString &tableName,
                             std::vector<platform::db::Link> &links, SourceTables &seen);

// Drops from the current statistical database (gDbName) the saved queries named
// by the area configuration. Nothing happens when there is no current database
// or no name. Errors are logged under "Utility"/"DeleteAreaQuery".
void DeleteAreaQuery();

} // namespace Utility_RQM
