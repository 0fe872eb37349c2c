#pragma once
// Shared test fixtures: a temporary program folder made from the built one, the
// application state as start-up leaves it, and scripted prompts.
#include "support/ScriptedPrompts.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace testenv {

// The program folder assembled by the build (executable, Databases/, Files/, ...),
// or the folder named by the environment variable TRAMBELO_TEST_APP_DIR.
QString builtAppDir();
// The repository's source folder.
QString sourceDir();

// A copy of the built program folder in a temporary folder. With `startState`
// the globals are set as start-up leaves them (folders, connection prefixes,
// links of the sample tablelink); scripted prompts are installed for the
// lifetime of the object and the previous state restored at its end.
class ProgramFolder {
public:
    explicit ProgramFolder(bool startState = true);
    ~ProgramFolder();
    QString path() const;        // ends with "/"
    QString databases() const;   // path() + "Databases/"
    QString files() const;       // path() + "Files/"
    platform::ScriptedPrompts prompts;

private:
    QTemporaryDir m_dir;
};

// Sets the globals and the links for an application folder (ending with "/").
void applyStartState(const QString &appPath);

} // namespace testenv
