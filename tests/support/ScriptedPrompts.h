#pragma once
// Scripted answers to the program's modal boxes, for tests. Every interaction
// is recorded in `shown`; answers are taken from the queues in order, with
// defaults when a queue is empty (message box: its first button; file,
// folder, input, colour, printer: cancelled).
#include "platform/Prompts.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

namespace platform {

class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        QString kind;   // "msgBox", "openFile", "saveFile", "browseForFolder", "inputBox", "passwordBox",
                        // "chooseColor", "choosePrinter"
        QString text;   // message or prompt; for "choosePrinter" the PDF file offered ("" for a printer)
        int style = 0;
        QString title;
    };
    std::vector<Shown> shown;
    std::deque<int> answers;                       // msgBox answers
    std::deque<QString> files;                     // openFile / saveFile answers ("" = cancel)
    std::deque<QString> folders;                   // browseForFolder answers ("" = cancel)
    std::deque<std::optional<QString>> inputs;     // inputBox and passwordBox answers
    std::deque<std::optional<QColor>> colors;      // chooseColor answers
    std::deque<bool> printers;                     // choosePrinter answers
    std::deque<QString> printFiles;                // choosePrinter: a PDF file typed in the dialog ("" keeps the offered one)

    int msgBox(const QString &text, int style, const QString &title) override;
    QString openFile(const QString &title, const QString &filter, const QString &initialFolder) override;
    QString saveFile(const QString &title, const QString &filter, const QString &initialPath,
                     bool confirmOverwrite = true) override;
    QString browseForFolder(const QString &prompt, const QString &initialFolder) override;
    std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    std::optional<QString> passwordBox(const QString &prompt, const QString &title) override;
    std::optional<QColor> chooseColor(const QColor &initial, const QString &title) override;
    // The dialog is never shown: the answer comes from `printers`.
    bool choosePrinter(void *printer, PrintDialog dialog) override;

    // The texts of the message boxes shown, in order.
    QStringList messages() const;
    void clear() { shown.clear(); }
};

} // namespace platform
