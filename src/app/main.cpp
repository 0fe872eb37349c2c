#include "frame/Globals.h"
#include "frame/MainWindow.h"
#include "frame/RegisterStart.h"
#include "maps/Register.h"
#include "metadata/Register.h"
#include "selection/Register.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Trambelo"));

    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

    gAppPath = QCoreApplication::applicationDirPath() + QStringLiteral("/");

    RegisterSelectionForms();
    RegisterMapsForms();
    RegisterMetadataForms();
    RegisterStartForms();

    frmMainMDI main(gAppPath);
    if (!main.MDIForm_Load())
        return main.exitCode();
    return app.exec();
}
