#pragma once
// The start-up of the program, in eight steps: window layout; one instance
// only, then folders and connection prefixes; the databases folder; the
// attached tables; the shape-file folder and the help; the area configuration;
// the menu bar; the metadata configuration and the start page.
#include "frame/SingleInstance.h"

#include <QString>
#include <functional>

class QMenuBar;
class QWidget;

namespace frame {

class Startup {
public:
    struct Options {
        QString lockPath;               // "" = the user's runtime folder
        QWidget *window = nullptr;      // the main window (owner of the dialogs)
        QMenuBar *menuBar = nullptr;    // where the menu is built; none = slots only
        std::function<void()> showMain; // shows the main window once its menu is built
    };

    // `programFolder`: the folder of the program (Databases/, Files/, Images/, Shape/).
    explicit Startup(const QString &programFolder, Options options);
    explicit Startup(const QString &programFolder) : Startup(programFolder, Options()) {}

    // Runs the eight steps. False when the program must end: another instance
    // is running, no databases folder, or databases are missing. An unexpected
    // error is logged and ends the start-up early; the main window is shown
    // and the program goes on. A menu table that cannot be read is logged and
    // the start page is still shown.
    bool run();
    // The code the program ends with after run() returned false.
    int exitCode() const { return m_exitCode; }
    // The last step reached ("001" ... "008").
    const QString &lastStep() const { return m_step; }
    // True when the menu was read from the database.
    bool menuBuilt() const { return m_menuBuilt; }

private:
    void step(const char *code);
    void showMain();   // once

    QString m_folder;
    Options m_options;
    SingleInstance m_instance;
    QString m_step;
    int m_exitCode = 0;
    bool m_menuBuilt = false;
    bool m_mainShown = false;
};

// The start page, shown in the last step; none until the start page window is
// registered here.
void SetStartPageOpener(std::function<void()> open);

// Right after the databases folder is found, before any database is opened: a
// database update stopped among its renames is undone (the user is told) and
// the staging folders left by updates are removed.
void RecoverStoppedUpdate();

} // namespace frame
