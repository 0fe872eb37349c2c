#include "frame/Utility_RQM.h"
#include "frame/Globals.h"
#include "platform/Files.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QObject>

namespace Utility_RQM {

QString ModuleLabel(const QObject *window)
{
    if (!window)
        return {};
    if (!window->objectName().isEmpty())
        return window->objectName();
    return QString::fromLatin1(window->metaObject()->className());
}

static QString oneLine(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

QString ErrorLine(const QString &module, const QString &procName, const QString &errNumber,
                  const QString &errDescription)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale loc;
    return loc.toString(now.date(), QLocale::ShortFormat) + QLatin1String(" ") +
           now.time().toString(QStringLiteral("HH:mm:ss")) + QLatin1String(" - Module:") + oneLine(module) +
           QLatin1String(" Function: ") + oneLine(procName) + QLatin1String(" Error N.") + oneLine(errNumber) +
           QLatin1String(" Description:") + oneLine(errDescription);
}

void WriteErrorLog(const QString &module, const QString &procName, const QString &errNumber,
                   const QString &errDescription)
{
    bool written = false;
    QString failure;
    try {
        if (!gFilesPath.isEmpty()) {
            const QString marker = platform::files::resolve(gFilesPath, QStringLiteral("MAPINFO.rqm"));
            if (!marker.isEmpty())
                QFile::remove(marker);
            QString log = platform::files::resolve(gFilesPath, QStringLiteral("Error.log"));
            if (log.isEmpty())
                log = gFilesPath + QStringLiteral("Error.log");
            written = platform::files::appendText(
                log, ErrorLine(module, procName, errNumber, errDescription) + QStringLiteral("\r\n"), &failure);
        }
    } catch (...) {
        written = false;
    }
    QString message = QStringLiteral("Errore : ") + errDescription;
    if (written)
        message += QStringLiteral(" Il File Error.log è stato riempito.");
    else if (!failure.isEmpty())
        message += QStringLiteral(" Il File Error.log non è stato aggiornato: ") + failure;
    try {
        platform::prompts().msgBox(message, platform::mb::Exclamation);
    } catch (...) {
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void WriteErrorLog(const QObject *window, const QString &procName, const QString &errNumber,
                   const QString &errDescription)
{
    WriteErrorLog(ModuleLabel(window), procName, errNumber, errDescription);
}

} // namespace Utility_RQM
