#include "platform/print/Print.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace platform::print {

namespace {

std::function<bool()> g_probe;

// A file name made of `name`: the characters no file name may hold become "_".
QString fileNameOf(const QString &name)
{
    QString out = name.trimmed();
    for (QChar &c : out)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'_';
    return out.isEmpty() ? QStringLiteral("Stampa") : out;
}

} // namespace

bool PrinterInstalled()
{
    if (g_probe)
        return g_probe();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void SetPrinterProbe(std::function<bool()> probe)
{
    g_probe = std::move(probe);
}

QString FreePdfPath(const QString &docName, const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::homePath();
    const QString base = QDir(dir).filePath(fileNameOf(docName));
    QString path = base + QStringLiteral(".pdf");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = base + QStringLiteral(" (%1).pdf").arg(n);
    return path;
}

bool ChooseOutput(QPrinter &printer, const QString &docName)
{
    if (!PrinterInstalled() && !ToFile(printer)) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(FreePdfPath(docName));
    }
    return prompts().choosePrinter(&printer, [](void *p, QWidget *parent) {
        QPrintDialog dialog(static_cast<QPrinter *>(p), parent);
        return dialog.exec() == QDialog::Accepted;
    });
}

bool ToFile(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

} // namespace platform::print
