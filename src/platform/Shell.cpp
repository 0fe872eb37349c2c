#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform::shell {

namespace {
OpenHook &hook()
{
    static OpenHook h;
    return h;
}
} // namespace

OpenResult OpenFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return OpenResult::FileNotFound;
    if (hook())
        return hook()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()))
               ? OpenResult::Opened
               : OpenResult::NoApplication;
}

void SetOpenHook(OpenHook h) { hook() = std::move(h); }

} // namespace platform::shell
