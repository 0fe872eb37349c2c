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

namespace {

ErrorBatch *g_batch = nullptr;

QString oneLine(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

QString boxText(const QString &description, bool written, const QString &failure)
{
    QString message = QStringLiteral("Errore : ") + description;
    if (written)
        message += QStringLiteral(" Il File Error.log è stato riempito.");
    else if (!failure.isEmpty())
        message += QStringLiteral(" Il File Error.log non è stato aggiornato: ") + failure;
    return message;
}

void showBox(const QString &text)
{
    try {
        platform::prompts().msgBox(text, platform::mb::Exclamation);
    } catch (...) {
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace

QString ModuleLabel(const QObject *window)
{
    if (!window)
        return {};
    if (!window->objectName().isEmpty())
        return window->objectName();
    return QString::fromLatin1(window->metaObject()->className());
}

QString ErrorLine(const QString &module, const QString &procName, const QString &errNumber,
                  const QString &errDescription, const QString &detail)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale loc;
    QString line = loc.toString(now.date(), QLocale::ShortFormat) + QLatin1String(" ") +
                   now.time().toString(QStringLiteral("HH:mm:ss")) + QLatin1String(" - Module:") + oneLine(module) +
                   QLatin1String(" Function: ") + oneLine(procName) + QLatin1String(" Error N.") + oneLine(errNumber) +
                   QLatin1String(" Description:") + oneLine(errDescription);
    if (!detail.isEmpty() && detail != errDescription)
        line += QLatin1String(" - Dettaglio: ") + oneLine(detail);
    return line;
}

void WriteErrorLog(const QString &module, const QString &procName, const QString &errNumber,
                   const QString &errDescription, const QString &detail)
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
                log, ErrorLine(module, procName, errNumber, errDescription, detail) + QStringLiteral("\r\n"),
                &failure);
        }
    } catch (...) {
        written = false;
    }
    if (ErrorBatch *batch = g_batch) {
        if (batch->m_count++ == 0)
            batch->m_first = errDescription;
        batch->m_last = errDescription;
        batch->m_written = batch->m_written || written;
        if (!written && batch->m_failure.isEmpty())
            batch->m_failure = failure;
        return;
    }
    showBox(boxText(errDescription, written, failure));
}

void WriteErrorLog(const QObject *window, const QString &procName, const QString &errNumber,
                   const QString &errDescription, const QString &detail)
{
    WriteErrorLog(ModuleLabel(window), procName, errNumber, errDescription, detail);
}

ErrorBatch::ErrorBatch(Summary summary) : m_summary(std::move(summary)), m_outer(g_batch)
{
    if (!m_outer)
        g_batch = this;
}

ErrorBatch::~ErrorBatch()
{
    finish();
}

void ErrorBatch::discard()
{
    m_count = 0;
    finish();
}

void ErrorBatch::finish()
{
    if (m_done)
        return;
    m_done = true;
    if (m_outer)
        return;   // the outer batch tells
    g_batch = nullptr;
    if (m_count == 0)
        return;
    showBox(boxText(m_count == 1 || !m_summary ? m_first : m_summary(m_count), m_written, m_written ? QString() : m_failure));
}

} // namespace Utility_RQM
