#pragma once
// The databases folder and the shape-file folder: where they are looked for,
// and the one-line path files DBPath.rqm and SHPath.rqm in the Files folder
// that remember a folder chosen in the folder browser.
#include <QString>

class QWidget;

namespace frame {

// True when `folder` holds the file `fileName` (letter case ignored). Any
// failure while looking counts as not found.
bool FileExistsIn(const QString &fileName, const QString &folder);
// True when `folder` holds at least one shape file (*.shp, letter case ignored).
bool HasShapeFiles(const QString &folder);

// The folder named in DBPath.rqm / SHPath.rqm (created empty when missing):
// line ends and surrounding blanks removed, a relative path taken from the
// program folder, one trailing separator; "" when none is set.
QString GetDbPathFile();
QString GetShPathFile();
// The text of a path file made into a folder as above.
QString NormalisePathFileText(const QString &text);

// Replace the path file with `folder` (written whole or not at all). Errors are
// logged under "WriteDBPath" / "WriteSHPath".
void WriteDBPath(const QString &folder);
void WriteSHPath(const QString &folder);

// Sets gDbPath: Databases/ under the program folder when it holds Metadati.mdb,
// else the folder of DBPath.rqm, else the folder chosen in the folder browser
// (then remembered in DBPath.rqm). Returns false, after telling the user, when
// no folder holds Metadati.mdb: the program must end.
bool FindDatabases(QWidget *owner = nullptr);
// Sets gShapePath the same way from Shape/, SHPath.rqm and the browser; when no
// folder holds shape files the user is told and gShapePath is "".
void FindShapeFiles(QWidget *owner = nullptr);

} // namespace frame
