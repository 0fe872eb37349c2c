// Starts the picture read-ahead with the image readers before making its
// application object, as the program does, and makes that object while the
// thread still runs; tells what the toolkit made of it:
//   readers_ahead
// Exit 0: this thread is still the toolkit's main thread and every image
// reader of the toolkit's plugins folder is loaded; 1: the toolkit took
// another thread for the main thread; 2: a reader is not loaded.
#include "platform/image/JpegReader.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QString>
#include <cstdio>
#include <future>
#include <dlfcn.h>

namespace {
bool g_otherMainThread = false;

void onMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    if (text.contains(QLatin1String("main() thread")))
        g_otherMainThread = true;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(onMessage);
    // The application object is made while the thread, past the readers,
    // still runs: it waits for it.
    std::promise<void> readersDone, appMade;
    std::shared_future<void> appReady = appMade.get_future().share();
    platform::image::PictureReadAhead ahead(
        [&] {
            readersDone.set_value();
            appReady.wait();
            return QString();
        },
        true);
    readersDone.get_future().wait();
    QGuiApplication app(argc, argv);
    appMade.set_value();
    ahead.take();
    if (g_otherMainThread)
        return 1;
    const QDir dir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/imageformats"));
    for (const QFileInfo &fi : dir.entryInfoList(QDir::Files)) {
        const QString iid = QPluginLoader(fi.absoluteFilePath()).metaData().value(QStringLiteral("IID")).toString();
        if (iid != QLatin1String("org.qt-project.Qt.QImageIOHandlerFactoryInterface"))
            continue;
        if (!dlopen(QFile::encodeName(fi.absoluteFilePath()).constData(), RTLD_LAZY | RTLD_NOLOAD)) {
            std::fprintf(stderr, "not loaded: %s\n", qPrintable(fi.fileName()));
            return 2;
        }
    }
    return 0;
}
