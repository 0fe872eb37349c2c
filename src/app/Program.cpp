#include "app/Program.h"
#include "app/Windows.h"
#include "frame/Globals.h"
#include "frame/Layout.h"
#include "frame/MainWindow.h"
#include "frame/RegisterStart.h"
#include "frame/Relink.h"
#include "platform/Accessibility.h"
#include "platform/FontsAhead.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

int Run(int argc, char **argv, const RunOptions &options)
{
    // The program folder is the executable's, as the toolkit will find it.
    const QString folder = options.programFolder.isEmpty()
                               ? QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath()
                               : options.programFolder;
    // Three threads read ahead while the toolkit starts. None of them may load
    // a toolkit library or plugin: the toolkit's loading is not safe while its
    // application object is being made on another thread.
    // The start page's picture is decoded while the toolkit starts.
    Utility::BackgroundReadAhead background(folder);
    // So is what the relinking of the databases reads, from their folder.
    const frame::RelinkReadAhead links(folder);
    // The fonts too: their configuration is loaded while the toolkit starts.
    platform::FontsAhead fonts;
    QApplication app(argc, argv);
    const platform::FontsAhead::Listing fontList(fonts);
    app.setApplicationName(QStringLiteral("Trambelo"));
    platform::accessibility::Install();
    if (options.applicationReady)
        options.applicationReady();

    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

    gAppPath = (options.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : options.programFolder) +
               QStringLiteral("/");

    RegisterStartForms();
    // The other windows are registered when their module is first needed.
    RegisterWindowsModule(gAppPath);

    frmMainMDI main(gAppPath);
    if (!main.MDIForm_Load())
        return main.exitCode();
    return app.exec();
}

} // namespace app
