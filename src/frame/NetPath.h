#pragma once
// The folder browser.
#include <QString>

class QWidget;

namespace NetPath {

// Shows the folder browser titled with `prompt`, `initialFolder` preselected
// (an empty or missing folder leaves the default selection). Returns the chosen
// folder with exactly one trailing separator, or "" when the user cancelled.
// Errors are logged under "NetPath"/"BrowseForFolder" and give "".
QString BrowseForFolder(QWidget *owner, const QString &prompt, const QString &initialFolder);

// A folder path with exactly one trailing separator ("" stays "", "/" stays "/").
QString WithOneSep(const QString &folder);

} // namespace NetPath
