#pragma once
// The program from its application object to the end of its event loop: the
// windows registered, the main window built and started, the loop run.
#include <QString>
#include <functional>

namespace app {

struct RunOptions {
    // The program folder (Databases/, Files/, Images/, Shape/); "" = the
    // folder of the executable.
    QString programFolder;
    // Called once the application object exists, before the start-up.
    std::function<void()> applicationReady;
};

// Runs the program; returns its exit code.
int Run(int argc, char **argv, const RunOptions &options = {});

} // namespace app
