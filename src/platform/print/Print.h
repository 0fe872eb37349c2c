#pragma once
// Where a printed page goes: the printer dialog, opened on printing to a PDF
// file when no printer is installed, so that a machine without a printer still
// gets the page. Used by the reports and by the map page.
#include <QString>
#include <functional>

class QPrinter;

namespace platform::print {

// Whether a printer is installed; tests may replace the probe (nullptr restores it).
bool PrinterInstalled();
void SetPrinterProbe(std::function<bool()> probe);

// A PDF file for the document `docName` in `folder` (by default the user's
// documents folder, or the home folder when there is none), numbered so as not
// to replace a file there: "Stampa Glossario.pdf", "Stampa Glossario (2).pdf", ...
QString FreePdfPath(const QString &docName, const QString &folder = {});

// Asks where to print, through the printer dialog of the current prompts. With
// no printer installed, the printer is first set to write a PDF file (the one
// it already writes, or FreePdfPath(docName)). True when the user confirms.
bool ChooseOutput(QPrinter &printer, const QString &docName);

// Whether the printer writes a file rather than to a printer.
bool ToFile(const QPrinter &printer);

} // namespace platform::print
