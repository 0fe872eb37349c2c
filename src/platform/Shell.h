#pragma once
// Opening a file with the application the desktop associates with it. Tests
// install a hook so that nothing is launched.
#include <QString>
#include <functional>

namespace platform::shell {

enum class OpenResult {
    Opened,        // handed to the associated application
    FileNotFound,  // no such file
    NoApplication, // the desktop has no application for it
};

// Opens `path` with its associated application (the hook, when one is
// installed, in place of the desktop). A missing file is reported first.
OpenResult OpenFile(const QString &path);

using OpenHook = std::function<OpenResult(const QString &path)>;
// Installs `hook` in place of the desktop; an empty hook restores the desktop.
void SetOpenHook(OpenHook hook);

} // namespace platform::shell
