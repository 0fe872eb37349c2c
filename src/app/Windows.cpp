#include "app/Windows.h"
#include "frame/Forms.h"
#include "platform/Files.h"
#include "platform/LazyLibrary.h"

#include <QFile>
#include <map>
#include <memory>

namespace app {

namespace {

// One library per path; each stays loaded for the rest of the run.
struct Module {
    explicit Module(const QByteArray &file) : path(file), library(path.constData()) {}
    QByteArray path;   // kept for the library, which holds its address
    platform::LazyLibrary library;
    bool registered = false;
};

Module &moduleAt(const QString &programFolder)
{
    static std::map<QString, std::unique_ptr<Module>> modules;
    const QString path = platform::files::withSep(programFolder) + QString::fromLatin1(WindowsModuleName);
    auto &m = modules[path];
    if (!m)
        m = std::make_unique<Module>(QFile::encodeName(path));
    return *m;
}

} // namespace

void LoadWindows(const QString &programFolder)
{
    Module &m = moduleAt(programFolder);
    if (m.registered)
        return;
    using Register = void (*)();
    const auto registerWindows = m.library.function<Register>(WindowsModuleEntry);
    registerWindows();
    m.registered = true;
}

void RegisterWindowsModule(const QString &programFolder)
{
    frame::SetFormLoader([programFolder] { LoadWindows(programFolder); });
}

} // namespace app
